// The alert list: every message that matched the watch list during the run,
// newest first, with its time, aircraft, flight, the watch entries it
// matched and its text. An alert stays listed until the list is cleared;
// it counts as unseen until the user clicks or opens its row, selects its
// aircraft in the main window's list or marks everything seen.
#pragma once

#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <deque>
#include <string>

namespace corvane::shell {

struct Alert {
  std::string date;     // Date field, YYMMDD
  std::string hour;     // Hour field, HHMMSS.mmm
  std::string address;  // as the aircraft list shows it (card bytes)
  std::string flight;   // card bytes
  std::string entries;  // the watch entries matched, UTF-8, ", " between them
  std::string text;     // the message text, card bytes
  bool seen = false;
};

class AlertList : public QWidget {
  Q_OBJECT

 public:
  // The oldest alerts leave the list beyond this many.
  static constexpr std::size_t kMostKept = 2000;

  explicit AlertList(QWidget* owner);

  void Add(Alert alert);
  // Shows the list on top of the others, un-minimised and active.
  void ShowRaised();
  // Every alert of the aircraft counts as seen.
  void SeeAircraft(const std::string& address);
  void SeeAll();
  void Clear();

  [[nodiscard]] int Unseen() const { return unseen_; }
  [[nodiscard]] bool HasUnseen(const std::string& address) const;
  [[nodiscard]] const std::deque<Alert>& Alerts() const { return alerts_; }

 signals:
  void UnseenChanged(int unseen);
  // Every alert of the aircraft has been seen now.
  void AircraftSeen(const std::string& address);
  // The user opened an alert: its aircraft's day, the message marked.
  void OpenWanted(const std::string& address, const std::string& date, const std::string& hour);

 private:
  void See(int row);
  void ShowSeen(int row);
  void SetUnseen(int unseen);
  void FillRow(QTreeWidgetItem& item, const Alert& alert) const;

  std::deque<Alert> alerts_;  // row i shows alerts_[i]
  int unseen_ = 0;
  QTreeWidget* rows_ = nullptr;
  QPushButton* seeAll_ = nullptr;
  QPushButton* open_ = nullptr;
};

}  // namespace corvane::shell
