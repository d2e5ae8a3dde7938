// Tests of the built-in airlines: the table's order, the lookups by IATA and
// ICAO code, the reading of ACARS flight ids and their ICAO callsigns, and how
// many flights of the shared real capture find their airline.
#include "reference/airlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace corvane::reference {
namespace {

std::string IcaoOf(const Airline* airline) { return airline == nullptr ? "none" : std::string(airline->icao); }

TEST(Airlines, TableIsSortedByIcaoAndItsIndexByIata) {
  ASSERT_GT(kAirlines.size(), 500u);
  ASSERT_LT(kAirlines.size(), 5000u);
  EXPECT_TRUE(std::adjacent_find(kAirlines.begin(), kAirlines.end(), [](const Airline& a, const Airline& b) {
                return a.icao >= b.icao;
              }) == kAirlines.end());
  EXPECT_TRUE(std::adjacent_find(kAirlinesByIata.begin(), kAirlinesByIata.end(), [](auto a, auto b) {
                return kAirlines[a].iata >= kAirlines[b].iata;
              }) == kAirlinesByIata.end());
  for (const Airline& airline : kAirlines) {
    EXPECT_EQ(AirlineByIcao(airline.icao), &airline) << airline.icao;
    ASSERT_NE(AirlineByIata(airline.iata), nullptr) << airline.iata;  // every code names one of its airlines
    EXPECT_EQ(AirlineByIata(airline.iata)->iata, airline.iata);
    EXPECT_FALSE(airline.name.empty()) << airline.icao;
  }
}

TEST(Airlines, LookupsByIataAndIcao) {
  const Airline* british = AirlineByIata("BA");
  ASSERT_NE(british, nullptr);
  EXPECT_EQ(british->icao, "BAW");
  EXPECT_EQ(british->name, "British Airways");
  EXPECT_EQ(british->callsign, "SPEEDBIRD");
  EXPECT_EQ(british->country, "United Kingdom");
  EXPECT_EQ(AirlineByIcao("BAW"), british);
  EXPECT_EQ(IcaoOf(AirlineByIata("U2")), "EZY");  // digit second
  EXPECT_EQ(IcaoOf(AirlineByIata("3K")), "JSA");  // digit first
  // Shared codes name the airline chosen for them; the others stay known by ICAO.
  EXPECT_EQ(IcaoOf(AirlineByIata("LH")), "DLH");
  EXPECT_EQ(IcaoOf(AirlineByIcao("GEC")), "GEC");
  EXPECT_EQ(IcaoOf(AirlineByIata("FX")), "FDX");
  EXPECT_EQ(IcaoOf(AirlineByIata("CV")), "CLX");
  // Exact codes only.
  EXPECT_EQ(AirlineByIata("ba"), nullptr);
  EXPECT_EQ(AirlineByIata("B"), nullptr);
  EXPECT_EQ(AirlineByIata("BAW"), nullptr);
  EXPECT_EQ(AirlineByIata(""), nullptr);
  EXPECT_EQ(AirlineByIcao("BA"), nullptr);
  EXPECT_EQ(AirlineByIcao("BAWX"), nullptr);
  EXPECT_EQ(AirlineByIcao("ZZZZ"), nullptr);
  EXPECT_EQ(AirlineByIata("XA"), nullptr);  // ARINC's test designator is no airline
}

TEST(Airlines, AirlineOfTrickyFlightIds) {
  EXPECT_EQ(IcaoOf(AirlineOfFlight("BA0123")), "BAW");
  EXPECT_EQ(IcaoOf(AirlineOfFlight("BAW123")), "BAW");
  EXPECT_EQ(IcaoOf(AirlineOfFlight("U21234")), "EZY");
  EXPECT_EQ(IcaoOf(AirlineOfFlight("3K0520")), "JSA");
  EXPECT_EQ(IcaoOf(AirlineOfFlight("BA028F")), "BAW");  // suffix letters
  EXPECT_EQ(IcaoOf(AirlineOfFlight("EK46HN")), "UAE");
  EXPECT_EQ(IcaoOf(AirlineOfFlight(" BA0123  ")), "BAW");  // padding
  EXPECT_EQ(IcaoOf(AirlineOfFlight("BA1")), "BAW");
  EXPECT_EQ(IcaoOf(AirlineOfFlight("GEC8160")), "GEC");  // ICAO reading of a shared IATA code's airline
  for (const char* flight : {"", "  ", "B", "BA", "BAW", "BA 123", "ba0123", "BA0123ABC", "BAX123", "ZZ0123", "123456",
                             "BA12A3", "MCLL93", "ATRAM6", "BA-123"}) {
    EXPECT_EQ(AirlineOfFlight(flight), nullptr) << '"' << flight << '"';
  }
}

TEST(Airlines, IcaoCallsignOfFlights) {
  EXPECT_EQ(IcaoCallsignOf("BA0123"), "BAW123");
  EXPECT_EQ(IcaoCallsignOf("BAW123"), "BAW123");
  EXPECT_EQ(IcaoCallsignOf("BAW0123"), "BAW123");
  EXPECT_EQ(IcaoCallsignOf("U21234"), "EZY1234");
  EXPECT_EQ(IcaoCallsignOf("3K0520"), "JSA520");
  EXPECT_EQ(IcaoCallsignOf("BA028F"), "BAW28F");
  EXPECT_EQ(IcaoCallsignOf("EK001C"), "UAE1C");
  EXPECT_EQ(IcaoCallsignOf("BA0100"), "BAW100");  // zeros inside the number stay
  EXPECT_EQ(IcaoCallsignOf(" AA0021 "), "AAL21");
  EXPECT_EQ(IcaoCallsignOf("FX0000"), std::nullopt);  // no number
  EXPECT_EQ(IcaoCallsignOf("BA000F"), std::nullopt);
  EXPECT_EQ(IcaoCallsignOf("ZZ0123"), std::nullopt);  // unknown airline
  EXPECT_EQ(IcaoCallsignOf("BA"), std::nullopt);
  EXPECT_EQ(IcaoCallsignOf("BA12345AB"), std::nullopt);  // longer than the eight characters of ADS-B
}

// Most flights of real traffic carry a known airline: a damaged table or a
// reading that rejects real flight ids shows here.
TEST(Airlines, MostFlightsOfTheRealCaptureFindTheirAirline) {
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars-fields.jsonl");
  if (!in) {
    FAIL() << "the shared capture of real traffic (../shared/captures) is not on this machine";
  }
  int flights = 0;
  int known = 0;
  for (std::string line; std::getline(in, line);) {
    const auto flight = nlohmann::json::parse(line).at("flight").get<std::string>();
    if (flight.find_first_not_of(' ') == std::string::npos) {
      continue;
    }
    ++flights;
    known += AirlineOfFlight(flight) != nullptr ? 1 : 0;
  }
  ASSERT_GT(flights, 500);
  std::printf("%d of %d flights find their airline\n", known, flights);
  EXPECT_GT(known * 100, flights * 90);
}

}  // namespace
}  // namespace corvane::reference
