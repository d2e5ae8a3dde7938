// The LiveJSON object read back by a JSON parser: every card byte survives
// (quotes, backslashes, control bytes, DEL, bytes above 127), the time is
// ISO 8601 UTC, the station stays valid UTF-8 whatever it holds, and the
// readable decoding's numbers, texts and lists keep their types; and the
// object read back as a capture line gives the card record and its origin
// again.
#include "livelink/live_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "capture/capture.h"
#include "decoding/latin1_text.h"

namespace corvane::livelink {

using decoding::MessageRecord;
using decoding::Utf8ToLatin1;
namespace {

TEST(LiveJson, EveryByteAndEveryFieldSurvivesAJsonParser) {
  MessageRecord record;
  record.Date = "261207";
  record.Hour = "001514.716";
  record.Mode = "2";
  record.Address = "N123UA";
  record.Label = "_\x7F";
  record.Bloc = "3";
  record.Msn = "M01A";
  record.Flight = "UA0001";
  record.Data = "A \"q\" \\ \r\n\t\x01\x7F\xB0\xFF end";
  readable::Decoding decoding{"position_report",
                              "Position report",
                              {{"latitude", -34.5},
                               {"altitude_ft", 35000.0},
                               {"arrival", std::string("KPHX")},
                               {"waypoints", std::vector<std::string>{"DRYHT", "ZUN"}},
                               {"empty", std::vector<std::string>{}}},
                              "Position: 34\xB0"
                              "30.0'S\r\n"};

  const LiveOrigin origin{"Z\xC3\xBCrich \"1\"\x01\xFF", 3};  // UTF-8, a quote, a control byte, a stray byte
  const std::string text = LiveJson(record, decoding, origin);
  EXPECT_LT(text.find("\"time\":"), text.find("\"station\":"));
  EXPECT_LT(text.find("\"hops\":"), text.find("\"readable\":"));
  const auto json = nlohmann::json::parse(text);
  EXPECT_EQ(json.at("station"), "Z\xC3\xBCrich \"1\"\x01\xEF\xBF\xBD");
  EXPECT_EQ(json.at("hops"), 3);
  EXPECT_EQ(Utf8ToLatin1(json.at("text").get<std::string>()), record.Data);
  EXPECT_EQ(Utf8ToLatin1(json.at("label").get<std::string>()), record.Label);
  EXPECT_EQ(json.at("time"), "2026-12-07T00:15:14.716Z");
  EXPECT_EQ(json.at("address"), "N123UA");
  EXPECT_EQ(json.at("block"), "3");
  const auto& readable = json.at("readable");
  EXPECT_EQ(readable.at("fields").at("latitude").get<double>(), -34.5);
  EXPECT_NE(text.find("\"altitude_ft\":35000,"), std::string::npos);  // an integer, not 35000.0
  EXPECT_EQ(readable.at("fields").at("arrival"), "KPHX");
  EXPECT_EQ(readable.at("fields").at("waypoints"), nlohmann::json({"DRYHT", "ZUN"}));
  EXPECT_TRUE(readable.at("fields").at("empty").empty());
  EXPECT_EQ(Utf8ToLatin1(readable.at("text").get<std::string>()), decoding.text);

  // A receiver fed from another's MQTT topic rebuilds the same card record,
  // and knows where it came from.
  std::string error;
  const auto back =
      capture::ParseCaptureLine(LiveJson(record, decoding, {"north", 2, nullptr, "0123456789abcdef-42"}), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->txt, "M=2  ADDR=.N123UA TA=! ML=_\x7F B=3 MSN=M01A FID=UA0001\r\n" + record.Data);
  ASSERT_TRUE(back->origin);
  EXPECT_EQ(back->origin->station, "north");
  EXPECT_EQ(back->origin->hops, 2);
  EXPECT_EQ(back->origin->id, "0123456789abcdef-42");

  const auto without = nlohmann::json::parse(LiveJson(record, std::nullopt, {}));
  EXPECT_FALSE(without.contains("readable"));
  EXPECT_FALSE(without.contains("id"));
  EXPECT_TRUE(nlohmann::json::parse(LiveJson({}, std::nullopt, {})).at("time").is_string());

  // An object from before stations were written has passed one receiver;
  // a hop count that is no whole number from 0 makes the line unreadable.
  nlohmann::json older = without;
  older.erase("station");
  older.erase("hops");
  const auto olderBack = capture::ParseCaptureLine(older.dump(), error);
  ASSERT_TRUE(olderBack && olderBack->origin) << error;
  EXPECT_EQ(olderBack->origin->hops, 1);
  // An identity that is no short text is left out, never the message.
  older["id"] = std::string(65, 'f');
  EXPECT_EQ(capture::ParseCaptureLine(older.dump(), error).value().origin->id, "");
  for (const nlohmann::json& hops : {nlohmann::json(-1), nlohmann::json(1.5), nlohmann::json("2")}) {
    older["hops"] = hops;
    EXPECT_FALSE(capture::ParseCaptureLine(older.dump(), error)) << hops;
  }
  EXPECT_FALSE(capture::ParseCaptureLine(R"({"timestamp": 1796677206, "mode": "2"})", error).value().origin);
}

// Text is tested eight bytes at a time: every byte value at every place in
// such a word must still be escaped and come back.
TEST(LiveJson, EveryByteAtEveryPlaceOfAWordComesBack) {
  for (int byte = 0; byte < 256; ++byte) {
    for (std::size_t place = 0; place < 17; ++place) {
      MessageRecord record;
      record.Data = std::string(17, 'a');
      record.Data[place] = static_cast<char>(byte);
      const auto json = nlohmann::json::parse(LiveJson(record, std::nullopt, {}));
      ASSERT_EQ(Utf8ToLatin1(json.at("text").get<std::string>()), record.Data) << byte << " at " << place;
    }
  }
}

}  // namespace
}  // namespace corvane::livelink
