// The aircraft history window: one for the whole run, beside the main
// window, showing the stored messages of one aircraft for the current UTC
// day. It refills itself each time it becomes active.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

namespace corvane::shell {

class PlaneWindow : public QWidget {
  Q_OBJECT

 public:
  // history(DBType, DBName, address) gives the day's history text.
  using History = std::function<std::string(std::int32_t, const std::string&, const std::string&)>;

  PlaneWindow(QWidget* owner, History history);

  std::string Address;
  std::string DBName;
  std::int32_t DBType = 0;

  // Caption, history text, caret at the end: what every activation does.
  void Refill();

 protected:
  bool event(QEvent* event) override;

 private:
  History history_;
  QPlainTextEdit* info_ = nullptr;
};

}  // namespace corvane::shell
