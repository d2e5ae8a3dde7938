// The history window's contents, its waiting state and its refill on
// activation.
#include "shell/plane_window.h"

#include <QEvent>
#include <QVBoxLayout>

#include "config/latin1.h"
#include "shell/message_area.h"
#include "shell/search_results.h"

namespace corvane::shell {

using config::Latin1;

PlaneWindow::PlaneWindow(QWidget* owner, std::function<void()> refillWanted)
    : QWidget(owner, Qt::Window), refillWanted_(std::move(refillWanted)) {
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

QString PlaneWindow::Caption() const {
  const QString caption = "Plane information for " + Latin1(Address);
  return Day.empty() ? caption : caption + " on " + Latin1(DayText(Day));
}

void PlaneWindow::Refill() {
  if (refillWanted_) {
    refillWanted_();
  }
}

void PlaneWindow::ShowHistory(const std::string& text) {
  waiting_ = false;
  shownAddress_ = Address;
  shownDay_ = Day;
  setWindowTitle(Caption());
  info_->setPlainText(Latin1(text));
  info_->moveCursor(QTextCursor::End);
}

void PlaneWindow::ShowWaiting() {
  waiting_ = true;
  if (Address != shownAddress_ || Day != shownDay_) {
    info_->clear();
    shownAddress_ = Address;
    shownDay_ = Day;
  }
  setWindowTitle(Caption() + " (reading the store...)");
}

void PlaneWindow::ShowNoAnswer(const QString& why) {
  waiting_ = false;
  shownAddress_.clear();
  setWindowTitle(Caption());
  info_->setPlainText(why);
}

bool PlaneWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    Refill();
  }
  return QWidget::event(event);
}

}  // namespace corvane::shell
