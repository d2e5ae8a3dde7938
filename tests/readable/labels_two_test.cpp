// The forms of labels 2x to 8x on real messages: mission reports, flight
// status lines, estimates, fuel and destination leads, coded station
// messages, cabin defect reports, weather position records, clearances,
// and the near misses each must refuse.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, MissionReportsReadFlightDateAndPackedPosition) {
  const auto position = DecodeLine(1101);  // POS/ID50007B,RCH4086,.../DC10022025,051804/...
  ASSERT_TRUE(position);
  EXPECT_EQ(position->kind, "position_report");
  EXPECT_EQ(TextOf(*position, "flight"), "RCH4086");
  EXPECT_EQ(TextOf(*position, "sent_time_utc"), "2025-02-10T05:18:04Z");
  EXPECT_NEAR(NumberOf(*position, "latitude"), 56.02, 1e-9);
  EXPECT_NEAR(NumberOf(*position, "longitude"), -13.455, 1e-9);
  EXPECT_EQ(NumberOf(*position, "altitude_ft"), 35000);
  const auto weather = DecodeFirst("4J", "POS/ID91459S,BANKR31,");
  ASSERT_TRUE(weather);
  EXPECT_EQ(NumberOf(*weather, "outside_air_temperature_c"), -28);
  const auto summary = DecodeLine(1093);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->kind, "trip_report");
  EXPECT_EQ(FieldOf(*summary, "latitude"), nullptr);
  EXPECT_FALSE(Decode({"2P", "2", "POS/ID50007B,RCH4086,ABB02/DC10132025,051804/MR103,/PSN56012W013273,051804,350", {}},
                      tables_));  // month 13
}

TEST_F(RealMessages, FlightStatusLinesReadPositionLevelWeatherAndTimes) {
  const auto climbing = DecodeFirst("4T", "AGFSR AC0096/07/08/YULGRU/0354Z");
  ASSERT_TRUE(climbing);
  EXPECT_NEAR(NumberOf(*climbing, "latitude"), 44 + 17.8 / 60, 1e-9);
  EXPECT_NEAR(NumberOf(*climbing, "longitude"), -(72 + 32.6 / 60), 1e-9);
  EXPECT_EQ(NumberOf(*climbing, "altitude_ft"), 25400);
  EXPECT_EQ(NumberOf(*climbing, "outside_air_temperature_c"), -33);
  EXPECT_EQ(NumberOf(*climbing, "wind_dir_deg"), 275);
  EXPECT_EQ(TextOf(*climbing, "off"), "03:39");
  EXPECT_EQ(FieldOf(*climbing, "on"), nullptr);  // "****"
  const auto cruising = DecodeFirst("4T", "AGFSR AC0841/21/21/FRAYYZ");
  ASSERT_TRUE(cruising);
  EXPECT_NEAR(NumberOf(*cruising, "longitude"), -(2 + 49.6 / 60), 1e-9);
  EXPECT_EQ(NumberOf(*cruising, "outside_air_temperature_c"), -52);
  const auto estimate = DecodeFirst("4T", "ETA AC7221/13/14 YYZ 0902Z");
  ASSERT_TRUE(estimate);
  EXPECT_EQ(TextOf(*estimate, "eta"), "09:02");
  EXPECT_FALSE(Decode({"4T",
                       "2",
                       "AGFSR AC0841/21/21/FRAYYZ/1011Z/731/5331.2N00269.6W/320/CRUISE/0595/0124/M52/092055/0302/"
                       "---/535/0853/0910/----/----",
                       {}},
                      tables_));  // minutes 69.6
}

TEST_F(RealMessages, EstimatesAndFuelDestinationLeadsReadTheirPositions) {
  const auto eta = DecodeLine(1103);  // 00ETA03,N38241W081357,330,KBNA,KBWI,1107,0123,0208,008.1
  ASSERT_TRUE(eta);
  EXPECT_EQ(eta->kind, "estimated_arrival");
  EXPECT_EQ(TextOf(*eta, "report_time_utc"), "2026-11-07T01:23:00Z");
  EXPECT_EQ(TextOf(*eta, "eta_utc"), "2026-11-07T02:08:00Z");
  EXPECT_EQ(NumberOf(*eta, "altitude_ft"), 33000);
  const auto lead = DecodeFirst("44", " /FB 0160/AD KORH/");
  ASSERT_TRUE(lead);
  EXPECT_EQ(TextOf(*lead, "flight"), "JBU2834");
  EXPECT_EQ(NumberOf(*lead, "longitude"), -75.325);
  EXPECT_EQ(NumberOf(*lead, "fuel"), 160);
  const auto noFuel = DecodeFirst("44", " /FB ----/AD KTPA/");
  ASSERT_TRUE(noFuel);
  EXPECT_EQ(FieldOf(*noFuel, "fuel"), nullptr);
  const auto behind = DecodeFirst("80", "/FB 0105/AD KCHS/");  // an airline report behind the lead
  ASSERT_TRUE(behind);
  EXPECT_EQ(TextOf(*behind, "tail"), "N3275J");
  EXPECT_NEAR(NumberOf(*behind, "latitude"), 39 + 50.1 / 60, 1e-9);
  EXPECT_FALSE(Decode({"44", "2", "/FB 0160/AD KORH/N 98.655,W 75.325,JBU2834,INA03,KORH,2043", {}}, tables_));
}

TEST_F(RealMessages, StationAndCrewMessagesReadStationTailAndText) {
  const auto weather = DecodeFirst("5U", "OS KDFW /WXRKOKC");
  ASSERT_TRUE(weather);
  EXPECT_EQ(weather->kind, "weather_request");
  EXPECT_EQ(TextOf(*weather, "station"), "KDFW");
  EXPECT_EQ(TextOf(*weather, "airport"), "KOKC");
  const auto hotels = DecodeFirst("5Z", "OS KAUS /FTM");
  ASSERT_TRUE(hotels);
  EXPECT_EQ(TextOf(*hotels, "message"),
            "LAST MINUTE REQ PLEASE HAVE HOTELS BOOK FO AT SAME HOTEL AS CA - SHORT LAYOVER");
  const auto cabin = DecodeLine(1621);  // DefaultRpt01/F-GSPH 111449
  ASSERT_TRUE(cabin);
  EXPECT_EQ(TextOf(*cabin, "tail"), "F-GSPH");
  EXPECT_EQ(TextOf(*cabin, "sent_time_utc"), "2026-11-11T14:49:00Z");
  const auto clearance = DecodeFirst("40", "FLIGHT 2380/01 ABQ - PHX");
  ASSERT_TRUE(clearance);
  EXPECT_EQ(TextOf(*clearance, "flight"), "AAL2380");
  EXPECT_EQ(TextOf(*clearance, "transponder_code"), "4202");
  EXPECT_FALSE(Decode({"5Z", "2", "OS KAU /FTM", {}}, tables_));
  EXPECT_FALSE(Decode({"2M", "2", "DefaultRpt01/F-GSPH 112449", {}}, tables_));  // hour 24
  EXPECT_FALSE(Decode({"40", "2", "FLIGHT 2380/01 ABQ - PHX\r\nPDC\r\nAAL2380 XPNDR 4282\r\n", {}}, tables_));
}

TEST_F(RealMessages, WeatherRecordsReadSignedPositionsWindAndWaypoints) {
  const auto record = DecodeFirst("36", "71,J,1146,5,2,KTYS,");
  ASSERT_TRUE(record);
  EXPECT_EQ(NumberOf(*record, "latitude"), 37.35);
  EXPECT_EQ(NumberOf(*record, "longitude"), -81.78);
  EXPECT_EQ(NumberOf(*record, "wind_speed_kt"), 52);
  EXPECT_EQ(NumberOf(*record, "outside_air_temperature_c"), -56);
  const auto report = DecodeFirst("4J", "4J01 POSWX");
  ASSERT_TRUE(report);
  EXPECT_NEAR(NumberOf(*report, "longitude"), 11 + 21.8 / 60, 1e-9);
  EXPECT_EQ(TextOf(*report, "report_time"), "08:17");
  EXPECT_EQ(TextOf(*report, "next_waypoint"), "GOVEN");
  EXPECT_EQ(TextOf(*report, "next_waypoint_eta"), "08:35");
  EXPECT_EQ(TextOf(*report, "following_waypoint"), "DILVI");
  EXPECT_EQ(NumberOf(*report, "altitude_ft"), 27000);
  const auto slashed = DecodeFirst("24", "/241710/1021/04WM/");
  ASSERT_TRUE(slashed);
  EXPECT_EQ(NumberOf(*slashed, "altitude_ft"), 34962);
  EXPECT_FALSE(
      Decode({"36", "2", "71,J,1146,5,2,KTYS,97.35,-81.78,37.34,-81.78,35,295052,-56,71.1,7528,17,35,445,426,7", {}},
             tables_));  // latitude 97
}

TEST_F(RealMessages, OffReportsAndInRangeLinesReadRouteAndTimes) {
  const auto off = DecodeLine(1089);  // OFF02XA0000/N38568 W077261251152KIADEPRZ1152****1958
  ASSERT_TRUE(off);
  EXPECT_EQ(off->kind, "off_report");
  EXPECT_EQ(TextOf(*off, "off_utc"), "2026-11-25T11:52:00Z");
  EXPECT_NEAR(NumberOf(*off, "longitude"), -(77 + 26.1 / 60), 1e-9);
  EXPECT_EQ(TextOf(*off, "arrival"), "EPRZ");
  const auto inRange = DecodeFirst("5Z", "/IR CLT0100011/");
  ASSERT_TRUE(inRange);
  EXPECT_EQ(TextOf(*inRange, "eta"), "22:28");
  EXPECT_EQ(TextOf(*inRange, "message"), "HOT WATER NEED DEMO MASK");
  EXPECT_FALSE(Decode({"22", "2", "OFF02\r\nKBWI,KIND,1260,18.4", {}}, tables_));  // minute 60
}

}  // namespace
}  // namespace corvane::readable
