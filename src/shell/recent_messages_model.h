// The rows of the Recent messages window: the last messages the window
// received, oldest first, capped. Messages that come in are queued and
// inserted as one batch per turn of the event loop (one beginInsertRows for
// all of them), so a busy station costs the view one update per turn rather
// than one per message. While paused, the rows stay as they are and new
// messages wait (the newest cap of them) until the pause ends.
#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

namespace corvane::shell {

// One received message as the window lists it; texts are card bytes.
struct RecentRow {
  std::string date;     // YYMMDD, UTC
  std::string hour;     // HHMMSS.mmm, UTC
  std::string address;  // without the padding points
  std::string flight;
  std::string label;                // as stored ("_ " for an uplink acknowledgement)
  std::string kind;                 // the readable kind's identifier; empty when not read
  std::string kindTitle;            // the kind in words
  std::string text;                 // the message text, whole
  std::string readable;             // the readable decoding's lines
  std::vector<std::string> alerts;  // the watch list entries it matched
};

inline constexpr std::size_t kRecentRowCap = 2000;

class RecentMessagesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kTime, kAircraft, kFlight, kLabel, kKind, kText, kColumnCount };

  explicit RecentMessagesModel(std::size_t cap = kRecentRowCap, QObject* parent = nullptr);

  // Queues a message; it is inserted at the next turn of the event loop.
  void Add(RecentRow row);
  // Inserts what is queued now (unless paused).
  void Flush();
  void SetPaused(bool paused);
  [[nodiscard]] bool Paused() const { return paused_; }
  // Messages queued and not yet shown.
  [[nodiscard]] std::size_t Waiting() const { return waiting_.size(); }
  [[nodiscard]] const RecentRow& At(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // The count of queued messages changed while paused.
  void WaitingChanged(int waiting);

 private:
  [[nodiscard]] QVariant DisplayText(const RecentRow& row, int column) const;
  void DropOldest(std::size_t count);

  std::size_t cap_;
  std::deque<RecentRow> rows_;
  std::deque<RecentRow> waiting_;
  QTimer flush_;
  bool paused_ = false;
};

// "HH:MM:SS" from an Hour field; the field as it is when it is shorter.
std::string TimeOfDay(const std::string& hour);
// The first line of a text, without its line end.
std::string FirstLine(const std::string& text);

}  // namespace corvane::shell
