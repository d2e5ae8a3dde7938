// The terminal (H1) forms of forms_terminal_more.cpp on real messages: the
// flight management computer's requests, answers and rejections, its
// performance data, more position reports, the ICAO messages, the facilities
// notification, and the frequency change (":;").
#include <gtest/gtest.h>

#include "real_messages.h"

namespace corvane::readable {
namespace {

class TerminalMoreForms : public RealMessages {
 protected:
  std::optional<Decoding> DecodeText(const std::string& label, const std::string& text) {
    return Decode({label, "2", text, {}, ReceiveTimeOf("2026-12-07T02:00:00Z")}, tables_);
  }
};

TEST_F(TerminalMoreForms, ExchangesNameWhatTheyRequestOrAnswerAndWhenSent) {
  const auto acknowledged = DecodeLine(225);  // "#M1BRESREQ/AK,47/TS000717,020226/DI..."
  ASSERT_TRUE(acknowledged);
  EXPECT_EQ(acknowledged->kind, "uplink_acknowledged");
  EXPECT_EQ(TextOf(*acknowledged, "subject"), "REQ");
  EXPECT_EQ(TextOf(*acknowledged, "sent_time_utc"), "2026-02-02T00:07:17Z");
  // "070226" may be 7 February or 2 July: the time alone.
  const auto answered = DecodeFirst("H1", "RESPWI/AC,5B/TS140956,070226");
  ASSERT_TRUE(answered);
  EXPECT_EQ(answered->kind, "uplink_response");
  EXPECT_EQ(answered->text, "Answers: Predicted winds (PWI)\r\nSent: 14:09:56\r\n");
  // The position a rejected uplink held is not the aircraft's.
  const auto rejected = DecodeFirst("H1", "REJPOS,100719");
  ASSERT_TRUE(rejected);
  EXPECT_EQ(rejected->kind, "uplink_rejected");
  EXPECT_EQ(FieldOf(*rejected, "latitude"), nullptr);
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "/HDQDLUA.REJPWI"), "subject"), "PWI");

  const auto request = DecodeFirst("H1", "#MDREQPOS/ID55150A");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, "data_request");
  EXPECT_EQ(TextOf(*request, "flight"), "RCH892");
  EXPECT_EQ(DecodeFirst("H1", "#MDREQLDI")->kind, "landing_data_request");
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "- #M1REQPOS037B\r\n"), "subject"), "POS");
  // A checksum that fails gives nothing.
  EXPECT_FALSE(DecodeText("H1", "RESPWI/AK,71605E"));
  EXPECT_FALSE(DecodeText("H1", "REQPOS037C"));
}

TEST_F(TerminalMoreForms, PerformanceDataReadsOnlyWhatIsSure) {
  const auto settings = DecodeFirst("H1", "PER/PR1266,289,310");
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->kind, "performance_data");
  EXPECT_EQ(NumberOf(*settings, "cruise_altitude_ft"), 31000);
  // The level set for the cruise and the temperature expected at the top of
  // climb are not where the aircraft is.
  EXPECT_EQ(FieldOf(*settings, "altitude_ft"), nullptr);
  EXPECT_EQ(FieldOf(*settings, "outside_air_temperature_c"), nullptr);

  const auto takeoff = DecodeFirst("H1", "#M1BPRF/TR,280");
  ASSERT_TRUE(takeoff);
  EXPECT_EQ(
      takeoff->text,
      "Departure: KABQ\r\nArrival: KBUR\r\nDeparture runway: 08\r\nFlight: SWA974\r\nAirline: Southwest Airlines\r\n");
  const auto landing = DecodeFirst("H1", "PRG/LR,000855,SWA786");
  ASSERT_TRUE(landing);
  EXPECT_EQ(TextOf(*landing, "runway_arrival"), "04R");
  EXPECT_EQ(TextOf(*DecodeFirst("H1", "- #MDFTX/ID80052A"), "flight"), "RCH648");
  const auto initialisation = DecodeFirst("H1", "INI/ID70045B");
  ASSERT_TRUE(initialisation);
  EXPECT_EQ(TextOf(*initialisation, "flight"), "RCH2050");
  EXPECT_EQ(TextOf(*initialisation, "arrival"), "KBHM");
}

TEST_F(TerminalMoreForms, PositionVariantsReadPositionTimeAndLevel) {
  const auto star = DecodeLine(230);  // "#DFB*POS\r\n02020007N3523W10701..."
  ASSERT_TRUE(star);
  EXPECT_NEAR(NumberOf(*star, "latitude"), 35 + 23 / 60.0, 1e-9);
  EXPECT_NEAR(NumberOf(*star, "longitude"), -(107 + 1 / 60.0), 1e-9);
  EXPECT_EQ(TextOf(*star, "report_time_utc"), "2026-02-02T00:07:00Z");
  EXPECT_FALSE(DecodeText("H1", "*POS13300950N3954W07759363312045802M5230175"));  // month 13

  const auto icao = DecodeFirst("H1", "(POS-KLM296");
  ASSERT_TRUE(icao);
  EXPECT_EQ(TextOf(*icao, "flight"), "KLM296");
  EXPECT_NEAR(NumberOf(*icao, "latitude"), 39 + 11 / 60.0, 1e-9);
  EXPECT_NEAR(NumberOf(*icao, "longitude"), -76, 1e-9);
  EXPECT_EQ(TextOf(*icao, "report_time"), "23:42:12");
  EXPECT_EQ(NumberOf(*icao, "altitude_ft"), 25000);
  EXPECT_FALSE(DecodeText("H1", "(POS-KLM296  -3911N07600W/234212 X250)"));

  const auto addressed = DecodeFirst("H1", "/HDQDLUA.POSN38332");
  ASSERT_TRUE(addressed);
  EXPECT_EQ(TextOf(*addressed, "position_waypoint"), "RONZZ");
  EXPECT_NEAR(NumberOf(*addressed, "longitude"), -(80 + 8.2 / 60), 1e-9);
  const auto stamped = DecodeFirst("H1", "/.POS/TS140122,141124N38321");
  ASSERT_TRUE(stamped);
  EXPECT_EQ(TextOf(*stamped, "report_time"), "14:01:22");
  EXPECT_EQ(NumberOf(*stamped, "altitude_ft"), 45000);
  EXPECT_EQ(NumberOf(*stamped, "outside_air_temperature_c"), -56);
}

TEST_F(TerminalMoreForms, IcaoFlightPlanAndEffectsReportReadFlightAndRoute) {
  const auto plan = DecodeFirst("H1", "(FPL-CCA769-IS");
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->kind, "flight_plan");
  EXPECT_EQ(FieldOf(*plan, "departure"), nullptr);  // "VESPA2354" is no aerodrome
  EXPECT_EQ(TextOf(*plan, "arrival"), "KLAX");
  EXPECT_EQ(NumberOf(*plan, "cruise_altitude_ft"), 35000);
  EXPECT_EQ(TextOf(*plan, "tail"), "B2036");
  EXPECT_FALSE(DecodeText("H1", "(FPL-CCA769-IS-B77W/H-S/C-VESPA2354-N0482F350 DCT-KLA0117)"));
  const auto effects = DecodeFirst("H1", "RTE 1 13MAR26");
  ASSERT_TRUE(effects);
  EXPECT_EQ(TextOf(*effects, "flight"), "BAW9VA");
  EXPECT_EQ(TextOf(*effects, "arrival"), "TLPL");
}

TEST_F(TerminalMoreForms, FacilitiesNotificationsReadFacilityFlightAndNextContact) {
  const auto acknowledgement = DecodeFirst("H1", "- #MD/A0 YEGE2YA.AFN/FMHNCA134");
  ASSERT_TRUE(acknowledgement);
  EXPECT_EQ(acknowledgement->kind, "afn_acknowledgement");
  EXPECT_EQ(acknowledgement->text,
            "Ground facility: YEGE2YA\r\nFlight: NCA134\r\nAirline: Nippon Cargo Airlines\r\nAircraft: JA16KZ\r\n");
  const auto advisory = DecodeFirst("H1", "- #MD/A0 ANCXFXA.AFN/FMHNCA132");
  ASSERT_TRUE(advisory);
  EXPECT_EQ(advisory->kind, "afn_contact_advisory");
  EXPECT_EQ(TextOf(*advisory, "next_ground_station"), "YEGE2YA");
  EXPECT_FALSE(DecodeText("H1", "- #MD/A0 ANCXFXA.AFN/FMHNCA132,.JA17KZ/FCAYEGE2YA,15888"));  // checksum
}

TEST_F(TerminalMoreForms, FrequencyChangeReadsAVhfFrequency) {
  const auto change = DecodeFirst(":;", " 1317251200");
  ASSERT_TRUE(change);
  EXPECT_EQ(change->kind, "frequency_change");
  EXPECT_DOUBLE_EQ(NumberOf(*change, "frequency_mhz"), 131.725);
  EXPECT_DOUBLE_EQ(NumberOf(*DecodeFirst(":;", "129525"), "frequency_mhz"), 129.525);
  EXPECT_FALSE(DecodeText(":;", "117975"));  // below the VHF data band
  EXPECT_FALSE(DecodeText(":;", "1295251"));
}

}  // namespace
}  // namespace corvane::readable
