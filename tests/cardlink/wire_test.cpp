// Tests of the card server protocol's frames and items.
#include "cardlink/wire.h"

#include <gtest/gtest.h>

#include <string>

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
