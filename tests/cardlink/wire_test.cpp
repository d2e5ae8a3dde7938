// Tests of the card server protocol's frames and items.
#include "cardlink/wire.h"

#include <gtest/gtest.h>

#include <string>

#include "cardlink/server_replies.h"

namespace corvane::cardlink::wire {
namespace {

using namespace std::string_literals;

TEST(Wire, FramesCarryAnyBytesAndSurviveAnySplit) {
  const Items sent = {"EVENT", "NewTextData", "M=2  ADDR=.N123UA\r\n\0\xff text"s, ""};
  const std::string frame = EncodeFrame(sent);
  // Length, then four items of their own length and bytes.
  ASSERT_EQ(sent[2].size(), 26U);
  EXPECT_EQ(frame.size(), 4U + 4 * 4 + 5 + 11 + 26 + 0);
  EXPECT_EQ(frame.substr(0, 8), "\0\0\0\x3a\0\0\0\x05"s);

  // Fed one byte at a time, two frames in a row come out whole.
  FrameReader reader;
  std::vector<Items> received;
  std::string error;
  for (const char byte : frame + frame) {
    reader.Append(std::string_view(&byte, 1));
    Items items;
    while (reader.Next(items, error) == FrameReader::Status::Frame) {
      received.push_back(items);
    }
  }
  ASSERT_EQ(received.size(), 2U);
  EXPECT_EQ(received[0], sent);
  EXPECT_EQ(received[1], sent);
  EXPECT_EQ(reader.Buffered(), 0U);
}

TEST(Wire, MalformedOrOversizedFramesAreRefusedForGood) {
  std::string error;
  Items items;
  FrameReader empty;
  empty.Append("\0\0\0\0"s);
  EXPECT_EQ(empty.Next(items, error), FrameReader::Status::Invalid);
  EXPECT_EQ(error, "an empty frame");

  FrameReader oversized;
  oversized.Append("\x00\x40\x00\x01"s);  // 4 MiB + 1
  EXPECT_EQ(oversized.Next(items, error), FrameReader::Status::Invalid);
  EXPECT_NE(error.find("over the limit"), std::string::npos);
  // It stays refused and buffers nothing more.
  oversized.Append(std::string(1000, 'x'));
  EXPECT_EQ(oversized.Next(items, error), FrameReader::Status::Invalid);
  EXPECT_EQ(oversized.Buffered(), 0U);

  // An item longer than its frame.
  FrameReader cut;
  cut.Append(
      "\0\0\0\x06\0\0\0\x09"
      "ab"s);
  EXPECT_EQ(cut.Next(items, error), FrameReader::Status::Invalid);
  EXPECT_EQ(error, "an item is longer than its frame");

  // A frame whose bytes end inside an item's length.
  FrameReader ragged;
  ragged.Append(
      "\0\0\0\x06\0\0\0\x01"
      "a\0"s);
  EXPECT_EQ(ragged.Next(items, error), FrameReader::Status::Invalid);

  // The largest frame allowed is still taken.
  const std::string big(kMaxPayload - 4, 'z');
  FrameReader largest;
  largest.Append(EncodeFrame({big}));
  ASSERT_EQ(largest.Next(items, error), FrameReader::Status::Frame) << error;
  EXPECT_EQ(items.front().size(), big.size());
}

TEST(Wire, NumbersArePlainDecimal) {
  EXPECT_EQ(Number(-500), "-500");
  EXPECT_EQ(ParseNumber("-500"), -500);
  EXPECT_EQ(ParseNumber("0"), 0);
  EXPECT_FALSE(ParseNumber(""));
  EXPECT_FALSE(ParseNumber("12x"));
  EXPECT_FALSE(ParseNumber(" 1"));
  EXPECT_FALSE(ParseNumber("99999999999999999999"));
}

}  // namespace
}  // namespace corvane::cardlink::wire

namespace corvane::cardlink {
namespace {

TEST(ServerReplies, FramesAreSortedWithoutTrustingTheirShape) {
  EXPECT_EQ(SortServerFrame({"WELCOME", "CORVANE-CARDLINK", "1"}).kind, ServerReply::Kind::Opening);
  EXPECT_EQ(SortServerFrame({"REFUSED"}).kind, ServerReply::Kind::Opening);
  const ServerReply answer = SortServerFrame({"ANSWER", "17", "0", ""});
  EXPECT_EQ(answer.kind, ServerReply::Kind::Answer);
  EXPECT_EQ(answer.answerId, 17);
  EXPECT_FALSE(SortServerFrame({"ANSWER", "x"}).answerId.has_value());
  EXPECT_FALSE(SortServerFrame({"ANSWER"}).answerId.has_value());

  const ServerReply text = SortServerFrame({"EVENT", "NewTextData", std::string("M=2\0\xff", 5)});
  EXPECT_EQ(text.kind, ServerReply::Kind::Text);
  EXPECT_EQ(text.text, std::string("M=2\0\xff", 5));
  EXPECT_EQ(SortServerFrame({"EVENT", "NewTextData"}).kind, ServerReply::Kind::Ignored);

  // Flags that are not numbers, or not ints, count as 0.
  const ServerReply status =
      SortServerFrame({"EVENT", "NewSystemStatus", "1", "x", "-1", "99999999999", "0", "1", "0", "75"});
  EXPECT_EQ(status.kind, ServerReply::Kind::Status);
  EXPECT_EQ(status.status, (std::array<int, 8>{1, 0, -1, 0, 0, 1, 0, 75}));
  EXPECT_EQ(SortServerFrame({"EVENT", "NewSystemStatus", "1"}).kind, ServerReply::Kind::Ignored);
  EXPECT_EQ(SortServerFrame({"HELLO"}).kind, ServerReply::Kind::Ignored);
}

// Reception facts: a record heard here carries an empty station and 0 hops
// before them; items this client does not know, or cannot read, are passed
// over, and an event without them has none.
TEST(ServerReplies, ReceptionFactsAreReadAndUnknownItemsIgnored) {
  const ServerReply facts =
      SortServerFrame({"EVENT", "NewTextData", "M=2", "", "0", "", "freq=131.7250", "level=-22", "level_unit=dB",
                       "link=acars", "colour=blue", "noise=loud", "no equals sign", "decoder_station=a=b"});
  EXPECT_EQ(facts.kind, ServerReply::Kind::Text);
  EXPECT_FALSE(facts.origin.Relayed());
  EXPECT_EQ(reception::MhzText(*facts.origin.facts.frequencyMhz), "131.725");
  EXPECT_EQ(facts.origin.facts.level, -22);
  EXPECT_FALSE(facts.origin.facts.noise);
  EXPECT_EQ(facts.origin.facts.levelUnit, "dB");
  EXPECT_EQ(facts.origin.facts.link, "acars");
  EXPECT_EQ(facts.origin.facts.decoderStation, "a=b");

  const ServerReply relayed = SortServerFrame({"EVENT", "NewTextData", "M=2", "north", "2", "id-1", "link=vdl2"});
  EXPECT_TRUE(relayed.origin.Relayed());
  EXPECT_EQ(relayed.origin.hops, 2);
  EXPECT_EQ(relayed.origin.id, "id-1");
  EXPECT_EQ(relayed.origin.facts.link, "vdl2");

  // An item more than this client knows of, in any position.
  EXPECT_EQ(SortServerFrame({"EVENT", "NewTextData", "M=2", "later"}).kind, ServerReply::Kind::Text);
  EXPECT_TRUE(SortServerFrame({"EVENT", "NewTextData", "M=2", "s", "1", "id"}).origin.facts.Empty());
}

TEST(ServerReplies, AnAnswerGivesItsResultsItsErrorOrIsMalformed) {
  const AnswerOutcome ok = ReadAnswer({"ANSWER", "3", "0", "", "Mode=ACARS;", "1"});
  EXPECT_TRUE(ok.wellFormed);
  EXPECT_EQ(ok.error, 0);
  EXPECT_EQ(ok.results, (wire::Items{"Mode=ACARS;", "1"}));

  const AnswerOutcome failed = ReadAnswer({"ANSWER", "4", "9", "Card index out of range"});
  EXPECT_TRUE(failed.wellFormed);
  EXPECT_EQ(failed.error, 9);
  EXPECT_EQ(failed.description, "Card index out of range");

  EXPECT_FALSE(ReadAnswer({"ANSWER", "5", "0"}).wellFormed);
  EXPECT_FALSE(ReadAnswer({"ANSWER", "5", "nine", ""}).wellFormed);
  EXPECT_FALSE(ReadAnswer({"ANSWER", "5", "99999999999", ""}).wellFormed);
}

}  // namespace
}  // namespace corvane::cardlink
