// A flight written with the airline's ICAO designator ("BAW0123") is its
// own callsign, its number's leading zeros left out ("BAW123").
#include "adsb/flight_callsign.h"

#include <cctype>

namespace corvane::adsb {

std::optional<std::string> CallsignOfFlight(std::string_view flight) {
  const auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
  if (flight.size() < 4 || flight.size() > 8 || !isLetter(flight[0]) || !isLetter(flight[1]) || !isLetter(flight[2])) {
    return std::nullopt;
  }
  std::string_view number = flight.substr(3);
  while (number.size() > 1 && number.front() == '0') {
    number.remove_prefix(1);
  }
  if (number.empty() || number.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string_view::npos ||
      !std::isdigit(static_cast<unsigned char>(number.front()))) {
    return std::nullopt;
  }
  return std::string(flight.substr(0, 3)) + std::string(number);
}

}  // namespace corvane::adsb
