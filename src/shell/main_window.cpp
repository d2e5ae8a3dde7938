// The main window: its controls, start-up and shut-down, and how it shows
// what the message path, the store and the card link report.
#include "shell/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "config/latin1.h"
#include "reference/reference_tables.h"
#include "shell/form_surface.h"
#include "shell/log_check_box.h"
#include "shell/message_area.h"
#include "shell/panel_layout.h"
#include "shell/plane_window.h"

namespace corvane::shell {

using config::Bytes;
using config::Latin1;

namespace {

// Window layout in pixels: the base frame with the aircraft list beside it,
// the buttons under both, a margin around and between everything.
constexpr int kMargin = 8;
constexpr QRect kBaseFrame{kMargin, kMargin, 470, 330};
constexpr int kSeparator = 52;
constexpr int kListWidth = 166;
constexpr QRect kPlanes{kBaseFrame.right() + 1 + kMargin, kMargin, kListWidth, kBaseFrame.height()};
constexpr int kWindowWidth = kPlanes.right() + 1 + kMargin;
constexpr int kButtonTop = kBaseFrame.bottom() + 1 + kMargin;
constexpr int kButtonHeight = 28;
constexpr int kWindowHeight = kButtonTop + kButtonHeight + 10;
constexpr int kButtonWidth = 80;
constexpr int kCancelLeft = kWindowWidth - kMargin - kButtonWidth;
constexpr int kConfigLeft = kCancelLeft - kMargin - kButtonWidth;
// Without the aircraft list the window loses the list and the margin before it.
constexpr int kNarrowing = kListWidth + kMargin;
static_assert(kWindowWidth == 660 && kWindowHeight == 384 && kPlanes.left() == 486);
constexpr const char* kLogDataToolTip = "Log all data with, or without, link test and uplink acknowledge";
constexpr const char* kPlanesToolTip = "Click to get all message for that plane, DEL to delete records";

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* MakeValue(QWidget* parent, const char* name, const QRect& geometry) {
  QLabel* label = MakeLabel(parent, name, QString(), geometry);
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

}  // namespace

MainWindow::MainWindow(ShellSeams seams) : seams_(std::move(seams)) {
  if (!seams_.messageBox) {
    seams_.messageBox = DefaultMessageBox;
  }
  setObjectName("Corvane");
  path_ = std::make_unique<decoding::MessagePath>(reference::Global(), *this, seams_.clock);
  path_->SetTrafficLog(&log_);
  database_ = std::make_unique<store::Database>(reference::Global(), seams_.clock);
  connection_ = std::make_unique<cardlink::ConnectionManager>(*this, card_, seams_.serverFactory);
  connection_->SetRecordHandler([this](const std::string& record) { HandleTextRecord(record); });
  BuildControls();
  // The docking tick for the history window runs for the whole run.
  timer_.setObjectName("Timer");
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] {
    DockPlaneWindow();
    ShowStoreTrouble();
  });
  timer_.start();
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

  planes_ = new QListWidget(central);
  planes_->setObjectName("Planes");
  planes_->setToolTip(kPlanesToolTip);
  planes_->setGeometry(kPlanes);
  planes_->setFont(MessageArea::ValueFont());
  planes_->installEventFilter(this);
  QObject::connect(planes_, &QListWidget::itemClicked, this, [this] { OnPlanesClicked(); });

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
  QObject::connect(connect_, &QPushButton::clicked, this, [this] { connection_->ConnectClicked(); });
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

void MainWindow::BuildHeader(QWidget* base) {
  MakeLabel(base, "lMde", "Mode", {6, 6, 38, 18});
  vMde_ = MakeValue(base, "vMde", {44, 6, 30, 18});
  MakeLabel(base, "lReg", "Aircraft", {84, 6, 54, 18});
  vReg_ = MakeValue(base, "vReg", {138, 6, 76, 18});
  lFId_ = MakeLabel(base, "lFId", "Flight", {224, 6, 42, 18});
  vFId_ = MakeValue(base, "vFId", {266, 6, 68, 18});
  lMsn_ = MakeLabel(base, "lMsn", QString::fromUtf8("N\u00b0"), {344, 6, 24, 18});
  vMsn_ = MakeValue(base, "vMsn", {368, 6, 52, 18});
  MakeLabel(base, "lLbl", "Label", {6, 28, 38, 18});
  vLbl_ = MakeValue(base, "vLbl", {44, 28, 418, 18});
  vReg_->installEventFilter(this);
  vLbl_->installEventFilter(this);
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
    auto* panel = new QLabel(panels[i].first, bar);
    panel->setObjectName(QString("StatusBar_%1").arg(i + 1));
    panel->setToolTip(panels[i].second);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(i == 1 ? 120 : 90);
    bar->addWidget(panel, i == 1 ? 1 : 0);
    panel->installEventFilter(this);
    statusPanels_[i] = panel;
  }
}

void MainWindow::Start() {
  connection_->CanConnect = false;
  connection_->Connected = false;
  connection_->TimerA.stop();
  StartLiveLink();
  settings_ = config::ReadAllSettings(seams_.appName, ToTwips(x()), ToTwips(y()));
  card_ = {settings_.HostName, settings_.CardType, settings_.CardNumber, settings_.IFInput, settings_.IFFreqs};
  RestorePosition();
  startX_ = settings_.HasPosition ? settings_.X : ToTwips(x());
  startY_ = settings_.HasPosition ? settings_.Y : ToTwips(y());
  setWindowTitle(QString::fromStdString(seams_.appName) + " V" + kVersion);
  reference::FillBuiltinTables();

  path_->DBType = settings_.Database;
  if (path_->DBType != decoding::kNoStore) {
    path_->DBName = "Corvane";
    database_->OpenStore(path_->DBType, path_->DBName, *this);
    path_->SetStore(database_.get());
  } else {
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

void MakeWindowAlwaysTop(QWidget* window, bool on) {
  if (window == nullptr || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) {
    return;
  }
  const QRect geometry = window->geometry();
  const bool visible = window->isVisible();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  window->setGeometry(geometry);
  if (visible) {
    window->show();
  }
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

void MainWindow::OnLogDataClicked() {
  const auto box = logData_->checkState() == Qt::Checked     ? decoding::LogBox::Checked
                   : logData_->checkState() == Qt::Unchecked ? decoding::LogBox::Unchecked
                                                             : decoding::LogBox::Grayed;
  const decoding::LogBoxView view = log_.Click(box);
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
// entry is written again (the log retries at every message).
void MainWindow::ShowLogTrouble() {
  ShowTrouble(logData_, QPalette::WindowText, log_.LastError(), shownLogError_, kLogDataToolTip,
              "The traffic log cannot be written (%1); Corvane tries again at every message");
}

// A store that refuses writes turns the aircraft list's text red until every
// message that waited is written; the messages wait meanwhile (and the
// history shows them).
void MainWindow::ShowStoreTrouble() {
  const auto status = database_->Status(path_->DBType, path_->DBName);
  ShowTrouble(planes_, QPalette::Text, status && status->refusing ? status->reason : std::string(), shownStoreTrouble_,
              kPlanesToolTip,
              "The store does not take messages now (%1); they wait and are written when it takes them again");
}

void MainWindow::HandleTextRecord(const std::string& record) {
  path_->HandleTextRecord(record);
  ShowLogTrouble();
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

void MainWindow::ShowLinkIndicator(const QColor& colour) { form_->SetColour(colour); }

QColor MainWindow::LinkIndicator() const { return form_->Colour(); }

void MainWindow::Publish(const std::string& item, const std::string& value) {
  if (liveLink_.IsListening()) {
    liveLink_.SetItem(item, value);
  }
  if (publish) {
    publish(item, value);
  }
}

void MainWindow::SetLiveItem(const std::string& record) {
  liveItem_->setText(Latin1(record));
  Publish("LiveItem", record);
}

void MainWindow::SetLiveData(const std::string& summary) {
  liveData_->setText(Latin1(summary));
  Publish("LiveData", summary);
}

void MainWindow::ShowHeader(const decoding::HeaderFields& header) {
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

void MainWindow::ShowPanels(const decoding::PanelState& panels) { messageArea_->Render(panels); }

void MainWindow::SetStatusStamp(const std::string& stamp) { statusPanels_[1]->setText(Latin1(stamp)); }

void MainWindow::PlaneInserted(std::size_t position, const std::string& address) {
  planes_->insertItem(static_cast<int>(position), Latin1(address));
}

void MainWindow::SetConnectEnabled(bool enabled) { connect_->setEnabled(enabled); }
void MainWindow::SetConnectCaption(const std::string& caption) { connect_->setText(Latin1(caption)); }
void MainWindow::SetConfigEnabled(bool enabled) { config_->setEnabled(enabled); }
void MainWindow::SetModePanel(const std::string& text) { statusPanels_[0]->setText(Latin1(text)); }
void MainWindow::SetStatusPanel(const std::string& text) { statusPanels_[2]->setText(Latin1(text)); }
void MainWindow::ShowError(const std::string& text) { seams_.messageBox(this, Latin1(text)); }

void MainWindow::ConnectionDropped(const std::string& reason) {
  seams_.messageBox(this, "The connection to the card server was lost: " + Latin1(reason));
}

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

// Mouse presses and double clicks on the status panels and the two header
// fields, and the Delete key in the aircraft list.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    for (int i = 0; i < 3; ++i) {
      if (watched != statusPanels_[static_cast<std::size_t>(i)]) {
        continue;
      }
      LastButton = mouse->button() == Qt::RightButton ? 2 : mouse->button() == Qt::MiddleButton ? 4 : 1;
      if (event->type() == QEvent::MouseButtonDblClick) {
        OnStatusPanelDoubleClick(i + 1);
      }
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == vReg_) {
      ToggleRegFilter();
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == vLbl_) {
      ToggleLabelFilter();
    }
  } else if (event->type() == QEvent::KeyPress && watched == planes_ &&
             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    OnPlanesDeleteKey();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

PlaneWindow& MainWindow::EnsurePlaneWindow() {
  if (plane_ == nullptr) {
    plane_ = new PlaneWindow(this, [this](std::int32_t type, const std::string& name, const std::string& address) {
      return database_->PlaneHistory(type, name, address);
    });
  }
  return *plane_;
}

// The history window opens beside the main window with the clicked
// aircraft's day; the list keeps the focus for the Delete key.
void MainWindow::OnPlanesClicked() {
  QListWidgetItem* item = planes_->currentItem();
  if (item == nullptr) {
    return;
  }
  PlaneWindow& plane = EnsurePlaneWindow();
  const QRect frame = frameGeometry();
  plane.resize(plane.width(), height());
  plane.move(frame.right() + 1 + ToPixels(2), frame.top());
  plane.DBName = path_->DBName;
  plane.DBType = path_->DBType;
  plane.Address = Bytes(item->text());
  plane.show();
  plane.raise();
  plane.activateWindow();
  plane.Refill();
  activateWindow();
  planes_->setFocus();
}

// Every stored message of the selected aircraft goes, all days, without a
// question; the history window hides.
void MainWindow::OnPlanesDeleteKey() {
  PlaneWindow& plane = EnsurePlaneWindow();
  plane.hide();
  QListWidgetItem* item = planes_->currentItem();
  if (item == nullptr || !item->isSelected()) {
    return;
  }
  const std::string address = Bytes(item->text());
  database_->DeletePlane(path_->DBType, path_->DBName, address);
  path_->Planes().Remove(address);
  delete planes_->takeItem(planes_->row(item));
}

// Once the main window has left its start-up position, the history window
// follows its right edge.
void MainWindow::DockPlaneWindow() {
  if (plane_ == nullptr || !plane_->isVisible()) {
    return;
  }
  if (ToTwips(x()) == startX_ && ToTwips(y()) == startY_) {
    return;
  }
  const QRect frame = frameGeometry();
  plane_->move(frame.right() + 1 + ToPixels(2), frame.top());
}

// Panel 2 only: a left double click switches compact mode and the topmost
// lock together, a right one the lock alone.
void MainWindow::OnStatusPanelDoubleClick(int panel) {
  if (panel != 2) {
    return;
  }
  Locked = !Locked;
  if (LastButton != 2) {
    if (Locked) {
      EnterCompactMode();
    } else {
      LeaveCompactMode();
    }
  }
  MakeWindowAlwaysTop(this, Locked);
}

// Only the header stays: the base frame goes to the top with the height of
// its header, and the window shrinks to it and the status bar.
void MainWindow::EnterCompactMode() {
  const auto toInt16 = [](int twips) { return static_cast<std::int16_t>(std::clamp(twips, -32768, 32767)); };
  SavedLayout = {toInt16(ToTwips(base_->height())), toInt16(ToTwips(base_->y())), toInt16(ToTwips(height()))};
  base_->setGeometry(base_->x(), 0, base_->width(), kSeparator);
  setFixedSize(width(), statusBar()->height() + kSeparator + base_->y());
  logData_->hide();
}

// Back to the saved layout; before any compaction there is none, and the
// window keeps its size.
void MainWindow::LeaveCompactMode() {
  if (SavedLayout[2] > 0) {
    base_->setGeometry(base_->x(), ToPixels(SavedLayout[1]), base_->width(), ToPixels(SavedLayout[0]));
    setFixedSize(width(), ToPixels(SavedLayout[2]));
  }
  logData_->show();
}

void MainWindow::SetBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void MainWindow::ToggleRegFilter() {
  if (!path_->RegFilter.empty()) {
    path_->RegFilter.clear();
    SetBackground(vReg_, palette().color(QPalette::Button));
  } else if (!vReg_->text().isEmpty()) {
    path_->RegFilter = Bytes(vReg_->text());
    SetBackground(vReg_, QColor(255, 255, 0));
  }
}

// The filter takes the label as the message path compares it: an uplink
// acknowledgement ("_" and DEL as received) compares as "_ ".
void MainWindow::ToggleLabelFilter() {
  if (!path_->LabelFilter.empty()) {
    path_->LabelFilter.clear();
    SetBackground(vLbl_, palette().color(QPalette::Button));
  } else if (!vLbl_->text().isEmpty()) {
    std::string label = path_->CurrentLabel();
    if (label.size() >= 2 && label[1] == '\x7f') {
      label = "_ ";
    }
    path_->LabelFilter = label;
    SetBackground(vLbl_, QColor(255, 255, 0));
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
  config::WriteShutDownSettings(seams_.appName, ToTwips(x()), ToTwips(y()), path_->DBType);
  if (connection_->Connected) {
    connection_->Connected = connection_->ConnectCard(false);
    log_.Close();
  }
  // What waits for the store is written, or kept in the pending file.
  database_->Close();
  liveLink_.Close();
}

}  // namespace corvane::shell
