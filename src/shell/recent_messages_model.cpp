// The Recent messages rows: batched inserts, the cap and the pause.
#include "shell/recent_messages_model.h"

#include <QBrush>
#include <QFont>
#include <array>

#include "config/latin1.h"

namespace corvane::shell {

using config::Latin1;

std::string TimeOfDay(const std::string& hour) {
  if (hour.size() < 6) {
    return hour;
  }
  return hour.substr(0, 2) + ":" + hour.substr(2, 2) + ":" + hour.substr(4, 2);
}

std::string FirstLine(const std::string& text) {
  const std::size_t start = text.find_first_not_of("\r\n");
  if (start == std::string::npos) {
    return {};
  }
  const std::size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

RecentMessagesModel::RecentMessagesModel(std::size_t cap, QObject* parent)
    : QAbstractTableModel(parent), cap_(cap == 0 ? 1 : cap) {
  flush_.setSingleShot(true);
  flush_.setInterval(0);
  connect(&flush_, &QTimer::timeout, this, &RecentMessagesModel::Flush);
}

void RecentMessagesModel::Add(RecentRow row) {
  waiting_.push_back(std::move(row));
  if (waiting_.size() > cap_) {
    waiting_.pop_front();  // older than anything the cap would keep
  }
  if (paused_) {
    emit WaitingChanged(static_cast<int>(waiting_.size()));
  } else if (!flush_.isActive()) {
    flush_.start();
  }
}

void RecentMessagesModel::Flush() {
  if (paused_ || waiting_.empty()) {
    return;
  }
  const std::size_t total = rows_.size() + waiting_.size();
  if (total > cap_) {
    DropOldest(total - cap_);
  }
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(waiting_.size()) - 1);
  for (RecentRow& row : waiting_) {
    rows_.push_back(std::move(row));
  }
  waiting_.clear();
  endInsertRows();
}

void RecentMessagesModel::DropOldest(std::size_t count) {
  count = std::min(count, rows_.size());
  if (count == 0) {
    return;
  }
  beginRemoveRows({}, 0, static_cast<int>(count) - 1);
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(count));
  endRemoveRows();
}

void RecentMessagesModel::SetPaused(bool paused) {
  paused_ = paused;
  if (!paused_) {
    Flush();
  }
  emit WaitingChanged(static_cast<int>(waiting_.size()));
}

int RecentMessagesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecentMessagesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant RecentMessagesModel::DisplayText(const RecentRow& row, int column) const {
  switch (column) {
    case kTime:
      return Latin1(TimeOfDay(row.hour));
    case kAircraft:
      return Latin1(row.address);
    case kFlight:
      return Latin1(row.flight);
    case kLabel:
      return Latin1(row.label);
    case kKind:
      return Latin1(row.kindTitle);
    case kText:
      return Latin1(FirstLine(row.text));
    default:
      return {};
  }
}

QVariant RecentMessagesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) {
    return {};
  }
  const RecentRow& row = At(index.row());
  const bool alert = !row.alerts.empty();
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(row, index.column());
    case Qt::ForegroundRole:
      return alert ? QVariant(QBrush(QColor(0xc0, 0, 0))) : QVariant();
    case Qt::FontRole:
      if (alert) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ToolTipRole: {
      QStringList lines;
      if (index.column() == kKind && !row.kind.empty()) {
        lines << Latin1(row.kind);
      }
      if (alert) {
        QStringList entries;
        for (const std::string& entry : row.alerts) {
          entries << Latin1(entry);
        }
        lines << "Alert: " + entries.join(", ");
      }
      return lines.isEmpty() ? QVariant() : QVariant(lines.join("\n"));
    }
    default:
      return {};
  }
}

QVariant RecentMessagesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return {};
  }
  static const std::array<const char*, kColumnCount> kHeadings = {"Time",  "Aircraft", "Flight",
                                                                  "Label", "Kind",     "Text"};
  return section >= 0 && section < kColumnCount ? QVariant(kHeadings[static_cast<std::size_t>(section)]) : QVariant();
}

}  // namespace corvane::shell
