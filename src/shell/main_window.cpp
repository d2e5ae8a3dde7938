// The main window: its controls, and how it shows what the message path,
// the store and the card link report. Start-up and shut-down, the window
// behaviours and the aircraft list with its history live in files of their
// own (main_window_lifecycle.cpp, window_behaviours.cpp, aircraft_list.cpp).
#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "config/latin1.h"
#include "livelink/live_json.h"
#include "reference/reference_tables.h"
#include "shell/form_surface.h"
#include "shell/log_check_box.h"
#include "shell/main_window_layout.h"
#include "shell/message_area.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"
#include "shell/search_window.h"
#include "shell/watch_list_dialog.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using config::Bytes;
using config::Latin1;
using namespace layout;

namespace {

constexpr const char* kLogDataToolTip = "Log all data with, or without, link test and uplink acknowledge";
constexpr const char* kPlanesToolTip = "Click to get all message for that plane, DEL to delete records";

template <typename Label = QLabel>
Label* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
  auto* label = new Label(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  return label;
}

template <typename Label = QLabel>
Label* MakeValue(QWidget* parent, const char* name, const QRect& geometry) {
  Label* label = MakeLabel<Label>(parent, name, QString(), geometry);
  label->setFont(MessageArea::ValueFont());
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                        const QRect& geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setToolTip(tip);
  button->setGeometry(geometry);
  return button;
}

void DefaultMessageBox(QWidget* parent, const QString& text) { QMessageBox::warning(parent, "Corvane", text); }

bool DefaultQuestion(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, "Corvane", text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

}  // namespace

MainWindow::MainWindow(ShellSeams seams) : seams_(std::move(seams)) {
  if (!seams_.messageBox) {
    seams_.messageBox = DefaultMessageBox;
  }
  if (!seams_.question) {
    seams_.question = DefaultQuestion;
  }
  if (!seams_.openUrl) {
    seams_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  }
  setObjectName("Corvane");
  receiver_ = std::make_unique<receiver::Receiver>(static_cast<decoding::MessageOutputs&>(*this), seams_.clock);
  receiver_->PublishEveryItem(true);
  QObject::connect(receiver_.get(), &receiver::Receiver::ItemPublished, this, &MainWindow::ItemPublished);
  station_ = std::make_unique<station::Station>(*receiver_, storeCalls_, static_cast<station::StationFront&>(*this));
  connection_ = std::make_unique<cardlink::ConnectionManager>(*this, card_, seams_.serverFactory);
  connection_->SetRecordHandler(
      [this](const std::string& record, const cardlink::RecordOrigin& origin) { HandleCardRecord(record, origin); });
  BuildControls();
  // The docking tick for the history window runs for the whole run.
  timer_.setObjectName("Timer");
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] {
    DockPlaneWindow();
    ShowStoreTrouble();
  });
  timer_.start();
  reconnect_.setSingleShot(true);
  QObject::connect(&reconnect_, &QTimer::timeout, this, [this] { TryReconnect(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  auto* central = new FormSurface(this);
  central->setObjectName("Central");
  setCentralWidget(central);
  form_ = central;

  // The base frame fills itself, so the panels over it keep its colour
  // whatever colours the form around it.
  auto* base = new QFrame(central);
  base->setObjectName("fBas");
  base->setFrameShape(QFrame::StyledPanel);
  base->setGeometry(kBaseFrame);
  base->setAutoFillBackground(true);
  base_ = base;
  BuildHeader(base);
  messageArea_ = std::make_unique<MessageArea>(central, kBaseFrame, kSeparator);
  BuildContextActions();

  planes_ = new PlanesList(central);
  planes_->setObjectName("Planes");
  planes_->setToolTip(kPlanesToolTip);
  planes_->setGeometry(kPlanes);
  planes_->setFont(MessageArea::ValueFont());
  QObject::connect(planes_, &QListWidget::itemClicked, this, [this] { OnPlanesClicked(); });
  QObject::connect(planes_, &PlanesList::DeletePressed, this, [this] { OnPlanesDeleteKey(); });
  QObject::connect(planes_, &QListWidget::currentItemChanged, this, [this] { OnPlanesSelectionMoved(); });

  connect_ = MakeButton(central, "Connect", "&Connect", "Connect to the Wavecom card",
                        {kMargin, kButtonTop, 96, kButtonHeight});
  logData_ = new LogCheckBox(Latin1(decoding::TrafficLog::kStartCaption), central);
  logData_->setObjectName("LogData");
  logData_->setTristate(true);
  logData_->setToolTip(kLogDataToolTip);
  logData_->setGeometry(116, kButtonTop, 160, kButtonHeight);
  logData_->setAutoFillBackground(true);
  config_ = MakeButton(central, "Config", "Confi&g.", "Configure connexion parameters",
                       {kConfigLeft, kButtonTop, kButtonWidth, kButtonHeight});
  cancel_ = MakeButton(central, "Cancel", "&Quit", "Quit the application",
                       {kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight});
  QObject::connect(connect_, &QPushButton::clicked, this, [this] {
    reconnect_.stop();  // the user's click decides now
    connection_->ConnectClicked();
    receiver_->SetCardLink(connection_->Connected);
  });
  QObject::connect(logData_, &QCheckBox::clicked, this, [this] { OnLogDataClicked(); });
  QObject::connect(config_, &QPushButton::clicked, this, [this] { OpenConfig(); });
  QObject::connect(cancel_, &QPushButton::clicked, this, [this] { close(); });

  // The two live items, as the window holds them.
  liveItem_ = MakeLabel(central, "LiveItem", QString(), {});
  liveItem_->hide();
  liveData_ = MakeLabel(central, "LiveData", QString(), {});
  liveData_->hide();

  BuildStatusBar();
  setFixedSize(kWindowWidth, kWindowHeight + statusBar()->sizeHint().height());
}

// The message area's one menu: readable text, search, the watch list, the
// web page's views, the recent messages and the alerts, each with a
// shortcut that works on the window without the menu.
void MainWindow::BuildContextActions() {
  readableText_ = new QAction("Readable text", this);
  readableText_->setObjectName("ReadableText");
  readableText_->setCheckable(true);
  readableText_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  connect(readableText_, &QAction::toggled, this, &MainWindow::OnReadableTextToggled);
  addAction(readableText_);
  messageArea_->AddTextAction(readableText_);
  searchAction_ = new QAction("Search...", this);
  searchAction_->setObjectName("SearchAction");
  searchAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  connect(searchAction_, &QAction::triggered, this, &MainWindow::OpenSearchWindow);
  addAction(searchAction_);
  messageArea_->AddWindowAction(searchAction_);
  watchListAction_ = new QAction("Watch list...", this);
  watchListAction_->setObjectName("WatchListAction");
  watchListAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  connect(watchListAction_, &QAction::triggered, this, &MainWindow::OpenWatchListDialog);
  addAction(watchListAction_);
  messageArea_->AddWindowAction(watchListAction_);
  // The web page's map and statistics, in the user's browser; without a
  // web page the window says how to turn it on.
  for (const auto& [action, name, caption, view, key] :
       {std::tuple{&mapAction_, "MapAction", "Map in the browser", "map", Qt::Key_M},
        std::tuple{&statisticsAction_, "StatisticsAction", "Statistics in the browser", "stats", Qt::Key_T}}) {
    *action = new QAction(caption, this);
    (*action)->setObjectName(name);
    (*action)->setShortcut(QKeySequence(Qt::CTRL | key));
    connect(*action, &QAction::triggered, this, [this, view = QString::fromLatin1(view)] { OpenWebPage(view); });
    addAction(*action);
    messageArea_->AddWindowAction(*action);
  }
  BuildRecentAndAlertActions();
  messageArea_->CoverWithMenu(base_);
}

void MainWindow::BuildHeader(QWidget* base) {
  MakeLabel(base, "lMde", "Mode", {6, 6, 38, 18});
  vMde_ = MakeValue(base, "vMde", {44, 6, 30, 18});
  MakeLabel(base, "lReg", "Aircraft", {84, 6, 54, 18});
  vReg_ = MakeValue<HeaderField>(base, "vReg", {138, 6, 76, 18});
  lFId_ = MakeLabel(base, "lFId", "Flight", {224, 6, 42, 18});
  vFId_ = MakeValue(base, "vFId", {266, 6, 68, 18});
  lMsn_ = MakeLabel(base, "lMsn", QString::fromUtf8("N\u00b0"), {344, 6, 24, 18});
  vMsn_ = MakeValue(base, "vMsn", {368, 6, 52, 18});
  MakeLabel(base, "lLbl", "Label", {6, 28, 38, 18});
  vLbl_ = MakeValue<HeaderField>(base, "vLbl", {44, 28, 418, 18});
  QObject::connect(vReg_, &HeaderField::DoubleClicked, this, [this] { ToggleRegFilter(); });
  QObject::connect(vLbl_, &HeaderField::DoubleClicked, this, [this] { ToggleLabelFilter(); });
  auto* separator = new QFrame(base);
  separator->setObjectName("sBAS");
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  separator->setGeometry(0, kSeparator - 1, kBaseFrame.width(), 2);
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setToolTip("A double click to shrink/expand (Left button)  or lock (Right button) window");
  bar->setSizeGripEnabled(false);
  const std::array<std::pair<const char*, const char*>, 3> panels = {
      {{"Mode", "Mode"}, {"Count", "Message count"}, {"State", "Decoding state"}}};
  for (std::size_t i = 0; i < panels.size(); ++i) {
    auto* panel = new StatusPanel(panels[i].first, bar);
    panel->setObjectName(QString("StatusBar_%1").arg(i + 1));
    panel->setToolTip(panels[i].second);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(i == 1 ? 120 : 90);
    bar->addWidget(panel, i == 1 ? 1 : 0);
    QObject::connect(panel, &StatusPanel::MouseDown, this, [this](int button) { LastButton = button; });
    QObject::connect(panel, &StatusPanel::DoubleClicked, this,
                     [this, i] { OnStatusPanelDoubleClick(static_cast<int>(i) + 1); });
    statusPanels_[i] = panel;
  }
  BuildAlertIndicators();
}

void MainWindow::OnLogDataClicked() {
  const auto box = logData_->checkState() == Qt::Checked     ? decoding::LogBox::Checked
                   : logData_->checkState() == Qt::Unchecked ? decoding::LogBox::Unchecked
                                                             : decoding::LogBox::Grayed;
  const decoding::LogBoxView view = receiver_->Log().Click(box);
  const QSignalBlocker blocker(logData_);
  logData_->setCheckState(view.state == decoding::LogBox::Checked     ? Qt::Checked
                          : view.state == decoding::LogBox::Unchecked ? Qt::Unchecked
                                                                      : Qt::PartiallyChecked);
  logData_->setText(QString::fromStdString(view.caption));
  ShowLogTrouble();
}

// Shows trouble on a control, or takes it back (empty trouble): only the
// text colour (role) turns red, with the reason in the tooltip, and an empty
// palette gives everything back to the window's. Does nothing while the
// trouble stays the same.
void MainWindow::ShowTrouble(QWidget* control, QPalette::ColorRole role, const std::string& trouble, std::string& shown,
                             const char* normalTip, const QString& troubleTip) {
  if (trouble == shown) {
    return;
  }
  shown = trouble;
  QPalette palette;
  if (trouble.empty()) {
    control->setToolTip(normalTip);
  } else {
    palette.setColor(role, Qt::red);
    control->setToolTip(troubleTip.arg(QString::fromLocal8Bit(trouble.c_str())));
  }
  control->setPalette(palette);
}

// A log that cannot be opened or written turns the LogData box red until an
// entry is written again (the log retries at every message); so does a day's
// file that cannot be renamed, while the entries go on into it.
void MainWindow::ShowLogTrouble() {
  const decoding::TrafficLog& log = receiver_->Log();
  ShowTrouble(logData_, QPalette::WindowText, log.LastError(), shownLogError_, kLogDataToolTip,
              log.RenameFailed() ? "The traffic log %1; Corvane tries again at every message"
                                 : "The traffic log cannot be written (%1); Corvane tries again at every message");
}

void MainWindow::HandleTextRecord(const std::string& record) { HandleCardRecord(record, {}); }

void MainWindow::HandleCardRecord(const std::string& record, const cardlink::RecordOrigin& origin) {
  receiver_->HandleCardRecord(record, origin);
  ShowLogTrouble();
  ShowAlertsOfLast();
}

void MainWindow::UseWatchList(const std::string& entries) { station_->UseWatchList(entries, "setting Alerts"); }

void MainWindow::OpenWatchListDialog() {
  WatchListDialog dialog(this, settings_.Alerts, alertSound_);
  if (dialog.exec() != QDialog::Accepted) {
    return;
  }
  settings_.Alerts = dialog.Entries();
  alertSound_ = dialog.Sound();
  config::WriteAlertSettings(seams_.appName, settings_.Alerts, alertSound_);
  UseWatchList(settings_.Alerts);
}

void MainWindow::Say(const std::string& line) { std::fprintf(stderr, "corvane: %s\n", line.c_str()); }

void MainWindow::ShowLinkIndicator(const QColor& colour) { form_->SetColour(colour); }

QColor MainWindow::LinkIndicator() const { return form_->Colour(); }

void MainWindow::SetLiveItem(const std::string& record) { liveItem_->setText(Latin1(record)); }

// The summary as the window holds it; the receiver publishes it, and the
// message's LiveJSON after it, to other programs.
void MainWindow::SetLiveData(const std::string& summary) { liveData_->setText(Latin1(summary)); }

void MainWindow::ShowHeader(const decoding::HeaderFields& header) {
  shownFlight_ = header.vFId;
  lFId_->setVisible(header.flightVisible);
  vFId_->setVisible(header.flightVisible);
  lMsn_->setVisible(header.msnVisible);
  vMsn_->setVisible(header.msnVisible);
  vMde_->setText(Latin1(header.vMde));
  vReg_->setText(Latin1(header.vReg));
  vFId_->setText(Latin1(header.vFId));
  vMsn_->setText(Latin1(header.vMsn));
  vLbl_->setText(Latin1(header.vLbl));
}

void MainWindow::ShowPanels(const decoding::PanelState& panels) {
  shownPanels_ = panels;
  shownReadable_.reset();
  if (const readable::Decoding* decoding = Receiver().ReadableOfLast()) {
    shownReadable_ = *decoding;  // the receiver's decoding, which LiveJSON writes too
  }
  RenderMessageArea();
}

// With "Readable text" on, a message shown as raw text shows its readable
// title (the kind in words), the airline of its flight when the lines do not
// name it already, its lines, then a line of dashes, then the raw text;
// decoded panels stay as they are.
void MainWindow::RenderMessageArea() {
  const bool rawText = shownPanels_.visible[static_cast<std::size_t>(decoding::Panel::fMSG)];
  if (!readableText_->isChecked() || !shownReadable_ || !rawText) {
    messageArea_->Render(shownPanels_);
    return;
  }
  decoding::PanelState withReadable = shownPanels_;
  withReadable.msgText.assign(shownReadable_->title);
  withReadable.msgText += "\r\n";
  const bool namesAirline = std::any_of(shownReadable_->fields.begin(), shownReadable_->fields.end(),
                                        [](const readable::Field& field) { return field.name == "airline"; });
  if (const std::string airline = readable::AirlineNameOf(shownFlight_); !namesAirline && !airline.empty()) {
    withReadable.msgText += "Airline: " + airline + "\r\n";
  }
  withReadable.msgText += shownReadable_->text;
  withReadable.msgText += std::string(56, '-') + "\r\n" + shownPanels_.msgText;
  messageArea_->Render(withReadable);
}

// One Search window for the run; it searches the store this window opened,
// on the same worker as the other store calls.
void MainWindow::OpenSearchWindow() {
  if (search_ == nullptr) {
    SearchWindowHooks hooks;
    hooks.target = [this] {
      SearchTarget target;
      if (!storeReady_) {
        target.why = "The store is still opening; search again in a moment.";
      } else if (!Receiver().HasStore()) {
        target.why = "No store is open, so there is nothing to search (the configuration dialog chooses one).";
      } else {
        target = {&receiver_->Store(), DBType(), Path().DBName, {}, Receiver().Station()};
      }
      return target;
    };
    hooks.openDay = [this](const std::string& address, const std::string& day, const std::string& hour) {
      ShowPlaneWindow(address, day, hour, search_);
    };
    search_ = new SearchWindow(this, storeCalls_, std::move(hooks));
  }
  search_->show();
  search_->raise();
  search_->activateWindow();
  auto* query = search_->findChild<QLineEdit*>("Query");
  query->setFocus();
  query->selectAll();
}

void MainWindow::OnReadableTextToggled(bool on) {
  config::WriteSetting(seams_.appName, "ReadableText", on ? 1 : 0);
  RenderMessageArea();
}

void MainWindow::SetStatusStamp(const std::string& stamp) { statusPanels_[1]->setText(Latin1(stamp)); }

void MainWindow::PlaneInserted(std::size_t position, const std::string& address) {
  planes_->insertItem(static_cast<int>(position), Latin1(address));
}

// Connect waits for the store to open.
void MainWindow::SetConnectEnabled(bool enabled) { connect_->setEnabled(enabled && storeReady_); }
void MainWindow::SetConnectCaption(const std::string& caption) { connect_->setText(Latin1(caption)); }
void MainWindow::SetConfigEnabled(bool enabled) { config_->setEnabled(enabled); }
void MainWindow::SetModePanel(const std::string& text) { statusPanels_[0]->setText(Latin1(text)); }
void MainWindow::SetStatusPanel(const std::string& text) { statusPanels_[2]->setText(Latin1(text)); }

void MainWindow::ShowProgress(const std::string& caption) {
  if (info_ == nullptr) {
    info_ = new QWidget(this, Qt::Tool);
    info_->setObjectName("Info");
    auto* layout = new QVBoxLayout(info_);
    infoText_ = new QLabel(info_);
    infoText_->setObjectName("Text");
    infoText_->setMinimumWidth(240);
    layout->addWidget(infoText_);
  }
  info_->setWindowTitle(Latin1(caption));
  info_->show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MainWindow::SetProgressStep(const std::string& text) {
  if (infoText_ != nullptr) {
    infoText_->setText(Latin1(text));
  }
  QApplication::processEvents();
}

void MainWindow::HideProgress() {
  QApplication::restoreOverrideCursor();
  if (info_ != nullptr) {
    info_->close();
  }
}

void MainWindow::AppendCaption(const std::string& suffix) { setWindowTitle(windowTitle() + Latin1(suffix)); }

}  // namespace corvane::shell
