// The main window's alerts: a message that matched the watch list is framed
// in the message area, listed in the alert list, counted beside the status
// bar until seen, and its aircraft marked in the aircraft list in a colour
// of its own until the user selects it or opens its alerts; a beep and a
// desktop notification when the settings ask. The store's refusal to take
// messages has its own sign in the status bar, apart from the alerts.
#include <QApplication>
#include <QStatusBar>
#include <QStyle>

#include "config/latin1.h"
#include "shell/alert_list.h"
#include "shell/alert_notice.h"
#include "shell/main_window.h"
#include "shell/message_area.h"
#include "shell/window_controls.h"

namespace corvane::shell {

using config::Latin1;

namespace {

// An aircraft with alerts not yet seen: amber behind dark text, so that it
// stands apart from the red the window uses for trouble.
const QColor kAlertedBackground(0xff, 0xd5, 0x80);
const QColor kAlertedText(0x5a, 0x32, 0x00);
constexpr const char* kStoreTroubleTip =
    "The store does not take messages now (%1); they wait and are written when it takes them again";

QString JoinedEntries(const std::vector<std::string>& entries) {
  QString joined;
  for (const std::string& entry : entries) {
    joined += (joined.isEmpty() ? "" : ", ") + QString::fromStdString(entry);
  }
  return joined;
}

}  // namespace

void MainWindow::BuildAlertIndicators() {
  QStatusBar* bar = statusBar();
  notice_ = new AlertNotice(this);
  storeTrouble_ = new QLabel(bar);
  storeTrouble_->setObjectName("StoreTrouble");
  const int side = bar->fontMetrics().height();
  storeTrouble_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
  storeTrouble_->hide();
  bar->addPermanentWidget(storeTrouble_);
  alertCount_ = new QToolButton(bar);
  alertCount_->setObjectName("AlertCount");
  alertCount_->setAutoRaise(true);
  alertCount_->setToolTip("Messages that matched the watch list: click to open the list of alerts");
  alertCount_->hide();
  bar->addPermanentWidget(alertCount_);
  connect(alertCount_, &QToolButton::clicked, this, &MainWindow::ShowAlertList);
}

void MainWindow::UseAlertNotice(bool sound, bool notify) {
  alertSound_ = sound;
  alertNotify_ = notify;
}

void MainWindow::TakeAlertNotice(bool sound, bool notify) {
  if (sound != alertSound_ || notify != alertNotify_) {
    UseAlertNotice(sound, notify);
    config::WriteAlertNotice(seams_.appName, sound, notify);
  }
}

int MainWindow::UnseenAlerts() const { return alerts_ == nullptr ? 0 : alerts_->Unseen(); }

AlertList& MainWindow::EnsureAlertList() {
  if (alerts_ == nullptr) {
    alerts_ = new AlertList(this);
    connect(alerts_, &AlertList::UnseenChanged, this, &MainWindow::ShowAlertCount);
    connect(alerts_, &AlertList::AircraftSeen, this, &MainWindow::TakeOffPlaneMark);
    connect(alerts_, &AlertList::OpenWanted, this,
            [this](const std::string& address, const std::string& date, const std::string& hour) {
              ShowPlaneWindow(address, date, hour, alerts_);
            });
  }
  return *alerts_;
}

void MainWindow::ShowAlertList() { EnsureAlertList().ShowRaised(); }

// The count stays once there were alerts, so that the list can be opened
// again; it stands out only while some are unseen.
void MainWindow::ShowAlertCount(int unseen) {
  alertCount_->setText(unseen == 0   ? QString("Alerts")
                       : unseen == 1 ? QString("1 alert")
                                     : QString("%1 alerts").arg(unseen));
  alertCount_->setStyleSheet(unseen == 0 ? QString() : QString("color: #8a4b00; font-weight: bold"));
  alertCount_->show();
}

void MainWindow::ShowAlertsOfLast() {
  const decoding::ReadMessage* message = Path().LastMessage();
  // Each record once: one dropped before the path leaves the last message's
  // alerts in place, and they are not counted again.
  const bool newRecord = receiver_->RecordsHandled() != alertsShownFor_;
  alertsShownFor_ = receiver_->RecordsHandled();
  if (!newRecord || message == nullptr || receiver_->WatchList().Empty()) {
    return;
  }
  const std::vector<std::string>& matched = receiver_->AlertsOfLast();
  if (Path().LastShown()) {
    messageArea_->MarkAlert(!matched.empty());
  }
  if (matched.empty()) {
    return;
  }
  const decoding::MessageRecord& record = message->record;
  const QString entries = JoinedEntries(matched);
  EnsureAlertList().Add({record.Date, record.Hour, record.Address, record.Flight, entries.toStdString(), record.Data});
  MarkAlertedPlane(record.Address, entries);
  notice_->SetSound(alertSound_);
  notice_->SetNotify(alertNotify_);
  const QString flight = record.Flight.empty() ? QString() : " " + Latin1(record.Flight);
  notice_->Tell("Corvane alert: " + Latin1(record.Address) + flight, entries);
}

void MainWindow::MarkAlertedPlane(const std::string& address, const QString& entries) {
  for (QListWidgetItem* item : planes_->findItems(Latin1(address), Qt::MatchExactly)) {
    item->setBackground(kAlertedBackground);
    item->setForeground(kAlertedText);
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setToolTip("Alert: " + entries);
  }
}

void MainWindow::TakeOffPlaneMark(const std::string& address) {
  for (QListWidgetItem* item : planes_->findItems(Latin1(address), Qt::MatchExactly)) {
    item->setData(Qt::BackgroundRole, QVariant());
    item->setData(Qt::ForegroundRole, QVariant());
    item->setData(Qt::FontRole, QVariant());
    item->setData(Qt::ToolTipRole, QVariant());
  }
}

// Selecting an aircraft in the list is seeing its alerts.
void MainWindow::SeePlane(const std::string& address) {
  if (alerts_ != nullptr) {
    alerts_->SeeAircraft(address);
  }
}

// A store that refuses writes shows a warning sign in the status bar, with
// the reason in its tooltip, until every message that waited is written;
// the messages wait meanwhile (and the history shows them).
void MainWindow::ShowStoreTrouble() {
  const auto status = receiver_->StoreStatus();
  const std::string trouble = status && status->refusing ? status->reason : std::string();
  if (trouble == shownStoreTrouble_) {
    return;
  }
  shownStoreTrouble_ = trouble;
  storeTrouble_->setToolTip(QString(kStoreTroubleTip).arg(QString::fromLocal8Bit(trouble.c_str())));
  storeTrouble_->setVisible(!trouble.empty());
}

}  // namespace corvane::shell
