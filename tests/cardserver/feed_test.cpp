// The rules every feed of the card server applies to its payloads: a
// receiver's LiveJSON object keeps its origin all the way to the client,
// objects that passed too many receivers are dropped, a record too big for
// one frame never reaches a client, and junk is reported once per payload
// and at most every 10 s.
#include <gtest/gtest.h>

#include "cardlink/server_replies.h"
#include "cardserver/session.h"
#include "cardserver/udp_feed.h"
#include "livelink/live_json.h"

namespace corvane::cardserver {
namespace {

namespace wire = cardlink::wire;

constexpr const char* kAcarsdec = R"({"timestamp": 1796677206, "mode": "2", "label": "Q0", "tail": "N1"})";

std::string LiveJsonFrom(const std::string& station, long long hops, const std::string& text = "POS",
                         const std::string& id = {}) {
  decoding::MessageRecord record;
  record.Date = "261207";
  record.Hour = "001514.716";
  record.Mode = "2";
  record.Address = "N123UA";
  record.Label = "H1";
  record.Bloc = "3";
  record.Data = text;
  return livelink::LiveJson(record, std::nullopt, {station, hops, nullptr, id});
}

// A feed with a clock the test moves, and what it delivers and logs.
struct FeedUnderTest {
  explicit FeedUnderTest(int maxHops)
      : feed(
            "MQTT feed", "MQTT messages", maxHops,
            [this](const capture::CaptureRecord& record) { delivered.push_back(record); },
            [this](const std::string& line) { log.push_back(line); }, [this] { return now; }) {}

  LineFeed::Clock::time_point now{};
  std::vector<capture::CaptureRecord> delivered;
  std::vector<std::string> log;
  LineFeed feed;
};

TEST(LineFeed, ALiveJsonObjectKeepsItsOriginFromFeedToTheClient) {
  FeedUnderTest under(5);
  under.feed.Take(LiveJsonFrom("Zürich-1", 2, "POS", "0123456789abcdef-7") + "\n" + kAcarsdec, "MQTT message on t");
  ASSERT_EQ(under.delivered.size(), 2U);

  wire::FrameReader reader;
  for (const auto& record : under.delivered) {
    reader.Append(TextEventFrame(record.txt, record.origin));
  }
  wire::Items relayed;
  wire::Items heard;
  std::string error;
  ASSERT_EQ(reader.Next(relayed, error), wire::FrameReader::Status::Frame);
  ASSERT_EQ(reader.Next(heard, error), wire::FrameReader::Status::Frame);
  EXPECT_EQ(relayed.size(), 6U);
  EXPECT_EQ(heard.size(), 3U);  // plain records keep the three items
  const auto relayedReply = cardlink::SortServerFrame(relayed);
  EXPECT_EQ(relayedReply.text, "M=2  ADDR=.N123UA TA=! ML=H1 B=3\r\nPOS");
  EXPECT_EQ(relayedReply.origin.station, "Zürich-1");
  EXPECT_EQ(relayedReply.origin.hops, 2);
  EXPECT_EQ(relayedReply.origin.id, "0123456789abcdef-7");
  EXPECT_FALSE(cardlink::SortServerFrame(heard).origin.Relayed());
  EXPECT_TRUE(under.log.empty());
}

TEST(LineFeed, MessagesThatPassedTooManyReceiversAreDroppedAndReportedSparingly) {
  FeedUnderTest under(1);
  under.feed.Take(
      std::string(kAcarsdec) + "\n" + LiveJsonFrom("a", 1) + "\n" + LiveJsonFrom("b", 2) + "\n" + LiveJsonFrom("c", 7),
      "MQTT message on t");
  ASSERT_EQ(under.delivered.size(), 2U);
  EXPECT_EQ(under.delivered[1].origin.value().station, "a");
  EXPECT_EQ(under.log,
            std::vector<std::string>{
                "MQTT feed: 2 messages dropped: each had passed more than 1 receiver (--mqtt-in-max-hops 1)"});

  under.now += std::chrono::seconds(3);
  under.feed.Take(LiveJsonFrom("b", 2), "MQTT message on t");
  under.feed.ReportHeldBack();
  EXPECT_EQ(under.log.size(), 1U);
  under.now += std::chrono::seconds(8);
  under.feed.ReportHeldBack();
  ASSERT_EQ(under.log.size(), 2U);
  EXPECT_EQ(under.log[1], "MQTT feed: 1 message dropped: each had passed more than 1 receiver (--mqtt-in-max-hops 1)");
  EXPECT_EQ(under.feed.DroppedForHops(), 3);

  FeedUnderTest strict(0);  // the default takes only what no receiver passed
  strict.feed.Take(LiveJsonFrom("a", 1) + "\n" + kAcarsdec, "UDP message from x");
  ASSERT_EQ(strict.delivered.size(), 1U);
  EXPECT_FALSE(strict.delivered[0].origin);
}

TEST(LineFeed, ARecordTooBigForOneFrameIsRefusedAndTheNextGoesThrough) {
  FeedUnderTest under(1);
  // The largest text that still fits, with the item headers and the origin.
  const std::string fits = LiveJsonFrom("a", 1, std::string(100, 'x'));
  under.feed.Take(fits, "t");
  ASSERT_EQ(under.delivered.size(), 1U);
  const std::size_t room = wire::kMaxPayload - TextEventPayloadSize(under.delivered[0].txt, under.delivered[0].origin);
  under.delivered.clear();

  under.feed.Take(LiveJsonFrom("a", 1, std::string(100 + room, 'x')) + "\n" +
                      LiveJsonFrom("a", 1, std::string(101 + room, 'x')) + "\n" + kAcarsdec,
                  "MQTT message on big");
  ASSERT_EQ(under.delivered.size(), 2U);
  EXPECT_EQ(under.delivered[0].txt.size(), 100 + room + 34);
  EXPECT_FALSE(under.delivered[1].origin);
  ASSERT_EQ(under.log.size(), 1U);
  EXPECT_EQ(under.log[0], "MQTT message on big: a record of " + std::to_string(101 + room + 34) +
                              " bytes is too big for one frame (4194304 bytes at most with its event): refused");
  EXPECT_EQ(TextEventFrame(under.delivered[0].txt, under.delivered[0].origin).size(), wire::kMaxPayload + 4);
}

TEST(LineFeed, AMegabyteOfJunkWritesAFewLines) {
  FeedUnderTest under(0);
  std::string junk;
  for (int i = 0; i < 524288; ++i) {
    junk += "x\n";
  }
  for (int payload = 0; payload < 3; ++payload) {
    under.feed.Take(junk, "MQTT message on junk");
    under.now += std::chrono::seconds(1);
  }
  under.feed.Take(junk + kAcarsdec, "MQTT message on junk");
  EXPECT_EQ(under.delivered.size(), 1U);
  ASSERT_EQ(under.log.size(), 1U);
  EXPECT_EQ(under.log[0], "MQTT message on junk: 524288 of 524288 lines skipped (first: not a JSON object)");

  under.now += std::chrono::seconds(10);
  under.feed.Take("[1]", "MQTT message on junk");
  ASSERT_EQ(under.log.size(), 2U);
  EXPECT_EQ(under.log[1],
            "MQTT message on junk: 1 of 1 line skipped (first: not a JSON object); 3 more MQTT messages with skipped "
            "lines came in since the last report");
}

}  // namespace
}  // namespace corvane::cardserver
