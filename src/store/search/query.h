// The search language a person types, read into terms: words and "quoted
// phrases" of the text, field terms (flight:, tail:, address:, label:,
// kind:, station:; a value with spaces or quotes "in quotes", a quote inside
// written twice), a time range (from:, to:), has:position and is:alert, what
// the decoder knew (freq: in MHz, link:, level: a number or a range),
// all of which must hold ("AND" may be written between them), each one
// excluded by a leading "-". The same terms make the entries of a watch
// list.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::store::search {

// Milliseconds since 1970-01-01T00:00:00Z.
using UtcMillis = long long;

enum class TermKind : unsigned char {
  kWords,        // words of the text, next to each other in this order
  kFlight,       // the flight, its number's leading zeros not counted
  kTail,         // the registration without its padding dots
  kAddress,      // the address as stored, its padding dots not counted
  kLabel,        // the label
  kKind,         // the readable kind's identifier
  kStation,      // the station that heard it
  kFrom,         // received at or after
  kTo,           // received at or before
  kHasPosition,  // its readable decoding has a position
  kIsAlert,      // it matched the watch list when it came in
  kFrequency,    // the decoder's frequency, in whole Hz
  kLink,         // the link the decoder heard it on (acars, vdl2, hfdl, satcom)
  kLevel,        // the signal level, within a range
};

// A range of numbers: either bound may be missing, each inclusive unless
// strict.
struct NumberRange {
  std::optional<double> low;
  std::optional<double> high;
  bool lowStrict = false;
  bool highStrict = false;
};

// level: values: "-12.5" (that level), "-20..-5" (inclusive; "..-5" and
// "-20.." leave one side open), ">-10", ">=-10", "<-10", "<=-10". Nothing
// when the text is none of these.
std::optional<NumberRange> ParseNumberRange(std::string_view text);

struct Term {
  TermKind kind = TermKind::kWords;
  bool excluded = false;
  // kWords: the words, upper case, each a run of letters and digits.
  std::vector<std::string> words;
  // The field terms: the value as compared (upper case except kind:).
  std::string value;
  // kFrom and kTo: the bound, inclusive (to: a date alone means its last
  // millisecond).
  UtcMillis time = 0;
  // kFrequency: the frequency in whole Hz; kLevel: the range.
  long long hz = 0;
  NumberRange range;
  // Where the term starts in the query (0-based), for messages.
  std::size_t column = 0;
};

struct Query {
  std::vector<Term> terms;
  // This receiver's station name, given by whoever asks (never typed). A
  // store keeps this receiver's own messages without a station (a store file
  // is one receiver's alone, and its name may change in the settings while
  // the file stays), and the charts show that empty station under this
  // name; so a station: term naming it also finds the messages kept without
  // one, and a click on the chart finds what it counts.
  std::string ownStation;
};

// Whether a station: term also finds the messages kept without a station.
inline bool FindsUnnamedStation(const Term& term, std::string_view ownStation) {
  return term.kind == TermKind::kStation && !ownStation.empty() && term.value == ownStation;
}

// A query that cannot be read: what is wrong, and where (0-based column).
struct QueryError {
  std::string message;
  std::size_t column = 0;
};

struct ParsedQuery {
  std::optional<Query> query;
  std::optional<QueryError> error;
};

// Queries longer than this are refused rather than read.
constexpr std::size_t kMaxQueryLength = 4096;

// Reads a query. An empty query (or one of only "AND") is an error too:
// it would ask for everything.
ParsedQuery ParseQuery(std::string_view text);

// A query typed as text is read as the card's bytes (Latin-1), while station
// names are UTF-8: turns the station: values of such a query into UTF-8.
void StationNamesAsUtf8(Query& query);

// "column 12: unknown field "foo:"" style text of an error.
std::string DescribeError(const QueryError& error);

// A byte of a word: an ASCII letter or digit, or any byte above 127 (the
// card's few accented letters and symbols stay inside the word they touch).
constexpr bool IsWordByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
}

// The words of a text as the search sees them: maximal runs of word bytes,
// ASCII letters upper case. Every other byte separates words.
std::vector<std::string> TextWords(std::string_view text);

// What the search index keeps of a text: the words of its first
// kIndexedTextBytes bytes, each word up to kLongestIndexedWord bytes. A
// message longer, or a word longer, is still stored whole; only the search
// cannot find that part of it (a server's word index takes a word of at
// most about 2,700 bytes, and a text of megabytes would be a million words).
constexpr std::size_t kIndexedTextBytes = 65536;
constexpr std::size_t kLongestIndexedWord = 1000;

// The part of a text the search index reads.
std::string_view IndexedPart(std::string_view text);

// TextWords of IndexedPart, with each word longer than kLongestIndexedWord
// replaced by an empty word: it keeps its place, so that the words on either
// side of it are not taken for neighbours, and no search word matches it.
std::vector<std::string> IndexedWords(std::string_view text);

// Why the search index leaves part of a text out; nothing when it keeps all.
std::optional<std::string> PartLeftOutOfIndex(std::string_view text);

// Text for a full-text index: every byte that is not a word byte replaced
// by a space, letters upper case, so that any index splitting at spaces
// finds exactly TextWords.
std::string IndexText(std::string_view text);

// A flight as compared: upper case, spaces dropped, and leading zeros of the
// digits after the first two characters dropped ("BA0306" and "ba306" are
// both "BA306").
std::string FlightKey(std::string_view flight);

// A registration as compared: upper case, padding dots, hyphens and spaces
// dropped ("N123UA", ".N123UA" and "n-123ua" are all "N123UA").
std::string TailKey(std::string_view address);

}  // namespace corvane::store::search
