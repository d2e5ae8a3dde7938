// The airline table of src/reference knows each airline's IATA and ICAO
// designators; the callsign is its ICAO designator and the flight number.
#include "adsb/flight_callsign.h"

#include "reference/airlines.h"

namespace corvane::adsb {

std::optional<std::string> CallsignOfFlight(std::string_view flight) { return reference::IcaoCallsignOf(flight); }

}  // namespace corvane::adsb
