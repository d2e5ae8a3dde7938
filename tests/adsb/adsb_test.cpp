// The aircraft table's parts without Qt: the N-number block, reading
// aircraft.json, ageing out, matching today's messages, and the answer.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
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
  // Every registration the rules allow, listed as a dictionary lists them
  // (each followed by those it begins), takes the next address, and the
  // last one ends the block.
  const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
  std::vector<std::string> all;
  const auto addLetters = [&](const std::string& digits, bool twoLetters) {
    for (const char first : letters) {
      all.push_back(digits + first);
      if (twoLetters) {
        for (const char second : letters) {
          all.push_back(digits + first + second);
        }
      }
    }
  };
  std::function<void(const std::string&)> list = [&](const std::string& registration) {
    all.push_back(registration);
    const std::size_t digits = registration.size() - 1;
    if (digits == 5) {
      return;
    }
    addLetters(registration, digits < 4);
    for (char digit = '0'; digit <= '9'; ++digit) {
      list(registration + digit);
    }
  };
  for (char first = '1'; first <= '9'; ++first) {
    list(std::string("N") + first);
  }
  ASSERT_EQ(all.size(), 0xADF7C7u - 0xA00001u + 1);
  std::uint32_t expected = 0xA00001;
  for (const std::string& registration : all) {
    ASSERT_EQ(AddressOfNNumber(registration), expected++) << registration;
  }
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
  const FeedAircraft& old = snapshot->aircraft[0];
  EXPECT_EQ(old.address, 0xA061D9u);
  EXPECT_EQ(old.callsign, "BAW123");
  EXPECT_EQ(old.latitude, 51.5);
  EXPECT_EQ(old.longitude, -0.4);
  EXPECT_EQ(old.positionAge, 1.2);
  EXPECT_EQ(old.altitudeFt, 35000);
  EXPECT_FALSE(old.onGround);
  EXPECT_EQ(old.track, 271.5);
  EXPECT_EQ(old.groundSpeedKt, 450);
  EXPECT_EQ(old.age, 0.3);
  const FeedAircraft& readsb = snapshot->aircraft[1];
  EXPECT_EQ(readsb.registration, "EI-DEF");
  EXPECT_FALSE(readsb.callsign);
  EXPECT_TRUE(readsb.onGround);
  EXPECT_FALSE(readsb.altitudeFt);
  EXPECT_EQ(readsb.groundSpeedKt, 12.5);  // gs before speed
  EXPECT_FALSE(readsb.latitude);
  const FeedAircraft& odd = snapshot->aircraft[2];
  EXPECT_TRUE(odd.onGround);
  EXPECT_FALSE(odd.latitude);  // 91 degrees north is no position
  EXPECT_FALSE(odd.track);
  EXPECT_EQ(odd.age, 0);
  const FeedAircraft& both = snapshot->aircraft[3];
  EXPECT_EQ(both.altitudeFt, 1200);  // alt_baro before altitude
  EXPECT_FALSE(both.latitude);       // half a position is none

  for (const char* notOne : {"", "[]", "{\"now\": 1}", "{\"aircraft\": {}}", "{\"aircraft\": [", "null"}) {
    EXPECT_FALSE(ParseAircraftJson(notOne)) << notOne;
  }
  EXPECT_TRUE(ParseAircraftJson(R"({"aircraft": []})"));
}

// 2026-12-10T10:00:00Z.
constexpr UtcMillis kTen = 1'796'896'800'000;

FeedSnapshot Feed(double now, std::vector<FeedAircraft> aircraft) { return {now, std::move(aircraft)}; }

FeedAircraft Heard(std::uint32_t address, double age = 0) {
  FeedAircraft aircraft;
  aircraft.address = address;
  aircraft.age = age;
  return aircraft;
}

TEST(AdsbTable, AircraftAgeOutAfterSixtySecondsAndAStoppedDecoderBringsNothing) {
  AircraftTable table(CallsignOfFlight);
  table.TakeFeed(Feed(1, {Heard(0xA00001, 5), Heard(0xA00002, 0)}), kTen);
  ASSERT_EQ(table.Aircraft(kTen).size(), 2u);
  EXPECT_EQ(table.Aircraft(kTen)[0].seen, kTen - 5000);
  // 56 s later the first was heard 61 s ago; the second 56 s ago.
  const auto later = table.Aircraft(kTen + 56'000);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0].address, 0xA00002u);
  // The same file read again (the decoder stopped writing it) refreshes
  // nothing: the aircraft leave when their time is up.
  table.TakeFeed(Feed(1, {Heard(0xA00002, 0)}), kTen + 58'000);
  EXPECT_EQ(table.Size(), 1u);
  table.TakeFeed(Feed(1, {Heard(0xA00002, 0)}), kTen + 61'000);
  EXPECT_EQ(table.Size(), 0u);
  // A new writing brings it back.
  table.TakeFeed(Feed(2, {Heard(0xA00002, 0)}), kTen + 62'000);
  EXPECT_EQ(table.Size(), 1u);
}

MessageFacts Message(std::string address, std::string flight, UtcMillis utc) {
  return {std::move(address), std::move(flight), utc, std::nullopt, std::nullopt};
}

TEST(AdsbTable, MessagesMatchByRegistrationAddressOrCallsignAndCountTodayOnly) {
  AircraftTable table(CallsignOfFlight);
  FeedAircraft irish = Heard(0x4CA87C);
  irish.registration = "EI-DEF";
  irish.callsign = "RYR123";
  FeedAircraft american = Heard(0xA061D9);  // N12345's address, no registration in the feed
  FeedAircraft british = Heard(0x400001);
  british.callsign = "BAW123";
  FeedAircraft unknown = Heard(0x3C0001);
  unknown.callsign = "DLH4";
  table.TakeFeed(Feed(1, {irish, american, british, unknown}), kTen);

  table.TakeMessage(Message(".EI-DEF", "FR0123", kTen - 3'600'000));
  table.TakeMessage(Message("..EIDEF", "", kTen - 60'000));
  table.TakeMessage(Message("RYR0123", "RYR0123", kTen - 1000));  // the Irish aircraft's callsign too
  table.TakeMessage(Message(".N12345", "AA0100", kTen - 2000));
  table.TakeMessage(Message(".G-XWBA", "BA0123", kTen - 3000));  // IATA BA is flown as BAW
  table.TakeMessage(Message(".G-XWBA", "BAW0123", kTen - 2000));
  const auto views = table.Aircraft(kTen);
  ASSERT_EQ(views.size(), 4u);
  const auto find = [&](std::uint32_t address) {
    return *std::find_if(views.begin(), views.end(), [&](const AircraftView& v) { return v.address == address; });
  };
  const AircraftView byRegistration = find(0x4CA87C);
  EXPECT_EQ(byRegistration.matchedBy, MatchKind::Registration);  // before its callsign
  EXPECT_EQ(byRegistration.messagesToday, 2u);
  EXPECT_EQ(byRegistration.search, "tail:EIDEF");  // as the last message carried it
  const AircraftView byAddress = find(0xA061D9);
  EXPECT_EQ(byAddress.matchedBy, MatchKind::Address);
  EXPECT_EQ(byAddress.messagesToday, 1u);
  EXPECT_EQ(byAddress.registration, "N12345");
  EXPECT_EQ(byAddress.search, "tail:N12345");
  const AircraftView byCallsign = find(0x400001);
  EXPECT_EQ(byCallsign.matchedBy, MatchKind::Callsign);
  EXPECT_EQ(byCallsign.messagesToday, 2u);
  EXPECT_EQ(byCallsign.registration, "G-XWBA");
  EXPECT_EQ(byCallsign.search, "flight:BAW0123");
  const AircraftView none = find(0x3C0001);
  EXPECT_FALSE(none.matchedBy);
  EXPECT_EQ(none.messagesToday, 0u);
  EXPECT_FALSE(none.search);
  EXPECT_FALSE(none.registration);

  // A new UTC day starts the tallies again; a late message of the day
  // before is not today's.
  constexpr UtcMillis kTomorrow = kTen + 14 * 3'600'000;
  table.TakeFeed(Feed(2, {irish}), kTomorrow);
  EXPECT_EQ(table.Aircraft(kTomorrow)[0].messagesToday, 0u);  // no message yet today
  table.TakeMessage(Message(".EI-DEF", "", kTomorrow));
  table.TakeMessage(Message(".EI-DEF", "", kTen));
  EXPECT_EQ(table.Aircraft(kTomorrow)[0].messagesToday, 1u);
}

TEST(AdsbTable, AMatchedMessagesPositionShowsWhenNewerThanTheFeeds) {
  AircraftTable table(CallsignOfFlight);
  FeedAircraft aircraft = Heard(0x4CA87C, 0);
  aircraft.registration = "EI-DEF";
  aircraft.latitude = 53.4;
  aircraft.longitude = -6.2;
  aircraft.positionAge = 10;  // held at kTen - 10 s
  table.TakeFeed(Feed(1, {aircraft}), kTen);
  MessageFacts older = Message(".EI-DEF", "", kTen - 20'000);
  older.latitude = 50.0;
  older.longitude = -5.0;
  table.TakeMessage(older);
  auto view = table.Aircraft(kTen)[0];
  ASSERT_TRUE(view.position);
  EXPECT_EQ(view.position->latitude, 53.4);
  EXPECT_EQ(view.position->at, kTen - 10'000);
  MessageFacts newer = Message(".EI-DEF", "", kTen - 5'000);
  newer.latitude = 53.5;
  newer.longitude = -6.0;
  table.TakeMessage(newer);
  view = table.Aircraft(kTen)[0];
  EXPECT_EQ(view.position->latitude, 53.5);
  EXPECT_EQ(view.position->longitude, -6.0);
  EXPECT_EQ(view.position->at, kTen - 5'000);
  // An aircraft that had no position gets the message's; an unmatched
  // message moves nothing.
  table.TakeFeed(Feed(2, {Heard(0xA061D9)}), kTen);
  MessageFacts stray = Message(".N999", "", kTen);
  stray.latitude = 1;
  stray.longitude = 1;
  table.TakeMessage(stray);
  MessageFacts american = Message(".N12345", "", kTen - 1000);
  american.latitude = 40.6;
  american.longitude = -73.8;
  table.TakeMessage(american);
  const auto views = table.Aircraft(kTen);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[0].address, 0x4CA87Cu);
  EXPECT_EQ(views[0].position->latitude, 53.5);
  EXPECT_EQ(views[1].position->latitude, 40.6);
}

TEST(AdsbAnswer, MembersAsTheAgreedShape) {
  AircraftView seen;
  seen.address = 0x4CA87C;
  seen.registration = "EI-DEF";
  seen.callsign = "RYR123";
  seen.position = Fix{53.4, -6.2, kTen - 1200};
  seen.altitudeFt = 35000;
  seen.track = 271.5;
  seen.groundSpeedKt = 450;
  seen.seen = kTen - 1234;
  seen.messagesToday = 3;
  seen.matchedBy = MatchKind::Registration;
  seen.search = "tail:EI-DEF";
  AircraftView bare;
  bare.address = 0xA;
  bare.seen = kTen + 500;  // a decoder's clock a little ahead
  const Json answer = Json::parse(
      AdsbJson({"http://127.0.0.1:8080/data/aircraft.json", StationPosition{51.47, -0.45}, kTen, {seen, bare}}));
  EXPECT_EQ(answer["enabled"], true);
  EXPECT_EQ(answer["source"], "http://127.0.0.1:8080/data/aircraft.json");
  EXPECT_EQ(answer["station"], Json::parse(R"({"lat": 51.47, "lon": -0.45})"));
  EXPECT_EQ(answer["now"], "2026-12-10T10:00:00.000Z");
  EXPECT_EQ(answer["aircraft"][0], Json::parse(R"({"hex": "4CA87C", "registration": "EI-DEF", "callsign": "RYR123",
      "lat": 53.4, "lon": -6.2, "altitudeFt": 35000, "track": 271.5, "groundSpeedKt": 450, "seenSecondsAgo": 1.2,
      "positionSecondsAgo": 1.2, "messagesToday": 3, "matchedBy": "registration", "search": "tail:EI-DEF"})"));
  EXPECT_EQ(answer["aircraft"][1], Json::parse(R"({"hex": "00000A", "registration": null, "callsign": null,
      "lat": null, "lon": null, "altitudeFt": null, "track": null, "groundSpeedKt": null, "seenSecondsAgo": 0,
      "positionSecondsAgo": null, "messagesToday": 0, "matchedBy": null, "search": null})"));
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
