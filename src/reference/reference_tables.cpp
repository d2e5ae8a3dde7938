// Filling, indexing and looking up the reference tables.
#include "reference/reference_tables.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "reference/builtin_data.h"

namespace corvane::reference {

namespace {

constexpr int kNoBucket = -1;
constexpr RowNumber kNoRow = -1;

// Number of rows of a table that 16-bit row numbers can reach.
template <typename Table>
RowNumber ReachableRows(const Table& table) {
  return static_cast<RowNumber>(std::min(table.size(), kMaxRows));
}

std::size_t At(RowNumber r) { return static_cast<std::size_t>(r); }

bool SameText(const std::string& stored, std::string_view key) {
  return stored.size() == key.size() && std::memcmp(stored.data(), key.data(), key.size()) == 0;
}

// The first eight bytes of a key and its length folded into one number:
// equal texts always give equal numbers.
std::uint64_t PackedKey(std::string_view text) {
  std::uint64_t key = 0;
  std::memcpy(&key, text.data(), std::min(text.size(), sizeof key));
  return key ^ (static_cast<std::uint64_t>(text.size()) << 56U);
}

template <typename Row, typename KeyOf>
std::vector<std::uint64_t> KeyColumn(const std::vector<Row>& rows, KeyOf keyOf) {
  std::vector<std::uint64_t> keys(static_cast<std::size_t>(ReachableRows(rows)));
  for (std::size_t r = 0; r < keys.size(); ++r) {
    keys[r] = PackedKey(keyOf(rows[r]));
  }
  return keys;
}

// The reachable rows' keys sorted by packed key and then by row, so that the
// first row with a given text is found by a binary search.
template <typename Row, typename KeyOf>
std::vector<KeyedRow> SortedKeyColumn(const std::vector<Row>& rows, KeyOf keyOf) {
  std::vector<KeyedRow> keys(static_cast<std::size_t>(ReachableRows(rows)));
  for (std::size_t r = 0; r < keys.size(); ++r) {
    keys[r] = {PackedKey(keyOf(rows[r])), static_cast<RowNumber>(r)};
  }
  std::sort(keys.begin(), keys.end(),
            [](const KeyedRow& a, const KeyedRow& b) { return a.key != b.key ? a.key < b.key : a.row < b.row; });
  return keys;
}

// The first row (in table order) whose key equals text, or kNoRow.
template <typename Row, typename KeyOf>
RowNumber FindSortedRow(const std::vector<Row>& rows, const std::vector<KeyedRow>& keys, std::string_view text,
                        KeyOf keyOf) {
  const std::uint64_t key = PackedKey(text);
  auto at = std::lower_bound(keys.begin(), keys.end(), key,
                             [](const KeyedRow& entry, std::uint64_t k) { return entry.key < k; });
  for (; at != keys.end() && at->key == key; ++at) {
    if (SameText(keyOf(rows[At(at->row)]), text)) {
      return at->row;
    }
  }
  return kNoRow;
}

// The first row in [first, last] whose key equals text, or kNoRow.
template <typename Row, typename KeyOf>
RowNumber FindRow(const std::vector<Row>& rows, const std::vector<std::uint64_t>& keys, RowNumber first, RowNumber last,
                  std::string_view text, KeyOf keyOf) {
  if (first < 0 || last < first) {
    return kNoRow;
  }
  const std::uint64_t key = PackedKey(text);
  const std::uint64_t* begin = keys.data() + At(first);
  const std::uint64_t* end = keys.data() + At(last) + 1;
  for (const std::uint64_t* at = std::find(begin, end, key); at != end; at = std::find(at + 1, end, key)) {
    const auto r = static_cast<RowNumber>(at - keys.data());
    if (SameText(keyOf(rows[At(r)]), text)) {
      return r;
    }
  }
  return kNoRow;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

const std::string& LabelOf(const LabelRow& row) { return row.label; }
const std::string& CodeOf(const CodeRow& row) { return row.code; }
const std::string& AirportCodeOf(const AirportRow& row) { return row.code; }

}  // namespace

int AirportBucketOf(std::string_view code) {
  if (code.empty()) {
    return kNoBucket;
  }
  return static_cast<unsigned char>(AsciiUpper(code.front())) - 'A';
}

void ReferenceTables::SetCountries(std::vector<std::string> rows) { countries_ = std::move(rows); }

// The key column follows the table at once, as for labels and codes, so a
// lookup never compares against codes the table no longer holds.
void ReferenceTables::SetAirports(std::vector<AirportRow> rows) {
  airports_ = std::move(rows);
  airportKeys_ = KeyColumn(airports_, AirportCodeOf);
}

void ReferenceTables::SetLabels(std::vector<LabelRow> rows) {
  labels_ = std::move(rows);
  labelKeys_ = SortedKeyColumn(labels_, LabelOf);
}

void ReferenceTables::SetCodes(std::vector<CodeRow> rows) {
  codes_ = std::move(rows);
  codeKeys_ = SortedKeyColumn(codes_, CodeOf);
}

void ReferenceTables::FillBuiltinTables() {
  std::vector<std::string> countries;
  countries.reserve(kBuiltinCountries.size());
  for (const BuiltinCountry& row : kBuiltinCountries) {
    countries.emplace_back(row.name);
  }
  SetCountries(std::move(countries));

  std::vector<AirportRow> airports;
  airports.reserve(kBuiltinAirports.size());
  for (const BuiltinAirport& row : kBuiltinAirports) {
    airports.push_back({std::string(row.code), std::string(row.countryId), std::string(row.name)});
  }
  SetAirports(std::move(airports));

  std::vector<LabelRow> labels;
  labels.reserve(kBuiltinLabels.size());
  for (const BuiltinLabel& row : kBuiltinLabels) {
    labels.push_back({std::string(row.label), std::string(row.description), std::string(row.smi)});
  }
  SetLabels(std::move(labels));

  std::vector<CodeRow> codes;
  codes.reserve(kBuiltinCodes.size());
  for (const BuiltinCode& row : kBuiltinCodes) {
    codes.push_back({std::string(row.code), std::string(row.description)});
  }
  SetCodes(std::move(codes));

  IndexAirports();
}

// Walks the sorted airport table once and records, for each first letter,
// where its run of codes starts and ends. Rows whose code does not begin with
// a letter belong to no bucket and leave the current run open; codes that
// begin with A get a run like any other letter.
void ReferenceTables::IndexAirports() {
  for (AirportRun& run : airportIndex_) {
    run.first = kNoRow;
  }
  int previous = kNoBucket;
  const RowNumber rows = ReachableRows(airports_);
  for (RowNumber r = 0; r < rows; ++r) {
    const int k = AirportBucketOf(airports_[At(r)].code);
    if (k < 0 || k >= kAirportBucketCount || k == previous) {
      continue;
    }
    airportIndex_[static_cast<std::size_t>(k)].first = r;
    if (previous != kNoBucket) {
      airportIndex_[static_cast<std::size_t>(previous)].last = static_cast<RowNumber>(r - 1);
    }
    previous = k;
  }
  if (previous != kNoBucket) {
    airportIndex_[static_cast<std::size_t>(previous)].last = static_cast<RowNumber>(rows - 1);
  }
}

std::string ReferenceTables::LabelDescription(std::string_view label) const {
  std::string text;
  AppendLabelDescription(label, text);
  return text;
}

std::string ReferenceTables::CodeDescription(std::string_view code) const {
  std::string text;
  AppendCodeDescription(code, text);
  return text;
}

void ReferenceTables::AppendLabelDescription(std::string_view label, std::string& out) const {
  if (label.empty()) {
    return;
  }
  const RowNumber r = FindSortedRow(labels_, labelKeys_, label, LabelOf);
  if (r != kNoRow) {
    out += labels_[At(r)].description;
    return;
  }
  out += label;
  out += " (not in list)";
}

void ReferenceTables::AppendCodeDescription(std::string_view code, std::string& out) const {
  if (code.empty()) {
    return;
  }
  const RowNumber r = FindSortedRow(codes_, codeKeys_, code, CodeOf);
  if (r != kNoRow) {
    out += codes_[At(r)].description;
    return;
  }
  out += '#';
  out += code;
  out += " (not in list)";
}

const AirportRow* ReferenceTables::FindAirport(std::string_view code) const {
  const int k = AirportBucketOf(code);
  if (k < 0 || k >= kAirportBucketCount) {
    return nullptr;
  }
  const AirportRun run = airportIndex_[static_cast<std::size_t>(k)];
  if (run.first == kNoRow) {
    return nullptr;
  }
  // The run is clamped to the indexed rows still present, so an index left
  // over from a longer table never reads past it.
  const auto indexed = static_cast<RowNumber>(std::min(airportKeys_.size(), airports_.size()));
  const RowNumber last = std::min<RowNumber>(run.last, static_cast<RowNumber>(indexed - 1));
  const RowNumber r = FindRow(airports_, airportKeys_, std::max<RowNumber>(run.first, 0), last, code, AirportCodeOf);
  return r == kNoRow ? nullptr : &airports_[At(r)];
}

std::string ReferenceTables::AirportInfo(std::string_view code) const {
  const AirportRow* row = FindAirport(code);
  if (row == nullptr || row->name.empty()) {
    return {};
  }
  std::string text = row->name;
  if (text.size() < kAirportNameWidth) {
    text.resize(kAirportNameWidth, ' ');
  }
  text += CountryName(row->countryId);
  return text;
}

std::string_view ReferenceTables::AirportName(std::string_view code) const {
  const AirportRow* row = FindAirport(code);
  return row == nullptr ? std::string_view() : std::string_view(row->name);
}

// The country a decimal ID names; empty when the ID is not a number or names
// no row, so that a damaged table never stops a lookup.
std::string_view ReferenceTables::CountryName(std::string_view countryId) const {
  const auto first = countryId.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  countryId.remove_prefix(first);
  long id = -1;
  const auto result = std::from_chars(countryId.data(), countryId.data() + countryId.size(), id);
  if (result.ec != std::errc() || id < 0 || static_cast<std::size_t>(id) >= std::min(countries_.size(), kMaxRows)) {
    return {};
  }
  return countries_[static_cast<std::size_t>(id)];
}

ReferenceTables& Global() {
  static ReferenceTables tables;
  return tables;
}

void FillBuiltinTables() { Global().FillBuiltinTables(); }
void IndexAirports() { Global().IndexAirports(); }
std::string LabelDescription(std::string_view label) { return Global().LabelDescription(label); }
std::string CodeDescription(std::string_view code) { return Global().CodeDescription(code); }
std::string AirportInfo(std::string_view code) { return Global().AirportInfo(code); }

}  // namespace corvane::reference
