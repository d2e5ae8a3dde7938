// Reading the search language: a hand-written scanner, one term at a time,
// so that every error can say where it is.
#include "store/search/query.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <utility>

#include "decoding/latin1_text.h"
#include "reception/reception_facts.h"

namespace corvane::store::search {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = Upper(c);
  }
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct FieldName {
  std::string_view name;
  TermKind kind;
};

constexpr std::array<FieldName, 13> kFields = {{
    {"flight", TermKind::kFlight},
    {"tail", TermKind::kTail},
    {"address", TermKind::kAddress},
    {"label", TermKind::kLabel},
    {"kind", TermKind::kKind},
    {"station", TermKind::kStation},
    {"from", TermKind::kFrom},
    {"to", TermKind::kTo},
    {"has", TermKind::kHasPosition},
    {"is", TermKind::kIsAlert},
    {"freq", TermKind::kFrequency},
    {"link", TermKind::kLink},
    {"level", TermKind::kLevel},
}};

// The links a decoder names, as link: takes them.
constexpr std::array<std::string_view, 4> kLinks = {reception::kLinkAcars, reception::kLinkVdl2, reception::kLinkHfdl,
                                                    reception::kLinkSatcom};

std::optional<TermKind> FieldOf(std::string_view name) {
  for (const auto& field : kFields) {
    if (field.name.size() == name.size() && UpperText(field.name) == UpperText(name)) {
      return field.kind;
    }
  }
  return std::nullopt;
}

bool AllLetters(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (const char c : text) {
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// Digits at text[at..at+count) as a number, or -1.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) {
    return -1;
  }
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return -1;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

struct ReadTime {
  UtcMillis start = 0;
  // How long the written time lasts: a day, a minute or a second.
  UtcMillis span = 0;
};

// "2026-12-07", "2026-12-07T21:53", "2026-12-07 21:53:16" (a trailing "Z"
// allowed), as UTC.
std::optional<ReadTime> ReadUtc(std::string_view text) {
  if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) {
    text.remove_suffix(1);
  }
  const int year = DigitsAt(text, 0, 4);
  const int month = DigitsAt(text, 5, 2);
  const int day = DigitsAt(text, 8, 2);
  if (text.size() < 10 || year < 1970 || text[4] != '-' || text[7] != '-' || month < 1 || month > 12 || day < 1) {
    return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) {
    return std::nullopt;
  }
  const auto days = std::chrono::sys_days{date}.time_since_epoch().count();
  ReadTime read{static_cast<UtcMillis>(days) * 86'400'000LL, 86'400'000LL};
  if (text.size() == 10) {
    return read;
  }
  const int hour = DigitsAt(text, 11, 2);
  const int minute = DigitsAt(text, 14, 2);
  if ((text.size() != 16 && text.size() != 19) || (text[10] != 'T' && text[10] != 't' && text[10] != ' ') ||
      text[13] != ':' || hour < 0 || hour > 23 || minute < 0 || minute > 59) {
    return std::nullopt;
  }
  read.start += (hour * 3600LL + minute * 60LL) * 1000LL;
  read.span = 60'000;
  if (text.size() == 19) {
    const int second = DigitsAt(text, 17, 2);
    if (text[16] != ':' || second < 0 || second > 59) {
      return std::nullopt;
    }
    read.start += second * 1000LL;
    read.span = 1000;
  }
  return read;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  ParsedQuery Read() {
    Query query;
    while (SkipSpaces()) {
      const std::size_t start = at_;
      if (TakeOperator(start)) {
        if (error_) {
          return Failed();
        }
        continue;
      }
      auto term = ReadTerm();
      if (error_) {
        return Failed();
      }
      term.column = start;
      query.terms.push_back(std::move(term));
    }
    if (query.terms.empty()) {
      return {std::nullopt, QueryError{"nothing to search for", 0}};
    }
    if (AllExcluded(query)) {
      return {std::nullopt, QueryError{"a query needs at least one term that is not excluded with \"-\"", 0}};
    }
    return {std::move(query), std::nullopt};
  }

 private:
  static bool AllExcluded(const Query& query) {
    for (const auto& term : query.terms) {
      if (!term.excluded) {
        return false;
      }
    }
    return true;
  }

  ParsedQuery Failed() { return {std::nullopt, std::move(error_)}; }

  void Fail(std::string message, std::size_t column) {
    if (!error_) {
      error_ = QueryError{std::move(message), column};
    }
  }

  bool SkipSpaces() {
    while (at_ < text_.size() && IsSpace(text_[at_])) {
      ++at_;
    }
    return at_ < text_.size();
  }

  std::string_view BareToken() {
    const std::size_t start = at_;
    while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '"') {
      ++at_;
    }
    return text_.substr(start, at_ - start);
  }

  // "AND" between terms is allowed and means nothing more; "OR" is refused
  // with the reason.
  bool TakeOperator(std::size_t start) {
    const std::size_t saved = at_;
    const std::string_view token = BareToken();
    const bool ends = at_ >= text_.size() || IsSpace(text_[at_]);
    if (ends && token == "AND") {
      return true;
    }
    if (ends && token == "OR") {
      Fail("\"OR\" is not supported: all terms must hold (use several searches instead)", start);
      return true;
    }
    at_ = saved;
    return false;
  }

  // A quoted text starting at at_ (on the quote): its inside, where a quote
  // written twice stands for one (so any value, a station name with quotes
  // too, can be written as a term).
  std::optional<std::string> Quoted() {
    const std::size_t open = at_;
    std::string inside;
    for (std::size_t from = open + 1;;) {
      const std::size_t close = text_.find('"', from);
      if (close == std::string_view::npos) {
        Fail("the quote opened here is never closed", open);
        return std::nullopt;
      }
      inside.append(text_.substr(from, close - from));
      if (close + 1 >= text_.size() || text_[close + 1] != '"') {
        at_ = close + 1;
        return inside;
      }
      inside += '"';
      from = close + 2;
    }
  }

  Term ReadTerm() {
    Term term;
    if (text_[at_] == '-' && at_ + 1 < text_.size() && !IsSpace(text_[at_ + 1])) {
      term.excluded = true;
      ++at_;
    }
    const std::size_t start = at_;
    if (text_[at_] == '"') {
      if (const auto inside = Quoted()) {
        WordsTerm(*inside, start, term);
      }
      return term;
    }
    const std::string_view token = BareToken();
    const std::size_t colon = token.find(':');
    if (colon != std::string_view::npos && AllLetters(token.substr(0, colon))) {
      FieldTerm(token.substr(0, colon), token.substr(colon + 1), start, term);
    } else if (token.empty()) {
      Fail("a term is expected here", start);
    } else {
      WordsTerm(token, start, term);
    }
    return term;
  }

  void WordsTerm(std::string_view text, std::size_t column, Term& term) {
    term.kind = TermKind::kWords;
    term.words = TextWords(text);
    if (term.words.empty()) {
      Fail("\"" + std::string(text) + "\" has no letters or digits to search for", column);
    }
    for (const std::string& word : term.words) {
      if (word.size() > kLongestIndexedWord) {
        Fail("a word longer than " + std::to_string(kLongestIndexedWord) + " characters cannot be searched", column);
      }
    }
  }

  void FieldTerm(std::string_view name, std::string_view value, std::size_t column, Term& term) {
    const auto kind = FieldOf(name);
    if (!kind) {
      Fail("unknown field \"" + std::string(name) +
               ":\" (known: flight, tail, address, label, kind, station, from, to, has:position, is:alert, freq, "
               "link, level)",
           column);
      return;
    }
    term.kind = *kind;
    std::string quoted;
    if (value.empty() && at_ < text_.size() && text_[at_] == '"') {
      auto inside = Quoted();
      if (!inside) {
        return;
      }
      quoted = std::move(*inside);
      value = quoted;
    }
    if (value.empty()) {
      Fail("\"" + std::string(name) + ":\" needs a value", column);
      return;
    }
    FieldValue(name, value, column, term);
  }

  void FieldValue(std::string_view name, std::string_view value, std::size_t column, Term& term) {
    switch (term.kind) {
      case TermKind::kFrom:
      case TermKind::kTo:
        TimeValue(name, value, column, term);
        return;
      case TermKind::kHasPosition:
        Require(UpperText(value) == "POSITION", "only \"has:position\" is known", column);
        return;
      case TermKind::kIsAlert:
        Require(UpperText(value) == "ALERT", "only \"is:alert\" is known", column);
        return;
      case TermKind::kFlight:
        term.value = FlightKey(value);
        return;
      case TermKind::kTail:
        term.value = TailKey(value);
        Require(!term.value.empty(), "\"tail:\" needs a registration", column);
        return;
      case TermKind::kAddress:
        value.remove_prefix(std::min(value.find_first_not_of('.'), value.size()));
        term.value = UpperText(value);
        Require(!term.value.empty(), "\"address:\" needs an address", column);
        return;
      case TermKind::kKind:
        term.value = std::string(value);
        return;
      case TermKind::kStation:
        term.value = std::string(value);
        return;
      case TermKind::kFrequency:
        FrequencyValue(value, column, term);
        return;
      case TermKind::kLink:
        LinkValue(value, column, term);
        return;
      case TermKind::kLevel:
        LevelValue(value, column, term);
        return;
      default:
        term.value = UpperText(value);
        return;
    }
  }

  void FrequencyValue(std::string_view value, std::size_t column, Term& term) {
    const auto hz = reception::ParseMhzAsHz(value);
    if (!hz) {
      Fail("\"freq:" + std::string(value) + "\" is not a frequency in MHz (131.725)", column);
      return;
    }
    term.hz = *hz;
  }

  void LinkValue(std::string_view value, std::size_t column, Term& term) {
    std::string lower(value);
    for (char& c : lower) {
      c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    Require(std::find(kLinks.begin(), kLinks.end(), lower) != kLinks.end(),
            "\"link:\" is one of acars, vdl2, hfdl, satcom", column);
    term.value = std::move(lower);
  }

  void LevelValue(std::string_view value, std::size_t column, Term& term) {
    const auto range = ParseNumberRange(value);
    if (!range) {
      Fail("\"level:" + std::string(value) + "\" is not a level or range (-12, -20..-5, >-10, <=-30)", column);
      return;
    }
    term.range = *range;
  }

  void TimeValue(std::string_view name, std::string_view value, std::size_t column, Term& term) {
    const auto read = ReadUtc(value);
    if (!read) {
      Fail("\"" + std::string(name) + ":" + std::string(value) +
               "\" is not a UTC date (2026-12-07) or date and time (2026-12-07T21:53 or 2026-12-07T21:53:16)",
           column);
      return;
    }
    term.time = term.kind == TermKind::kFrom ? read->start : read->start + read->span - 1;
  }

  void Require(bool holds, const char* message, std::size_t column) {
    if (!holds) {
      Fail(message, column);
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::optional<QueryError> error_;
};

}  // namespace

ParsedQuery ParseQuery(std::string_view text) {
  if (text.size() > kMaxQueryLength) {
    return {std::nullopt,
            QueryError{"the query is longer than " + std::to_string(kMaxQueryLength) + " characters", kMaxQueryLength}};
  }
  return Reader(text).Read();
}

std::optional<NumberRange> ParseNumberRange(std::string_view text) {
  NumberRange range;
  const auto bound = [](std::string_view number) { return reception::ParseNumber(number); };
  if (const std::size_t dots = text.find(".."); dots != std::string_view::npos) {
    const std::string_view low = text.substr(0, dots);
    const std::string_view high = text.substr(dots + 2);
    range.low = low.empty() ? std::nullopt : bound(low);
    range.high = high.empty() ? std::nullopt : bound(high);
    const bool read = (low.empty() || range.low) && (high.empty() || range.high) && (range.low || range.high);
    return read && (!range.low || !range.high || *range.low <= *range.high) ? std::optional(range) : std::nullopt;
  }
  const bool orEqual = text.size() >= 2 && text[1] == '=';
  if (!text.empty() && (text[0] == '>' || text[0] == '<')) {
    const auto number = bound(text.substr(orEqual ? 2 : 1));
    if (!number) {
      return std::nullopt;
    }
    (text[0] == '>' ? range.low : range.high) = number;
    (text[0] == '>' ? range.lowStrict : range.highStrict) = !orEqual;
    return range;
  }
  range.low = bound(text);
  range.high = range.low;
  return range.low ? std::optional(range) : std::nullopt;
}

void StationNamesAsUtf8(Query& query) {
  for (Term& term : query.terms) {
    if (term.kind == TermKind::kStation) {
      term.value = decoding::Latin1ToUtf8(term.value);
    }
  }
}

std::string DescribeError(const QueryError& error) {
  return "column " + std::to_string(error.column + 1) + ": " + error.message;
}

std::vector<std::string> TextWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !IsWordByte(text[i])) {
      ++i;
    }
    const std::size_t start = i;
    while (i < text.size() && IsWordByte(text[i])) {
      ++i;
    }
    if (i > start) {
      words.push_back(UpperText(text.substr(start, i - start)));
    }
  }
  return words;
}

std::string_view IndexedPart(std::string_view text) { return text.substr(0, kIndexedTextBytes); }

std::vector<std::string> IndexedWords(std::string_view text) {
  std::vector<std::string> words = TextWords(IndexedPart(text));
  for (std::string& word : words) {
    if (word.size() > kLongestIndexedWord) {
      word.clear();
    }
  }
  return words;
}

std::optional<std::string> PartLeftOutOfIndex(std::string_view text) {
  if (text.size() > kIndexedTextBytes) {
    return "a message text of " + std::to_string(text.size()) + " bytes; only its first " +
           std::to_string(kIndexedTextBytes) + " can be searched";
  }
  std::size_t run = 0;
  for (const char c : text) {
    run = IsWordByte(c) ? run + 1 : 0;
    if (run > kLongestIndexedWord) {
      return "a word longer than " + std::to_string(kLongestIndexedWord) + " characters, which cannot be searched";
    }
  }
  return std::nullopt;
}

std::string IndexText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = IsWordByte(c) ? Upper(c) : ' ';
  }
  return out;
}

std::string FlightKey(std::string_view flight) {
  std::string key;
  for (const char c : flight) {
    if (!IsSpace(c)) {
      key.push_back(Upper(c));
    }
  }
  if (key.size() > 2) {
    std::size_t zeros = 2;
    while (zeros + 1 < key.size() && key[zeros] == '0') {
      ++zeros;
    }
    key.erase(2, zeros - 2);
  }
  return key;
}

std::string TailKey(std::string_view address) {
  std::string key;
  for (const char c : address) {
    if (c != '.' && c != '-' && !IsSpace(c)) {
      key.push_back(Upper(c));
    }
  }
  return key;
}

}  // namespace corvane::store::search
