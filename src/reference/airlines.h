// Built-in airlines and the lookups of an airline by IATA code, by ICAO
// designator and by an ACARS flight id, and the ICAO callsign (as ADS-B
// shows it) of an ACARS flight.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::reference {

struct Airline {
  std::string_view iata;      // two capitals or digits, e.g. "BA", "U2", "3K"
  std::string_view icao;      // three capitals, e.g. "BAW"
  std::string_view name;      // e.g. "British Airways"
  std::string_view callsign;  // radio telephony callsign, e.g. "SPEEDBIRD"; may be empty
  std::string_view country;   // e.g. "United Kingdom"; may be empty
};

// Sorted by ICAO designator, each designator once.
extern const std::span<const Airline> kAirlines;
// Positions in kAirlines of the airline each IATA code names, sorted by IATA
// code, each code once. An IATA code shared by several airlines names one of
// them (see scripts/generate-airlines.py); the others are found by ICAO.
extern const std::span<const std::uint16_t> kAirlinesByIata;

// The airline with exactly this IATA code ("BA"); none when unknown.
[[nodiscard]] const Airline* AirlineByIata(std::string_view iata);
// The airline with exactly this ICAO designator ("BAW"); none when unknown.
[[nodiscard]] const Airline* AirlineByIcao(std::string_view icao);

// The airline of an ACARS flight id: an ICAO three-letter prefix ("BAW123")
// or an IATA two-character prefix ("BA0123", "U21234", "3K0520"), followed by
// a flight number (digits, then at most two letters). Spaces around the id
// are ignored. None when the id has another form or the airline is unknown.
[[nodiscard]] const Airline* AirlineOfFlight(std::string_view flight);

// The callsign ADS-B shows for an ACARS flight id: the ICAO designator, the
// flight number without leading zeros and any trailing letters ("BA0123" ->
// "BAW123", "EK001C" -> "UAE1C", "BAW0123" -> "BAW123"). None when the airline
// is unknown or the flight number is zero.
[[nodiscard]] std::optional<std::string> IcaoCallsignOf(std::string_view flight);

}  // namespace corvane::reference
