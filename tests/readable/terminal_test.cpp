// The terminal (H1) forms of forms_terminal.cpp on real messages: flight
// plans and progress reports with their checksum, the flight data reports,
// the condition monitoring reports and the two position reports.
#include <gtest/gtest.h>

#include "real_messages.h"

namespace corvane::readable {
namespace {

using Names = std::vector<std::string>;

class TerminalForms : public RealMessages {
 protected:
  // The text of the first H1 message starting so.
  std::string TextStarting(const std::string& start) {
    for (const auto& [label, text] : messages_) {
      if (label == "H1" && text.starts_with(start)) {
        return text;
      }
    }
    ADD_FAILURE() << "no H1 message starts with " << start;
    return {};
  }
  std::optional<Decoding> DecodeText(const std::string& text) { return Decode({"H1", "2", text, {}}, tables_); }
};

TEST_F(TerminalForms, FlightPlansReadRouteRunwaysAndWaypointsWhenTheChecksumHolds) {
  const auto plan = DecodeFirst("H1", "FPN/FNAAL1454/RP:DA:KCLT");
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->kind, "flight_plan");
  EXPECT_EQ(
      plan->text,
      "Flight: AAL1454\r\nAirline: American Airlines\r\nDeparture: KCLT\r\nArrival: KLAS\r\nDeparture runway: 36C\r\n"
      "Arrival runway: 26L\r\nWaypoints: BUKKO KA33Q HAHAA\r\n");
  // "VECTOR" and the discontinuity are no waypoints; airways are skipped; the
  // route's "(17L)" is the arrival runway.
  const auto inactive = DecodeFirst("H1", "FPN/RI:DA:KEWR");
  ASSERT_TRUE(inactive);
  EXPECT_EQ(std::get<Names>(*FieldOf(*inactive, "waypoints")),
            (Names{"SAAME", "HVQ", "LITTR", "MEEOW", "FEWWW", "RIVET", "TACKE"}));
  EXPECT_EQ(TextOf(*inactive, "runway_arrival"), "17L");
  // "26O": runway 26, no letter.
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "FPN/FNAAL1956"), "runway_arrival"), "26");
  const auto prefixed = DecodeFirst("H1", "#M1BFPN/TS232008");
  ASSERT_TRUE(prefixed);
  EXPECT_EQ(TextOf(*prefixed, "runway_departure"), "11");
  // A checksum that fails leaves out the last item, which may be cut short.
  std::string broken = TextStarting("FPN/FNAAL1454");
  broken.back() = broken.back() == '0' ? '1' : '0';
  const auto unsure = DecodeText(broken);
  ASSERT_TRUE(unsure);
  EXPECT_EQ(TextOf(*unsure, "departure"), "KCLT");
  EXPECT_EQ(FieldOf(*unsure, "waypoints"), nullptr);
}

TEST_F(TerminalForms, ProgressReportsReadDestinationRunwayFlightAndTime) {
  const auto progress = DecodeFirst("H1", "PRG/DTEHAM,18R");
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->text,
            "Arrival: EHAM (Amsterdam)\r\nArrival runway: 18R\r\nFlight: DAL162\r\nAirline: Delta Air Lines\r\nTime: "
            "08:07:47\r\n");
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "PRG/DT,KMDW"), "arrival"), "KMDW");
  std::string broken = TextStarting("PRG/DTEHAM,18R");
  broken[5] = 'X';
  EXPECT_FALSE(DecodeText(broken));
}

TEST_F(TerminalForms, FlightDataReportsReadTheirHeadingAndFirstSample) {
  const auto snapshot = DecodeFirst("H1", "7X400,7845");
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->kind, "flight_data_report");
  EXPECT_EQ(snapshot->text,
            "Flight: WN4140\r\nAirline: Southwest Airlines\r\nDeparture: KSAT\r\nArrival: KBNA\r\nTime: 12:08:39\r\n"
            "Position: 29\xB0"
            "39.7'N 95\xB0"
            "46.7'W\r\nAltitude: 39,002 ft\r\nMach: 0.786\r\n"
            "Outside air temperature: -54.2 \xB0"
            "C\r\n");
  EXPECT_EQ(FieldOf(*snapshot, "tail"), nullptr);  // "7845" is not the whole registration

  const auto track = DecodeFirst("H1", "#DFB++86501,N8719Q");
  ASSERT_TRUE(track);
  EXPECT_EQ(TextOf(*track, "tail"), "N8719Q");
  EXPECT_NEAR(NumberOf(*track, "latitude"), 35 + 48.5 / 60, 1e-9);
  EXPECT_EQ(NumberOf(*track, "altitude_ft"), 37995);
  EXPECT_EQ(NumberOf(*track, "outside_air_temperature_c"), -60.5);
  EXPECT_EQ(NumberOf(*track, "wind_dir_deg"), 270);

  const auto packed = DecodeFirst("H1", "76401\r\n02E02KPHXKSTL");
  ASSERT_TRUE(packed);
  EXPECT_DOUBLE_EQ(NumberOf(*packed, "latitude"), 34.743);
  EXPECT_DOUBLE_EQ(NumberOf(*packed, "longitude"), -107.902);
  EXPECT_EQ(TextOf(*packed, "report_time"), "00:07");
  EXPECT_EQ(NumberOf(*packed, "altitude_ft"), 37020);
  EXPECT_EQ(NumberOf(*packed, "outside_air_temperature_c"), -57);
  EXPECT_EQ(NumberOf(*packed, "wind_speed_kt"), 30);
  EXPECT_EQ(NumberOf(*DecodeFirst("H1", "#DFB76401\r\n02E02KABQKBUR"), "outside_air_temperature_c"), 8);
  std::string unsigned_ = TextStarting("76401\r\n02E02KPHXKSTL");
  unsigned_[43] = 'X';  // the temperature's sign letter
  EXPECT_FALSE(DecodeText(unsigned_));

  // A later block, its first line cut: the first whole sample is read.
  const auto rest = DecodeFirst("H1", "#DFB0000,37999");
  ASSERT_TRUE(rest);
  EXPECT_EQ(NumberOf(*rest, "altitude_ft"), 37997);
  EXPECT_NEAR(NumberOf(*rest, "latitude"), 35 + 29.3 / 60, 1e-9);

  const auto block = DecodeFirst("H1", "#10BSB0122BA_B-220E  ZSPDKSEA600");
  ASSERT_TRUE(block);
  EXPECT_EQ(TextOf(*block, "tail"), "B-220E");
  EXPECT_DOUBLE_EQ(NumberOf(*block, "longitude"), -155.965);
  EXPECT_EQ(NumberOf(*block, "altitude_ft"), 31000);
  EXPECT_EQ(NumberOf(*block, "outside_air_temperature_c"), -50);
  EXPECT_EQ(NumberOf(*block, "wind_dir_deg"), 277);
  EXPECT_DOUBLE_EQ(NumberOf(*DecodeFirst("H1", "ABS011DA_N27253"), "longitude"), -95.398);  // " -95398"
  EXPECT_EQ(NumberOf(*DecodeLine(197), "outside_air_temperature_c"), -58.5);                // "-585": tenths kept
  EXPECT_EQ(NumberOf(*DecodeLine(274), "outside_air_temperature_c"), -54);                  // "-54-": no tenths
}

// A later block of the feed holding its "C6" record: the position only.
TEST_F(TerminalForms, FeedBlocksReadThePositionRecord) {
  const auto cut = DecodeFirst("H1", "6342787,-1080968,350");
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->text,
            "Position: 34\xB0"
            "16.7'N 108\xB0"
            "05.8'W\r\n");
  const auto tagged = DecodeFirst("H1", "1097626,350,01473");
  ASSERT_TRUE(tagged);
  EXPECT_DOUBLE_EQ(NumberOf(*tagged, "latitude"), 35.9706);
  EXPECT_DOUBLE_EQ(NumberOf(*tagged, "longitude"), -109.3749);
  std::string shortRecord = TextStarting("6342787,-1080968,350");
  shortRecord.erase(17, 1);  // "35," : a piece one digit short
  EXPECT_FALSE(DecodeText(shortRecord));
}

TEST_F(TerminalForms, FaultAndWarningReportsReadTheirTime) {
  const auto fault = DecodeFirst("H1", "FLR/FR24030411230034583106");
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->text, "Time: 11:23\r\n");
  EXPECT_EQ(fault->kind, "fault_report");
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "WRN/PNRC12860AA07/WN2403031625"), "report_time"), "16:25");
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "#CFB.1/WRN/WN2312131843"), "report_time"), "18:43");
  EXPECT_FALSE(DecodeText("FLR/FR24130411230034583106FWC2 :NO DATA"));  // no 13th month
}

TEST_F(TerminalForms, ConditionReportsReadTheirHeadings) {
  const auto trip = DecodeFirst("H1", "A38/A32138,1,1/C1TRP,000913");
  ASSERT_TRUE(trip);
  EXPECT_EQ(trip->kind, "trip_report");
  EXPECT_EQ(TextOf(*trip, "report_time"), "00:09:13");
  EXPECT_EQ(TextOf(*trip, "departure"), "KPSP");
  EXPECT_DOUBLE_EQ(NumberOf(*trip, "latitude"), 34.1606);
  EXPECT_DOUBLE_EQ(NumberOf(*trip, "longitude"), -109.9966);
  EXPECT_EQ(NumberOf(*trip, "altitude_ft"), 34900);
  EXPECT_EQ(FieldOf(*DecodeFirst("H1", "A38/A31938"), "arrival"), nullptr);  // "XXXX"
  const auto heading = DecodeFirst("H1", "A02/A32102,1,1/CCN534UW");
  ASSERT_TRUE(heading);
  EXPECT_EQ(heading->text, "Aircraft: N534UW\r\nTime: 23:55:29\r\nDeparture: KCLT\r\nArrival: KLAS\r\n");
  const auto engine = DecodeFirst("H1", "R04/A33004");
  ASSERT_TRUE(engine);
  EXPECT_EQ(TextOf(*engine, "tail"), "VH-EBR");
  EXPECT_EQ(TextOf(*engine, "report_time"), "02:01:30");
  EXPECT_EQ(TextOf(*engine, "flight"), "QFA19");
  const auto behindDigits = DecodeFirst("H1", "#DFB001304400101010692066");
  ASSERT_TRUE(behindDigits);
  EXPECT_EQ(TextOf(*behindDigits, "tail"), "7T-VJX");
}

TEST_F(TerminalForms, TimesGivenWithTheirDateBecomeUtcTimestamps) {
  // Month and day (completed with the year of reception), YYMMDD, DDMMYY,
  // 25MAR16 and the tagged "DAY 22OCT24", each on its own line.
  EXPECT_EQ(TextOf(*DecodeLine(88), "report_time_utc"), "2026-02-01T23:55:29Z");   // FEB01,235529
  EXPECT_EQ(TextOf(*DecodeLine(196), "report_time_utc"), "2026-02-02T01:01:33Z");  // /DAT 260202/TIM 010133
  EXPECT_EQ(TextOf(*DecodeLine(902), "report_time_utc"), "2023-12-13T18:19:07Z");  // TS181907,131223
  EXPECT_EQ(TextOf(*DecodeLine(924), "report_time_utc"), "2023-12-13T18:43:00Z");  // WN2312131843
  EXPECT_EQ(TextOf(*DecodeLine(1151), "report_time_utc"), "2024-03-04T11:23:00Z");
  EXPECT_EQ(TextOf(*DecodeLine(1740), "report_time_utc"), "2019-12-08T09:02:18Z");  // 08DEC19,090218
  EXPECT_EQ(TextOf(*DecodeLine(2087), "report_time_utc"), "2016-03-25T02:01:30Z");  // 25MAR16,02.01.30
  const auto tagged = DecodeLine(1081);  // ETA 0120 ... DAY 22OCT24/UTC 002714
  ASSERT_TRUE(tagged);
  EXPECT_EQ(TextOf(*tagged, "sent_time_utc"), "2024-10-22T00:27:14Z");
  EXPECT_EQ(TextOf(*tagged, "eta_utc"), "2024-10-22T01:20:00Z");
  EXPECT_EQ(FieldOf(*tagged, "sent_time"), nullptr);
}

TEST_F(TerminalForms, PositionReportsReadTheirPlaceInEachSpelling) {
  const auto south = DecodeFirst("H1", "YSSY,KSFO,101621");
  ASSERT_TRUE(south);
  EXPECT_DOUBLE_EQ(NumberOf(*south, "latitude"), -4.9985);
  EXPECT_DOUBLE_EQ(NumberOf(*south, "longitude"), -169.982);
  EXPECT_EQ(NumberOf(*south, "altitude_ft"), 35003);
  const auto trip = DecodeFirst("H1", "TRP 003451");
  ASSERT_TRUE(trip);
  EXPECT_EQ(TextOf(*trip, "report_time"), "00:34:51");
  EXPECT_DOUBLE_EQ(NumberOf(*trip, "longitude"), -109.5385);
  // A route after TRP is the trip heading, with no time or position read.
  const auto route = DecodeFirst("H1", "TRP KPHX EGLL");
  ASSERT_TRUE(route);
  EXPECT_EQ(TextOf(*route, "report_time"), "");
  EXPECT_EQ(TextOf(*route, "arrival"), "EGLL");
  // The checksummed report's "PS" item, with and without its waypoint piece.
  const auto items = DecodeFirst("H1", "/.POS/TS100316");
  ASSERT_TRUE(items);
  EXPECT_EQ(items->text,
            "Position: 35\xB0"
            "33.3'S 58\xB0"
            "22.0'W\r\nTime: 10:03:16\r\nAltitude: 25,000 ft\r\nOutside air temperature: -23 \xB0"
            "C\r\nWind: 272\xB0"
            " at 82 kt\r\n");
  const auto shorter = DecodeFirst("H1", "#M1BPOS/ID746026");
  ASSERT_TRUE(shorter);
  EXPECT_EQ(NumberOf(*shorter, "altitude_ft"), 32000);
  EXPECT_EQ(NumberOf(*shorter, "wind_speed_kt"), 70);
  const auto wob = DecodeFirst("H1", "*WOBLAXATL5100F 0102000502");
  ASSERT_TRUE(wob);
  EXPECT_NEAR(NumberOf(*wob, "longitude"), -(107 + 51.9 / 60), 1e-9);
}

}  // namespace
}  // namespace corvane::readable
