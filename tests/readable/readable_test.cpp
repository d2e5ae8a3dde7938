// Readable decoding, form by form, on messages of the shared capture of real
// traffic (found by the start of their text, never copied here), and the
// piece readers at their edges: south and west, minutes that round up, a
// hemisphere or a range that does not fit.
#include "readable/readable.h"

#include <gtest/gtest.h>

#include "readable/builder.h"
#include "readable/text_scan.h"
#include "real_messages.h"
#include "reference/reference_tables.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, MediaAdvisoriesNameTheLinkTheTimeAndTheLinksAvailable) {
  const auto established = DecodeFirst("SA", "0EV005043VSH");
  ASSERT_TRUE(established);
  EXPECT_EQ(established->kind, "media_advisory");
  EXPECT_EQ(TextOf(*established, "link"), "VHF ACARS");
  EXPECT_EQ(TextOf(*established, "link_state"), "established");
  EXPECT_EQ(TextOf(*DecodeFirst("SA", "0L"), "link_state"), "lost");
  EXPECT_EQ(TextOf(*established, "event_time"), "00:50:43");
  EXPECT_EQ(std::get<std::vector<std::string>>(*FieldOf(*established, "available_links")),
            (std::vector<std::string>{"VHF ACARS", "SATCOM", "HF data link"}));
  EXPECT_EQ(established->text,
            "Link established: VHF ACARS\r\nLink state: established\r\nTime: 00:50:43\r\nLinks available: VHF ACARS "
            "SATCOM HF data link\r\n");
  // The free text after "/" is no link.
  const auto afterSlash = DecodeFirst("SA", "0EH014323VSH/");
  ASSERT_TRUE(afterSlash);
  EXPECT_EQ(std::get<std::vector<std::string>>(*FieldOf(*afterSlash, "available_links")).size(), 3U);
  EXPECT_FALSE(Decode({"SA", "2", "0XV005043V", {}}, tables_));  // neither established nor lost
  EXPECT_FALSE(Decode({"SA", "2", "0EV256043V", {}}, tables_));  // no such hour
  EXPECT_FALSE(Decode({"SA", "2", "0EQ005043V", {}}, tables_));  // a link not known for sure
}

// Two forms of the same flight at the same moment: decimal degrees (21) and
// degrees, minutes and seconds (22) give the same place.
TEST_F(RealMessages, PositionReportsReadPlaceTimeAltitudeTemperatureAndArrival) {
  const auto decimal = DecodeFirst("21", "POSN 35.062W109.746");
  const auto seconds = DecodeFirst("22", "N 350343W1094445");
  ASSERT_TRUE(decimal && seconds);
  EXPECT_EQ(decimal->kind, "position_report");
  EXPECT_DOUBLE_EQ(NumberOf(*decimal, "latitude"), 35.062);
  EXPECT_DOUBLE_EQ(NumberOf(*decimal, "longitude"), -109.746);
  EXPECT_NEAR(NumberOf(*seconds, "latitude"), 35.062, 0.001);
  EXPECT_NEAR(NumberOf(*seconds, "longitude"), -109.746, 0.001);
  for (const Decoding* d : {&*decimal, &*seconds}) {
    EXPECT_EQ(TextOf(*d, "report_time"), "00:55:30");
    EXPECT_EQ(NumberOf(*d, "altitude_ft"), 37015);
    EXPECT_EQ(NumberOf(*d, "outside_air_temperature_c"), -58);
  }
  EXPECT_EQ(TextOf(*decimal, "eta"), "02:49:30");
  EXPECT_EQ(TextOf(*decimal, "arrival"), "KIAH");
  EXPECT_EQ(decimal->text,
            "Position: 35\xB0"
            "03.7'N 109\xB0"
            "44.8'W\r\nTime: 00:55:30\r\nAltitude: 37,015 ft\r\n"
            "Outside air temperature: -58 \xB0"
            "C\r\nEstimated arrival: 02:49:30\r\nArrival: KIAH\r\n");

  const auto withTail = DecodeFirst("12", "N 34.076,W107.484,38000,001217");
  ASSERT_TRUE(withTail);
  EXPECT_EQ(TextOf(*withTail, "tail"), "C-GWBT");
  EXPECT_EQ(TextOf(*withTail, "report_time"), "00:12:17");
  const auto plain = DecodeFirst("16", "000118,34986");
  ASSERT_TRUE(plain);
  EXPECT_DOUBLE_EQ(NumberOf(*plain, "latitude"), 35.975);
  EXPECT_EQ(NumberOf(*plain, "altitude_ft"), 34986);
}

// Label 16's automatic position report: position to the second and its
// tagged items; an altitude out of range ("/ALT 127912") is left out.
TEST_F(RealMessages, AutomaticPositionReportsReadTheirTaggedItems) {
  const auto full = DecodeFirst("16", "010394/AUTPOS");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->text,
            "Position: 35\xB0"
            "04.8'N 107\xB0"
            "00.4'W\r\nAltitude: 32,400 ft\r\nOutside air temperature: -48 \xB0"
            "C\r\nWind: 227\xB0"
            " at 27 kt\r\nTrue airspeed: 467 kt\r\nFuel on board: 34,840\r\nTime: 01:01:33\r\n");
  EXPECT_NEAR(NumberOf(*full, "latitude"), 35 + 4 / 60.0 + 47 / 3600.0, 1e-9);
  const auto noReadings = DecodeFirst("16", "010781/AUTPOS");
  ASSERT_TRUE(noReadings);
  EXPECT_EQ(FieldOf(*noReadings, "altitude_ft"), nullptr);
  EXPECT_EQ(FieldOf(*noReadings, "outside_air_temperature_c"), nullptr);
  EXPECT_EQ(TextOf(*noReadings, "report_time"), "00:07:30");
  // Sixty seconds is no position.
  EXPECT_FALSE(Decode({"16", "2", "010394/AUTPOS/LLD N350460 W1070026\r\n/ALT 32400", {}}, tables_));
}

// The flight management computer's position report (H1 "POS"), with or
// without the terminal's prefix.
TEST_F(RealMessages, TerminalPositionReportsReadTheRouteAheadOnlyWhenItLinesUp) {
  const auto report = DecodeFirst("H1", "POSN34319W107250");
  ASSERT_TRUE(report);
  EXPECT_EQ(report->text,
            "Position: 34\xB0"
            "31.9'N 107\xB0"
            "25.0'W\r\nOver: DRYHT350-0063\r\nOver it at: 00:30:09\r\n"
            "Altitude: 35,000 ft\r\nNext: TXO\r\nNext at: 00:58:18\r\nThen: TURKI\r\n"
            "Outside air temperature: -54 \xB0"
            "C\r\nWind: 239\xB0"
            " at 22 kt\r\n");
  EXPECT_NEAR(NumberOf(*report, "latitude"), 34.531667, 1e-6);
  EXPECT_NEAR(NumberOf(*report, "longitude"), -107.416667, 1e-6);
  const auto prefixed = DecodeFirst("H1", "#M1BPOSN36003W106096");
  ASSERT_TRUE(prefixed);
  EXPECT_EQ(TextOf(*prefixed, "next_waypoint"), "HIPPI");
  EXPECT_EQ(NumberOf(*prefixed, "wind_speed_kt"), 34);
  // A report whose pieces do not line up keeps only its first four.
  const auto shifted = DecodeFirst("H1", "POSN29528W095497,560");
  ASSERT_TRUE(shifted);
  EXPECT_EQ(FieldOf(*shifted, "next_waypoint"), nullptr);
  EXPECT_EQ(FieldOf(*shifted, "outside_air_temperature_c"), nullptr);
  EXPECT_EQ(NumberOf(*shifted, "altitude_ft"), 20000);
  // "W107600" is 59.96' rounded up to sixty: the next whole degree.
  const auto rounded = DecodeFirst("H1", "POSN35317W107600");
  ASSERT_TRUE(rounded);
  EXPECT_NEAR(NumberOf(*rounded, "longitude"), -108.0, 1e-9);
}

// Label 80's airline reports: the heading's route and aircraft, then the
// tagged items the report carries; a position in either spelling.
TEST_F(RealMessages, AirlineReportsReadTheRouteAndTheirTaggedItems) {
  const auto position = DecodeFirst("80", "3N01 POSRPT 0792/13 OMDB/OEMA");
  ASSERT_TRUE(position);
  EXPECT_EQ(position->kind, "position_report");
  EXPECT_EQ(position->text,
            "Departure: OMDB (Dubai)\r\nArrival: OEMA (Medina)\r\nAircraft: HZ-NS34\r\n"
            "Position: 24\xB0"
            "59.5'N 43\xB0"
            "17.8'E\r\nAltitude: 35,992 ft\r\nMach: 0.787\r\n"
            "Estimated arrival: 18:31\r\n");
  const auto pointed = DecodeFirst("80", "3N01 POSRPT 0581/27 KIAD/MSLP");
  ASSERT_TRUE(pointed);
  EXPECT_NEAR(NumberOf(*pointed, "latitude"), 35 + 39.2 / 60, 1e-9);
  EXPECT_NEAR(NumberOf(*pointed, "longitude"), -(79 + 37.2 / 60), 1e-9);
  EXPECT_EQ(NumberOf(*pointed, "altitude_ft"), 36000);
  EXPECT_EQ(NumberOf(*pointed, "outside_air_temperature_c"), -60);
  EXPECT_EQ(FieldOf(*pointed, "eta"), nullptr);  // "14:26.0" is no time of this form
  const auto times = DecodeFirst("80", "1102 OFFRP");
  ASSERT_TRUE(times);
  EXPECT_EQ(times->kind, "oooi_report");
  EXPECT_EQ(TextOf(*times, "out"), "08:04");
  EXPECT_EQ(TextOf(*times, "off"), "08:14");
  EXPECT_EQ(TextOf(*times, "tail"), "PR-YYI");
  EXPECT_FALSE(Decode({"80", "2", "3N01 NOSUCH 0792/13 OMDB/OEMA HZ-NS34", {}}, tables_));
}

// The numbered labels' other forms: events with their time (44), packed
// positions with three-digit latitude degrees (44) and behind "(2" (15),
// signed decimal coordinates (2P, 83), and the route where a form has one.
TEST_F(RealMessages, NumberedFormsReadEventsPositionsAndRoutes) {
  const auto on = DecodeFirst("44", "ON01,N33522W084181");
  ASSERT_TRUE(on);
  EXPECT_EQ(on->kind, "oooi_report");
  EXPECT_EQ(TextOf(*on, "on"), "00:40:23");
  EXPECT_EQ(TextOf(*on, "departure"), "KCLT");
  EXPECT_NEAR(NumberOf(*on, "longitude"), -(84 + 18.1 / 60), 1e-9);
  const auto threeDigits = DecodeFirst("44", "POS02,N036339W106577");
  ASSERT_TRUE(threeDigits);
  EXPECT_NEAR(NumberOf(*threeDigits, "latitude"), 36 + 33.9 / 60, 1e-9);
  const auto bracket = DecodeFirst("15", "(2N34496W107267287");
  ASSERT_TRUE(bracket);
  EXPECT_NEAR(NumberOf(*bracket, "latitude"), 34 + 49.6 / 60, 1e-9);
  const auto padded = DecodeFirst("15", "(2N35583W 78409");
  ASSERT_TRUE(padded);
  EXPECT_NEAR(NumberOf(*padded, "longitude"), -(78 + 40.9 / 60), 1e-9);
  const auto lettered = DecodeFirst("16", "(2AAABN39211W 77144");
  ASSERT_TRUE(lettered);
  EXPECT_NEAR(NumberOf(*lettered, "latitude"), 39 + 21.1 / 60, 1e-9);
  const auto serviceText = DecodeFirst("14", "(2AAAA03-AUG-22");  // a dated message, no position
  ASSERT_TRUE(serviceText);
  EXPECT_EQ(FieldOf(*serviceText, "latitude"), nullptr);
  const auto padded12 = DecodeFirst("12", "POSN 295754W 953809");
  ASSERT_TRUE(padded12);
  EXPECT_NEAR(NumberOf(*padded12, "longitude"), -(95 + 38 / 60.0 + 9 / 3600.0), 1e-9);
  EXPECT_EQ(TextOf(*padded12, "eta"), "20:00");
  EXPECT_EQ(TextOf(*padded12, "departure"), "MMUN");
  const auto record = DecodeFirst("36", "28,E,08DEC19,113842");
  ASSERT_TRUE(record);
  EXPECT_DOUBLE_EQ(NumberOf(*record, "longitude"), -75.825);
  EXPECT_EQ(TextOf(*record, "report_time"), "11:38:42");
  EXPECT_EQ(TextOf(*record, "arrival"), "KCHS");
  const auto iata = DecodeFirst("4N", "285,B,69005074-507");
  ASSERT_TRUE(iata);
  EXPECT_EQ(TextOf(*iata, "arrival_iata"), "SDF");
  EXPECT_EQ(NumberOf(*iata, "altitude_ft"), 35014);
  const auto signedDecimal = DecodeFirst("2P", "FM3 1217,1312,+ 43.77,- 70.18");
  ASSERT_TRUE(signedDecimal);
  EXPECT_DOUBLE_EQ(NumberOf(*signedDecimal, "longitude"), -70.18);
  EXPECT_EQ(NumberOf(*signedDecimal, "altitude_ft"), 39981);
  const auto route = DecodeFirst("83", "KIAH,RJAA,110012");
  ASSERT_TRUE(route);
  EXPECT_DOUBLE_EQ(NumberOf(*route, "longitude"), -175.10);
  EXPECT_EQ(TextOf(*route, "arrival"), "RJAA");
  EXPECT_NE(route->text.find("Arrival: RJAA ("), std::string::npos);  // named from the airport table
  const auto load = DecodeFirst("10", "LDR01,189,C,SWA-2600-016,0,N 38.151");
  ASSERT_TRUE(load);
  EXPECT_EQ(TextOf(*load, "departure"), "KATL");
  EXPECT_EQ(NumberOf(*load, "altitude_ft"), 37003);
}

TEST(TextScan, CoordinatesAndTimesAtTheirEdges) {
  EXPECT_EQ(DecimalDegrees("S 33.950", 'N', 'S'), -33.95);
  EXPECT_EQ(DecimalDegrees("W 0.5", 'E', 'W'), -0.5);
  EXPECT_EQ(DecimalDegrees("E180.000", 'E', 'W'), 180.0);
  EXPECT_FALSE(DecimalDegrees("N 90.001", 'N', 'S'));
  EXPECT_FALSE(DecimalDegrees("E 35.1", 'N', 'S'));
  EXPECT_FALSE(DecimalDegrees("N -35.1", 'N', 'S'));
  EXPECT_FALSE(DecimalDegrees("N", 'N', 'S'));
  EXPECT_EQ(Number("- 4"), -4.0);
  EXPECT_EQ(Number("+ 43.77"), 43.77);
  EXPECT_FALSE(Number("4x"));
  EXPECT_FALSE(Number("-"));
  EXPECT_EQ(TimeOfDay("235959"), "23:59:59");
  EXPECT_EQ(TimeOfDay("0000"), "00:00");
  EXPECT_FALSE(TimeOfDay("240000"));
  EXPECT_FALSE(TimeOfDay("12:00"));

  // Minutes that round to 60 carry into the next degree.
  reference::ReferenceTables tables;
  Builder builder(Kind::kPositionReport, tables);
  builder.Position(-12.99995, -0.0001);
  EXPECT_EQ(std::move(builder).Finish()->text,
            "Position: 13\xB0"
            "00.0'S 0\xB0"
            "00.0'W\r\n");
}

}  // namespace
}  // namespace corvane::readable
