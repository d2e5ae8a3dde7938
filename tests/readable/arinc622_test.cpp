// ADS-C and CPDLC envelopes on messages of the shared capture of real
// traffic: the checksum guards everything, the ADS-C report groups land
// where the ground station says the aircraft is.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

class Arinc622Messages : public RealMessages {
 protected:
  std::string TextOfFirst(const std::string& label, const std::string& start) {
    for (const auto& [messageLabel, text] : messages_) {
      if (messageLabel == label && text.starts_with(start)) {
        return text;
      }
    }
    ADD_FAILURE() << "no " << label << " message starts with " << start;
    return {};
  }
};

TEST_F(Arinc622Messages, AdsReportsReadPositionAltitudeAndTimePastTheHour) {
  const auto boston = DecodeFirst("B6", "/QXHADS2.ADS.N945JT");
  ASSERT_TRUE(boston);
  EXPECT_EQ(boston->kind, "adsc_report");
  EXPECT_EQ(boston->text,
            "Ground station: QXHADS2\r\nRegistration: N945JT\r\nPosition: 42\xB0"
            "19.3'N 70\xB0"
            "51.7'W\r\nAltitude: 2,792 ft\r\nTime past the hour: 193 s\r\nContract: 9\r\n");
  EXPECT_NEAR(NumberOf(*boston, "longitude"), -70.8623, 0.0001);

  // Under H1 with the terminal's prefix.
  const auto terminal = DecodeFirst("H1", "#M1B/B6 QXHADS2.ADS.N7726A");
  ASSERT_TRUE(terminal);
  EXPECT_EQ(TextOf(*terminal, "tail"), "N7726A");
  EXPECT_NEAR(NumberOf(*terminal, "latitude"), 35.2946, 0.0001);
  EXPECT_EQ(NumberOf(*terminal, "altitude_ft"), 35992);

  // Emirates over Germany, east positive; eighths of a second kept.
  const auto emirates = DecodeFirst("B6", "/DXBEGEK.ADS.A6-EQL");
  ASSERT_TRUE(emirates);
  EXPECT_NEAR(NumberOf(*emirates, "longitude"), 10.3539, 0.0001);
  EXPECT_EQ(NumberOf(*emirates, "time_past_hour_s"), 1360.25);
}

// Climbing out of Frankfurt on runway 18: track, speeds and weather groups.
TEST_F(Arinc622Messages, AdsReportGroupsReadVectorsWeatherFlightAndRoute) {
  const auto departure = DecodeFirst("B6", "/SKYSWSQ.ADS.9V-SJB0300");
  ASSERT_TRUE(departure);
  EXPECT_NEAR(NumberOf(*departure, "track_deg"), 179.0, 0.1);
  EXPECT_EQ(NumberOf(*departure, "groundspeed_kt"), 176.5);
  EXPECT_EQ(NumberOf(*departure, "vertical_rate_fpm"), 1760);
  EXPECT_EQ(NumberOf(*departure, "outside_air_temperature_c"), 13);
  EXPECT_EQ(NumberOf(*departure, "wind_speed_kt"), 6.5);

  // A wind from the north-west: a negative direction turned into 0-360.
  const auto cruise = DecodeFirst("B6", "/BOMASAI.ADS.VT-ANZ");
  ASSERT_TRUE(cruise);
  EXPECT_NEAR(NumberOf(*cruise, "wind_dir_deg"), 341.7, 0.1);
  EXPECT_EQ(NumberOf(*cruise, "wind_speed_kt"), 76.5);
  EXPECT_EQ(NumberOf(*cruise, "outside_air_temperature_c"), -56.75);
  EXPECT_NEAR(NumberOf(*cruise, "heading_deg"), 101.9, 0.1);
  EXPECT_NEAR(NumberOf(*cruise, "mach"), 0.8465, 0.0001);

  const auto route = DecodeFirst("B6", "/LPAFAYA.ADS.G-WUKC071A");
  ASSERT_TRUE(route);
  EXPECT_EQ(TextOf(*route, "flight"), "WUK8130");
  EXPECT_NEAR(NumberOf(*route, "next_latitude"), 40.5833, 0.001);   // 40°35.0'N
  EXPECT_NEAR(NumberOf(*route, "next_longitude"), -6.3017, 0.001);  // 6°18.1'W
  EXPECT_EQ(NumberOf(*route, "next_time_to_go_s"), 2120);
  EXPECT_EQ(NumberOf(*route, "following_altitude_ft"), 36000);

  const auto event = DecodeFirst("B6", "/LPAFAYA.ADS.G-WUKC14");
  ASSERT_TRUE(event);
  EXPECT_EQ(event->kind, "adsc_waypoint_change_event");
  const auto ack = DecodeFirst("B6", "/ALGCAYA.ADS.9H-HFA0302");
  ASSERT_TRUE(ack);
  EXPECT_EQ(ack->kind, "adsc_acknowledgement");
  EXPECT_EQ(std::get<std::vector<double>>(*FieldOf(*ack, "contract_numbers")), std::vector<double>{2});
  // Two acknowledged contracts before the report: both kept, in order.
  EXPECT_EQ(std::get<std::vector<double>>(*FieldOf(*DecodeLine(537), "contract_numbers")), (std::vector<double>{2, 1}));
  const auto refused = DecodeFirst("H1", "#M1B/B6 QXHADS2.ADS.N416WN");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind, "adsc_negative_acknowledgement");
}

TEST_F(Arinc622Messages, CpdlcAndContractEnvelopesNameTheirKindAndRegistration) {
  const auto confirm = DecodeFirst("BA", "/USADCXA.CC1.N390DN");
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->kind, "cpdlc_connection_confirmed");
  // Fields in the order the text gives them: the ground station first.
  EXPECT_EQ(confirm->text.substr(0, 47), "Ground station: USADCXA\r\nRegistration: N390DN\r\n");
  // Dots left-fill a short registration.
  const auto padded = DecodeFirst("AA", "/REKCAYA.AT1..B-LRK");
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded->kind, "cpdlc_message");
  EXPECT_EQ(TextOf(*padded, "tail"), "B-LRK");
  // A registration of all seven characters, with no dot before it.
  const auto cancel = DecodeFirst("A6", "/YVRE2YA.ADSB-17801");
  ASSERT_TRUE(cancel);
  EXPECT_EQ(cancel->kind, "adsc_contract_cancellation");
  EXPECT_EQ(TextOf(*cancel, "tail"), "B-17801");
  const auto uplink = DecodeFirst("H1", "- #MD/AA YWGE2YA.AT1.JA17KZ");
  ASSERT_TRUE(uplink);
  EXPECT_EQ(TextOf(*uplink, "ground_station"), "YWGE2YA");
  const auto request = DecodeFirst("AA", "/YQXE2YA.CR1.9V-SGF");
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, "cpdlc_connection_request");
}

// One wrong digit anywhere, data or checksum, and nothing is read.
TEST_F(Arinc622Messages, AFailedChecksumOrABrokenEnvelopeGivesNothing) {
  const std::string good = TextOfFirst("B6", "/QXHADS2.ADS.N945JT");
  ASSERT_FALSE(good.empty());
  for (const std::size_t at : {std::size_t{22}, good.size() - 1}) {
    std::string damaged = good;
    damaged[at] = damaged[at] == '0' ? '1' : '0';
    EXPECT_FALSE(Decode({"B6", "2", damaged, {}}, tables_)) << damaged;
  }
  // Every cut of a real message, and texts that only start alike.
  const std::string terminal = TextOfFirst("H1", "#M1B/B6 QXHADS2.ADS.N7726A");
  for (std::size_t length = 0; length + 1 < terminal.size(); ++length) {
    EXPECT_FALSE(Decode({"B6", "2", terminal.substr(0, length), {}}, tables_)) << length;
  }
  EXPECT_FALSE(Decode({"B6", "2", "/B6 LDG DATA REQ / KSFO CYVR 04", {}}, tables_));
  EXPECT_FALSE(Decode({"B6", "2", "/QXHADS2.ADS.N945JT0309071E18866CDF40AE83040DFF7", {}}, tables_));

  // A terminal text checked with the envelope's CRC, highest digit first.
  const auto freeText = DecodeLine(1168);
  ASSERT_TRUE(freeText);
  EXPECT_EQ(TextOf(*freeText, "flight"), "HIFI21");
  std::string wrong = messages_[1168 - 1].second;
  wrong.back() = wrong.back() == 'F' ? 'E' : 'F';
  const auto refused = Decode({"H1", "2", wrong, {}}, tables_);
  EXPECT_TRUE(!refused || refused->kind != "free_text");
}

}  // namespace
}  // namespace corvane::readable
