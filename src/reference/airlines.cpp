// The airline lookups: searches by halves over the airline table (by ICAO)
// and its IATA index, and the reading of an ACARS flight id into an airline
// designator and a flight number.
#include "reference/airlines.h"

#include <algorithm>

namespace corvane::reference {
namespace {

// At most two letters may follow the digits of a flight number ("BA028F",
// "EK46HN"); an ADS-B callsign holds at most eight characters.
constexpr std::size_t kMaxSuffixLetters = 2;
constexpr std::size_t kMaxCallsignLength = 8;

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A flight number: one digit or more, then at most kMaxSuffixLetters capitals.
bool IsFlightNumber(std::string_view number) {
  const auto digits = std::find_if_not(number.begin(), number.end(), IsDigit) - number.begin();
  const auto letters = number.substr(static_cast<std::size_t>(digits));
  return digits > 0 && letters.size() <= kMaxSuffixLetters && std::all_of(letters.begin(), letters.end(), IsCapital);
}

bool IsIcaoDesignator(std::string_view code) {
  return code.size() == 3 && std::all_of(code.begin(), code.end(), IsCapital);
}

// Two capitals or digits, not two digits ("BA", "U2", "3K").
bool IsIataCode(std::string_view code) {
  const auto capitalOrDigit = [](char c) { return IsCapital(c) || IsDigit(c); };
  return code.size() == 2 && std::all_of(code.begin(), code.end(), capitalOrDigit) &&
         !(IsDigit(code[0]) && IsDigit(code[1]));
}

// An ACARS flight id read as an airline and a flight number.
struct FlightParts {
  const Airline* airline = nullptr;
  std::string_view number;
};

// The ICAO reading ("BAW123") comes first: an IATA reading needs a digit
// third, which a three-letter designator never has, so the two never compete.
std::optional<FlightParts> SplitFlight(std::string_view flight) {
  flight = TrimSpaces(flight);
  if (flight.size() > 3 && IsIcaoDesignator(flight.substr(0, 3)) && IsFlightNumber(flight.substr(3))) {
    if (const auto* airline = AirlineByIcao(flight.substr(0, 3))) {
      return FlightParts{airline, flight.substr(3)};
    }
  }
  if (flight.size() > 2 && IsIataCode(flight.substr(0, 2)) && IsFlightNumber(flight.substr(2))) {
    if (const auto* airline = AirlineByIata(flight.substr(0, 2))) {
      return FlightParts{airline, flight.substr(2)};
    }
  }
  return std::nullopt;
}

}  // namespace

const Airline* AirlineByIcao(std::string_view icao) {
  const auto byIcao = [](const Airline& row, std::string_view wanted) { return row.icao < wanted; };
  const auto found = std::lower_bound(kAirlines.begin(), kAirlines.end(), icao, byIcao);
  return found != kAirlines.end() && found->icao == icao ? &*found : nullptr;
}

const Airline* AirlineByIata(std::string_view iata) {
  const auto byIata = [](std::uint16_t row, std::string_view wanted) { return kAirlines[row].iata < wanted; };
  const auto found = std::lower_bound(kAirlinesByIata.begin(), kAirlinesByIata.end(), iata, byIata);
  return found != kAirlinesByIata.end() && kAirlines[*found].iata == iata ? &kAirlines[*found] : nullptr;
}

const Airline* AirlineOfFlight(std::string_view flight) {
  const auto parts = SplitFlight(flight);
  return parts ? parts->airline : nullptr;
}

std::optional<std::string> IcaoCallsignOf(std::string_view flight) {
  const auto parts = SplitFlight(flight);
  if (!parts) {
    return std::nullopt;
  }
  auto number = parts->number;
  number.remove_prefix(std::min(number.find_first_not_of('0'), number.size()));
  if (number.empty() || !IsDigit(number.front())) {
    return std::nullopt;  // flight number zero ("FX0000"), a placeholder rather than a flight
  }
  std::string callsign(parts->airline->icao);
  callsign += number;
  if (callsign.size() > kMaxCallsignLength) {
    return std::nullopt;
  }
  return callsign;
}

}  // namespace corvane::reference
