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
  if (!SelectMarked()) {
    info_->moveCursor(QTextCursor::End);
  }
}

// A message of the history starts with a line "YYMMDD HHMMSS.mmm: flight"
// and ends with "--" at a line's end; the first of that hour is selected
// and scrolled into view.
bool PlaneWindow::SelectMarked() {
  if (Mark.empty()) {
    return false;
  }
  const QString text = info_->toPlainText();
  const QString head = Latin1(Day) + ' ' + Latin1(Mark) + ':';
  qsizetype start = text.startsWith(head) ? 0 : text.indexOf('\n' + head);
  if (start < 0) {
    return false;
  }
  start += text.at(start) == '\n' ? 1 : 0;
  qsizetype end = text.indexOf("--\n", start + head.size());
  end = end < 0 ? text.size() : end + 2;
  QTextCursor cursor = info_->textCursor();
  cursor.setPosition(static_cast<int>(end));
  cursor.setPosition(static_cast<int>(start), QTextCursor::KeepAnchor);
  info_->setTextCursor(cursor);
  info_->ensureCursorVisible();
  return true;
}

QString PlaneWindow::MarkedText() const { return info_->textCursor().selectedText(); }

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
