// The route-and-time records on real messages: the shared day-time-route
// heading and what each label carries after it, the other labels' short
// records, and the near misses that must give nothing.
#include <gtest/gtest.h>

#include "readable/readable.h"
#include "real_messages.h"

namespace corvane::readable {
namespace {

TEST_F(RealMessages, RouteTimeHeadingDatesTheSentTimeAndPlacesTheBodysTimesNearIt) {
  // "101413 10MHR 1400////14131435RNO 0277/D", received 7 December: sent on
  // the 10th of November; the missing second out time is no reason to refuse.
  const auto off = DecodeLine(1802);
  ASSERT_TRUE(off);
  EXPECT_EQ(off->kind, "off_report");
  EXPECT_EQ(TextOf(*off, "sent_time_utc"), "2026-11-10T14:13:00Z");
  EXPECT_EQ(TextOf(*off, "departure_iata"), "MHR");
  EXPECT_EQ(TextOf(*off, "out_utc"), "2026-11-10T14:00:00Z");
  EXPECT_EQ(TextOf(*off, "off_utc"), "2026-11-10T14:13:00Z");
  EXPECT_EQ(TextOf(*off, "eta_utc"), "2026-11-10T14:35:00Z");
  EXPECT_EQ(TextOf(*off, "arrival_iata"), "RNO");
  EXPECT_EQ(NumberOf(*off, "fuel"), 277);
  const auto eta = DecodeLine(1832);  // "261231 26EWR PHL 1255N"
  ASSERT_TRUE(eta);
  EXPECT_EQ(eta->kind, "estimated_arrival");
  EXPECT_EQ(TextOf(*eta, "eta_utc"), "2026-11-26T12:55:00Z");
  // The flight's day one after the day sent, across a month's end too.
  EXPECT_TRUE(DecodeFirst("3M", "262335 27MHR PHX"));
  EXPECT_TRUE(DecodeFirst("3G", "310304 30CGN SDF"));
}

TEST_F(RealMessages, RouteTimeBodiesReadWhatTheirLabelCarries) {
  const auto out = DecodeFirst("3K", "101339 10MHR CAE");
  ASSERT_TRUE(out);
  EXPECT_EQ(out->kind, "out_report");
  EXPECT_EQ(TextOf(*out, "out"), "13:39");
  EXPECT_EQ(NumberOf(*out, "fuel"), 659);
  const auto arrived = DecodeFirst("3I", "090333 08SDF MHR");
  ASSERT_TRUE(arrived);
  EXPECT_EQ(TextOf(*arrived, "event_time"), "03:32");
  const auto crew = DecodeFirst("3E", "111436 11MHR SDF");
  ASSERT_TRUE(crew);
  EXPECT_EQ(TextOf(*crew, "message"), "FOB 48.0 TOF 47.7");
  const auto maintenance = DecodeFirst("3G", "021612 02ONT EWR");
  ASSERT_TRUE(maintenance);
  EXPECT_EQ(TextOf(*maintenance, "message"), "#2 EPR COMM POINTERFLUXS CAUSE SPURRIOUSNON ENG INDICATIONS");
  const auto codeOnly = DecodeFirst("3G", "270425 27RDU SDF");
  ASSERT_TRUE(codeOnly);
  EXPECT_EQ(FieldOf(*codeOnly, "message"), nullptr);
  const auto weather = DecodeFirst("3S", "100113 10RIC MDT KMDT");
  ASSERT_TRUE(weather);
  EXPECT_EQ(weather->kind, "weather_request");
  EXPECT_EQ(TextOf(*weather, "airport"), "KMDT");
  const auto digitsOnly = DecodeFirst("3S", "090412 08MHR RNO MHR");
  ASSERT_TRUE(digitsOnly);
  EXPECT_EQ(digitsOnly->kind, "flight_route");
  EXPECT_EQ(FieldOf(*digitsOnly, "airport"), nullptr);
  EXPECT_TRUE(DecodeFirst("3U", "A080713 08MHR SDF"));
  EXPECT_TRUE(DecodeFirst("3W", "U051254 05RFD MHR"));
}

TEST_F(RealMessages, RouteTimeRecordsRefuseAStrangersText) {
  EXPECT_FALSE(Decode({"3F", "2", "261231 26EWR PHL 1265N", {}}, tables_));  // minute 65
  EXPECT_FALSE(Decode({"3F", "2", "321231 26EWR PHL 1255N", {}}, tables_));  // day 32
  EXPECT_FALSE(Decode({"3F", "2", "261231 20EWR PHL 1255N", {}}, tables_));  // days apart
  EXPECT_FALSE(Decode({"3K", "2", "261231 26EWR PHL 1255N", {}}, tables_));  // another label's body
  EXPECT_FALSE(Decode({"3B", "2", "101413 10MHR 1400XXXX14131435RNO 0277", {}}, tables_));
  EXPECT_FALSE(Decode({"3M", "2", "020140 02MHR SDF 1", {}}, tables_));
  EXPECT_FALSE(Decode({"3W", "2", "051254 05RFD MHR 00001UPS02", {}}, tables_));  // no leading U
  EXPECT_FALSE(Decode({"31", "2", "OFF01,KRDU,KFLL,2515,155", {}}, tables_));
  EXPECT_FALSE(Decode({"30", "2", "/EA1719/DSKSF/SK23", {}}, tables_));
}

TEST_F(RealMessages, OtherShortRecordsReadRouteTimesAndWords) {
  const auto off = DecodeFirst("31", "OFF01,KRDU,KFLL");
  ASSERT_TRUE(off);
  EXPECT_EQ(off->kind, "off_report");
  EXPECT_EQ(TextOf(*off, "off"), "12:15");
  EXPECT_EQ(TextOf(*off, "arrival"), "KFLL");
  const auto eta = DecodeFirst("30", "/EA1611/DSMMSD");
  ASSERT_TRUE(eta);
  EXPECT_EQ(TextOf(*eta, "eta"), "16:11");
  EXPECT_EQ(TextOf(*eta, "arrival"), "MMSD");
  const auto words = DecodeFirst("3V", "HCC10,ETD42,EIDW,OMAA");
  ASSERT_TRUE(words);
  EXPECT_EQ(TextOf(*words, "flight"), "ETD42");
  EXPECT_EQ(TextOf(*words, "message"), "HELLO ETA AUH 1620Z RQST HIGH LOADER ON ARVL 14/WHEEL CHAIRS THANKS");
  const auto chimes = DecodeFirst("3]", "CHIMES,3154,KAFW");
  ASSERT_TRUE(chimes);
  EXPECT_EQ(TextOf(*chimes, "departure"), "KAFW");
  const auto dispatch = DecodeFirst("3D", "QUANPOCK4~1DIS01111219");
  ASSERT_TRUE(dispatch);
  EXPECT_EQ(TextOf(*dispatch, "sent_time"), "12:19");
  const auto summary = DecodeFirst("3H", "CS REPORT");
  ASSERT_TRUE(summary);
  EXPECT_EQ(TextOf(*summary, "arrival"), "KSMF");
  const auto landing = DecodeFirst("33", "96,C,38.026,-77.605");
  ASSERT_TRUE(landing);
  EXPECT_EQ(TextOf(*landing, "arrival"), "KIAD");
  EXPECT_DOUBLE_EQ(NumberOf(*landing, "longitude"), -77.605);
  EXPECT_EQ(FieldOf(*landing, "altitude_ft"), nullptr);
  EXPECT_TRUE(DecodeFirst("34", "207,C,1,08,KBWI,KCVG"));
  EXPECT_FALSE(Decode({"34", "2", "39,B,08,KFLL,KIAD7752", {}}, tables_));  // no route
  const auto weather = DecodeFirst("3T", "KMHR  2SA");
  ASSERT_TRUE(weather);
  EXPECT_EQ(TextOf(*weather, "airport"), "KMHR");
}

}  // namespace
}  // namespace corvane::readable
