// The process-wide reference tables (countries, airports, labels, H1 codes),
// the first-letter airport index and the three lookups the decoders use.
// All cells are text; row numbers are 16-bit signed, so a table holds at most
// 32,767 rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::reference {

using RowNumber = std::int16_t;

// Largest number of rows a table can hold with 16-bit row numbers.
inline constexpr std::size_t kMaxRows = 32767;

struct AirportRow {
  std::string code;       // ICAO location indicator
  std::string countryId;  // decimal text naming a Countries row
  std::string name;
};

struct LabelRow {
  std::string label;
  std::string description;
  std::string smi;
};

struct CodeRow {
  std::string code;
  std::string description;
};

// One bucket of the airport index: the first and last row of the run of
// airport codes that begin with one letter. A first row of -1 means no code
// begins with that letter.
struct AirportRun {
  RowNumber first = 0;
  RowNumber last = 0;
};

// A row's key, packed into one number (see the key columns below), with the row.
struct KeyedRow {
  std::uint64_t key = 0;
  RowNumber row = 0;
};

// Bucket k stands for the letter 'A' + k; bucket 26 is never reached by a
// letter but exists so that the bucket of '[' is valid and empty.
inline constexpr int kAirportBucketCount = 27;
using AirportIndexTable = std::array<AirportRun, kAirportBucketCount>;

// Width the airport name is padded to before the country name follows it.
inline constexpr std::size_t kAirportNameWidth = 20;

class ReferenceTables {
 public:
  // The rows of each table. The row number of Countries is the country ID;
  // Airports is sorted by code.
  [[nodiscard]] const std::vector<std::string>& Countries() const { return countries_; }
  [[nodiscard]] const std::vector<AirportRow>& Airports() const { return airports_; }
  [[nodiscard]] const std::vector<LabelRow>& Labels() const { return labels_; }
  [[nodiscard]] const std::vector<CodeRow>& Codes() const { return codes_; }
  [[nodiscard]] const AirportIndexTable& AirportIndex() const { return airportIndex_; }

  // Replace one table. Rows past the 16-bit limit are never looked at.
  // SetAirports leaves the index as it is until IndexAirports runs again.
  void SetCountries(std::vector<std::string> rows);
  void SetAirports(std::vector<AirportRow> rows);
  void SetLabels(std::vector<LabelRow> rows);
  void SetCodes(std::vector<CodeRow> rows);

  // Replaces all four tables by the built-in content and rebuilds the airport
  // index, so airports are named even when no store ever indexes them.
  void FillBuiltinTables();

  // Rebuilds AirportIndex from the current Airports table.
  void IndexAirports();

  // The label's description, or the label and " (not in list)"; empty for an
  // empty label.
  [[nodiscard]] std::string LabelDescription(std::string_view label) const;

  // The code's description, or "#", the code and " (not in list)"; empty for
  // an empty code.
  [[nodiscard]] std::string CodeDescription(std::string_view code) const;

  // The same two texts appended to out, for the message path, which forms a
  // label text for every record.
  void AppendLabelDescription(std::string_view label, std::string& out) const;
  void AppendCodeDescription(std::string_view code, std::string& out) const;

  // The airport name padded to 20 characters followed by its country name;
  // empty when the code is unknown or the airport has no name.
  [[nodiscard]] std::string AirportInfo(std::string_view code) const;

  // The airport's name alone, through the same index; empty when unknown.
  [[nodiscard]] std::string_view AirportName(std::string_view code) const;

 private:
  // The indexed row of the code; null when the code is unknown.
  [[nodiscard]] const AirportRow* FindAirport(std::string_view code) const;
  [[nodiscard]] std::string_view CountryName(std::string_view countryId) const;

  std::vector<std::string> countries_;
  std::vector<AirportRow> airports_;
  std::vector<LabelRow> labels_;
  std::vector<CodeRow> codes_;
  AirportIndexTable airportIndex_{};

  // Each key column holds the first eight bytes of a table's key packed into
  // one number, so that a scan compares numbers instead of texts; a number
  // match is confirmed on the full text. The airport keys belong to the index
  // and are built with it.
  // The label and code keys are sorted (by number, then row) so that the
  // message path, which looks up a label on every message, searches them.
  std::vector<std::uint64_t> airportKeys_;
  std::vector<KeyedRow> labelKeys_;
  std::vector<KeyedRow> codeKeys_;
};

// The bucket of a code's first letter (upper-cased), possibly outside the
// range 0 to 26 for characters that are not letters.
[[nodiscard]] int AirportBucketOf(std::string_view code);

// The tables of this process, filled at start-up and read by every decoder.
ReferenceTables& Global();

// The same operations on the process-wide tables.
void FillBuiltinTables();
void IndexAirports();
[[nodiscard]] std::string LabelDescription(std::string_view label);
[[nodiscard]] std::string CodeDescription(std::string_view code);
[[nodiscard]] std::string AirportInfo(std::string_view code);

}  // namespace corvane::reference
