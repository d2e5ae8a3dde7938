// The forms of the other labels on real messages (found by the start of
// their text): event reports, flight headers, waypoint reports, squitters
// and the single-label forms, and the pieces that must make a text fall out.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, EventReportsReadRouteTimeAndTheEventsTime) {
  const auto off = DecodeFirst("14", "/14 OFF EVENT      / KIAD EDDF");
  ASSERT_TRUE(off);
  EXPECT_EQ(off->kind, "Off report");
  EXPECT_EQ(off->text,
            "Departure: KIAD (Washington, DC)\r\nArrival: EDDF (Frankfurt)\r\nTime: 02:50:55\r\nOff: 02:50\r\n"
            "Position: 38\xB0"
            "57.6'N 77\xB0"
            "27.6'W\r\n");
  const auto expected = DecodeFirst("5Z", "/ET EXP TIME       / KDEN KPHX");
  ASSERT_TRUE(expected);
  EXPECT_EQ(TextOf(*expected, "estimated_on"), "01:09");
  const auto landing = DecodeFirst("5Z", "/B6 LDG DATA REQ   / KIAH KAUS");
  ASSERT_TRUE(landing);
  EXPECT_EQ(TextOf(*landing, "runway_arrival"), "18L");
  const auto reset = DecodeFirst("2R", "/2R RESET          / KEWR MWCR");
  ASSERT_TRUE(reset);
  EXPECT_EQ(TextOf(*reset, "flight"), "1436");
  // Minutes over 59 in a position to the second: no position at all.
  const auto badLocation = DecodeFirst("14", "/14 OFF EVENT      / KIAD KSAT");
  ASSERT_TRUE(badLocation);
  EXPECT_EQ(FieldOf(*badLocation, "latitude"), nullptr);
  EXPECT_FALSE(Decode({"5Z", "2", "/C3 GATE REQ       / KBNA KEWR 22 245400 0554", {}}, tables_));  // hour 24
  EXPECT_FALSE(Decode({"5Z", "2", "/C3 NEW THING      / KBNA KEWR 22 115400 0554", {}}, tables_));
}

TEST_F(RealMessages, FlightHeadersReadFlightTimeRouteAndPositionLines) {
  const auto freeText = DecodeFirst("37", "FTX01YX4687/04042233KJFKKDCA");
  ASSERT_TRUE(freeText);
  EXPECT_EQ(freeText->kind, "Free text");
  EXPECT_EQ(freeText->text, "Flight: YX4687\r\nTime: 22:33\r\nDeparture: KJFK\r\nArrival: KDCA\r\n");
  const auto withPosition = DecodeFirst("39", "PBS01AFL2137   /13131406LTFMUUEE");
  ASSERT_TRUE(withPosition);
  EXPECT_EQ(TextOf(*withPosition, "flight"), "AFL2137");
  EXPECT_DOUBLE_EQ(NumberOf(*withPosition, "latitude"), 41.264);
  EXPECT_DOUBLE_EQ(NumberOf(*withPosition, "longitude"), 28.750);
  const auto withAltitude = DecodeFirst("27", "POS01AFL2374   /08080727UUEELFLL");
  ASSERT_TRUE(withAltitude);
  EXPECT_EQ(NumberOf(*withAltitude, "altitude_ft"), 36000);
  EXPECT_FALSE(Decode({"37", "2", "FTX01YX4687/04042260KJFKKDCA", {}}, tables_));  // minute 60
  EXPECT_FALSE(Decode({"37", "2", "FTX01YX4687/04042233KJFKKDC1", {}}, tables_));
}

TEST_F(RealMessages, WaypointReportsReadPositionTimeFlightLevelAndTemperature) {
  const auto packed = DecodeFirst("4A", "N50412E005316KON39");
  ASSERT_TRUE(packed);
  EXPECT_EQ(packed->text,
            "Position: 50\xB0"
            "41.2'N 5\xB0"
            "31.6'E\r\nTime: 08:44:17\r\nAltitude: 37,000 ft\r\nOutside air temperature: -57 \xB0"
            "C\r\n");
  const auto prefixed = DecodeFirst("4A", "M60ALH0752N22456E077014");
  ASSERT_TRUE(prefixed);
  EXPECT_NEAR(NumberOf(*prefixed, "latitude"), 22.76, 0.001);
  const auto thousandths = DecodeFirst("16", "POSA1N37358W 77279");
  ASSERT_TRUE(thousandths);
  EXPECT_DOUBLE_EQ(NumberOf(*thousandths, "longitude"), -77.279);
  EXPECT_EQ(NumberOf(*thousandths, "temperature_c"), -61);
  const auto west = DecodeFirst("20", "POSN38160W077075");
  ASSERT_TRUE(west);
  EXPECT_NEAR(NumberOf(*west, "longitude"), -77.125, 0.0001);
  EXPECT_EQ(NumberOf(*west, "altitude_ft"), 36000);
  const auto stamped = DecodeFirst("16", "PC0397/04AUG22 12:08:30");
  ASSERT_TRUE(stamped);
  EXPECT_EQ(TextOf(*stamped, "time"), "12:08:30");
  EXPECT_EQ(NumberOf(*stamped, "altitude_ft"), 12239);
  const auto slashed = DecodeFirst("16", "LAT N 47.176/LON E  2.943");
  ASSERT_TRUE(slashed);
  EXPECT_DOUBLE_EQ(NumberOf(*slashed, "longitude"), 2.943);
  // Spaces padding the degrees of a position to the second.
  const auto padded = DecodeFirst("22", "N 370824W 760010");
  ASSERT_TRUE(padded);
  EXPECT_NEAR(NumberOf(*padded, "longitude"), -(76 + 10 / 3600.0), 1e-9);
  // Minutes of 60 in a packed position.
  EXPECT_FALSE(Decode({"4A", "2", "N50602E005316KON39 ,084417370GUBAX ,085553,M57,159003254,85609571", {}}, tables_));
}

TEST_F(RealMessages, SquittersNameTheStationItsPlaceAndFrequency) {
  const auto full = DecodeFirst("SQ", "02XSPERYPPH03155S11557EV136975/");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->kind, "Squitter");
  EXPECT_EQ(TextOf(*full, "network"), "SITA");
  EXPECT_EQ(TextOf(*full, "station"), "YPPH");
  EXPECT_NEAR(NumberOf(*full, "latitude"), -(31 + 55 / 60.0), 1e-9);
  EXPECT_EQ(TextOf(*full, "frequency_mhz"), "136.975");
  const auto brief = DecodeFirst("SQ", "01XAABQKABQ1ARINC");
  ASSERT_TRUE(brief);
  EXPECT_EQ(brief->text, "Network: ARINC\r\nStation (IATA): ABQ\r\nStation: KABQ\r\n");
  EXPECT_FALSE(DecodeFirst("SQ", "00XS"));
}

TEST_F(RealMessages, SingleLabelFormsReadOnlyWhatTheirPiecesShow) {
  const auto atis = DecodeFirst("B9", "/KLAX.TI2/040KLAXA3625");
  ASSERT_TRUE(atis);
  EXPECT_EQ(TextOf(*atis, "airport"), "KLAX");
  EXPECT_FALSE(DecodeFirst("B9", "046KDENA"));
  const auto phase = DecodeFirst("4A", "01CLER VIR141/191334EGLLKLAX");
  ASSERT_TRUE(phase);
  EXPECT_EQ(NumberOf(*phase, "altitude_ft"), 35764);
  EXPECT_EQ(NumberOf(*phase, "temperature_c"), -17.8);
  const auto fleet = DecodeFirst("4A", "101606,1910,.N317FR,,KMDW,----");
  ASSERT_TRUE(fleet);
  EXPECT_EQ(TextOf(*fleet, "tail"), "N317FR");
  EXPECT_EQ(FieldOf(*fleet, "arrival"), nullptr);
  const auto door = DecodeFirst("4A", "DOOR/CARGO OPEN 1445");
  ASSERT_TRUE(door);
  EXPECT_EQ(door->kind, "Door opened");
  const auto tagged = DecodeFirst("1L", "00018213200/GS 411500/DEP MDPC");
  ASSERT_TRUE(tagged);
  EXPECT_EQ(TextOf(*tagged, "flight"), "SWG9040");
  EXPECT_DOUBLE_EQ(NumberOf(*tagged, "longitude"), -78.289);
  const auto signedLead = DecodeFirst("1L", "+ 39.126/- 77.358/UTC");
  ASSERT_TRUE(signedLead);
  EXPECT_DOUBLE_EQ(NumberOf(*signedLead, "longitude"), -77.358);
  const auto missing = DecodeFirst("1L", "00086213200/GS 497000/DEP CYUL");  // "LAT MMMM.MMM"
  ASSERT_TRUE(missing);
  EXPECT_EQ(FieldOf(*missing, "latitude"), nullptr);
  const auto times = DecodeFirst("2B", "/DA EGLL/DS OLBA/OT 1338");
  ASSERT_TRUE(times);
  EXPECT_EQ(times->text,
            "Departure: EGLL (London)\r\nArrival: OLBA (Beirut)\r\nOut: 13:38\r\nOff: 13:53\r\n"
            "Estimated arrival: 18:32\r\n");
  const auto shortRoute = DecodeFirst("5Z", "/B6 ORDLGA LGA R22");
  ASSERT_TRUE(shortRoute);
  EXPECT_EQ(TextOf(*shortRoute, "arrival_iata"), "LGA");
  EXPECT_EQ(TextOf(*shortRoute, "runway_arrival"), "22");
  const auto heading = DecodeFirst("24", "081124  OAJ  ATL0");
  ASSERT_TRUE(heading);
  EXPECT_EQ(TextOf(*heading, "departure_iata"), "OAJ");
  const auto status = DecodeFirst("15", "FST01LPFREGKKN38369W0074904280");
  ASSERT_TRUE(status);
  EXPECT_DOUBLE_EQ(NumberOf(*status, "latitude"), 38.369);
  EXPECT_DOUBLE_EQ(NumberOf(*status, "longitude"), -7.4904);
}

}  // namespace
}  // namespace corvane::readable
