// The lookup of an airport's position: a search by halves over the sorted
// position table.
#include "reference/airport_positions.h"

#include <algorithm>

namespace corvane::reference {

std::optional<AirportPosition> AirportPositionOf(std::string_view code) {
  const auto byCode = [](const AirportPosition& row, std::string_view wanted) { return row.code < wanted; };
  const auto* found = std::lower_bound(kAirportPositions.begin(), kAirportPositions.end(), code, byCode);
  if (found == kAirportPositions.end() || found->code != code) {
    return std::nullopt;
  }
  return *found;
}

}  // namespace corvane::reference
