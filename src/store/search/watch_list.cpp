// The watch list's entries filed by trigger, and the plain reading of a term
// that both the watch list and the search's tests hold to.
#include "store/search/watch_list.h"

#include <algorithm>

namespace corvane::store::search {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view WithoutPaddingDots(std::string_view address) {
  address.remove_prefix(std::min(address.find_first_not_of('.'), address.size()));
  return address;
}

bool SameUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Upper(text[i]) != upper[i]) {
      return false;
    }
  }
  return true;
}

template <typename Word>
bool HasWordsInOrder(const std::vector<Word>& textWords, const std::vector<std::string>& words) {
  if (words.empty() || words.size() > textWords.size()) {
    return false;
  }
  return std::search(textWords.begin(), textWords.end(), words.begin(), words.end(),
                     [](std::string_view a, std::string_view b) { return a == b; }) != textWords.end();
}

// The text upper case with every byte that is no word byte made a space,
// and views of its words: one pass, into buffers kept by the caller.
void SplitWords(std::string_view text, std::string& upper, std::vector<std::string_view>& words) {
  upper.assign(text);
  words.clear();
  std::size_t start = std::string::npos;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    char& c = upper[i];
    if (IsWordByte(c)) {
      c = Upper(c);
      start = start == std::string::npos ? i : start;
    } else if (start != std::string::npos) {
      words.emplace_back(upper.data() + start, i - start);
      start = std::string::npos;
    }
  }
  if (start != std::string::npos) {
    words.emplace_back(upper.data() + start, upper.size() - start);
  }
}

// A field key built in a buffer kept from message to message.
std::string_view KeyIn(std::string& buffer, TermKind kind, std::string_view value, bool upper) {
  buffer.assign(1, static_cast<char>('a' + static_cast<int>(kind)));
  for (const char c : value) {
    buffer.push_back(upper ? Upper(c) : c);
  }
  return buffer;
}

// TermHolds with the message's words already split.
bool HoldsWithWords(const Term& term, const MessageFacts& message, const std::vector<std::string_view>& words) {
  return term.kind == TermKind::kWords ? HasWordsInOrder(words, term.words) : TermHolds(term, message);
}

// The key a field term is filed under: its kind as a letter, then the value
// compared.
std::string FieldKey(TermKind kind, std::string_view value) {
  std::string key(1, static_cast<char>('a' + static_cast<int>(kind)));
  key.append(value);
  return key;
}

bool IsFiledField(TermKind kind) {
  return kind == TermKind::kFlight || kind == TermKind::kTail || kind == TermKind::kAddress ||
         kind == TermKind::kLabel || kind == TermKind::kKind || kind == TermKind::kStation;
}

}  // namespace

bool TermHolds(const Term& term, const MessageFacts& message) {
  switch (term.kind) {
    case TermKind::kWords:
      return HasWordsInOrder(TextWords(message.text), term.words);
    case TermKind::kFlight:
      return FlightKey(message.flight) == term.value;
    case TermKind::kTail:
      return TailKey(message.address) == term.value;
    case TermKind::kAddress:
      return SameUpper(WithoutPaddingDots(message.address), term.value);
    case TermKind::kLabel:
      return SameUpper(message.label, term.value);
    case TermKind::kKind:
      return message.kind == term.value;
    case TermKind::kStation:
      return message.station == term.value;
    case TermKind::kFrom:
      return message.received >= term.time;
    case TermKind::kTo:
      return message.received <= term.time;
    case TermKind::kHasPosition:
      return message.hasPosition;
    case TermKind::kIsAlert:
      return message.isAlert;
    case TermKind::kFrequency:
    case TermKind::kLink:
    case TermKind::kLevel:
      return false;  // a watch list never takes them (WatchList::Add)
  }
  return false;
}

bool QueryHolds(const Query& query, const MessageFacts& message) {
  return std::all_of(query.terms.begin(), query.terms.end(),
                     [&](const Term& term) { return TermHolds(term, message) != term.excluded; });
}

WatchList WatchList::FromLines(std::string_view lines, std::vector<WatchError>* errors) {
  WatchList list;
  std::size_t number = 0;
  while (!lines.empty()) {
    const std::size_t end = std::min(lines.find('\n'), lines.size());
    std::string_view line = lines.substr(0, end);
    lines.remove_prefix(std::min(end + 1, lines.size()));
    ++number;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      line.remove_prefix(1);
    }
    if (line.empty() || line.front() == '#') {
      continue;
    }
    std::string error;
    if (!list.Add(line, &error) && errors != nullptr) {
      errors->push_back({number, std::move(error)});
    }
  }
  return list;
}

bool WatchList::Add(std::string_view text, std::string* error) {
  auto parsed = ParseQuery(text);
  if (!parsed.query) {
    if (error != nullptr) {
      *error = DescribeError(*parsed.error);
    }
    return false;
  }
  for (const auto& term : parsed.query->terms) {
    if (term.kind == TermKind::kFrom || term.kind == TermKind::kTo || term.kind == TermKind::kIsAlert) {
      if (error != nullptr) {
        *error = "column " + std::to_string(term.column + 1) +
                 ": a watch entry matches messages as they come in; from:, to: and is:alert have no place in it";
      }
      return false;
    }
    if (term.kind == TermKind::kFrequency || term.kind == TermKind::kLink || term.kind == TermKind::kLevel) {
      if (error != nullptr) {
        *error = "column " + std::to_string(term.column + 1) +
                 ": freq:, link: and level: are for searches; a watch entry matches the message's own fields";
      }
      return false;
    }
  }
  entries_.push_back({std::string(text), std::move(*parsed.query)});
  File(entries_.size() - 1);
  return true;
}

void WatchList::File(std::size_t entry) {
  const auto& terms = entries_[entry].query.terms;
  // A text term is the best trigger (fields are shared by many messages),
  // then a field term; an entry with neither is checked on every message.
  for (const auto& term : terms) {
    if (!term.excluded && term.kind == TermKind::kWords) {
      words_[term.words.front()].push_back(entry);
      const std::size_t bit = QuickBit(term.words.front());
      wordBits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
      return;
    }
  }
  for (const auto& term : terms) {
    if (!term.excluded && IsFiledField(term.kind)) {
      fields_[FieldKey(term.kind, term.value)].push_back(entry);
      filedKinds_ |= 1U << static_cast<unsigned>(term.kind);
      return;
    }
  }
  always_.push_back(entry);
}

std::size_t WatchList::QuickBit(std::string_view word) {
  if (word.empty()) {
    return 0;
  }
  const auto first = static_cast<unsigned char>(word.front());
  const auto last = static_cast<unsigned char>(word.back());
  return ((word.size() * 131 + first) * 131 + last) % 65536;
}

bool WatchList::MayBeTrigger(std::string_view word) const {
  const std::size_t bit = QuickBit(word);
  return (wordBits_[bit / 64] >> (bit % 64) & 1U) != 0;
}

void WatchList::Lookup(const TriggerMap& map, std::string_view key, std::vector<std::size_t>& found) {
  if (const auto hit = map.find(key); hit != map.end()) {
    found.insert(found.end(), hit->second.begin(), hit->second.end());
  }
}

void WatchList::Candidates(const MessageFacts& message, const std::vector<std::string_view>& words,
                           std::vector<std::size_t>& found) const {
  found.insert(found.end(), always_.begin(), always_.end());
  if (!words_.empty()) {
    for (const std::string_view word : words) {
      if (MayBeTrigger(word)) {
        Lookup(words_, word, found);
      }
    }
  }
  if (filedKinds_ == 0) {
    return;
  }
  const auto filed = [&](TermKind kind) { return (filedKinds_ & (1U << static_cast<unsigned>(kind))) != 0; };
  thread_local std::string key;
  if (filed(TermKind::kFlight)) {
    Lookup(fields_, KeyIn(key, TermKind::kFlight, FlightKey(message.flight), false), found);
  }
  if (filed(TermKind::kTail)) {
    Lookup(fields_, KeyIn(key, TermKind::kTail, TailKey(message.address), false), found);
  }
  if (filed(TermKind::kAddress)) {
    Lookup(fields_, KeyIn(key, TermKind::kAddress, WithoutPaddingDots(message.address), true), found);
  }
  if (filed(TermKind::kLabel)) {
    Lookup(fields_, KeyIn(key, TermKind::kLabel, message.label, true), found);
  }
  if (filed(TermKind::kKind)) {
    Lookup(fields_, KeyIn(key, TermKind::kKind, message.kind, false), found);
  }
  if (filed(TermKind::kStation)) {
    Lookup(fields_, KeyIn(key, TermKind::kStation, message.station, false), found);
  }
}

void WatchList::Match(const MessageFacts& message, std::vector<std::size_t>& matched) const {
  matched.clear();
  if (entries_.empty()) {
    return;
  }
  thread_local std::string upper;
  thread_local std::vector<std::string_view> words;
  SplitWords(message.text, upper, words);
  Candidates(message, words, matched);
  if (matched.empty()) {
    return;
  }
  std::sort(matched.begin(), matched.end());
  matched.erase(std::unique(matched.begin(), matched.end()), matched.end());
  std::erase_if(matched, [&](std::size_t entry) {
    const auto& terms = entries_[entry].query.terms;
    return !std::all_of(terms.begin(), terms.end(),
                        [&](const Term& term) { return HoldsWithWords(term, message, words) != term.excluded; });
  });
}

}  // namespace corvane::store::search
