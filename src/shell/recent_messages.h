// The Recent messages window: the last messages received, one a row (time
// of day, aircraft, flight, label, readable kind, first line of text; alerts
// in red), a Pause button that holds the list still while messages go on
// arriving, a filter box, and a pane with the readable text of the selected
// row. A double click or Enter on a row asks for that aircraft's day.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QWidget>
#include <string>

#include "shell/recent_messages_model.h"

namespace corvane::shell {

class RecentMessagesWindow : public QWidget {
  Q_OBJECT

 public:
  // The model stays the owner's: it fills while the window is closed.
  RecentMessagesWindow(QWidget* owner, RecentMessagesModel& model);

  [[nodiscard]] QTableView* Table() const { return table_; }
  // The model row a view row shows.
  [[nodiscard]] int ModelRow(int viewRow) const;

 signals:
  // The aircraft's day (a Date field) of the row double-clicked or entered.
  void DayWanted(const std::string& address, const std::string& date);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTable();
  void ShowDetail();
  void OpenDayOfCurrent();
  void ShowWaiting(int waiting);
  void RememberWhetherAtBottom();
  void FollowNewRows();

  RecentMessagesModel& model_;
  QSortFilterProxyModel filter_;
  QPushButton* pause_ = nullptr;
  QLineEdit* filterBox_ = nullptr;
  QTableView* table_ = nullptr;
  QPlainTextEdit* detail_ = nullptr;
  bool atBottom_ = true;
};

// What the detail pane shows of a row: the readable title and lines, a line
// of dashes, the raw text (CR LF line ends, card bytes).
std::string DetailText(const RecentRow& row);

}  // namespace corvane::shell
