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
  EXPECT_EQ(off->kind, "off_report");
  EXPECT_EQ(off->text,
            "Departure: KIAD (Washington, DC)\r\nArrival: EDDF (Frankfurt)\r\nSent: 02:50:55\r\nOff: 02:50\r\n"
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

// A flight the text gives is followed by its airline's name, in card bytes
// like every readable text; a flight of no known airline stands alone.
TEST_F(RealMessages, AFlightIsFollowedByItsAirlineWhenKnown) {
  const auto mexican = Decode({"37", "2", "FTX01AM0007/04042233MMMXKJFK", {}}, tables_);
  ASSERT_TRUE(mexican);
  EXPECT_EQ(TextOf(*mexican, "flight"), "AM0007");
  EXPECT_EQ(TextOf(*mexican, "airline"), "AeroM\xE9xico");
  EXPECT_NE(mexican->text.find("Flight: AM0007\r\nAirline: AeroM\xE9xico\r\n"), std::string::npos) << mexican->text;
  const auto unknown = Decode({"37", "2", "FTX01ZZ0007/04042233MMMXKJFK", {}}, tables_);
  ASSERT_TRUE(unknown);
  EXPECT_EQ(TextOf(*unknown, "flight"), "ZZ0007");
  EXPECT_EQ(FieldOf(*unknown, "airline"), nullptr);
  EXPECT_EQ(unknown->text.find("Airline"), std::string::npos);
}

TEST_F(RealMessages, FlightHeadersReadFlightTimeRouteAndPositionLines) {
  const auto freeText = DecodeFirst("37", "FTX01YX4687/04042233KJFKKDCA");
  ASSERT_TRUE(freeText);
  EXPECT_EQ(freeText->kind, "free_text");
  EXPECT_EQ(freeText->text,
            "Flight: YX4687\r\nAirline: Republic Airlines\r\nSent: 22:33\r\nDeparture: KJFK\r\nArrival: KDCA\r\n");
  const auto withPosition = DecodeFirst("39", "PBS01AFL2137   /13131406LTFMUUEE");
  ASSERT_TRUE(withPosition);
  EXPECT_EQ(TextOf(*withPosition, "flight"), "AFL2137");
  EXPECT_DOUBLE_EQ(NumberOf(*withPosition, "latitude"), 41.264);
  EXPECT_DOUBLE_EQ(NumberOf(*withPosition, "longitude"), 28.750);
  const auto withAltitude = DecodeFirst("27", "POS01AFL2374   /08080727UUEELFLL");
  ASSERT_TRUE(withAltitude);
  EXPECT_EQ(NumberOf(*withAltitude, "altitude_ft"), 36000);
  // A position report's header with no position in its body is no position report.
  const auto noPosition = DecodeLine(1305);
  ASSERT_TRUE(noPosition);
  EXPECT_EQ(noPosition->kind, "flight_route");
  EXPECT_EQ(TextOf(*noPosition, "sent_time_utc"), "2026-12-04T12:13:00Z");
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
  EXPECT_EQ(NumberOf(*thousandths, "outside_air_temperature_c"), -61);
  const auto west = DecodeFirst("20", "POSN38160W077075");
  ASSERT_TRUE(west);
  EXPECT_NEAR(NumberOf(*west, "longitude"), -77.125, 0.0001);
  EXPECT_EQ(NumberOf(*west, "altitude_ft"), 36000);
  // POSA1: the time is the passage of the waypoint before the position.
  for (const std::size_t line : {715U, 728U}) {
    const auto posa1 = DecodeLine(line);
    ASSERT_TRUE(posa1);
    EXPECT_EQ(FieldOf(*posa1, "report_time"), nullptr) << line;
    EXPECT_FALSE(TextOf(*posa1, "position_waypoint").empty()) << line;
  }
  EXPECT_EQ(TextOf(*DecodeLine(728), "waypoint_time"), "10:53:23");
  EXPECT_EQ(TextOf(*DecodeLine(728), "position_waypoint"), "N48W140");
  // 25 ft five minutes before the same flight's 12,239 ft, by the airport:
  // left out; the dated stamp is a full time.
  const auto low = DecodeLine(1302);
  ASSERT_TRUE(low);
  EXPECT_EQ(FieldOf(*low, "altitude_ft"), nullptr);
  EXPECT_EQ(TextOf(*low, "report_time_utc"), "2022-08-04T12:03:30Z");
  EXPECT_EQ(NumberOf(*DecodeLine(1301), "altitude_ft"), 12239);
  const auto stamped = DecodeFirst("16", "PC0397/04AUG22 12:08:30");
  ASSERT_TRUE(stamped);
  EXPECT_EQ(TextOf(*stamped, "report_time"), "12:08:30");
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
  EXPECT_EQ(full->kind, "squitter");
  EXPECT_EQ(TextOf(*full, "network"), "SITA");
  EXPECT_EQ(TextOf(*full, "station"), "YPPH");
  EXPECT_NEAR(NumberOf(*full, "latitude"), -(31 + 55 / 60.0), 1e-9);
  EXPECT_EQ(NumberOf(*full, "frequency_mhz"), 136.975);
  const auto brief = DecodeFirst("SQ", "01XAABQKABQ1ARINC");
  ASSERT_TRUE(brief);
  EXPECT_EQ(brief->text, "Network: ARINC\r\nStation (IATA): ABQ\r\nStation: KABQ\r\n");
  EXPECT_FALSE(DecodeFirst("SQ", "00XS"));
}

TEST_F(RealMessages, SingleLabelFormsReadOnlyWhatTheirPiecesShow) {
  const auto atis = DecodeFirst("B9", "/KLAX.TI2/040KLAXA3625");
  ASSERT_TRUE(atis);
  EXPECT_EQ(TextOf(*atis, "airport"), "KLAX");
  EXPECT_FALSE(Decode({"B9", "2", "046KDEN", {}}, tables_));  // no letter after the airport
  const auto phase = DecodeFirst("4A", "01CLER VIR141/191334EGLLKLAX");
  ASSERT_TRUE(phase);
  EXPECT_EQ(NumberOf(*phase, "altitude_ft"), 35764);
  EXPECT_EQ(NumberOf(*phase, "total_air_temperature_c"), -17.8);
  for (const std::size_t line : {1115U, 1961U, 1962U, 1963U, 1964U}) {  // total air, never outside air
    const auto tat = DecodeLine(line);
    ASSERT_TRUE(tat);
    EXPECT_EQ(tat->kind, "flight_phase_change") << line;
    EXPECT_EQ(FieldOf(*tat, "outside_air_temperature_c"), nullptr) << line;
    EXPECT_NE(tat->text.find("Total air temperature: "), std::string::npos) << line;
  }
  // Day 19 received on 7 December: the 19th of November, not a day to come.
  EXPECT_EQ(TextOf(*DecodeLine(1115), "event_time_utc"), "2026-11-19T02:03:00Z");
  const auto fleet = DecodeFirst("4A", "101606,1910,.N317FR,,KMDW,----");
  ASSERT_TRUE(fleet);
  EXPECT_EQ(TextOf(*fleet, "tail"), "N317FR");
  EXPECT_EQ(FieldOf(*fleet, "arrival"), nullptr);
  const auto door = DecodeFirst("4A", "DOOR/CARGO OPEN 1445");
  ASSERT_TRUE(door);
  EXPECT_EQ(door->kind, "door_opened");
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

TEST_F(RealMessages, StationMessagesAndRouteRecordsReadStationTimeFlightAndRoute) {
  const auto crew = DecodeFirst("14", "2,,,Y,N,Y,KPHL,005530");
  ASSERT_TRUE(crew);
  EXPECT_EQ(crew->kind, "crew_message_to_station");
  EXPECT_EQ(TextOf(*crew, "station"), "KPHL");
  EXPECT_EQ(TextOf(*crew, "sent_time"), "00:55:30");
  EXPECT_EQ(TextOf(*crew, "message"), "HELLO PHL WE WILL BE 25 MIN EARLY WILL THERE BE A GATE FOR US");
  const auto empty = DecodeFirst("14", "8,,,Y,N,Y,KBDL");
  ASSERT_TRUE(empty);
  EXPECT_EQ(FieldOf(*empty, "message"), nullptr);
  EXPECT_FALSE(Decode({"14", "2", "2,,,Y,N,Y,KPHL,245530,11243,HELLO,,,,", {}}, tables_));  // hour 24
  const auto route = DecodeFirst("20", "RST23A08132849KLM1386");
  ASSERT_TRUE(route);
  EXPECT_EQ(TextOf(*route, "flight"), "KLM1386");
  EXPECT_EQ(TextOf(*route, "departure"), "UKBB");
  EXPECT_EQ(TextOf(*route, "arrival"), "EHAM");
  const auto cut = DecodeFirst("20", "POSN32249E045047");
  ASSERT_TRUE(cut);
  EXPECT_EQ(NumberOf(*cut, "altitude_ft"), 38000);
}

TEST_F(RealMessages, FlightLogsAndReportsReadRouteTimesAndRunway) {
  const auto log = DecodeFirst("2G", "LOG C-FDBD00121");
  ASSERT_TRUE(log);
  EXPECT_EQ(log->text,
            "Aircraft: C-FDBD\r\nDeparture: CYQB\r\nArrival: CYBG\r\nFlight: SWG419\r\nOut: 02:24\r\nOff: 02:38\r\n"
            "On: 03:01\r\nIn: 03:09\r\nSent: 03:19:16\r\n");
  // Dated: out the evening before the log's date, on after midnight.
  const auto datedLog = DecodeLine(1577);
  ASSERT_TRUE(datedLog);
  EXPECT_EQ(TextOf(*datedLog, "out_utc"), "2020-03-09T21:53:00Z");
  EXPECT_EQ(TextOf(*datedLog, "on_utc"), "2020-03-10T02:15:00Z");
  EXPECT_EQ(TextOf(*datedLog, "sent_time_utc"), "2020-03-10T02:32:16Z");
  const auto noOff = DecodeFirst("2G", "LOG C-GLRN00072");  // "OF ----"
  ASSERT_TRUE(noOff);
  EXPECT_EQ(FieldOf(*noOff, "off"), nullptr);
  const auto line = DecodeFirst("2O", "AF0075/13131743NTAACYVR");
  ASSERT_TRUE(line);
  EXPECT_EQ(TextOf(*line, "flight"), "AF0075");
  EXPECT_EQ(TextOf(*line, "departure"), "NTAA");
  const auto descent = DecodeFirst("2D", "TOD01,ASL27E,LYBE,EKCH");
  ASSERT_TRUE(descent);
  EXPECT_EQ(descent->kind, "top_of_descent_report");
  EXPECT_EQ(TextOf(*descent, "runway_arrival"), "22L");
  const auto climb = DecodeFirst("2D", "TOC10,ETD078    ,EHAM");
  ASSERT_TRUE(climb);
  EXPECT_EQ(TextOf(*climb, "flight"), "ETD078");
  EXPECT_EQ(TextOf(*climb, "runway_arrival"), "31L");
  const auto dispatch = DecodeFirst("29", "D,H3,1912081352");
  ASSERT_TRUE(dispatch);
  EXPECT_EQ(TextOf(*dispatch, "departure"), "KEWR");
  EXPECT_EQ(TextOf(*dispatch, "arrival"), "KGSP");
  const auto dated = DecodeFirst("2L", "DAT 16MAR25\r\nUTC 0041");
  ASSERT_TRUE(dated);
  EXPECT_EQ(TextOf(*dated, "flight"), "JST952");
  EXPECT_EQ(TextOf(*dated, "report_time"), "00:41");
  const auto cityPair = DecodeFirst("3L", "3869GSOORD");
  ASSERT_TRUE(cityPair);
  EXPECT_EQ(TextOf(*cityPair, "departure_iata"), "GSO");
  const auto dateRoute = DecodeFirst("1W", "\r\n\r\nEIN168E");
  ASSERT_TRUE(dateRoute);
  EXPECT_EQ(TextOf(*dateRoute, "tail"), "EI-DEP");
  EXPECT_EQ(TextOf(*dateRoute, "departure"), "EIDW");
}

TEST_F(RealMessages, RouteLinesReadRegistrationTimedPositionAndLoadsheet) {
  const auto dated = DecodeFirst("3R", "TOD14DEC19,LOT9004");
  ASSERT_TRUE(dated);
  EXPECT_EQ(dated->text,
            "Flight: LOT9004\r\nAirline: LOT Polish Airlines\r\nAircraft: 9H-SUN\r\nDeparture: LPBJ\r\nArrival: EPWA "
            "(Warsaw)\r\n");
  const auto event = DecodeFirst("2H", "ET301,ASL25W");
  ASSERT_TRUE(event);
  EXPECT_EQ(TextOf(*event, "runway_arrival"), "12");
  const auto eta = DecodeFirst("83", "4DH3 ETAT2  0907/22 ENGM");
  ASSERT_TRUE(eta);
  EXPECT_EQ(TextOf(*eta, "eta"), "16:41");
  EXPECT_EQ(TextOf(*eta, "tail"), "LN-RKO");
  const auto weather = DecodeFirst("5U", "  01 WXRQ");
  ASSERT_TRUE(weather);
  EXPECT_EQ(TextOf(*weather, "departure"), "GCFV");
  const auto timed = DecodeFirst("QQ", "KMMUKCLT2124");
  ASSERT_TRUE(timed);
  EXPECT_NEAR(NumberOf(*timed, "longitude"), -(74 + 23.5 / 60), 1e-9);
  EXPECT_EQ(TextOf(*timed, "report_time"), "21:24:15");
  EXPECT_EQ(TextOf(*timed, "arrival"), "KCLT");
  // QP/QQ/QR/QS: out, off, on, in reports with the event's time.
  EXPECT_EQ(timed->kind, "oooi_report");
  EXPECT_EQ(TextOf(*timed, "off"), "21:24");
  EXPECT_EQ(TextOf(*DecodeLine(1232), "off_utc"), "2026-11-09T00:25:00Z");  // day 09 from the position
  EXPECT_EQ(TextOf(*DecodeLine(2142), "off_utc"), "2024-09-29T18:35:00Z");  // "29SEP24"
  const auto on = DecodeLine(77);
  ASSERT_TRUE(on);
  EXPECT_EQ(on->kind, "oooi_report");
  EXPECT_EQ(TextOf(*on, "on"), "00:19");
  const auto east = DecodeFirst("83", "001PR11013423");
  ASSERT_TRUE(east);
  EXPECT_NEAR(NumberOf(*east, "longitude"), 116 + 3.0 / 60, 1e-9);
  EXPECT_FALSE(Decode({"83", "2", "001PR11013423N0560.6E11603.0000000----", {}}, tables_));  // 60 minutes
  const auto placed = DecodeFirst("13", "HEGN,EBBR,03AUG22");
  ASSERT_TRUE(placed);
  EXPECT_DOUBLE_EQ(NumberOf(*placed, "longitude"), 5.721);
  EXPECT_EQ(NumberOf(*placed, "altitude_ft"), 30963);
  EXPECT_EQ(TextOf(*placed, "runway_arrival"), "25L");
  EXPECT_EQ(TextOf(*placed, "flight"), "SN3326");
  const auto noFlight = DecodeFirst("1G", "GMMW,EBBR,,");
  ASSERT_TRUE(noFlight);
  EXPECT_EQ(FieldOf(*noFlight, "flight"), nullptr);
  const auto tagged = DecodeFirst("1X", "00072219700/TX FRAOPXH");
  ASSERT_TRUE(tagged);
  EXPECT_EQ(tagged->kind, "loadsheet");
  EXPECT_EQ(TextOf(*tagged, "arrival"), "LGKO");
  EXPECT_EQ(TextOf(*tagged, "sent_time"), "03:08:19");
  const auto behindFlight = DecodeFirst("19", "FI FI0696");
  ASSERT_TRUE(behindFlight);
  EXPECT_EQ(TextOf(*behindFlight, "off"), "22:56");
  EXPECT_EQ(FieldOf(*behindFlight, "sent_time"), nullptr);  // "UTC 120220803225632" is no time of day
  const auto dashed = DecodeFirst("32", "P,R,2026-02-02 00:59:09");
  ASSERT_TRUE(dashed);
  EXPECT_EQ(TextOf(*dashed, "report_time"), "00:59:09");
  EXPECT_DOUBLE_EQ(NumberOf(*dashed, "longitude"), -107.021);
  EXPECT_EQ(NumberOf(*dashed, "altitude_ft"), 25997);
  const auto upload = DecodeFirst("2J", "U003,EW9737");
  ASSERT_TRUE(upload);
  EXPECT_EQ(TextOf(*upload, "flight"), "EW9737");
  EXPECT_EQ(TextOf(*upload, "departure"), "EPGD");
  EXPECT_EQ(TextOf(*DecodeFirst("1B", "U003,,,,YPPH"), "arrival"), "YMEK");
  const auto load = DecodeFirst("2U", "ECD/F-GSPA");
  ASSERT_TRUE(load);
  EXPECT_EQ(TextOf(*load, "flight"), "AF0379");
  EXPECT_EQ(TextOf(*load, "arrival_iata"), "CDG");
}

TEST_F(RealMessages, ShortPositionReportsReadSignedTenthsAndSouthernDecimals) {
  const auto hundredths = DecodeFirst("2F", "1834+3586-8176");
  ASSERT_TRUE(hundredths);
  EXPECT_DOUBLE_EQ(NumberOf(*hundredths, "latitude"), 35.86);
  EXPECT_DOUBLE_EQ(NumberOf(*hundredths, "longitude"), -81.76);
  EXPECT_EQ(NumberOf(*hundredths, "altitude_ft"), 36128);
  const auto west = DecodeFirst("2L", "P/0216/369-/");
  ASSERT_TRUE(west);
  EXPECT_DOUBLE_EQ(NumberOf(*west, "latitude"), 34.0);
  EXPECT_DOUBLE_EQ(NumberOf(*west, "longitude"), -81.9);
  EXPECT_EQ(NumberOf(*west, "altitude_ft"), 36900);
  EXPECT_EQ(NumberOf(*west, "outside_air_temperature_c"), -51);
  EXPECT_EQ(TextOf(*west, "report_time"), "02:16");
  EXPECT_FALSE(Decode({"2L", "2", "P/0216/369-/\r\n+34.0-181.9/-51/2/5", {}}, tables_));
  const auto south = DecodeFirst("3L", "S 33.889/E151.177");
  ASSERT_TRUE(south);
  EXPECT_DOUBLE_EQ(NumberOf(*south, "latitude"), -33.889);
  EXPECT_EQ(TextOf(*south, "report_time"), "04:38");
}

}  // namespace
}  // namespace corvane::readable
