// The forms of labels 10 to 1Z on real messages: in-range and tagged
// reports, dated route records, out/off/on/in records, timed positions and
// the airlines' dated records, each with a near miss that must fall out.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, InRangeAndTaggedLinesReadArrivalTimeAndPosition) {
  const auto inRange = DecodeFirst("11", "OS KALB /QSL1940");
  ASSERT_TRUE(inRange);
  EXPECT_EQ(inRange->kind, "in_range_report");
  EXPECT_EQ(TextOf(*inRange, "arrival"), "KALB");
  EXPECT_EQ(TextOf(*inRange, "sent_time"), "19:40");
  const auto coded = DecodeFirst("11", "036327/INRANG/DS LFPG");
  ASSERT_TRUE(coded);
  EXPECT_EQ(coded->kind, "in_range_report");
  EXPECT_EQ(TextOf(*coded, "eta"), "22:51");
  const auto commas = DecodeFirst("11", "POS\r\nCAS 261");
  ASSERT_TRUE(commas);
  EXPECT_DOUBLE_EQ(NumberOf(*commas, "longitude"), 23.968);
  EXPECT_EQ(NumberOf(*commas, "total_air_temperature_c"), -28);
  EXPECT_EQ(NumberOf(*commas, "wind_dir_deg"), 263);
  const auto lines = DecodeFirst("11", "MKJS-CYYZ");
  ASSERT_TRUE(lines);
  EXPECT_DOUBLE_EQ(NumberOf(*lines, "longitude"), -77.988);
  EXPECT_EQ(NumberOf(*lines, "altitude_ft"), 37000);
  EXPECT_EQ(FieldOf(*lines, "wind_dir_deg"), nullptr);  // "WD 26912DEG"
  EXPECT_FALSE(Decode({"11", "2", "OS KALB /QSL1960", {}}, tables_));
  EXPECT_FALSE(Decode({"11", "2", "POS\r\nLAT N 58.698,ALT 37998", {}}, tables_));
}

TEST_F(RealMessages, SlashRouteAndOooiRecordsDateTheirTimes) {
  const auto estimate = DecodeLine(1085);  // "/BA0843/ETA01/230822/LDSP/EGLL/EGSS/2JK0" "1940/EGLL27L/10"
  ASSERT_TRUE(estimate);
  EXPECT_EQ(estimate->kind, "estimated_arrival");
  EXPECT_EQ(TextOf(*estimate, "eta_utc"), "2022-08-23T19:40:00Z");
  EXPECT_EQ(TextOf(*estimate, "runway_arrival"), "27L");
  const auto route = DecodeFirst("1R", "/AY0071/INT01/260521/EFHK/RJAA/RJTT/0854");
  ASSERT_TRUE(route);
  EXPECT_EQ(TextOf(*route, "arrival"), "RJAA");
  EXPECT_FALSE(Decode({"1M", "2", "/BA0843/ETA01/320822/LDSP/EGLL/EGSS/2JK0", {}}, tables_));
  const auto oooi = DecodeLine(1325);  // "KLAX,KPDX,03AUG22,...,/OU2104/FI  72/OF2122/ON2309/IN2313..."
  ASSERT_TRUE(oooi);
  EXPECT_EQ(TextOf(*oooi, "out_utc"), "2022-08-03T21:04:00Z");
  EXPECT_EQ(TextOf(*oooi, "in_utc"), "2022-08-03T23:13:00Z");
  EXPECT_EQ(TextOf(*oooi, "runway_arrival"), "28L");
  EXPECT_FALSE(
      Decode({"19", "2", "KLAX,KPDX,03AUG22,03,F/O,KPDX28L,---,,77378,FO  ,93868,/OU2164/ON2309", {}}, tables_));
}

TEST_F(RealMessages, TimedPositionsReadSignsUnitsAndTheLatestPoint) {
  const auto decimal = DecodeFirst("1P", "121611,N 52.622,E  8.601,32000");
  ASSERT_TRUE(decimal);
  EXPECT_EQ(TextOf(*decimal, "report_time"), "12:16:11");
  EXPECT_DOUBLE_EQ(NumberOf(*decimal, "latitude"), 52.622);
  EXPECT_EQ(NumberOf(*decimal, "altitude_ft"), 32000);
  const auto hundredths = DecodeFirst("10", "POS082150, N 3885,W 7841");
  ASSERT_TRUE(hundredths);
  EXPECT_DOUBLE_EQ(NumberOf(*hundredths, "longitude"), -78.41);
  EXPECT_EQ(FieldOf(*hundredths, "altitude_ft"), nullptr);
  const auto slashes = DecodeFirst("17", "POS041216/N  3.234/E102.727");
  ASSERT_TRUE(slashes);
  EXPECT_DOUBLE_EQ(NumberOf(*slashes, "longitude"), 102.727);
  const auto signedEast = DecodeLine(1319);  // "POX,CSN433    ,04AUG22,121839,PANC,KORD,N048.89,E0-99.14,..."
  ASSERT_TRUE(signedEast);
  EXPECT_DOUBLE_EQ(NumberOf(*signedEast, "longitude"), -99.14);
  EXPECT_EQ(TextOf(*signedEast, "report_time_utc"), "2022-08-04T12:18:39Z");
  const auto points = DecodeFirst("16", "/P1 1204,N  3.807/E101.294");
  ASSERT_TRUE(points);
  EXPECT_EQ(TextOf(*points, "report_time"), "12:12");
  EXPECT_DOUBLE_EQ(NumberOf(*points, "longitude"), 102.011);
  EXPECT_EQ(NumberOf(*points, "altitude_ft"), 15433);
  const auto minutes = DecodeFirst("16", "001415,20274,0047, 3740,N3835.95 W07858.88");
  ASSERT_TRUE(minutes);
  EXPECT_NEAR(NumberOf(*minutes, "latitude"), 38 + 35.95 / 60, 1e-9);
  EXPECT_NEAR(NumberOf(*minutes, "longitude"), -(78 + 58.88 / 60), 1e-9);
  EXPECT_FALSE(Decode({"16", "2", "001415,20274,0047, 3740,N3865.95 W07858.88", {}}, tables_));  // 65 minutes
  EXPECT_FALSE(Decode({"1P", "2", "121611,N 92.622,E  8.601,32000,301,506,2301,91.90T", {}}, tables_));
  EXPECT_FALSE(Decode(
      {"16", "2", "/P1 1204,N  3.807/E101.294,  28068,   97/P3 1206,N  3.689/E101.484,  25047,   96", {}}, tables_));
}

TEST_F(RealMessages, AirlineRecordsReadSentTimeRequestRouteAndNote) {
  const auto weather = DecodeLine(1312);  // "N,E,2022-06-18 22:37:37,12930,METAR,KMAF,"
  ASSERT_TRUE(weather);
  EXPECT_EQ(weather->kind, "weather_request");
  EXPECT_EQ(TextOf(*weather, "sent_time_utc"), "2022-06-18T22:37:37Z");
  EXPECT_EQ(TextOf(*weather, "airport"), "KMAF");
  const auto route = DecodeFirst("11", "N,R,2022-08-04 12:20:52");
  ASSERT_TRUE(route);
  EXPECT_EQ(TextOf(*route, "departure"), "KCOS");
  const auto estimate = DecodeFirst("17", "0,KFLLKAUS2108");
  ASSERT_TRUE(estimate);
  EXPECT_EQ(TextOf(*estimate, "eta"), "21:08");
  const auto note = DecodeFirst("1L", "FFT1171,KPHL,1709");
  ASSERT_TRUE(note);
  EXPECT_EQ(TextOf(*note, "message"), "SLOW BOARDING DUE TO W/CPAX AND AISLE CHAIR IN EXIT ROW");
  const auto loadsheet = DecodeFirst("11", "RPVM/RPLL LOADSHEET FINAL");
  ASSERT_TRUE(loadsheet);
  EXPECT_EQ(TextOf(*loadsheet, "arrival"), "RPLL");
  const auto gate = DecodeFirst("13", "ARR GATE REQ /AIR ID AS");
  ASSERT_TRUE(gate);
  EXPECT_EQ(TextOf(*gate, "eta"), "23:12");
  const auto freeText = DecodeFirst("1W", "GSO1000000000GATE AGENT");
  ASSERT_TRUE(freeText);
  EXPECT_EQ(TextOf(*freeText, "message"), "GATE AGENT TRIED TO BOARD 51PAX & ARGUE OUR ABILITY TO PAX");
  EXPECT_FALSE(Decode({"1W", "2", "GSO1000000000", {}}, tables_));
  const auto frequency = DecodeFirst("1X", "----,----,04AUG22,1442");
  ASSERT_TRUE(frequency);
  EXPECT_DOUBLE_EQ(NumberOf(*frequency, "frequency_mhz"), 136.975);
  EXPECT_DOUBLE_EQ(NumberOf(*frequency, "latitude"), 59.377);
  EXPECT_FALSE(Decode({"1X", "2", "WIII,WIMM,03AUG22,0750\r\n7,151550,", {}}, tables_));  // no VHF frequency
  const auto uplink = DecodeLine(1278);  // "(2AALT" / "03-AUG-22 23:25Z)" / "FROM: GDFS)" / "  TO: N689QS)" ...
  ASSERT_TRUE(uplink);
  EXPECT_EQ(TextOf(*uplink, "sent_time_utc"), "2022-08-03T23:25:00Z");
  EXPECT_EQ(TextOf(*uplink, "tail"), "N689QS");
  EXPECT_EQ(TextOf(*uplink, "message"),
            "FLIGHT PLAN (CE7872, KABQ-KLAS 0130Z ETD, IS NOW AVAILABLE FOR RECALL.) TOTAL FUEL  03800LBS");
  EXPECT_FALSE(Decode({"14", "2", "(2AAAA03-AUG-22 22:34Z)DATALINK SERVICE SUSPENDED", {}}, tables_));  // no "(Z"
  EXPECT_FALSE(Decode({"17", "2", "X,E,2022-06-18 22:37:37,12930,METAR,KMAF,", {}}, tables_));
  EXPECT_FALSE(Decode({"17", "2", "0,KFLLKAUS2178", {}}, tables_));
}

TEST_F(RealMessages, PhaseChangesEventsAndFlightRecordsOfTheseLabels) {
  const auto parted = DecodeFirst("17", "01ERDCBOX487    /041214KLAXEDDF");  // then "35002 274.8 -19.6"
  ASSERT_TRUE(parted);
  EXPECT_EQ(TextOf(*parted, "flight"), "BOX487");
  EXPECT_EQ(NumberOf(*parted, "altitude_ft"), 35002);
  EXPECT_DOUBLE_EQ(NumberOf(*parted, "total_air_temperature_c"), -19.6);
  EXPECT_FALSE(Decode({"17", "2", "01ERDCBOX487    /041214KLAXEDDF\r\n35002 274.8 19.6", {}}, tables_));  // no sign
  const auto phasePosition = DecodeFirst("19", "ERDCN 50.168E  9.277");
  ASSERT_TRUE(phasePosition);
  EXPECT_DOUBLE_EQ(NumberOf(*phasePosition, "longitude"), 9.277);
  EXPECT_EQ(NumberOf(*phasePosition, "altitude_ft"), 37998);
  const auto door = DecodeLine(1053);  // "/16 1ST PDOOR OPEN / KLAX KSEA 12 053340/TIME 0533" ... "/LOC S101043,..."
  ASSERT_TRUE(door);
  EXPECT_EQ(door->kind, "door_opened");
  EXPECT_EQ(TextOf(*door, "event_time_utc"), "2026-11-12T05:33:00Z");
  EXPECT_EQ(FieldOf(*door, "latitude"), nullptr);
  const auto registration = DecodeLine(1342);  // "DE1570,1217,1222,LPMA,1613,EDDF,,,.D-AIAC04AUG22122248 ..."
  ASSERT_TRUE(registration);
  EXPECT_EQ(TextOf(*registration, "tail"), "D-AIAC");
  EXPECT_EQ(TextOf(*registration, "sent_time_utc"), "2022-08-04T12:22:48Z");
  const auto routePosition = DecodeFirst("1L", "000000070LOWW,KEWR");
  ASSERT_TRUE(routePosition);
  EXPECT_DOUBLE_EQ(NumberOf(*routePosition, "latitude"), 49.223);
  const auto packed = DecodeFirst("1L", "000000660N50442E005566,");
  ASSERT_TRUE(packed);
  EXPECT_NEAR(NumberOf(*packed, "longitude"), 5 + 56.6 / 60, 1e-9);
  const auto registered = DecodeFirst("1L", "0002022120000325114AUG22    KBWIEDDFDE2075");
  ASSERT_TRUE(registered);
  EXPECT_EQ(TextOf(*registered, "flight"), "DE2075");
  EXPECT_EQ(TextOf(*registered, "tail"), "D-ABUC");
  EXPECT_FALSE(Decode({"1L", "2", "000000070LOWW,KEWR,0932,1744,N 49.223,E 12.038,069", {}}, tables_));
  EXPECT_FALSE(Decode({"1L", "2", "000000660N50642E005566,100444359SOG-06 ,,--- 21-,83617441", {}}, tables_));
}

}  // namespace
}  // namespace corvane::readable
