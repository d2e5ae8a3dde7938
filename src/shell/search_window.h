// The Search window: a query in the search language, the messages of the
// store it finds (newest first, a page at a time), the chosen message's
// readable lines and raw text, its aircraft's day in the history window,
// and the results exported as CSV or JSON lines. Every store call runs on
// the background worker; a new query makes the answers of older ones be
// ignored (a generation number), so the window keeps working while the
// store is locked or slow. The list sorts by any column (newest first at
// the start), hides the columns no message found fills, and copies its
// selected rows as tab-separated text; Escape closes the window.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "receiver/background_calls.h"
#include "store/search/search.h"
#include "store/store.h"

namespace corvane::shell {

// Where searches go now: the open store, or why there is none to search.
struct SearchTarget {
  store::Database* database = nullptr;  // null: cannot search now
  std::int32_t type = 0;
  std::string name;
  QString why;  // when database is null
  // This receiver's station name (search::Query::ownStation).
  std::string ownStation;
};

struct SearchWindowHooks {
  // Asked on the window's thread at each search.
  std::function<SearchTarget()> target;
  // Opens the history window on an aircraft (stored address) and a day
  // (Date field), the message of that Hour field marked.
  std::function<void(const std::string& address, const std::string& day, const std::string& hour)> openDay;
};

class SearchWindow : public QWidget {
  Q_OBJECT

 public:
  // Messages asked of the store at a time; "More" asks for the next ones.
  static constexpr std::size_t kPageSize = 200;

  SearchWindow(QWidget* owner, receiver::BackgroundCalls& worker, SearchWindowHooks hooks);

  // Reads the query box and starts a new search (what Enter does).
  void StartSearch();
  // Puts the query in the box and searches for it.
  void SearchFor(const QString& query);
  // Asks for the page after the messages shown.
  void FetchMore();
  // Writes the messages shown to the file, as JSON lines or CSV by its
  // extension; the reason when it cannot be written, else empty.
  QString ExportTo(const QString& path) const;

  // A page or the count of the current search is still awaited.
  [[nodiscard]] bool IsSearching() const { return pagePending_ || countPending_; }
  [[nodiscard]] const std::vector<store::search::SearchHit>& Hits() const { return hits_; }
  // The selected rows as Ctrl+C puts them on the clipboard: the shown
  // columns' texts in the rows' shown order, tab-separated.
  [[nodiscard]] QString SelectedRowsText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct PageAnswer {
    std::optional<store::search::SearchPage> page;
    std::string failure;
  };
  struct CountAnswer {
    std::optional<std::uint64_t> count;
    std::string failure;
  };

  void BuildControls();
  void AskForPage(std::optional<long long> beforeId);
  void AskForCount(const store::search::Query& query);
  void TakePage(std::uint64_t generation, PageAnswer answer);
  void TakeCount(std::uint64_t generation, CountAnswer answer);
  void WatchForSlowStore(std::uint64_t generation);
  void ClearResults();
  void AddRow(const store::search::SearchHit& hit);
  void ShowChosen();
  void HideEmptyColumns();
  void CopySelectedRows() const;
  void OpenChosenDay();
  void ExportWithDialog();
  void ShowStatus();
  void UpdateButtons();
  [[nodiscard]] const store::search::SearchHit* Chosen() const;

  receiver::BackgroundCalls& worker_;
  SearchWindowHooks hooks_;

  // The current search: its generation, query and store, and what came back.
  std::uint64_t generation_ = 0;
  std::optional<store::search::Query> query_;
  SearchTarget target_;
  std::vector<store::search::SearchHit> hits_;
  std::optional<long long> nextBeforeId_;
  std::optional<std::uint64_t> count_;
  bool pagePending_ = false;
  bool countPending_ = false;
  bool slow_ = false;
  QString failure_;

  QLineEdit* queryBox_ = nullptr;
  QLabel* status_ = nullptr;
  QTreeWidget* results_ = nullptr;
  QPlainTextEdit* chosen_ = nullptr;
  QPushButton* more_ = nullptr;
  QPushButton* openDay_ = nullptr;
  QPushButton* export_ = nullptr;
};

}  // namespace corvane::shell
