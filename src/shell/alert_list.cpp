// The alert list's rows, what counts as seeing an alert, and opening one.
#include "shell/alert_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "config/latin1.h"
#include "shell/message_area.h"
#include "shell/search_results.h"

namespace corvane::shell {

using config::Latin1;

namespace {

enum Column : int { kTime, kAircraft, kFlight, kEntry, kMessage, kColumnCount };

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

AlertList::AlertList(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName("Alerts");
  setWindowTitle("Corvane - Alerts");
  auto* layout = new QVBoxLayout(this);
  rows_ = new QTreeWidget(this);
  rows_->setObjectName("AlertRows");
  rows_->setRootIsDecorated(false);
  rows_->setUniformRowHeights(true);
  rows_->setAllColumnsShowFocus(true);
  rows_->setColumnCount(kColumnCount);
  rows_->setHeaderLabels({"Time", "Aircraft", "Flight", "Watch entry", "Message"});
  rows_->setFont(MessageArea::ValueFont());
  rows_->header()->setStretchLastSection(true);
  for (int column = kTime; column < kMessage; ++column) {
    rows_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  rows_->setToolTip("Bold: not seen yet. Click an alert to mark it seen; double-click to open the aircraft's day");
  layout->addWidget(rows_, 1);
  connect(rows_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { See(rows_->indexOfTopLevelItem(item)); });
  connect(rows_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    const int row = rows_->indexOfTopLevelItem(item);
    See(row);
    const Alert& alert = alerts_.at(static_cast<std::size_t>(row));
    emit OpenWanted(alert.address, alert.date, alert.hour);
  });

  auto* buttons = new QHBoxLayout;
  open_ = MakeButton(this, "OpenAlert", "&Open the aircraft's day");
  seeAll_ = MakeButton(this, "SeeAll", "&Mark all seen");
  auto* clear = MakeButton(this, "ClearAlerts", "C&lear the list");
  connect(open_, &QPushButton::clicked, this, [this] {
    if (QTreeWidgetItem* item = rows_->currentItem()) {
      emit rows_->itemActivated(item, 0);
    }
  });
  connect(seeAll_, &QPushButton::clicked, this, &AlertList::SeeAll);
  connect(clear, &QPushButton::clicked, this, &AlertList::Clear);
  buttons->addWidget(open_);
  buttons->addStretch(1);
  buttons->addWidget(seeAll_);
  buttons->addWidget(clear);
  layout->addLayout(buttons);
  resize(820, 360);
}

void AlertList::FillRow(QTreeWidgetItem& item, const Alert& alert) const {
  decoding::MessageRecord when;
  when.Date = alert.date;
  when.Hour = alert.hour;
  item.setText(kTime, QString::fromStdString(HitTime(when)));
  item.setText(kAircraft, Latin1(alert.address));
  item.setText(kFlight, Latin1(alert.flight));
  item.setText(kEntry, QString::fromStdString(alert.entries));
  item.setText(kMessage, Latin1(FirstLine(alert.text)));
  item.setToolTip(kMessage, Latin1(alert.text));
}

void AlertList::Add(Alert alert) {
  auto* item = new QTreeWidgetItem;
  FillRow(*item, alert);
  rows_->insertTopLevelItem(0, item);
  alerts_.push_front(std::move(alert));
  ShowSeen(0);
  int unseen = unseen_ + (alerts_.front().seen ? 0 : 1);
  while (alerts_.size() > kMostKept) {
    unseen -= alerts_.back().seen ? 0 : 1;
    alerts_.pop_back();
    delete rows_->takeTopLevelItem(rows_->topLevelItemCount() - 1);
  }
  SetUnseen(unseen);
}

void AlertList::ShowRaised() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

bool AlertList::HasUnseen(const std::string& address) const {
  return std::any_of(alerts_.begin(), alerts_.end(),
                     [&](const Alert& alert) { return !alert.seen && alert.address == address; });
}

// Seeing the last unseen alert of an aircraft takes its mark off the list.
void AlertList::See(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= alerts_.size() || alerts_[static_cast<std::size_t>(row)].seen) {
    return;
  }
  Alert& alert = alerts_[static_cast<std::size_t>(row)];
  alert.seen = true;
  ShowSeen(row);
  SetUnseen(unseen_ - 1);
  if (!HasUnseen(alert.address)) {
    emit AircraftSeen(alert.address);
  }
}

void AlertList::SeeAircraft(const std::string& address) {
  for (std::size_t row = 0; row < alerts_.size(); ++row) {
    if (alerts_[row].address == address) {
      See(static_cast<int>(row));
    }
  }
}

void AlertList::SeeAll() {
  for (std::size_t row = 0; row < alerts_.size(); ++row) {
    See(static_cast<int>(row));
  }
}

void AlertList::Clear() {
  SeeAll();
  alerts_.clear();
  rows_->clear();
}

void AlertList::ShowSeen(int row) {
  QTreeWidgetItem* item = rows_->topLevelItem(row);
  QFont font = rows_->font();
  font.setBold(!alerts_[static_cast<std::size_t>(row)].seen);
  for (int column = 0; column < kColumnCount; ++column) {
    item->setFont(column, font);
  }
}

void AlertList::SetUnseen(int unseen) {
  if (unseen != unseen_) {
    unseen_ = unseen;
    emit UnseenChanged(unseen_);
  }
}

}  // namespace corvane::shell
