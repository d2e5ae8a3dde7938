// The answer of the page's /api/adsb: whether a source is set, the
// station's position, the time, and the aircraft with their messages of
// today (aircraft_table.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "adsb/aircraft_table.h"

namespace corvane::adsb {

struct StationPosition {
  double latitude = 0;
  double longitude = 0;
};

struct AdsbAnswer {
  std::string source;  // as set; empty: ADS-B is off
  std::optional<StationPosition> station;
  UtcMillis now = 0;
  std::vector<AircraftView> aircraft;
};

// {"enabled", "source", "station": {"lat","lon"} or null, "now" (ISO 8601,
// milliseconds, Z), "aircraft": [{"hex", "registration", "callsign", "lat",
// "lon", "altitudeFt", "track", "groundSpeedKt", "seenSecondsAgo",
// "positionSecondsAgo", "messagesToday", "matchedBy", "search"}]}, each
// unknown value null.
std::string AdsbJson(const AdsbAnswer& answer);

// The station's position from the settings' texts; nothing when either is
// empty or not a number in range.
std::optional<StationPosition> StationPositionOf(const std::string& latitude, const std::string& longitude);

}  // namespace corvane::adsb
