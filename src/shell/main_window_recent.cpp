// The main window's Recent messages window, and the Alerts action that
// opens the alert list: every message the receiver accepts becomes a row of
// the recent messages (kept while the window is closed, so opening it shows
// the last ones), and a row opens its aircraft's day in the history window.
#include "shell/main_window.h"
#include "shell/message_area.h"
#include "shell/recent_messages.h"

namespace corvane::shell {

void MainWindow::BuildRecentAndAlertActions() {
  recentModel_ = new RecentMessagesModel(kRecentRowCap, this);
  connect(receiver_.get(), &receiver::Receiver::MessageAccepted, this, &MainWindow::AddRecentMessage);
  recentAction_ = new QAction("Recent messages", this);
  recentAction_->setObjectName("RecentAction");
  recentAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  connect(recentAction_, &QAction::triggered, this, &MainWindow::OpenRecentMessages);
  addAction(recentAction_);
  messageArea_->AddWindowAction(recentAction_);
  alertsAction_ = new QAction("Alerts", this);
  alertsAction_->setObjectName("AlertsAction");
  alertsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  connect(alertsAction_, &QAction::triggered, this, &MainWindow::ShowAlertList);
  addAction(alertsAction_);
  messageArea_->AddWindowAction(alertsAction_);
}

void MainWindow::AddRecentMessage() {
  const decoding::ReadMessage* message = Path().LastMessage();
  if (message == nullptr) {
    return;
  }
  const decoding::MessageRecord& record = message->record;
  RecentRow row{record.Date, record.Hour, record.Address, record.Flight, record.Label, {}, {}, record.Data, {}, {}};
  if (const readable::Decoding* decoding = Receiver().ReadableOfLast()) {
    row.kind = decoding->kind;
    row.kindTitle = decoding->title;
    row.readable = decoding->text;
  }
  if (!Receiver().WatchList().Empty()) {
    row.alerts = Receiver().AlertsOfLast();
  }
  recentModel_->Add(std::move(row));
}

void MainWindow::OpenRecentMessages() {
  if (recent_ == nullptr) {
    recent_ = new RecentMessagesWindow(this, *recentModel_);
    connect(recent_, &RecentMessagesWindow::DayWanted, this,
            [this](const std::string& address, const std::string& date) { ShowPlaneWindow(address, date); });
  }
  recent_->show();
  recent_->raise();
  recent_->activateWindow();
}

}  // namespace corvane::shell
