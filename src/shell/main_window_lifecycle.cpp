// The main window's start-up and shut-down: settings, position, caption,
// reference tables, store, the first configuration and the buttons; the
// configuration dialog; and the shut-down that every way out runs once.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdio>

#include "config/latin1.h"
#include "reference/reference_tables.h"
#include "shell/log_check_box.h"
#include "shell/main_window.h"
#include "shell/main_window_layout.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using namespace layout;

namespace {

// The start-up position in twips, as the 16-bit value the window keeps.
std::int16_t ToStartTwips(int pixels) { return static_cast<std::int16_t>(std::clamp(ToTwips(pixels), -32768, 32767)); }

}  // namespace

void MainWindow::Start() {
  connection_->CanConnect = false;
  connection_->Connected = false;
  connection_->TimerA.stop();
  StartLiveLink();
  settings_ = config::ReadAllSettings(seams_.appName, ToTwips(x()), ToTwips(y()));
  UseStation(settings_.StationName);
  StartMqtt();
  {
    const QSignalBlocker quiet(readableText_);  // reading the setting is no change to store
    readableText_->setChecked(config::ReadSetting(seams_.appName, "ReadableText", 0) != 0);
  }
  card_ = {settings_.HostName, settings_.CardType, settings_.CardNumber, settings_.IFInput, settings_.IFFreqs};
  RestorePosition();
  X = settings_.HasPosition ? settings_.X : ToStartTwips(x());
  Y = settings_.HasPosition ? settings_.Y : ToStartTwips(y());
  setWindowTitle(QString::fromStdString(seams_.appName) + " V" + CORVANE_VERSION);
  reference::FillBuiltinTables();

  path_->DBType = settings_.Database;
  if (path_->DBType == store::kPostgresStore) {
    database_->SetStoreOptions({settings_.DatabaseUrl, settings_.StationName});
  }
  if (path_->DBType != decoding::kNoStore) {
    path_->DBName = "Corvane";
    try {
      database_->OpenStore(path_->DBType, path_->DBName, *this);
      path_->SetStore(database_.get());
    } catch (const store::StoreInUse& inUse) {
      // Another Corvane writes this store: this window runs without it
      // rather than write its messages twice or lose them.
      HideProgress();
      seams_.messageBox(this, "The messages are not stored: " + QString::fromStdString(inUse.what()));
      path_->DBType = decoding::kNoStore;
    }
  }
  if (path_->DBType == decoding::kNoStore) {
    NarrowWithoutAircraftList();
  }

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
void MainWindow::OpenConfig() {
  config::Settings chosen = settings_;
  if (!RunConfigDialog(chosen) || chosen.CardNumber <= 0) {
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
  return chosen.CardNumber > 0;
}

// Other programs read LiveItem and LiveData through the live link; opening a
// link turns the window blue, closing one light grey.
void MainWindow::StartLiveLink() {
  if (seams_.liveLinkName.isEmpty() || liveLink_.IsListening()) {
    return;
  }
  QObject::connect(&liveLink_, &livelink::LiveLinkServer::LinkOpened, this,
                   [this] { ShowLinkIndicator(QColor(0, 0, 255)); });
  QObject::connect(&liveLink_, &livelink::LiveLinkServer::LinkClosed, this,
                   [this] { ShowLinkIndicator(QColor(192, 192, 192)); });
  QString error;
  if (!liveLink_.Listen(seams_.liveLinkName, &error)) {
    seams_.messageBox(this, "Other programs cannot follow the traffic: " + error);
  }
}

// With the setting MqttUrl, every accepted message's LiveJSON also goes to
// that broker (topic: setting MqttTopic, else corvane/<station>/messages;
// password: the file the setting MqttPasswordFile names, else
// CORVANE_MQTT_PASSWORD, else the URL's).
void MainWindow::StartMqtt() {
  if (settings_.MqttUrl.empty() || mqtt_) {
    return;
  }
  const auto refuse = [this](const std::string& reason) {
    seams_.messageBox(this, "The live traffic does not go to MQTT: " + QString::fromStdString(reason));
  };
  std::string error;
  livelink::MqttPublisherOptions options;
  if (const auto url = livelink::MqttUrlWithPassword(settings_.MqttUrl, settings_.MqttPasswordFile, error)) {
    options.url = *url;
  } else {
    refuse(error);
    return;
  }
  options.topic = settings_.MqttTopic;
  options.station = settings_.StationName;
  mqtt_ = std::make_unique<livelink::MqttPublisher>(std::move(options));
  if (const livelink::MqttStatus status = mqtt_->Status(); status.unusable) {
    refuse(status.reason);  // a station name or topic MQTT cannot carry
    mqtt_.reset();
    return;
  }
  QObject::connect(&mqttWatch_, &QTimer::timeout, this, [this] {
    for (const std::string& line : mqttTrouble_.Check(mqtt_->Status())) {
      std::fprintf(stderr, "corvane: %s\n", line.c_str());
    }
  });
  mqttWatch_.start(1000);
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
    log_.Close();
  }
  // What waits for the store is written, or kept in the pending file.
  database_->Close();
  liveLink_.Close();
  mqttWatch_.stop();
  if (mqtt_) {
    // What waits has a moment to go out; what does not is said.
    if (const std::size_t left = mqtt_->Stop(); left > 0) {
      std::fprintf(stderr, "corvane: mqtt: %zu messages were not delivered before the stop\n", left);
    }
    mqtt_.reset();
  }
}

}  // namespace corvane::shell
