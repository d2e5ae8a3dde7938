// Reads every record of the shared capture of real traffic and checks the
// decoded fields against the same messages given field by field, and joins
// its messages of several blocks (which come without end bytes).
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "capture/capture.h"
#include "decoding/block_joiner.h"
#include "decoding/text_record.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {
namespace {

std::string Latin1(const nlohmann::json& value) { return capture::Utf8ToLatin1(value.get<std::string>()).value(); }

std::string TrimSpaces(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithoutLeadingPoints(const std::string& text) {
  return text.substr(text.find_first_not_of('.') == std::string::npos ? text.size() : text.find_first_not_of('.'));
}

TEST(RealCapture, EveryRecordDecodesToItsFields) {
  const std::string folder = CORVANE_CAPTURES_DIR;
  std::ifstream records(folder + "/real-acars.jsonl");
  std::ifstream fields(folder + "/real-acars-fields.jsonl");
  if (folder.empty() || !records || !fields) {
    FAIL() << "the shared capture of real traffic (../shared/captures) is not on this machine";
  }
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::string recordLine;
  std::string fieldsLine;
  int count = 0;
  int terminalCodes = 0;
  BlockJoiner joiner;
  int joined = 0;
  int wellJoined = 0;  // as many blocks as the last one's letter says, ending in its text
  while (std::getline(records, recordLine) && std::getline(fields, fieldsLine)) {
    ++count;
    std::string error;
    const auto capture = capture::ParseCaptureLine(recordLine, error);
    ASSERT_TRUE(capture) << "line " << count << ": " << error;
    const auto expected = nlohmann::json::parse(fieldsLine);
    std::string currentLabel;
    const auto message = ReadTextRecord(capture->txt, capture->utc, tables, currentLabel);
    ASSERT_TRUE(message) << "line " << count;
    const MessageRecord& r = message->record;
    EXPECT_EQ(r.Mode, Latin1(expected["mode"])) << count;
    EXPECT_EQ(WithoutLeadingPoints(r.Address), WithoutLeadingPoints(Latin1(expected["tail"]))) << count;
    EXPECT_EQ(message->PaddedAddress.size(), r.Address.empty() ? 6U : 7U) << count;
    EXPECT_EQ(r.Bloc, TrimSpaces(Latin1(expected["block_id"]))) << count;
    EXPECT_EQ(r.Msn, Latin1(expected["msgno"])) << count;
    EXPECT_EQ(r.Flight, Latin1(expected["flight"])) << count;
    EXPECT_EQ(r.Data, TrimSpaces(Latin1(expected["text"]))) << count;
    const std::string label = Latin1(expected["label"]);
    EXPECT_EQ(currentLabel, label) << count;
    EXPECT_EQ(r.Label, label == "_\x7f" ? "_ " : label) << count;
    EXPECT_EQ(r.Hour.size(), 10U);
    if (r.Label == "H1" && !r.Data.empty() && r.Data[0] == '#') {
      ++terminalCodes;
      EXPECT_NE(message->LabelText.find("Message to/from terminal - "), std::string::npos) << count;
    }
    if (const BlockJoin join = joiner.Offer(r); join.Joined()) {
      ++joined;
      wellJoined += static_cast<int>(join.blocks) == r.Msn[3] - 'A' + 1 && join.text.ends_with(r.Data);
    }
  }
  std::cout << joined << " messages joined from their blocks\n";
  EXPECT_GT(joined, 10);
  EXPECT_EQ(wellJoined, joined);
  EXPECT_EQ(count, 2174);
  EXPECT_GT(terminalCodes, 100);
}

}  // namespace
}  // namespace corvane::decoding
