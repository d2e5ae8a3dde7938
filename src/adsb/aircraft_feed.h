// dump1090's and readsb's aircraft.json read into plain values. Both write
// {"now": seconds, "aircraft": [...]}; an aircraft has "hex" and, when
// known, "flight", "lat"/"lon" with "seen_pos", "track", "seen", and its
// altitude as "altitude" (dump1090-mutability) or "alt_baro" (readsb),
// either one the text "ground" on the ground, its speed as "speed" or "gs",
// and in readsb its registration "r" from the decoder's database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::adsb {

struct FeedAircraft {
  std::uint32_t address = 0;                // the 24-bit ICAO address
  std::optional<std::string> callsign;      // trimmed; nothing when empty
  std::optional<std::string> registration;  // readsb's "r"
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::optional<double> positionAge;  // seconds, "seen_pos"
  std::optional<double> altitudeFt;   // nothing on the ground and when unknown
  bool onGround = false;
  std::optional<double> track;
  std::optional<double> groundSpeedKt;
  double age = 0;  // seconds since anything was heard, "seen"
};

struct FeedSnapshot {
  std::optional<double> now;  // the decoder's clock when it wrote the file, seconds since 1970
  std::vector<FeedAircraft> aircraft;
};

// The aircraft of one aircraft.json; nothing when the text is not such a
// file. Aircraft without a 24-bit ICAO address (a hex beginning with "~":
// TIS-B or an anonymous address) and values of the wrong kind are left out.
std::optional<FeedSnapshot> ParseAircraftJson(std::string_view text);

}  // namespace corvane::adsb
