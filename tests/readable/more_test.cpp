// The clearances, ground office and printer messages, checked free text and
// brake events, each on a real message of the shared capture, with a near
// miss that must stay unread.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, ClearancesAndTheirRequestsReadWithTheirChecksum) {
  const auto oceanic = DecodeLine(2037);  // /PIKCLYA.OC1/CLX 0832 220611 EGGX ... FM ERAKA/0959 MNTN F380 M085
  ASSERT_TRUE(oceanic);
  EXPECT_EQ(oceanic->kind, "oceanic_clearance");
  EXPECT_EQ(TextOf(*oceanic, "sent_time_utc"), "2022-06-11T08:32:00Z");
  EXPECT_EQ(TextOf(*oceanic, "flight"), "DLH436");
  EXPECT_EQ(TextOf(*oceanic, "arrival"), "KORD");
  EXPECT_EQ(TextOf(*oceanic, "entry_point"), "ERAKA");
  EXPECT_EQ(TextOf(*oceanic, "entry_time"), "09:59");
  EXPECT_DOUBLE_EQ(NumberOf(*oceanic, "entry_altitude_ft"), 38000);
  EXPECT_DOUBLE_EQ(NumberOf(*oceanic, "entry_mach"), 0.85);
  // Mach before the flight level in the readback.
  const auto readback = DecodeLine(2045);
  ASSERT_TRUE(readback);
  EXPECT_EQ(readback->kind, "oceanic_clearance_readback");
  EXPECT_DOUBLE_EQ(NumberOf(*readback, "entry_mach"), 0.82);
  EXPECT_DOUBLE_EQ(NumberOf(*readback, "entry_altitude_ft"), 36000);

  const auto departure = DecodeLine(2038);  // /FRADFYA.DC1/CLD 0658 220612 EDDF PDC 688 ...
  ASSERT_TRUE(departure);
  EXPECT_EQ(departure->kind, "departure_clearance");
  EXPECT_EQ(TextOf(*departure, "departure"), "EDDF");
  EXPECT_EQ(TextOf(*departure, "arrival"), "LJLJ");
  EXPECT_EQ(TextOf(*departure, "runway_departure"), "18");
  EXPECT_EQ(TextOf(*departure, "transponder_code"), "1000");

  const auto request = DecodeLine(2041);  // /EGGX.OC1/RCL 046 / AFR088-BALIX/1754 M083F360
  ASSERT_TRUE(request);
  EXPECT_EQ(request->kind, "oceanic_clearance_request");
  EXPECT_EQ(TextOf(*request, "flight"), "AFR088");
  EXPECT_EQ(TextOf(*request, "entry_time"), "17:54");
  EXPECT_DOUBLE_EQ(NumberOf(*request, "entry_mach"), 0.83);
  const auto departureRequest = DecodeLine(2048);  // /SBRF.DC1/RCD 024 / GLO1557-SBRF-GATE 12-SBSP
  ASSERT_TRUE(departureRequest);
  EXPECT_EQ(departureRequest->kind, "departure_clearance_request");
  EXPECT_EQ(TextOf(*departureRequest, "arrival"), "SBSP");

  // A whole message whose checksum does not hold, a type not known, no
  // message identifier (line 2046) and a square transponder digit.
  std::string broken = messages_[2037 - 1].second;
  broken.replace(broken.find("E823"), 4, "E824");
  EXPECT_FALSE(Decode({"A1", "2", broken, {}}, tables_));
  EXPECT_FALSE(Decode({"A1", "2", "/PIKCLYA.OC1/XYZ 0832 220611 EGGX CLRNCE 602 DLH436 CLRD TO KORD", {}}, tables_));
  EXPECT_FALSE(DecodeLine(2046));
  const auto squawk =
      Decode({"A3", "2", "/FRADFYA.DC1/CLD 0658 220612 EDDF PDC 688 DLH8NT CLRD TO LJLJ SQUAWK 1080", {}}, tables_);
  ASSERT_TRUE(squawk);
  EXPECT_EQ(TextOf(*squawk, "transponder_code"), "");
}

TEST_F(RealMessages, GroundAndCrewTextsReadWithTheirHeaders) {
  const auto office = DecodeLine(2069);  // DPCCAMH / 270822 / AGM AN / 9M-MTO/FI MH0714/MA 154I - ...
  ASSERT_TRUE(office);
  EXPECT_EQ(office->kind, "ground_message");
  EXPECT_EQ(TextOf(*office, "tail"), "9M-MTO");
  EXPECT_EQ(TextOf(*office, "flight"), "MH0714");
  EXPECT_TRUE(TextOf(*office, "uplink_message").ends_with("-----END OF MESSAGE-----"));
  const auto atis = DecodeLine(165);  // .ATSA5XA 020045 / AGM / AN N758US / - TWIP REQUEST ...
  ASSERT_TRUE(atis);
  EXPECT_EQ(TextOf(*atis, "uplink_message"), "TWIP REQUEST TYPE OR DATA NOT PROPERLY RECOGNIZED");
  EXPECT_FALSE(DecodeLine(164));  // the second block of line 163: no header
  EXPECT_FALSE(Decode({"C1", "2", ".ATSA5XA 020045\r\nAGM\r\nAN -\r\n- TEXT", {}}, tables_));

  const auto printer = DecodeLine(2144);  // QUWHQVDUA?1MSG FROM DISP ...
  ASSERT_TRUE(printer);
  EXPECT_EQ(
      TextOf(*printer, "uplink_message"),
      "MSG FROM DISP UA2465-05 KSJC KLAS EXPECT CONT MDT TB DURGD INTO LAS ACCORDING TO ANOTHER FLIGHT I HAVE THAT "
      "JUST LEFT LAS CHIDD J BOMAN");
  EXPECT_FALSE(DecodeLine(2149));  // a later block of a printer message
  EXPECT_FALSE(Decode({"RB", "2", "QUANPOCSY/~1 6308", {}}, tables_));

  for (const std::size_t line : {939, 1079}) {  // both checksums the flight management texts use
    const auto text = DecodeLine(line);
    ASSERT_TRUE(text) << line;
    EXPECT_EQ(text->kind, "free_text");
  }
  EXPECT_EQ(TextOf(*DecodeLine(939), "message"), "EXCELLENT. HAPPY TO HELP");
  EXPECT_EQ(TextOf(*DecodeLine(1079), "flight"), "RCH4086");
  EXPECT_FALSE(
      Decode({"14", "2", "FTX/ID50029S,RCH085,6JH805S11104/MR3,/FXEXCELLENT. HAPPY TO HELP581B", {}}, tables_));

  const auto released = DecodeLine(1491);
  ASSERT_TRUE(released);
  EXPECT_EQ(released->kind, "brake_released");
  EXPECT_EQ(TextOf(*released, "event_time"), "11:52");
  EXPECT_EQ(DecodeLine(1492)->kind, "brake_set");
  EXPECT_FALSE(Decode({"23", "2", "BRAKE/BRAKE HOLD 1152", {}}, tables_));
}

TEST_F(RealMessages, AtisWeatherAndTerminalHeadingsReadWhatTheyName) {
  EXPECT_EQ(TextOf(*DecodeLine(435), "airport"), "KDEN");  // 046KDENA
  const auto atis = DecodeLine(438);                       // /ATSASXA.TI2/KABQ ARR ATIS D
  ASSERT_TRUE(atis);
  EXPECT_EQ(atis->kind, "atis");
  EXPECT_EQ(TextOf(*atis, "atis_code"), "D");
  EXPECT_FALSE(Decode({"A9", "2", "/ATSASXA.TI2/KABQ ARR ATIS DE", {}}, tables_));
  const auto afn = DecodeLine(695);  // /YQXE2YA.AFN/FMHRJA268,.JY-BAG,,052925/FCAPIKCPYA,0C03E
  ASSERT_TRUE(afn);
  EXPECT_EQ(afn->kind, "afn_contact_advisory");

  const auto weather = DecodeLine(710);  // 42 ETOPS ALTN MET / METAR KSFO ... / METAR NSTU ... / METAR NZAA ...
  ASSERT_TRUE(weather);
  const Value* stations = FieldOf(*weather, "weather_stations");
  ASSERT_NE(stations, nullptr);
  EXPECT_EQ(std::get<std::vector<std::string>>(*stations), (std::vector<std::string>{"KSFO", "NSTU", "NZAA"}));
  EXPECT_FALSE(Decode({"RA", "2", "METAR KSFO 0906Z 04007KT", {}}, tables_));

  const auto trip = DecodeLine(2096);  // A321,...REP291.../ TRP KDFW MMUN / /A1 125440, 31.1365,- 96.7883,...
  ASSERT_TRUE(trip);
  EXPECT_EQ(TextOf(*trip, "departure"), "KDFW");
  EXPECT_EQ(TextOf(*trip, "report_time"), "12:54:40");
  EXPECT_DOUBLE_EQ(NumberOf(*trip, "longitude"), -96.7883);
  const auto zfw = DecodeLine(1150);  // EZF / NO0246/10/EI-NEO / ... / -SCT/MXP-ZNZ
  ASSERT_TRUE(zfw);
  EXPECT_EQ(TextOf(*zfw, "tail"), "EI-NEO");
  EXPECT_EQ(TextOf(*zfw, "arrival_iata"), "ZNZ");
  const auto winds = DecodeLine(1206);  // PWI/WD390,COLZI,258070.AWYAT,...
  ASSERT_TRUE(winds);
  EXPECT_EQ(std::get<std::vector<std::string>>(*FieldOf(*winds, "waypoints")).size(), 6U);
  std::string altered = messages_[1206 - 1].second;
  altered[8] = 'X';  // COLZI -> COXZI: the checksum no longer holds
  EXPECT_FALSE(Decode({"H1", "2", altered, {}}, tables_));
  const auto snapshot = DecodeLine(2071);  // ACMF SNAPSHOT REPORT 2020AUG05 18:06:31 / A/C N192SY
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(TextOf(*snapshot, "report_time_utc"), "2020-08-05T18:06:31Z");
  EXPECT_EQ(TextOf(*snapshot, "tail"), "N192SY");
  EXPECT_EQ(TextOf(*DecodeLine(2080), "report_time_utc"), "2020-08-05T18:15:00Z");
  // Free text in label H1, behind the terminal prefix.
  const auto terminal = Decode({"H1", "2", "- #MD" + messages_[939 - 1].second, {}}, tables_);
  ASSERT_TRUE(terminal);
  EXPECT_EQ(terminal->kind, "free_text");

  const auto gate = DecodeLine(2019);
  ASSERT_TRUE(gate);
  EXPECT_EQ(TextOf(*gate, "eta"), "04:11");
  EXPECT_FALSE(Decode({"5Z", "2", "05KIAD REQUEST GATE", {}}, tables_));
}

}  // namespace
}  // namespace corvane::readable
