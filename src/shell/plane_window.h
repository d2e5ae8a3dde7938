// The aircraft history window: one for the whole run, beside the main
// window, showing the stored messages of one aircraft for the current UTC
// day (or the day the Search or alert list asked for, with its message
// marked). Each time it becomes active it asks for its text again; the store is
// read off the window's thread, so the window says when it waits for the
// store and when the store did not answer in time.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <string>

namespace corvane::shell {

class PlaneWindow : public QWidget {
  Q_OBJECT

 public:
  // refillWanted asks the owner for the shown aircraft's day.
  PlaneWindow(QWidget* owner, std::function<void()> refillWanted);

  // The aircraft shown, and its day as a Date field (YYMMDD); an empty day
  // is today.
  std::string Address;
  std::string Day;
  // The Hour field of the message to mark in the day (empty: none); the
  // history then opens selected on it instead of at its end.
  std::string Mark;

  // Asks for the history again: what every activation does.
  void Refill();
  // Caption, history text, caret at the end.
  void ShowHistory(const std::string& text);
  // The caption says that the store is being read; the text stays while it
  // is the same aircraft's.
  void ShowWaiting();
  // The store did not answer in time: the text says so and why it may be.
  void ShowNoAnswer(const QString& why);
  [[nodiscard]] bool IsWaiting() const { return waiting_; }
  // The text of the marked message as selected; empty when none is.
  [[nodiscard]] QString MarkedText() const;

 protected:
  bool event(QEvent* event) override;

 private:
  [[nodiscard]] QString Caption() const;
  bool SelectMarked();

  std::function<void()> refillWanted_;
  QPlainTextEdit* info_ = nullptr;
  bool waiting_ = false;
  std::string shownAddress_;  // whose history the text is, and of which day
  std::string shownDay_;
};

}  // namespace corvane::shell
