// The aircraft table's parts without Qt: the N-number block, reading
// aircraft.json, ageing out, matching today's messages, and the answer.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "adsb/adsb_json.h"
#include "adsb/aircraft_feed.h"
#include "adsb/aircraft_table.h"
#include "adsb/flight_callsign.h"
#include "adsb/n_number.h"

namespace corvane::adsb {
namespace {

using Json = nlohmann::json;

// Published pairs: N1 is the block's first address and N99999 its last
// (the FAA's allocation, A00001 to ADF7C7); N12345 = A061D9 and
// N86QU = ABCDEF are the examples of guillaumemichel/icao-nnumber_converter's
// README; N747NA = AA0DB8 (NASA's 747) is the example of
// engelsjk/hex2reg's README.
TEST(AdsbNNumber, PublishedPairsAndTheWholeBlockInOrder) {
  EXPECT_EQ(AddressOfNNumber("N1"), 0xA00001u);
  EXPECT_EQ(AddressOfNNumber("N12345"), 0xA061D9u);
  EXPECT_EQ(AddressOfNNumber("N86QU"), 0xABCDEFu);
  EXPECT_EQ(AddressOfNNumber("N747NA"), 0xAA0DB8u);
  EXPECT_EQ(AddressOfNNumber("N99999"), 0xADF7C7u);
  for (const char* notOne :
       {"", "N", "N0", "N01", "NA", "N1I", "N1O", "N1ABC", "N1A1", "N1234AB", "N12345A", "N123456", "G-ABCD", "n123"}) {
    EXPECT_FALSE(AddressOfNNumber(notOne)) << notOne;
  }
  // Every registration the rules allow, in a dictionary's order (each
  // followed by those it begins), takes the next address, and the last one
  // ends the block.
  const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
  std::uint32_t next = 0xA00001;
  const auto expectNext = [&](const std::string& registration) {
    ASSERT_EQ(AddressOfNNumber(registration), next++) << registration;
  };
  std::function<void(const std::string&)> walk = [&](const std::string& registration) {
    expectNext(registration);
    const std::size_t digits = registration.size() - 1;
    for (std::size_t first = 0; first < letters.size() && digits < 5; ++first) {
      expectNext(registration + letters[first]);
      for (std::size_t second = 0; second < letters.size() && digits < 4; ++second) {
        expectNext(registration + letters[first] + letters[second]);
      }
    }
    for (char digit = '0'; digit <= '9' && digits < 5; ++digit) {
      walk(registration + digit);
    }
  };
  for (char first = '1'; first <= '9'; ++first) {
    walk(std::string("N") + first);
  }
  EXPECT_EQ(next, 0xADF7C7u + 1);
}

TEST(AdsbFeed, Dump1090AndReadsbFilesWithMissingAndOddValues) {
  // dump1090-mutability: "altitude" and "speed"; readsb: "alt_baro", "gs"
  // and "r"; either one's "ground".
  const auto snapshot = ParseAircraftJson(R"({"now": 1765360800.5, "messages": 5, "aircraft": [
      {"hex": "a061d9", "flight": "BAW123  ", "lat": 51.5, "lon": -0.4, "altitude": 35000, "track": 271.5,
       "speed": 450, "seen": 0.3, "seen_pos": 1.2, "rssi": -20.1},
      {"hex": "4ca87c", "r": "EI-DEF", "flight": "  ", "alt_baro": "ground", "gs": 12.5, "speed": 99, "seen": 2},
      {"hex": "~123456", "seen": 1},
      {"hex": "4CA87", "seen": 1},
      {"hex": "40621d", "altitude": "ground", "lat": 91, "lon": 0, "track": "west"},
      {"hex": "ABCDEF", "alt_baro": 1200, "altitude": 900, "lat": 10.5},
      "not an aircraft"]})");
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->now, 1765360800.5);
  ASSERT_EQ(snapshot->aircraft.size(), 4u);
  EXPECT_EQ(snapshot->aircraft[0], (FeedAircraft{.address = 0xA061D9,
                                                 .callsign = "BAW123",
                                                 .latitude = 51.5,
                                                 .longitude = -0.4,
                                                 .positionAge = 1.2,
                                                 .altitudeFt = 35000,
                                                 .track = 271.5,
                                                 .groundSpeedKt = 450,
                                                 .age = 0.3}));
  // gs before speed; a blank flight is none.
  EXPECT_EQ(
      snapshot->aircraft[1],
      (FeedAircraft{.address = 0x4CA87C, .registration = "EI-DEF", .onGround = true, .groundSpeedKt = 12.5, .age = 2}));
  // 91 degrees north is no position, "west" no track.
  EXPECT_EQ(snapshot->aircraft[2], (FeedAircraft{.address = 0x40621D, .onGround = true}));
  // alt_baro before altitude; half a position is none.
  EXPECT_EQ(snapshot->aircraft[3], (FeedAircraft{.address = 0xABCDEF, .altitudeFt = 1200}));
  for (const char* notOne : {"", "[]", "{\"now\": 1}", "{\"aircraft\": {}}", "{\"aircraft\": [", "null"}) {
    EXPECT_FALSE(ParseAircraftJson(notOne)) << notOne;
  }
  EXPECT_TRUE(ParseAircraftJson(R"({"aircraft": []})"));
}

// 2026-12-10T10:00:00Z.
constexpr UtcMillis kTen = 1'796'896'800'000;

FeedSnapshot Feed(double now, std::vector<FeedAircraft> aircraft) { return {now, std::move(aircraft)}; }

TEST(AdsbTable, AircraftAgeOutAfterSixtySecondsAndAStoppedDecoderBringsNothing) {
  AircraftTable table(CallsignOfFlight);
  table.TakeFeed(Feed(1, {{.address = 1, .age = 5}, {.address = 2}}), kTen);
  ASSERT_EQ(table.Aircraft(kTen).size(), 2u);
  EXPECT_EQ(table.Aircraft(kTen)[0].seen, kTen - 5000);
  // 56 s later the first was heard 61 s ago, the second 56 s ago.
  ASSERT_EQ(table.Aircraft(kTen + 56'000).size(), 1u);
  EXPECT_EQ(table.Aircraft(kTen + 56'000)[0].address, 2u);
  // The same file read again (the decoder stopped writing it) refreshes
  // nothing; a new writing does.
  table.TakeFeed(Feed(1, {{.address = 2}}), kTen + 58'000);
  EXPECT_EQ(table.Size(), 1u);
  table.TakeFeed(Feed(1, {{.address = 2}}), kTen + 61'000);
  EXPECT_EQ(table.Size(), 0u);
  table.TakeFeed(Feed(2, {{.address = 2}}), kTen + 62'000);
  EXPECT_EQ(table.Size(), 1u);
}

// What a view says of its messages.
auto Matched(const AircraftView& view) {
  return std::tuple(view.matchedBy, view.messagesToday, view.registration, view.search);
}

TEST(AdsbTable, MessagesMatchByRegistrationAddressOrCallsignAndCountTodayOnly) {
  AircraftTable table(CallsignOfFlight);
  const FeedAircraft irish{.address = 0x4CA87C, .callsign = "RYR123", .registration = "EI-DEF"};
  // N12345's address, no registration in the feed.
  table.TakeFeed(Feed(1, {irish,
                          {.address = 0xA061D9},
                          {.address = 0x400001, .callsign = "BAW123"},
                          {.address = 0x3C0001, .callsign = "DLH4"}}),
                 kTen);
  table.TakeMessage({".EI-DEF", "FR0123", kTen - 3'600'000});
  table.TakeMessage({"..EIDEF", "", kTen - 60'000});
  table.TakeMessage({"RYR0123", "RYR0123", kTen - 1000});  // the Irish aircraft's callsign too
  table.TakeMessage({".N12345", "AA0100", kTen - 2000});
  table.TakeMessage({".G-XWBA", "BA0123", kTen - 3000});  // IATA BA is flown as BAW
  table.TakeMessage({".G-XWBA", "BAW0123", kTen - 2000});
  const auto views = table.Aircraft(kTen);  // in address order
  ASSERT_EQ(views.size(), 4u);
  using Kind = std::optional<MatchKind>;
  using Text = std::optional<std::string>;
  EXPECT_EQ(Matched(views[0]), std::tuple(Kind(), 0u, Text(), Text()));
  EXPECT_EQ(Matched(views[1]), std::tuple(Kind(MatchKind::Callsign), 2u, Text("G-XWBA"), Text("flight:BAW0123")));
  // By registration before its callsign; the search as the last message
  // carried the registration.
  EXPECT_EQ(Matched(views[2]), std::tuple(Kind(MatchKind::Registration), 2u, Text("EI-DEF"), Text("tail:EIDEF")));
  EXPECT_EQ(Matched(views[3]), std::tuple(Kind(MatchKind::Address), 1u, Text("N12345"), Text("tail:N12345")));

  // A new UTC day starts the tallies again; a late message of the day
  // before is not today's.
  constexpr UtcMillis kTomorrow = kTen + 14 * 3'600'000;
  table.TakeFeed(Feed(2, {irish}), kTomorrow);
  EXPECT_EQ(table.Aircraft(kTomorrow)[0].messagesToday, 0u);
  table.TakeMessage({".EI-DEF", "", kTomorrow});
  table.TakeMessage({".EI-DEF", "", kTen});
  EXPECT_EQ(table.Aircraft(kTomorrow)[0].messagesToday, 1u);
}

TEST(AdsbTable, AMatchedMessagesPositionShowsWhenNewerThanTheFeeds) {
  AircraftTable table(CallsignOfFlight);
  // The feed's position is 10 s old.
  table.TakeFeed(
      Feed(1, {{.address = 0x4CA87C, .registration = "EI-DEF", .latitude = 53.4, .longitude = -6.2, .positionAge = 10},
               {.address = 0xA061D9}}),
      kTen);
  const auto position = [&](std::size_t at) {
    const auto fix = table.Aircraft(kTen)[at].position;
    return fix ? std::optional(std::tuple(fix->latitude, fix->longitude, fix->at)) : std::nullopt;
  };
  table.TakeMessage({".EI-DEF", "", kTen - 20'000, 50.0, -5.0});
  EXPECT_EQ(position(0), std::tuple(53.4, -6.2, kTen - 10'000));
  table.TakeMessage({".EI-DEF", "", kTen - 5'000, 53.5, -6.0});
  EXPECT_EQ(position(0), std::tuple(53.5, -6.0, kTen - 5'000));
  // An aircraft without a position takes a matched message's; an
  // unmatched message moves nothing.
  EXPECT_FALSE(position(1));
  table.TakeMessage({".N999", "", kTen, 1.0, 1.0});
  EXPECT_FALSE(position(1));
  table.TakeMessage({".N12345", "", kTen - 1000, 40.6, -73.8});
  EXPECT_EQ(position(1), std::tuple(40.6, -73.8, kTen - 1000));
}

TEST(AdsbAnswer, MembersAsTheAgreedShape) {
  const AircraftView seen{.address = 0x4CA87C,
                          .registration = "EI-DEF",
                          .callsign = "RYR123",
                          .position = Fix{53.4, -6.2, kTen - 1200},
                          .altitudeFt = 35000,
                          .track = 271.5,
                          .groundSpeedKt = 450,
                          .seen = kTen - 1234,
                          .messagesToday = 3,
                          .matchedBy = MatchKind::Registration,
                          .search = "tail:EI-DEF"};
  const AircraftView bare{.address = 0xA, .seen = kTen + 500};  // a decoder's clock a little ahead
  EXPECT_EQ(Json::parse(AdsbJson(
                {"http://127.0.0.1:8080/data/aircraft.json", StationPosition{51.47, -0.45}, kTen, {seen, bare}})),
            Json::parse(R"({"enabled": true, "source": "http://127.0.0.1:8080/data/aircraft.json",
      "station": {"lat": 51.47, "lon": -0.45}, "now": "2026-12-10T10:00:00.000Z", "aircraft": [
      {"hex": "4CA87C", "registration": "EI-DEF", "callsign": "RYR123", "lat": 53.4, "lon": -6.2,
       "altitudeFt": 35000, "track": 271.5, "groundSpeedKt": 450, "seenSecondsAgo": 1.2, "positionSecondsAgo": 1.2,
       "messagesToday": 3, "matchedBy": "registration", "search": "tail:EI-DEF"},
      {"hex": "00000A", "registration": null, "callsign": null, "lat": null, "lon": null, "altitudeFt": null,
       "track": null, "groundSpeedKt": null, "seenSecondsAgo": 0, "positionSecondsAgo": null, "messagesToday": 0,
       "matchedBy": null, "search": null}]})"));
  EXPECT_EQ(Json::parse(AdsbJson({"", std::nullopt, kTen, {}})),
            Json::parse(R"({"enabled": false, "source": "", "station": null, "now": "2026-12-10T10:00:00.000Z",
                            "aircraft": []})"));

  EXPECT_EQ(StationPositionOf(" 51.47", "-0.45 ")->longitude, -0.45);
  for (const auto& [latitude, longitude] : std::vector<std::pair<std::string, std::string>>{
           {"", "-0.45"}, {"51.47", ""}, {"91", "0"}, {"0", "180.5"}, {"51,47", "0"}, {"north", "0"}}) {
    EXPECT_FALSE(StationPositionOf(latitude, longitude)) << latitude << " " << longitude;
  }
}

}  // namespace
}  // namespace corvane::adsb
