// The built-in content of the four reference tables, as constant rows.
// FillBuiltinTables copies these into the process-wide tables at start-up
// and whenever the store cannot supply a table.
#pragma once

#include <array>
#include <string_view>

namespace corvane::reference {

struct BuiltinCountry {
  std::string_view name;  // the row number is the country ID
};

struct BuiltinAirport {
  std::string_view code;       // ICAO location indicator, four capitals
  std::string_view countryId;  // decimal text naming a Countries row
  std::string_view name;
};

struct BuiltinLabel {
  std::string_view label;  // two characters
  std::string_view description;
  std::string_view smi;  // three capitals, or empty
};

struct BuiltinCode {
  std::string_view code;  // two characters
  std::string_view description;
};

inline constexpr std::size_t kBuiltinCountryCount = 89;
inline constexpr std::size_t kBuiltinAirportCount = 434;
inline constexpr std::size_t kBuiltinLabelCount = 132;
inline constexpr std::size_t kBuiltinCodeCount = 51;

extern const std::array<BuiltinCountry, kBuiltinCountryCount> kBuiltinCountries;
extern const std::array<BuiltinAirport, kBuiltinAirportCount> kBuiltinAirports;
extern const std::array<BuiltinLabel, kBuiltinLabelCount> kBuiltinLabels;
extern const std::array<BuiltinCode, kBuiltinCodeCount> kBuiltinCodes;

}  // namespace corvane::reference
