// Tests of the two texts built for every accepted message: the report that
// the traffic log writes and the summary published as LiveData.
#include "decoding/message_texts.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace corvane::decoding {
namespace {

using namespace std::string_literals;

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

const std::string kStampLine = "= 07/12/2026 21:00:05Z " + std::string(33, '=');
const std::string kPoints(56, '.');
const std::string kHyphens(56, '-');

// The example message: mode 2, N123UA, label H1, block 5, MSN M01A, flight
// UA0123, with a text.
ReadMessage Example() {
  ReadMessage message;
  message.record = {"261207", "210005.005", "2", "N123UA", "UA0123", "H1", "5", "M01A", "HELLO\r\nWORLD"};
  message.PaddedAddress = ".N123UA";
  message.LabelText = "Message to/from terminal";
  message.reportStamp = "07/12/2026 21:00:05";
  message.statusStamp = "07/12 21:00:05";
  return message;
}

TEST(MessageReport, HoldsStampHeaderLabelDecodedLinesAndText) {
  ASSERT_EQ(kStampLine.size(), 2U + 19U + 2U + 33U);
  const std::string decoded = Lines({"ATIS", " For:       LFPG"});
  EXPECT_EQ(BuildMessageReport(Example(), decoded),
            Lines({kStampLine, "Mode: 2 Label:H1 MSN:M01A Aircraft:.N123UA Flight:UA0123", "Message to/from terminal",
                   kPoints}) +
                decoded + Lines({kHyphens}) + "HELLO\r\nWORLD");

  // Without decoded lines the text follows the points directly.
  EXPECT_EQ(BuildMessageReport(Example(), ""),
            Lines({kStampLine, "Mode: 2 Label:H1 MSN:M01A Aircraft:.N123UA Flight:UA0123", "Message to/from terminal",
                   kPoints}) +
                "HELLO\r\nWORLD");
}

TEST(MessageReport, EmptyTextGivesThreeLines) {
  ReadMessage message = Example();
  message.record.Data = "";
  const std::string expected =
      Lines({kStampLine, "Mode: 2 Label:H1 MSN:M01A Aircraft:.N123UA Flight:UA0123", "Message to/from terminal"});
  EXPECT_EQ(BuildMessageReport(message, ""), expected);
  // Decoded lines only come with a text.
  EXPECT_EQ(BuildMessageReport(message, Lines({"Squitter", " Mode:      "})), expected);
}

TEST(MessageReport, HeaderLineFields) {
  const auto headerLine = [](const ReadMessage& message) {
    const std::string report = BuildMessageReport(message, "");
    const std::size_t start = report.find("\r\n") + 2;
    return report.substr(start, report.find("\r\n", start) - start);
  };
  ReadMessage message = Example();
  // No MSN: nothing after " MSN:"; no flight: no " Flight:".
  message.record.Msn = "";
  message.record.Flight = "";
  EXPECT_EQ(headerLine(message), "Mode: 2 Label:H1 MSN: Aircraft:.N123UA");
  // The mode is right-aligned in two characters, never cut.
  message.record.Mode = "12";
  EXPECT_EQ(headerLine(message), "Mode:12 Label:H1 MSN: Aircraft:.N123UA");
  message.record.Mode = "";
  EXPECT_EQ(headerLine(message), "Mode:   Label:H1 MSN: Aircraft:.N123UA");
  message.record.Mode = "123";
  EXPECT_EQ(headerLine(message), "Mode:123 Label:H1 MSN: Aircraft:.N123UA");
  // The six points of an empty address are right-aligned in seven.
  message.record.Mode = "2";
  message.PaddedAddress = "......";
  EXPECT_EQ(headerLine(message), "Mode: 2 Label:H1 MSN: Aircraft: ......");
  message.PaddedAddress = "ABCDEFG";
  message.record.Label = "_ ";
  message.record.Msn = "D50A";
  EXPECT_EQ(headerLine(message), "Mode: 2 Label:_  MSN:D50A Aircraft:ABCDEFG");
}

TEST(MessageReport, BytesOfTheTextAreKept) {
  ReadMessage message = Example();
  message.record.Data = "\xE9t\xE9\x00\x7f\r\n"s;
  const std::string report = BuildMessageReport(message, "");
  EXPECT_EQ(report.substr(report.size() - 7), "\xE9t\xE9\x00\x7f\r\n"s);
}

TEST(LiveSummary, ExampleMessage) {
  const std::string summary = BuildLiveSummary(Example());
  EXPECT_EQ(summary, Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: H1  Block id: 5  Msg. no: M01A",
                            "Flight id: UA0123", "Message content:-"}) +
                         "HELLO\r\nWORLD");
  EXPECT_EQ(summary.substr(0, 3), "0AC");
}

TEST(LiveSummary, EmptyTextEndsWithALineEnd) {
  ReadMessage message = Example();
  message.record.Data = "";
  EXPECT_EQ(BuildLiveSummary(message), Lines({"0ACARS mode: 2  Aircraft reg: .N123UA",
                                              "Message label: H1  Block id: 5  Msg. no: M01A", "Flight id: UA0123"}));
  message.record.Flight = "";
  message.record.Msn = "";
  EXPECT_EQ(BuildLiveSummary(message),
            Lines({"0ACARS mode: 2  Aircraft reg: .N123UA", "Message label: H1  Block id: 5 "}));
}

TEST(LiveSummary, ColumnsOfModeLabelAndBlock) {
  const auto firstLine = [](const std::string& mode) {
    ReadMessage message = Example();
    message.record.Mode = mode;
    const std::string summary = BuildLiveSummary(message);
    return summary.substr(0, summary.find("\r\n"));
  };
  EXPECT_EQ(firstLine("02"), "0ACARS mode: 2  Aircraft reg: .N123UA");
  EXPECT_EQ(firstLine("12"), "0ACARS mode: 12 Aircraft reg: .N123UA");
  EXPECT_EQ(firstLine("0"), "0ACARS mode:  Aircraft reg: .N123UA");
  EXPECT_EQ(firstLine("00"), "0ACARS mode: 0  Aircraft reg: .N123UA");
  EXPECT_EQ(firstLine("X"), "0ACARS mode: X  Aircraft reg: .N123UA");
  EXPECT_EQ(firstLine(""), "0ACARS mode:  Aircraft reg: .N123UA");

  const auto secondLine = [](const std::string& label, const std::string& bloc) {
    ReadMessage message = Example();
    message.record.Label = label;
    message.record.Bloc = bloc;
    message.record.Msn = "";
    const std::string summary = BuildLiveSummary(message);
    const std::size_t start = summary.find("\r\n") + 2;
    return summary.substr(start, summary.find("\r\n", start) - start);
  };
  EXPECT_EQ(secondLine("_ ", "5"), "Message label: _   Block id: 5 ");
  EXPECT_EQ(secondLine("H", "5"), "Message label: H Block id: 5 ");
  EXPECT_EQ(secondLine("", ""), "Message label:  Block id: ");
  EXPECT_EQ(secondLine("Q0", ""), "Message label: Q0  Block id: ");

  // The address is published with its points.
  ReadMessage message = Example();
  message.PaddedAddress = "......";
  EXPECT_EQ(BuildLiveSummary(message).substr(0, 37), "0ACARS mode: 2  Aircraft reg: ......\r");
}

}  // namespace
}  // namespace corvane::decoding
