// A search of the stored messages, the same on every store: the request
// (a parsed query, a page size and where the page starts) and its answer.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "decoding/text_record.h"
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

}  // namespace corvane::store::search
