// The main window's start-up and shut-down: settings, position, caption,
// reference tables, store, the first configuration and the buttons; the
// configuration dialog; and the shut-down that every way out runs once.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "config/latin1.h"
#include "shell/log_check_box.h"
#include "shell/main_window.h"
#include "shell/main_window_layout.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"
#include "shell/window_controls.h"
#include "web/token.h"

namespace corvane::shell {

using namespace layout;

namespace {

// Hands the store's progress, told on the background worker, to the window's
// thread.
class StoreProgressRelay : public store::StoreProgress {
 public:
  explicit StoreProgressRelay(MainWindow* window) : window_(window) {}
  void ShowProgress(const std::string& caption) override {
    Post([caption](MainWindow& w) { w.ShowProgress(caption); });
  }
  void SetProgressStep(const std::string& text) override {
    Post([text](MainWindow& w) { w.SetProgressStep(text); });
  }
  void HideProgress() override {
    Post([](MainWindow& w) { w.HideProgress(); });
  }
  void AppendCaption(const std::string& suffix) override {
    Post([suffix](MainWindow& w) { w.AppendCaption(suffix); });
  }

 private:
  template <typename Call>
  void Post(Call call) {
    QMetaObject::invokeMethod(
        window_, [window = window_, call] { call(*window); }, Qt::QueuedConnection);
  }
  MainWindow* window_;
};

// The start-up position in twips, as the 16-bit value the window keeps.
std::int16_t ToStartTwips(int pixels) { return static_cast<std::int16_t>(std::clamp(ToTwips(pixels), -32768, 32767)); }

}  // namespace

void MainWindow::Start() {
  connection_->CanConnect = false;
  connection_->Connected = false;
  connection_->TimerA.stop();
  settings_ = config::ReadAllSettings(seams_.appName, ToTwips(x()), ToTwips(y()));
  UseAlertNotice(settings_.AlertSound != 0, settings_.AlertNotify != 0);
  {
    const QSignalBlocker quiet(readableText_);  // reading the setting is no change to store
    readableText_->setChecked(config::ReadSetting(seams_.appName, "ReadableText", 0) != 0);
  }
  card_ = {settings_.HostName, settings_.CardType, settings_.CardNumber, settings_.IFInput, settings_.IFFreqs};
  RestorePosition();
  X = settings_.HasPosition ? settings_.X : ToStartTwips(x());
  Y = settings_.HasPosition ? settings_.Y : ToStartTwips(y());
  setWindowTitle(QString::fromStdString(seams_.appName) + " V" + CORVANE_VERSION);

  ConnectLinkIndicator();
  station::StartChoices choices;
  choices.liveLinkName = seams_.liveLinkName;
  choices.progress = std::make_shared<StoreProgressRelay>(this);
  station_->Start(settings_, choices);  // the window goes on without whatever step failed
  SayWhenStoreIsSlow();

  if (settings_.CardType >= 0 && settings_.CardNumber >= 1) {
    connection_->CanConnect = true;
    setTabOrder(connect_, logData_);
    connect_->setFocus();
  } else {
    setTabOrder(config_, connect_);
    config_->setFocus();
    OpenConfig();
  }
  connection_->UpdateConnectButtons();
}

// The store opens on the background worker, so the window paints, moves
// and answers the live link meanwhile. Connect waits for it; the progress
// window says so when the store is slow to answer.
void MainWindow::SayWhenStoreIsSlow() {
  QTimer::singleShot(kStoreAnswerLimit, this, [this] {
    if (!storeReady_) {
      SetProgressStep("The store has not answered for " + std::to_string(kStoreAnswerLimit.count() / 1000) +
                      " seconds; Connect works once it is open");
    }
  });
}

// No store was chosen, or one that cannot be used (another Corvane writes
// it): the window runs without the aircraft list rather than write its
// messages twice or lose them.
void MainWindow::StoreOpenEnded(const std::optional<std::string>& name, const std::string& why) {
  if (!why.empty()) {
    HideProgress();
    seams_.messageBox(this, "The messages are not stored: " + QString::fromStdString(why));
  }
  if (!name) {
    NarrowWithoutAircraftList();
  }
  storeReady_ = true;
  connection_->UpdateConnectButtons();
  if (plane_ != nullptr && plane_->isVisible()) {
    RequestHistory();
  }
}

bool MainWindow::GoOnWithout(station::Step step, const std::string& why) {
  const QString text = QString::fromStdString(why);
  switch (step) {
    case station::Step::WatchList:
    case station::Step::Store:
      seams_.messageBox(this, text);
      break;
    case station::Step::LiveLink:
      seams_.messageBox(this, "Other programs cannot follow the traffic: " + text);
      break;
    case station::Step::Mqtt:
      seams_.messageBox(this, "The live traffic does not go to MQTT: " + text);
      break;
    case station::Step::WebPage:
      seams_.messageBox(this, "The web page is not served: " + text);
      break;
  }
  return true;
}

void MainWindow::Warn(station::Step /*step*/, const std::string& warning) {
  seams_.messageBox(this, "The web page: " + QString::fromStdString(warning));
}

// A position that does not fit 16 bits leaves the window at 0 on that axis.
// Without a stored position (a first start) the window opens in the middle
// of the screen, and wherever it is at quit is stored.
void MainWindow::RestorePosition() {
  if (settings_.HasPosition) {
    move(ToPixels(settings_.X), ToPixels(settings_.Y));
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

// Without a store there is no aircraft list: the window loses it and the
// margin before it, and Config and Quit move with the right edge.
void MainWindow::NarrowWithoutAircraftList() {
  planes_->hide();
  config_->move(config_->x() - kNarrowing, config_->y());
  cancel_->move(cancel_->x() - kNarrowing, cancel_->y());
  setFixedSize(width() - kNarrowing, height());
}

// The dialog works on its own properties; accepted with a card number, its
// five values become the window's card settings and are written in order.
// The store and network settings are written whenever the dialog is
// accepted; they take effect at the next start (retention, Reconnect and
// the web page at once).
void MainWindow::OpenConfig() {
  config::Settings chosen = settings_;
  if (!RunConfigDialog(chosen)) {
    return;
  }
  const bool changed = !config::SameStoreAndNetwork(chosen, settings_);
  const bool webPageChanged = chosen.HttpAddress != settings_.HttpAddress;
  const bool retentionChanged = chosen.KeepDays != settings_.KeepDays ||
                                chosen.KeepAlertDays != settings_.KeepAlertDays ||
                                chosen.KeepSize != settings_.KeepSize;
  config::CopyStoreAndNetwork(chosen, settings_);
  if (changed) {  // nothing new is written when nothing changed
    config::WriteStoreAndNetworkSettings(seams_.appName, settings_);
  }
  if (retentionChanged && station_) {
    station_->UseRetention(settings_);
  }
  if (webPageChanged && station_) {
    station_->UseWebPage(settings_);
  }
  if (chosen.CardNumber <= 0) {
    return;
  }
  connection_->CanConnect = true;
  settings_.HostName = chosen.HostName;
  settings_.CardType = chosen.CardType;
  settings_.CardNumber = chosen.CardNumber;
  settings_.IFInput = chosen.IFInput;
  settings_.IFFreqs = chosen.IFFreqs;
  card_ = {settings_.HostName, settings_.CardType, settings_.CardNumber, settings_.IFInput, settings_.IFFreqs};
  config::WriteDialogSettings(seams_.appName, settings_);
  connection_->UpdateConnectButtons();
}

bool MainWindow::RunConfigDialog(config::Settings& chosen) {
  if (seams_.configDialog) {
    return seams_.configDialog(this, chosen);
  }
  if (!configDialog_) {
    configDialog_ = std::make_unique<config::ConfigDialog>(this);
    configDialog_->SetServerFactory(seams_.serverFactory);
    configDialog_->SetMessageBox(seams_.messageBox);
    if (seams_.pause) {
      configDialog_->SetPause(seams_.pause);
    }
  }
  config::ConfigDialog& dialog = *configDialog_;
  dialog.SetHostNam(chosen.HostName);
  dialog.SetCardTyp(chosen.CardType);
  dialog.SetCardNum(chosen.CardNumber);
  dialog.SetIFInput(chosen.IFInput);
  dialog.SetIFTFreq(chosen.IFFreqs);
  dialog.SetStoreAndNetwork(chosen);
  dialog.SetAlertNotice(alertSound_, alertNotify_);
  if (Locked) {
    MakeWindowAlwaysTop(this, false);
    MakeWindowAlwaysTop(&dialog, true);
  }
  dialog.exec();
  if (Locked) {
    MakeWindowAlwaysTop(&dialog, false);
    MakeWindowAlwaysTop(this, true);
  }
  chosen.HostName = dialog.HostNam();
  chosen.CardType = dialog.CardTyp();
  chosen.CardNumber = dialog.CardNum();
  chosen.IFInput = dialog.IFInput();
  chosen.IFFreqs = dialog.IFTFreq();
  const bool accepted = dialog.result() == QDialog::Accepted;
  if (accepted) {
    dialog.TakeStoreAndNetwork(chosen);
    TakeAlertNotice(dialog.AlertSound(), dialog.AlertNotify());
  }
  return accepted;
}

// Other programs read LiveItem and LiveData through the live link; opening a
// link turns the window blue, closing one light grey.
void MainWindow::ConnectLinkIndicator() {
  livelink::LiveLinkServer& link = receiver_->LiveLink();
  if (seams_.liveLinkName.isEmpty() || link.IsListening()) {
    return;
  }
  QObject::connect(&link, &livelink::LiveLinkServer::LinkOpened, this,
                   [this] { ShowLinkIndicator(QColor(0, 0, 255)); });
  QObject::connect(&link, &livelink::LiveLinkServer::LinkClosed, this,
                   [this] { ShowLinkIndicator(QColor(192, 192, 192)); });
}

// Without a web page, or when the browser does not start, the window says
// so (a browser that fails tells only its standard error).
void MainWindow::OpenWebPage(const QString& view) {
  const web::WebServer* page = station_->Web();
  const QString what = view == "map" ? "map" : "statistics";
  if (page == nullptr) {
    seams_.messageBox(this, QString("The web page is off, so its %1 cannot be shown. Give the web page an address in "
                                    "Config (Web page, e.g. 127.0.0.1:8080); it starts at OK.")
                                .arg(what));
    return;
  }
  QString fragment = "#" + view;
  std::string error;
  if (const auto token =
          settings_.HttpTokenFile.empty() ? std::nullopt : web::ReadTokenFile(settings_.HttpTokenFile, &error)) {
    fragment = "#token=" + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(*token))) + "&" + view;
  }
  const QString address = QString::fromStdString(page->PageUrl());
  if (!seams_.openUrl(QUrl(address + fragment))) {
    const QString after =
        fragment.startsWith("#token=") ? "#token=<the token of the setting HttpTokenFile>&" + view : fragment;
    seams_.messageBox(
        this, QString("The browser did not start to show the %1: open %2%3 in a browser.").arg(what, address, after));
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
}

// Every step is tried; a failing one does not stop the others.
void MainWindow::ShutDown() {
  if (shutDown_) {
    return;
  }
  shutDown_ = true;
  if (configDialog_) {
    configDialog_->close();
  }
  if (plane_ != nullptr) {
    plane_->close();
  }
  // The store setting as read: a store another process kept stays chosen.
  config::WriteShutDownSettings(seams_.appName, ToTwips(x()), ToTwips(y()), settings_.Database);
  if (connection_->Connected) {
    connection_->Connected = connection_->ConnectCard(false);
  }
  receiver_->SetCardLink(false);
  station_->Stop();
}

}  // namespace corvane::shell
