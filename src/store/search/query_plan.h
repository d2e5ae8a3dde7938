// The plan of a search, made once from a parsed query for every store: the
// words to look up in the text index and the phrases among them, the field
// matches, the excluded terms, the receive-time range, and the order and
// size of a page. Each store writes only its own SQL from the plan.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/search/query.h"
#include "store/search/search.h"

namespace corvane::store::search {

// Words a message's text must hold (or, excluded, must not hold): each one
// is looked up in the text index, and a phrase of several must also find
// them next to each other in this order.
struct TextMatch {
  std::vector<std::string> words;
  [[nodiscard]] bool IsPhrase() const { return words.size() > 1; }
};

// What a field term compares. All are columns of the index row but the
// address, which is read from the stored message itself.
enum class Field : unsigned char {
  kFlightKey,  // flight:
  kTailKey,    // tail:
  kAddress,    // address: (the stored address, upper case, leading dots not counted)
  kLabel,      // label:
  kKind,       // kind:
  kStation,    // station:
  kPosition,   // has:position (the readable decoding's latitude)
  kAlerts,     // is:alert
};

// A field term: the field equals one of the values, or, with no values, is
// there at all. Excluded, a message is left out when it holds (a message
// without the field at all is kept).
struct FieldMatch {
  Field field = Field::kLabel;
  std::vector<std::string> values;
  bool excluded = false;
};

// A term on what the decoder knew of a message: its frequency equals hz, its
// link equals link, or its level lies in range. These are kept beside the
// index row, only for the messages a decoder reported; excluded, a message
// is left out when it holds (one without the fact at all is kept).
struct ReceptionMatch {
  enum class What : unsigned char { kFrequency, kLink, kLevel };
  What what = What::kFrequency;
  long long hz = 0;
  std::string link;
  NumberRange range;
  bool excluded = false;
};

// Receive times, both bounds inclusive; every from: and to: term of a
// query, excluded or not, narrows this one range.
struct TimeRange {
  std::optional<UtcMillis> from;
  std::optional<UtcMillis> to;
};

struct QueryPlan {
  std::vector<TextMatch> text;          // all of them must be found
  std::vector<TextMatch> excludedText;  // a message holding any one is left out
  std::vector<FieldMatch> fields;       // in the query's order
  std::vector<ReceptionMatch> reception;
  TimeRange received;

  // Whether there are words to look up (a store then lets its text index
  // lead).
  [[nodiscard]] bool LooksUpWords() const { return !text.empty(); }
  // Whether a field is read from the stored message rather than the index.
  [[nodiscard]] bool ReadsStoredMessage() const;
  // Whether a field or the time is read from the index row.
  [[nodiscard]] bool ReadsIndexRow() const;
};

// A page of hits: newest first (the store's row numbers falling), only rows
// older than beforeId when there is one, at most `limit` of them.
struct PagePlan {
  QueryPlan query;
  std::optional<long long> beforeId;
  std::size_t limit = 1;
  // The rows a store fetches: one more than the page, so that EndPage can
  // tell whether another page follows.
  [[nodiscard]] std::size_t Fetched() const { return limit + 1; }
};

QueryPlan PlanQuery(const Query& query);
PagePlan PlanPage(const SearchRequest& request);

}  // namespace corvane::store::search
