// Positions of the built-in airports, for the map of the web page: a table
// sorted by ICAO location indicator and a lookup by code. Airports whose
// position is not known have no row.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace corvane::reference {

struct AirportPosition {
  std::string_view code;  // ICAO location indicator, four capitals
  double latitude = 0;    // degrees, north positive
  double longitude = 0;   // degrees, east positive
};

inline constexpr std::size_t kAirportPositionCount = 429;

// Sorted by code, each code once.
extern const std::array<AirportPosition, kAirportPositionCount> kAirportPositions;

// The position of the airport with exactly this code; none when the code has
// no row (unknown airport, or an airport whose position is not known).
[[nodiscard]] std::optional<AirportPosition> AirportPositionOf(std::string_view code);

}  // namespace corvane::reference
