// One message through the three writers that put it out as JSON: LiveJSON,
// the web API's hit and corvane-search's line must give the same values
// (card bytes, time, station, alerts, readable decoding, what the decoder
// knew) for the same
// message, so that none of them drifts from the others.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "livelink/live_json.h"
#include "reference/reference_tables.h"
#include "store/search/hit_json.h"
#include "store/search/index_row.h"
#include "web/web_json.h"

namespace corvane::web {
namespace {

using Json = nlohmann::json;

TEST(MessageJson, LiveJsonTheWebHitAndTheSearchLineAgreeOnOneMessage) {
  const reference::ReferenceTables& tables = reference::Global();
  store::StoreOp op;
  op.record = {"261207",  "001514.716", "2",
               ".N123UA", "UA0001",     "SQ",
               "\x7F",    "M01A",       "02XAABQKABQ13502N10637WV136975/ARINC \"q\" \\ \r\n\t\x01\b\x7F\xB0"};
  op.station = "Z\xC3\xBCrich";
  op.alerts = {"label:SQ", "\"ABQ\""};
  op.facts.frequencyMhz = 136.975;
  op.facts.level = -18.3;
  op.facts.levelUnit = "dBFS";
  op.facts.link = "vdl2";
  op.facts.decoderStation = "Z\xC3\xBCrich \"1\"";

  // What the store keeps of it, and the hit a search gives back.
  const store::search::IndexRow row = store::search::IndexRowOf(op, tables);
  ASSERT_FALSE(row.readable.empty());
  const store::search::SearchHit hit{7,          op.record, op.station, row.kind, row.readable,
                                     row.alerts, row.utc,   0,          {},       op.facts};
  store::search::SearchPage page;
  page.hits.push_back(hit);

  const auto decoding = livelink::ReadableOf(op.record, tables);
  const Json live =
      Json::parse(livelink::LiveJson(op.record, decoding, {op.station, 1, &op.alerts, {}, 0, {}, &op.facts}));
  const Json web = Json::parse(SearchPageJson(page)).at("hits").at(0);
  const Json line = Json::parse(store::search::HitJsonLine(hit));

  const std::pair<const char*, const char*> names[] = {{"mode", "Mode"},  {"address", "Address"}, {"label", "Label"},
                                                       {"block", "Bloc"}, {"msn", "Msn"},         {"flight", "Flight"},
                                                       {"text", "Data"}};
  for (const auto& [member, column] : names) {
    EXPECT_EQ(web.at(member), live.at(member)) << member;
    EXPECT_EQ(line.at(column), live.at(member)) << column;
  }
  EXPECT_EQ(live.at("airline"), "United Airlines");
  EXPECT_EQ(web.at("airline"), live.at("airline"));
  EXPECT_EQ(web.at("time"), live.at("time"));
  EXPECT_EQ(live.at("time"), "2026-12-07T00:15:14.716Z");
  EXPECT_EQ(web.at("station"), live.at("station"));
  EXPECT_EQ(line.at("Station"), live.at("station"));
  EXPECT_EQ(web.at("alerts"), live.at("alerts"));
  EXPECT_EQ(line.at("alerts"), live.at("alerts"));
  EXPECT_EQ(web.at("readable"), live.at("readable"));
  EXPECT_EQ(line.at("readable"), live.at("readable"));
  EXPECT_EQ(web.at("kind"), live.at("readable").at("kind"));
  EXPECT_EQ(web.at("id"), 7);
  for (const char* member : {"freq", "level", "level_unit", "link", "decoder_station"}) {
    EXPECT_EQ(web.at(member), live.at(member)) << member;
    EXPECT_EQ(line.at("reception").at(member), live.at(member)) << member;
  }
  EXPECT_EQ(live.at("freq"), 136.975);
  EXPECT_FALSE(live.contains("noise") || web.contains("decoder"));
}

// A message names its flight's airline when the built-in list knows it
// (UTF-8, whatever the card bytes), and carries no "airline" otherwise.
TEST(MessageJson, TheAirlineOfAKnownFlightFollowsTheFlight) {
  decoding::MessageRecord record{"261207", "001514.716", "2", ".N123UA", "", "H1", "1", "M01A", "TEXT"};
  const auto airlineOf = [&record](const char* flight) {
    record.Flight = flight;
    const Json json = Json::parse(livelink::LiveJson(record, std::nullopt, {"HOME", 1, nullptr}));
    return json.contains("airline") ? json.at("airline").get<std::string>() : std::string("none");
  };
  EXPECT_EQ(airlineOf("BA0123"), "British Airways");
  EXPECT_EQ(airlineOf("AM0007"), "AeroM\xC3\xA9xico");
  EXPECT_EQ(airlineOf("BAW28F"), "British Airways");
  EXPECT_EQ(airlineOf("XA0001"), "none");
  EXPECT_EQ(airlineOf(""), "none");
  EXPECT_EQ(airlineOf("\xB0\x7F\"\\"), "none");
}

}  // namespace
}  // namespace corvane::web
