// The Recent messages window's controls: the table over the filtered model,
// following the newest row unless the user scrolled up or paused, and the
// detail pane of the selected row.
#include "shell/recent_messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include "config/latin1.h"
#include "shell/message_area.h"

namespace corvane::shell {

using config::Latin1;

namespace {

constexpr int kRowHeight = 18;
constexpr std::array<int, RecentMessagesModel::kColumnCount - 1> kColumnWidths = {76, 72, 64, 44, 200};

}  // namespace

std::string DetailText(const RecentRow& row) {
  std::string detail;
  if (!row.kindTitle.empty()) {
    detail += row.kindTitle + "\r\n" + row.readable + std::string(56, '-') + "\r\n";
  }
  return detail + (row.text.empty() ? "(no text)" : row.text);
}

RecentMessagesWindow::RecentMessagesWindow(QWidget* owner, RecentMessagesModel& model)
    : QWidget(owner, Qt::Window), model_(model) {
  setObjectName("RecentMessages");
  setWindowTitle("Recent messages");
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  pause_ = new QPushButton("&Pause", this);
  pause_->setObjectName("Pause");
  pause_->setCheckable(true);
  pause_->setToolTip("Hold the list still; new messages wait and come in when the pause ends");
  filterBox_ = new QLineEdit(this);
  filterBox_->setObjectName("Filter");
  filterBox_->setPlaceholderText("Filter: aircraft, flight, label, kind or text");
  filterBox_->setClearButtonEnabled(true);
  bar->addWidget(pause_);
  bar->addWidget(filterBox_, 1);
  layout->addLayout(bar);

  auto* split = new QSplitter(Qt::Vertical, this);
  table_ = new QTableView(split);
  detail_ = new QPlainTextEdit(split);
  detail_->setObjectName("Detail");
  detail_->setReadOnly(true);
  detail_->setFont(MessageArea::TerminalFont());
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 1);
  BuildTable();

  connect(pause_, &QPushButton::toggled, &model_, &RecentMessagesModel::SetPaused);
  connect(&model_, &RecentMessagesModel::WaitingChanged, this, &RecentMessagesWindow::ShowWaiting);
  connect(filterBox_, &QLineEdit::textChanged, &filter_, &QSortFilterProxyModel::setFilterFixedString);
  resize(720, 480);
}

// Fixed row heights and column widths: the view never measures the rows'
// contents, which is what keeps inserting cheap.
void RecentMessagesWindow::BuildTable() {
  filter_.setSourceModel(&model_);
  filter_.setFilterKeyColumn(-1);
  filter_.setFilterCaseSensitivity(Qt::CaseInsensitive);
  table_->setObjectName("Messages");
  table_->setModel(&filter_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setFont(MessageArea::ValueFont());
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  for (std::size_t column = 0; column < kColumnWidths.size(); ++column) {
    table_->setColumnWidth(static_cast<int>(column), kColumnWidths[column]);
  }
  table_->horizontalHeader()->setStretchLastSection(true);

  table_->installEventFilter(this);
  connect(table_, &QTableView::doubleClicked, this, &RecentMessagesWindow::OpenDayOfCurrent);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RecentMessagesWindow::ShowDetail);
  connect(&filter_, &QAbstractItemModel::rowsAboutToBeInserted, this, &RecentMessagesWindow::RememberWhetherAtBottom);
  connect(&filter_, &QAbstractItemModel::rowsInserted, this, &RecentMessagesWindow::FollowNewRows);
}

// Enter (or Return) on the table opens the current row's day.
bool RecentMessagesWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenDayOfCurrent();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

int RecentMessagesWindow::ModelRow(int viewRow) const { return filter_.mapToSource(filter_.index(viewRow, 0)).row(); }

void RecentMessagesWindow::ShowDetail() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) {
    detail_->clear();
    return;
  }
  detail_->setPlainText(Latin1(DetailText(model_.At(ModelRow(current.row())))));
}

void RecentMessagesWindow::OpenDayOfCurrent() {
  const QModelIndex current = table_->currentIndex();
  if (current.isValid()) {
    const RecentRow& row = model_.At(ModelRow(current.row()));
    emit DayWanted(row.address, row.date);
  }
}

void RecentMessagesWindow::ShowWaiting(int waiting) {
  pause_->setText(model_.Paused() ? QString("&Resume (%1 new)").arg(waiting) : QString("&Pause"));
}

void RecentMessagesWindow::RememberWhetherAtBottom() {
  const QScrollBar* bar = table_->verticalScrollBar();
  atBottom_ = bar->value() >= bar->maximum();
}

// The newest row stays in sight while the user has not scrolled away.
void RecentMessagesWindow::FollowNewRows() {
  if (atBottom_) {
    table_->scrollToBottom();
  }
}

}  // namespace corvane::shell
