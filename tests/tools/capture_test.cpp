// Tests of capture lines: Latin-1 round trips and UTC time stamps.
#include "capture/capture.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::capture {
namespace {

using namespace std::string_literals;

TEST(Latin1, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  const std::string utf8 = Latin1ToUtf8(all);
  EXPECT_EQ(utf8.size(), 128U + 2 * 128U);
  EXPECT_EQ(Utf8ToLatin1(utf8), all);
  EXPECT_EQ(Latin1ToUtf8("\xE9"), "\xC3\xA9");
}

TEST(Latin1, CharactersBeyondLatin1AreRefused) {
  EXPECT_FALSE(Utf8ToLatin1("\xE2\x82\xAC"));  // the euro sign
  EXPECT_FALSE(Utf8ToLatin1("\xC3"));          // cut short
  EXPECT_FALSE(Utf8ToLatin1("\xC3("));         // bad continuation
  EXPECT_FALSE(Utf8ToLatin1("\xA9"));          // stray continuation
}

TEST(Utc, ParsesAndFormatsCaptureTimes) {
  const auto time = ParseUtc("2026-12-07T21:00:05.005Z");
  ASSERT_TRUE(time);
  EXPECT_EQ(time->year, 2026);
  EXPECT_EQ(time->month, 12);
  EXPECT_EQ(time->day, 7);
  EXPECT_EQ(time->hour, 21);
  EXPECT_EQ(time->minute, 0);
  EXPECT_EQ(time->second, 5);
  EXPECT_EQ(time->millisecond, 5);
  EXPECT_EQ(FormatUtc(*time), "2026-12-07T21:00:05.005Z");
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05Z")->millisecond, 0);
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05.5")->millisecond, 500);
  EXPECT_EQ(ParseUtc("2026-12-07T21:00:05.123456Z")->millisecond, 123);
  for (const char* bad : {"", "2026-12-07", "2026-13-07T21:00:05Z", "2026-12-07T24:00:05Z", "2026-12-07T21:00:05.Z",
                          "2026-12-07T21:00:05Zjunk", "2026/12/07T21:00:05Z"}) {
    EXPECT_FALSE(ParseUtc(bad)) << bad;
  }
}

TEST(CaptureLine, ReadsTheCardRecordAsBytes) {
  std::string error;
  const auto record = ParseCaptureLine(
      R"({"utc": "2026-12-07T00:00:00.000Z", "txt": "M=2 ADDR=N123UA TA=! ML=_\u007f B=1\r\n\u00e9\u0000"})", error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->txt, "M=2 ADDR=N123UA TA=! ML=_\x7f B=1\r\n\xE9\0"s);
}

TEST(CaptureLine, SaysWhyALineIsRefused) {
  std::string error;
  EXPECT_FALSE(ParseCaptureLine("not json", error));
  EXPECT_EQ(error, "not a JSON object");
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "2026-12-07T00:00:00Z"})", error));
  EXPECT_NE(error.find("txt"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "yesterday", "txt": ""})", error));
  EXPECT_NE(error.find("utc"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine(R"({"utc": "2026-12-07T00:00:00Z", "txt": "\u20ac"})", error));
  EXPECT_NE(error.find("U+00FF"), std::string::npos);
  EXPECT_FALSE(ParseCaptureLine("[1, 2]", error));
}

}  // namespace
}  // namespace corvane::capture
