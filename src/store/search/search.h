// A search of the stored messages, the same on every store: the request
// (a parsed query, a page size and where the page starts) and its answer.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "decoding/text_record.h"
#include "reception/reception_facts.h"
#include "store/search/query.h"

namespace corvane::store::search {

// One message found: its stored row and what the index keeps beside it.
struct SearchHit {
  long long id = 0;  // the store's own number of the row; newer is larger
  decoding::MessageRecord record;
  std::string station;   // empty: heard by this receiver
  std::string kind;      // the readable kind; empty when none
  std::string readable;  // the readable object as JSON; empty when none
  std::string alerts;    // the watch list entries matched, a JSON array; empty when none
  UtcMillis utc = 0;
  // A message joined from its blocks: how many, and the whole text (card
  // bytes); 0 and empty for any other.
  std::size_t blocks = 0;
  std::string wholeText = {};
  reception::ReceptionFacts facts;  // what the decoder knew; none for a card's message
};

struct SearchRequest {
  Query query;
  std::size_t limit = 100;
  // Only messages older than this row (the last hit of the page before).
  std::optional<long long> beforeId;
};

struct SearchPage {
  std::vector<SearchHit> hits;  // newest first
  // Where the next page starts; nothing when this page was the last.
  std::optional<long long> nextBeforeId;
};

// How far the indexing of messages stored before the index existed is.
struct IndexProgress {
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  [[nodiscard]] bool Finished() const { return done >= total; }
};

// A search the store could not answer (locked, gone, unreachable).
class SearchFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest page a search returns, whatever is asked.
constexpr std::size_t kMaxPage = 10'000;

// A page's size as asked, within 1 and kMaxPage. Stores fetch one hit more
// than that, so that EndPage can tell whether another page follows.
inline std::size_t PageLimit(const SearchRequest& request) {
  return request.limit < 1 ? 1 : request.limit > kMaxPage ? kMaxPage : request.limit;
}

// The page as fetched (at most limit + 1 hits): the extra hit, when there is
// one, says where the next page starts.
inline void EndPage(SearchPage& page, std::size_t limit) {
  if (page.hits.size() > limit) {
    page.hits.pop_back();
    page.nextBeforeId = page.hits.back().id;
  }
}

// Where indexing the older messages stands: rows from next (exclusive) to
// last (inclusive) are left; total were left when the index was made. Rows
// deleted before their turn are never counted as done.
inline IndexProgress OlderProgress(long long next, long long last, long long total, long long done) {
  const auto count = [](long long value) { return static_cast<std::uint64_t>(value < 0 ? 0 : value); };
  return {count(done), count(next >= last ? done : (total > done ? total : done))};
}

}  // namespace corvane::store::search
