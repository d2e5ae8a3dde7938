// The history window's contents and its refill on activation.
#include "shell/plane_window.h"

#include <QEvent>
#include <QVBoxLayout>

#include "config/latin1.h"
#include "shell/message_area.h"

namespace corvane::shell {

using config::Latin1;

PlaneWindow::PlaneWindow(QWidget* owner, History history) : QWidget(owner, Qt::Window), history_(std::move(history)) {
  setObjectName("Plane");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  info_ = new QPlainTextEdit(this);
  info_->setObjectName("Info");
  info_->setReadOnly(true);
  info_->setFont(MessageArea::TerminalFont());
  info_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(info_);
  resize(420, 300);
}

void PlaneWindow::Refill() {
  setWindowTitle("Plane information for " + Latin1(Address));
  const std::string text = history_ ? history_(DBType, DBName, Address) : std::string();
  info_->setPlainText(Latin1(text));
  info_->moveCursor(QTextCursor::End);
}

bool PlaneWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    Refill();
  }
  return QWidget::event(event);
}

}  // namespace corvane::shell
