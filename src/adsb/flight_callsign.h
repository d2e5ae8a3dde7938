// The one place where a message's flight becomes the callsign the aircraft
// transmits over ADS-B: "BA0123" is flown as "BAW123".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::adsb {

// The ICAO callsign of an ACARS flight id; nothing when its airline is not
// known.
std::optional<std::string> CallsignOfFlight(std::string_view flight);

}  // namespace corvane::adsb
