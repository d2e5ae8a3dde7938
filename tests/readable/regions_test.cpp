// Forms as other links and regions deliver them, and the values and order
// of existing forms: terminal texts behind other prefixes or with the
// sublabel given apart, undelivered uplinks, the AFN contact, weather
// requests by airport, label 32's route record; fields in the order the text
// gives them and numbers as the text writes them. Each with a near miss.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

std::vector<std::string_view> NamesOf(const Decoding& decoding) {
  std::vector<std::string_view> names;
  for (const Field& field : decoding.fields) {
    names.push_back(field.name);
  }
  return names;
}

using Names = std::vector<std::string_view>;

TEST_F(RealMessages, TerminalTextsReadBehindAnyPrefixOrWithTheSublabelApart) {
  const std::string position = "POSN34261W108337,TMALE,000013,301,,,,M44,21922,849AEE";  // line 10
  for (const std::string prefix : {"", "#M1B", "#M1B/BA ", "- #M1", "- #M1/BA "}) {
    const std::string text = prefix + position;
    const auto decoding = Decode({"H1", "2", text, {}}, tables_);
    ASSERT_TRUE(decoding) << text;
    EXPECT_EQ(decoding->kind, "position_report");
    EXPECT_DOUBLE_EQ(NumberOf(*decoding, "latitude"), 34 + 26.1 / 60);
  }
  const auto apart = Decode({"H1", "2", "REQPOS037B", "M1"}, tables_);
  ASSERT_TRUE(apart);
  EXPECT_EQ(apart->kind, "data_request");
  EXPECT_FALSE(Decode({"H1", "2", "#M1B/BA" + position, {}}, tables_));  // no space after the function
  EXPECT_FALSE(Decode({"H1", "2", "#M1X" + position, {}}, tables_));
  // The condition report with the aircraft type first and a registration without digits.
  const std::string report = "A320,007071,1,1,TB000000/REP003,64,01,1/CCD-AINZ,AUG31,122901,EDDF,EGLL,0007/C0SW06";
  const auto typeFirst = Decode({"H1", "2", report, {}}, tables_);
  ASSERT_TRUE(typeFirst);
  EXPECT_EQ(typeFirst->kind, "condition_report");
  EXPECT_EQ(TextOf(*typeFirst, "tail"), "D-AINZ");
  EXPECT_EQ(TextOf(*typeFirst, "arrival"), "EGLL");
  EXPECT_FALSE(
      Decode({"H1", "2", "A320,007071,1,1,TB000000/REP003,64,01,1/C1D-AINZ,AUG31,122901,EDDF,EGLL", {}}, tables_));
  const auto maintenance = DecodeLine(2079);  // "#CFBMPF/  /AN.N660AW/FIAAL652    /DM.../DAKPHX/DSKSMF/WN..."
  ASSERT_TRUE(maintenance);
  EXPECT_EQ(NamesOf(*maintenance), (Names{"tail", "flight", "airline", "departure", "arrival"}));
  EXPECT_EQ(TextOf(*maintenance, "tail"), "N660AW");
  EXPECT_FALSE(Decode({"H1", "2", "#CFBMPF/    /AN./FI/DAKPH", {}}, tables_));
}

TEST_F(RealMessages, UndeliveredUplinksGiveTheirLabelAndText) {
  const auto uplink = DecodeLine(1229);  // "RA FMT 43 GSP B02"
  ASSERT_TRUE(uplink);
  EXPECT_EQ(uplink->kind, "undelivered_uplink");
  EXPECT_EQ(TextOf(*uplink, "uplink_label"), "RA");
  EXPECT_EQ(TextOf(*uplink, "uplink_text"), "FMT 43 GSP B02");
  const auto addressed = DecodeLine(2118);  // "/HDQDLUA.H1 MBB REQPOS037"
  ASSERT_TRUE(addressed);
  EXPECT_EQ(TextOf(*addressed, "uplink_label"), "H1");
  EXPECT_FALSE(DecodeLine(2121));  // "- #T19999AAFLT 0733 ...": no label before a space
  EXPECT_FALSE(Decode({"HX", "2", "RA   \r\n", {}}, tables_));
}

TEST_F(RealMessages, AfnContactReadsFacilityFlightPositionAndApplications) {
  const auto contact = DecodeLine(2040);  // "/KZWY.AFN/FMHJBU803,.N949JT,.../FPON40122W072597,1/FCOADS,01/..."
  ASSERT_TRUE(contact);
  EXPECT_EQ(contact->kind, "afn_contact");
  EXPECT_EQ(NamesOf(*contact),
            (Names{"ground_station", "flight", "airline", "tail", "latitude", "longitude", "applications"}));
  EXPECT_EQ(TextOf(*contact, "ground_station"), "KZWY");
  EXPECT_EQ(TextOf(*contact, "tail"), "N949JT");
  EXPECT_DOUBLE_EQ(NumberOf(*contact, "longitude"), -(72 + 59.7 / 60));
  const Value* applications = FieldOf(*contact, "applications");
  ASSERT_NE(applications, nullptr);
  EXPECT_EQ(std::get<std::vector<std::string>>(*applications), (std::vector<std::string>{"ADS", "ATC"}));
  // One figure changed: the checksum no longer holds.
  EXPECT_FALSE(
      Decode({"B0", "2", "/KZWY.AFN/FMHJBU803,.N949JT,AD2F71,000203/FPON40122W072598,1/FCOADS,01/FCOATC,01F63B", {}},
             tables_));
}

TEST_F(RealMessages, WeatherRequestsAndRouteRecordsReadWhatTheyName) {
  const auto airports = DecodeFirst("5U", "DDA   HECA");
  ASSERT_TRUE(airports);
  const Value* asked = FieldOf(*airports, "airports");
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(std::get<std::vector<std::string>>(*asked), (std::vector<std::string>{"HECA", "HESH", "HEBA", "HELX"}));
  const auto suffixed = DecodeLine(1997);  // "EGGW EGSS EGNX-SA"
  ASSERT_TRUE(suffixed);
  EXPECT_EQ(suffixed->kind, "weather_request");
  EXPECT_FALSE(Decode({"5U", "2", "EGGW EGS EGNX", {}}, tables_));
  // Label 80's position report as other airlines write it: a flight level, Mach in hundredths.
  const auto level =
      Decode({"80", "2", "3N01 POSRPT 0302/15 VVTS/RJAA VN-A335\r\n/POS N22305E120065/ALT 350/MCH 078", {}}, tables_);
  ASSERT_TRUE(level);
  EXPECT_EQ(NumberOf(*level, "altitude_ft"), 35000);
  EXPECT_EQ(FieldOf(*level, "mach"), nullptr);
  EXPECT_FALSE(Decode({"5U", "2", "EGGW", {}}, tables_));
  const auto coded = Decode({"5U", "2", "09AF  MPTOMPPA    ", {}}, tables_);
  ASSERT_TRUE(coded);
  EXPECT_EQ(std::get<std::vector<std::string>>(*FieldOf(*coded, "airports")),
            (std::vector<std::string>{"MPTO", "MPPA"}));
  const auto record =
      DecodeLine(1719);  // "H,H,08DEC19 06:57:31,...,KSFO,KSTS,...,N 38.122,W122.551,..., 7100, 8500,..."
  ASSERT_TRUE(record);
  EXPECT_EQ(NamesOf(*record),
            (Names{"report_time_utc", "departure", "arrival", "latitude", "longitude", "altitude_ft"}));
  EXPECT_EQ(TextOf(*record, "report_time_utc"), "2019-12-08T06:57:31Z");
  EXPECT_DOUBLE_EQ(NumberOf(*record, "latitude"), 38.122);
  EXPECT_EQ(NumberOf(*record, "altitude_ft"), 7100);
  EXPECT_FALSE(Decode({"32",
                       "2",
                       "H,H,08DEC19 06:57:31,1,07DEC,5709,KSFO,KSTS,4592,60,L,N 98.122,W122.551,N 38.103,"
                       "W122.477, 7100, 8500,",
                       {}},
                      tables_));
}

TEST_F(RealMessages, FieldsFollowTheTextAndNumbersAreWrittenAsItWritesThem) {
  const auto tagged = DecodeLine(1374);  // "N026.894/E046.406/UTC 020700/FOB 007.2/ALT 40000/CAS 0948/ETA 0403"
  ASSERT_TRUE(tagged);
  EXPECT_EQ(NamesOf(*tagged), (Names{"latitude", "longitude", "sent_time", "altitude_ft", "eta"}));
  const auto accepted = DecodeLine(1432);  // "00072219700/TX FRAOPXH/PA ACCEPT/FN TUI84X/..."
  ASSERT_TRUE(accepted);
  EXPECT_EQ(accepted->kind, "loadsheet");
  EXPECT_EQ(NamesOf(*accepted), (Names{"flight", "airline", "sent_time_utc", "departure", "arrival"}));
  const auto progress = Decode({"1L", "2", "00018213200/GS 411500/DEP MDPC/DES CYYZ/ETA 0120/ALT 39002", {}}, tables_);
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->kind, "progress_report");
  const auto route = DecodeLine(1035);  // "KIAH,RJAA,110012, 39.12,-175.10,39001,..."
  ASSERT_TRUE(route);
  EXPECT_EQ(NamesOf(*route), (Names{"departure", "arrival", "latitude", "longitude", "altitude_ft"}));
  const auto lead = DecodeLine(1109);  // " /FB 0160/AD KORH/N 38.655,W 75.325,JBU2834,..."
  ASSERT_TRUE(lead);
  EXPECT_EQ(NamesOf(*lead), (Names{"fuel", "arrival", "latitude", "longitude", "flight", "airline"}));
  const auto stamped = DecodeFirst("16", "PC0397/04AUG22 12:08:30");
  ASSERT_TRUE(stamped);
  EXPECT_EQ(NamesOf(*stamped).front(), "report_time");
  EXPECT_EQ(NamesOf(*stamped).back(), "longitude");
  const auto pointless = DecodeLine(1298);  // "FST01VIDPEGLLN531282E0203454380 ..."
  ASSERT_TRUE(pointless);
  EXPECT_EQ(NumberOf(*pointless, "latitude"), 53.1282);
  EXPECT_EQ(NumberOf(*pointless, "longitude"), 20.3454);
  const auto seconds = DecodeLine(1477);  // "N 335114W 775436,..."
  ASSERT_TRUE(seconds);
  EXPECT_EQ(NumberOf(*seconds, "longitude"), -77.91);
  // Label 16's slash position as the card's record gives it, its leading space dropped.
  const auto slash = Decode({"16", "2", "/N 59.196/E 18.010/07072/0408/1213/04879/1224/", {}}, tables_);
  ASSERT_TRUE(slash);
  EXPECT_EQ(NumberOf(*slash, "latitude"), 59.196);
  EXPECT_FALSE(Decode({"16", "2", "/N 99.196/E 18.010/07072/0408/1213/04879/1224/", {}}, tables_));
}

}  // namespace
}  // namespace corvane::readable
