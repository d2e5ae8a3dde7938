// The watch list: entries in the search language, each matched against
// every message as it comes in. Matching reads the text once for all
// entries: each entry is filed under one of its terms (its trigger), the
// text's words and the message's fields are looked up among the triggers,
// and only the entries found are checked whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/search/query.h"

namespace corvane::store::search {

// What a message is matched on.
struct MessageFacts {
  std::string_view text;
  std::string_view flight;
  std::string_view address;  // as stored (padding dots allowed)
  std::string_view label;
  std::string_view kind;  // the readable kind's identifier; empty when none
  std::string_view station;
  UtcMillis received = 0;
  bool hasPosition = false;
  bool isAlert = false;
};

// Whether one term holds for a message (its exclusion not applied), read
// the plain way; the reference the indexes and the watch list agree with.
bool TermHolds(const Term& term, const MessageFacts& message);
// Whether every term of a query holds (excluded terms must not).
bool QueryHolds(const Query& query, const MessageFacts& message);

struct WatchEntry {
  std::string text;  // as written
  Query query;
};

// An entry that could not be read: its line (1-based) and why.
struct WatchError {
  std::size_t line = 0;
  std::string message;
};

class WatchList {
 public:
  WatchList() = default;

  // One entry a line; blank lines and lines starting with "#" are skipped.
  // Lines that cannot be read are left out and reported in errors.
  static WatchList FromLines(std::string_view lines, std::vector<WatchError>* errors);
  // Adds an entry; false (and why, in error) when it cannot be read or
  // cannot be matched as a message comes in (from:, to:, is:alert).
  bool Add(std::string_view text, std::string* error);

  [[nodiscard]] bool Empty() const { return entries_.empty(); }
  [[nodiscard]] const std::vector<WatchEntry>& Entries() const { return entries_; }

  // The entries (indexes into Entries(), ascending) the message matches.
  void Match(const MessageFacts& message, std::vector<std::size_t>& matched) const;

 private:
  // Looked up by a view, so that a message's words and keys are never
  // copied into strings of their own.
  struct ViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using TriggerMap = std::unordered_map<std::string, std::vector<std::size_t>, ViewHash, std::equal_to<>>;

  void File(std::size_t entry);
  // The message's words (upper case, views into upper) and the entries
  // filed under them or under its fields.
  void Candidates(const MessageFacts& message, const std::vector<std::string_view>& words,
                  std::vector<std::size_t>& found) const;
  static void Lookup(const TriggerMap& map, std::string_view key, std::vector<std::size_t>& found);

  std::vector<WatchEntry> entries_;
  // A word's length, first and last byte as a bit number: a word whose bit
  // is not set is no trigger, found without hashing it (most are none).
  static std::size_t QuickBit(std::string_view word);
  [[nodiscard]] bool MayBeTrigger(std::string_view word) const;

  TriggerMap words_;                                                        // an entry's first word of a text term
  std::vector<std::uint64_t> wordBits_ = std::vector<std::uint64_t>(1024);  // QuickBit of each of words_
  TriggerMap fields_;                                                       // "<kind letter><value>" of a field term
  std::vector<std::size_t> always_;  // entries with a term no lookup finds (has:position)
  unsigned filedKinds_ = 0;          // a bit per TermKind filed in fields_
};

}  // namespace corvane::store::search
