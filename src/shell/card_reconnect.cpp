// "Reconnect": with the option on, a lost card server is tried again by
// itself with a growing pause, and the window says what happens in its
// state panel (and on standard error) instead of a message box that would
// wait overnight. With it off, the loss is told in a message box as always.
#include <cstdio>

#include "config/latin1.h"
#include "shell/main_window.h"
#include "shell/window_controls.h"

namespace corvane::shell {

void MainWindow::ConnectionDropped(const std::string& reason) {
  const std::string lost = "The connection to the card server was lost: " + reason;
  receiver_->SetCardLink(false);
  if (settings_.Reconnect == 0) {
    seams_.messageBox(this, config::Latin1(lost));
    return;
  }
  reconnectPause_.Restart();
  ScheduleReconnect(lost);
}

void MainWindow::ScheduleReconnect(const std::string& why) {
  SayConnectionNews(why + "; connecting again in " + std::to_string(reconnectPause_.Seconds()) + " s");
  reconnect_.start(reconnectPause_.Seconds() * 1000);
}

// One attempt, as a click on Connect makes it; its failure is told in the
// state panel, and the next attempt waits twice as long, up to two minutes.
void MainWindow::TryReconnect() {
  if (shutDown_ || connection_->Connected || !connection_->CanConnect) {
    return;
  }
  reconnecting_ = true;
  reconnectError_.clear();
  connection_->ConnectClicked();
  reconnecting_ = false;
  receiver_->SetCardLink(connection_->Connected);
  if (connection_->Connected) {
    SayConnectionNews("Connected to the card server again");
    return;
  }
  reconnectPause_.Failed();
  ScheduleReconnect("Connecting again failed" + (reconnectError_.empty() ? "" : ": " + reconnectError_));
}

void MainWindow::SayConnectionNews(const std::string& text) {
  statusPanels_[2]->setText(config::Latin1(text));
  statusPanels_[2]->setToolTip(config::Latin1(text));
  std::fprintf(stderr, "corvane: %s\n", text.c_str());
}

// While reconnecting by itself, an error goes to the state panel.
void MainWindow::ShowError(const std::string& text) {
  if (reconnecting_) {
    reconnectError_ = text;
    return;
  }
  seams_.messageBox(this, config::Latin1(text));
}

}  // namespace corvane::shell
