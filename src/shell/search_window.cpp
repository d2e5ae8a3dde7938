// The Search window's controls, its searches on the background worker and
// what it shows of their answers.
#include "shell/search_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSaveFile>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <exception>

#include "config/latin1.h"
#include "shell/main_window.h"
#include "shell/message_area.h"
#include "shell/search_results.h"

namespace corvane::shell {

using config::Bytes;
using config::Latin1;
namespace search = store::search;

namespace {

// The results list's columns, in order.
enum Column : int { kTime, kStation, kTail, kFlight, kLabel, kKind, kEntry, kText, kColumnCount };
// The columns hidden while no message found fills them.
constexpr std::array<Column, 4> kColumnsShownWhenFilled = {kStation, kFlight, kKind, kEntry};
// Where each row keeps the number of its hit, which sorting does not change.
constexpr int kHitRole = Qt::UserRole;

// A row sorts by its time as the store numbered the messages (newer
// larger, which also orders the messages of one second), by its text in the
// other columns.
class HitItem : public QTreeWidgetItem {
 public:
  HitItem(QTreeWidget* parent, long long id) : QTreeWidgetItem(parent), id_(id) {}
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : kTime;
    if (column == kTime) {
      return id_ < static_cast<const HitItem&>(other).id_;
    }
    return QTreeWidgetItem::operator<(other);
  }

 private:
  long long id_;
};

// Ctrl+C (the platform's copy keys) copies whole rows, not the current cell.
class ResultsTree : public QTreeWidget {
 public:
  ResultsTree(QWidget* parent, std::function<void()> copy) : QTreeWidget(parent), copy_(std::move(copy)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      copy_();
      event->accept();
      return;
    }
    QTreeWidget::keyPressEvent(event);
  }

 private:
  std::function<void()> copy_;
};

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QString FoundText(std::uint64_t count) {
  return count == 1 ? QString("1 message found") : QString("%1 messages found").arg(count);
}

}  // namespace

SearchWindow::SearchWindow(QWidget* owner, receiver::BackgroundCalls& worker, SearchWindowHooks hooks)
    : QWidget(owner, Qt::Window), worker_(worker), hooks_(std::move(hooks)) {
  setObjectName("Search");
  setWindowTitle("Corvane - Search");
  BuildControls();
  resize(900, 600);
  ShowStatus();
  UpdateButtons();
}

// Escape closes the window, as it does a dialog; the query box and the list
// leave it to the window.
void SearchWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void SearchWindow::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  queryBox_ = new QLineEdit(this);
  queryBox_->setObjectName("Query");
  queryBox_->setPlaceholderText(
      "words, \"a phrase\", flight:BA306, tail:N123UA, label:H1, has:position, from:2026-12-01");
  queryBox_->setClearButtonEnabled(true);
  connect(queryBox_, &QLineEdit::returnPressed, this, &SearchWindow::StartSearch);
  layout->addWidget(queryBox_);

  status_ = new QLabel(this);
  status_->setObjectName("SearchStatus");
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  layout->addWidget(status_);

  results_ = new ResultsTree(this, [this] { CopySelectedRows(); });
  results_->setObjectName("Results");
  results_->setRootIsDecorated(false);
  results_->setUniformRowHeights(true);
  results_->setAllColumnsShowFocus(true);
  results_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  results_->setColumnCount(kColumnCount);
  results_->setHeaderLabels({"Time", "Station", "Tail", "Flight", "Label", "Kind", "Watch entry", "Text"});
  results_->setFont(MessageArea::ValueFont());
  results_->header()->setStretchLastSection(true);
  for (int column = kTime; column < kText; ++column) {
    results_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  results_->setSortingEnabled(true);
  results_->sortByColumn(kTime, Qt::DescendingOrder);
  HideEmptyColumns();
  connect(results_, &QTreeWidget::currentItemChanged, this, [this] {
    ShowChosen();
    UpdateButtons();
  });
  connect(results_, &QTreeWidget::itemActivated, this, [this] { OpenChosenDay(); });

  chosen_ = new QPlainTextEdit(this);
  chosen_->setObjectName("Chosen");
  chosen_->setReadOnly(true);
  chosen_->setFont(MessageArea::TerminalFont());

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(results_);
  split->addWidget(chosen_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  layout->addWidget(split, 1);

  auto* buttons = new QHBoxLayout;
  more_ = MakeButton(this, "More", "&More");
  openDay_ = MakeButton(this, "OpenDay", "&Open the aircraft's day");
  export_ = MakeButton(this, "Export", "&Export...");
  connect(more_, &QPushButton::clicked, this, &SearchWindow::FetchMore);
  connect(openDay_, &QPushButton::clicked, this, &SearchWindow::OpenChosenDay);
  connect(export_, &QPushButton::clicked, this, &SearchWindow::ExportWithDialog);
  buttons->addWidget(more_);
  buttons->addStretch(1);
  buttons->addWidget(openDay_);
  buttons->addWidget(export_);
  layout->addLayout(buttons);
}

// A query that cannot be read, or no store to search, is said at once; a
// readable one starts a new generation whose first page and count are
// asked of the store, in that order.
void SearchWindow::SearchFor(const QString& query) {
  queryBox_->setText(query);
  StartSearch();
}

void SearchWindow::StartSearch() {
  ++generation_;
  ClearResults();
  query_.reset();
  const search::ParsedQuery parsed = search::ParseQuery(Bytes(queryBox_->text()));
  if (!parsed.query) {
    failure_ = "The query cannot be read: " + Latin1(search::DescribeError(*parsed.error));
  } else if (target_ = hooks_.target(); target_.database == nullptr) {
    failure_ = target_.why;
  } else {
    query_ = parsed.query;
    search::StationNamesAsUtf8(*query_);
    query_->ownStation = target_.ownStation;
    AskForPage(std::nullopt);
    AskForCount(*query_);
  }
  ShowStatus();
  UpdateButtons();
}

void SearchWindow::FetchMore() {
  if (query_ && nextBeforeId_ && !pagePending_) {
    AskForPage(nextBeforeId_);
    ShowStatus();
    UpdateButtons();
  }
}

void SearchWindow::AskForPage(std::optional<long long> beforeId) {
  pagePending_ = true;
  search::SearchRequest request{*query_, kPageSize, beforeId};
  worker_.Run(
      [target = target_, request = std::move(request)] {
        PageAnswer answer;
        try {
          answer.page = target.database->Search(target.type, target.name, request);
        } catch (const std::exception& failure) {
          answer.failure = failure.what();
        }
        return answer;
      },
      this, [this, generation = generation_](PageAnswer answer) { TakePage(generation, std::move(answer)); });
  WatchForSlowStore(generation_);
}

void SearchWindow::AskForCount(const search::Query& query) {
  countPending_ = true;
  worker_.Run(
      [target = target_, query] {
        CountAnswer answer;
        try {
          answer.count = target.database->CountMatches(target.type, target.name, query);
        } catch (const std::exception& failure) {
          answer.failure = failure.what();
        }
        return answer;
      },
      this, [this, generation = generation_](CountAnswer answer) { TakeCount(generation, std::move(answer)); });
}

// The store's own limits end a call that waits on a lock; until then the
// window says that the store is slow, and goes on.
void SearchWindow::WatchForSlowStore(std::uint64_t generation) {
  QTimer::singleShot(kStoreAnswerLimit, this, [this, generation] {
    if (generation == generation_ && IsSearching()) {
      slow_ = true;
      ShowStatus();
    }
  });
}

void SearchWindow::TakePage(std::uint64_t generation, PageAnswer answer) {
  if (generation != generation_) {
    return;  // an older search's answer
  }
  pagePending_ = false;
  slow_ = false;
  if (!answer.page) {
    failure_ = "The store could not be searched: " + QString::fromStdString(answer.failure);
  } else {
    nextBeforeId_ = answer.page->nextBeforeId;
    const bool first = hits_.empty();
    results_->setSortingEnabled(false);  // sorted once, after the page
    for (auto& hit : answer.page->hits) {
      hits_.push_back(std::move(hit));
      AddRow(hits_.back());
    }
    results_->setSortingEnabled(true);
    HideEmptyColumns();
    if (first && !hits_.empty()) {
      results_->setCurrentItem(results_->topLevelItem(0));
    }
  }
  ShowStatus();
  UpdateButtons();
}

void SearchWindow::TakeCount(std::uint64_t generation, CountAnswer answer) {
  if (generation != generation_) {
    return;
  }
  countPending_ = false;
  slow_ = false;
  if (answer.count) {
    count_ = answer.count;
  } else if (failure_.isEmpty()) {
    failure_ = "The store could not count the messages found: " + QString::fromStdString(answer.failure);
  }
  ShowStatus();
}

void SearchWindow::ClearResults() {
  hits_.clear();
  results_->clear();
  HideEmptyColumns();
  chosen_->clear();
  nextBeforeId_.reset();
  count_.reset();
  pagePending_ = false;
  countPending_ = false;
  slow_ = false;
  failure_.clear();
}

void SearchWindow::AddRow(const search::SearchHit& hit) {
  const auto& r = hit.record;
  auto* item = new HitItem(results_, hit.id);
  item->setData(kTime, kHitRole, QVariant::fromValue(hits_.size() - 1));
  item->setText(kTime, QString::fromStdString(HitTime(r)));
  item->setText(kStation, QString::fromStdString(hit.station));
  item->setText(kTail, Latin1(HitTail(r)));
  item->setText(kFlight, Latin1(r.Flight));
  item->setText(kLabel, Latin1(r.Label));
  item->setText(kKind, QString::fromStdString(hit.kind));
  item->setText(kEntry, QString::fromStdString(AlertEntries(hit.alerts)));
  item->setText(kText, Latin1(FirstLine(r.Data)));
}

const search::SearchHit* SearchWindow::Chosen() const {
  const QTreeWidgetItem* item = results_->currentItem();
  if (item == nullptr) {
    return nullptr;
  }
  const auto at = item->data(kTime, kHitRole).value<std::size_t>();
  return at < hits_.size() ? &hits_[at] : nullptr;
}

void SearchWindow::HideEmptyColumns() {
  for (const Column column : kColumnsShownWhenFilled) {
    bool filled = false;
    for (int row = 0; row < results_->topLevelItemCount() && !filled; ++row) {
      filled = !results_->topLevelItem(row)->text(column).isEmpty();
    }
    results_->setColumnHidden(column, !filled);
  }
}

QString SearchWindow::SelectedRowsText() const {
  QList<QTreeWidgetItem*> selected = results_->selectedItems();
  std::sort(selected.begin(), selected.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return results_->indexOfTopLevelItem(a) < results_->indexOfTopLevelItem(b);
  });
  std::vector<std::vector<std::string>> rows;
  for (const QTreeWidgetItem* item : selected) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int shown = 0; shown < kColumnCount; ++shown) {
      const int column = results_->header()->logicalIndex(shown);
      if (!results_->isColumnHidden(column)) {
        cells.push_back(item->text(column).toStdString());
      }
    }
  }
  return QString::fromStdString(TabSeparated(rows));
}

void SearchWindow::CopySelectedRows() const {
  if (const QString text = SelectedRowsText(); !text.isEmpty()) {
    QGuiApplication::clipboard()->setText(text);
  }
}

// The readable lines above a line of dashes, then the raw text, as the main
// window's "Readable text" shows a message.
void SearchWindow::ShowChosen() {
  const search::SearchHit* hit = Chosen();
  if (hit == nullptr) {
    chosen_->clear();
    return;
  }
  std::string text = ReadableLines(*hit);
  if (!text.empty()) {
    text += std::string(56, '-') + "\r\n";
  }
  text += hit->record.Data;
  chosen_->setPlainText(Latin1(text));
}

void SearchWindow::OpenChosenDay() {
  const search::SearchHit* hit = Chosen();
  if (hit != nullptr && !hit->record.Address.empty() && hooks_.openDay) {
    hooks_.openDay(hit->record.Address, hit->record.Date, hit->record.Hour);
  }
}

void SearchWindow::ShowStatus() {
  QString text;
  if (!failure_.isEmpty()) {
    text = failure_;
  } else if (slow_) {
    text = QString("searching... the store has not answered for %1 seconds; another program may hold it locked")
               .arg(kStoreAnswerLimit.count() / 1000);
  } else if (IsSearching()) {
    text = hits_.empty() ? QString("searching...") : QString("searching... %1 shown").arg(hits_.size());
  } else if (count_) {
    text = FoundText(*count_);
    if (*count_ > hits_.size()) {
      text += QString(", %1 shown").arg(hits_.size());
    }
  }
  status_->setText(text);
}

void SearchWindow::UpdateButtons() {
  more_->setEnabled(query_ && nextBeforeId_ && !pagePending_);
  const search::SearchHit* hit = Chosen();
  openDay_->setEnabled(hit != nullptr && !hit->record.Address.empty());
  export_->setEnabled(!hits_.empty());
}

QString SearchWindow::ExportTo(const QString& path) const {
  const std::string content = WantsJsonLines(path.toStdString()) ? HitsJsonLines(hits_) : HitsCsv(hits_);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return file.errorString();
  }
  file.write(content.data(), static_cast<qint64>(content.size()));
  if (!file.commit()) {
    return file.errorString();
  }
  return {};
}

// A name without an extension gets the one of the chosen format.
void SearchWindow::ExportWithDialog() {
  const QString csv = "CSV (*.csv)";
  const QString jsonLines = "JSON lines (*.jsonl)";
  QString chosenFilter;
  QString path = QFileDialog::getSaveFileName(this, "Export the results", "corvane-search.csv", csv + ";;" + jsonLines,
                                              &chosenFilter);
  if (path.isEmpty()) {
    return;
  }
  if (QFileInfo(path).suffix().isEmpty()) {
    path += chosenFilter == jsonLines ? ".jsonl" : ".csv";
  }
  const QString why = ExportTo(path);
  if (!why.isEmpty()) {
    QMessageBox::warning(this, "Corvane", QString("The results could not be written to %1: %2").arg(path, why));
  }
}

}  // namespace corvane::shell
