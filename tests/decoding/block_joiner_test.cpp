// The block joiner: which blocks make one message, and where faults hide
// (a block missing, late, out of order or repeated, two aircraft sending at
// once), then the joins it finds in the shared capture of real traffic.
#include "decoding/block_joiner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "reference/reference_tables.h"

namespace corvane::decoding {
namespace {

// A block received seconds after 12:00:00 on 7 December 2026.
MessageRecord Block(const std::string& address, const std::string& msn, const std::string& text, int seconds,
                    const std::string& flight = "UA0123") {
  char hour[16];
  std::snprintf(hour, sizeof hour, "12%02d%02d.000", seconds / 60, seconds % 60);
  return {"261207", hour, "2", address, flight, "H1", "5", msn, text};
}

const std::string kFull1(220, '1');
const std::string kFull2(220, '2');

TEST(BlockJoiner, JoinsTheBlocksOfOneMessageByTheirEndBytesOrByTheirLengths) {
  BlockJoiner joiner;
  EXPECT_FALSE(joiner.Offer(Block("N1", "M01A", "FIRST \x17", 0), {}, "a").Joined());
  EXPECT_FALSE(joiner.Offer(Block("N1", "M01B", "SECOND \x17", 5), {}, "b").Joined());
  const BlockJoin byEnds = joiner.Offer(Block("N1", "M01C", "THIRD\x03", 9), {}, "c");
  EXPECT_EQ(byEnds.blocks, 3U);
  EXPECT_EQ(byEnds.text, "FIRST SECOND THIRD");
  EXPECT_EQ(byEnds.parts, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(joiner.OpenMessages(), 0U);

  // Without end bytes: full blocks, then a shorter one.
  joiner.Offer(Block("N1", "M02A", kFull1, 20), {}, "d");
  joiner.Offer(Block("N1", "M02B", kFull2, 25), {}, "e");
  const BlockJoin byLengths = joiner.Offer(Block("N1", "M02C", "END", 30), {}, "f");
  EXPECT_EQ(byLengths.blocks, 3U);
  EXPECT_EQ(byLengths.text, kFull1 + kFull2 + "END");

  // A decoder that hands over the whole message at its final block.
  joiner.Offer(Block("N1", "M03A", kFull1, 40));
  const BlockJoin reassembled = joiner.Offer(Block("N1", "M03B", kFull1 + "TAIL", 45));
  EXPECT_EQ(reassembled.blocks, 2U);
  EXPECT_EQ(reassembled.text, kFull1 + "TAIL");
  EXPECT_TRUE(reassembled.parts.empty());  // blocks without identities

  // One block alone ending in ETX, or a record without a message number,
  // begins nothing.
  EXPECT_FALSE(joiner.Offer(Block("N1", "M04A", "ALONE\x03", 50)).Joined());
  EXPECT_FALSE(joiner.Offer(Block("N1", "", "NO NUMBER", 51)).Joined());
  EXPECT_EQ(joiner.OpenMessages(), 0U);
}

TEST(BlockJoiner, KeepsTheBlocksApartWhenOneIsMissingOutOfOrderOrLate) {
  BlockJoiner joiner;
  joiner.Offer(Block("N1", "M01A", "A\x17", 0));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M01C", "C\x03", 5)).Joined()) << "B is missing";
  EXPECT_EQ(joiner.OpenMessages(), 0U);

  joiner.Offer(Block("N1", "M02B", "B\x17", 10));
  joiner.Offer(Block("N1", "M02A", "A\x17", 11));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M02C", "C\x03", 12)).Joined()) << "B came before A";

  // The gap is measured between blocks, by the records' stamps.
  joiner.Offer(Block("N1", "M03A", "A\x17", 100));
  joiner.Offer(Block("N1", "M03B", "B\x17", 219));
  EXPECT_EQ(joiner.Offer(Block("N1", "M03C", "C\x03", 339)).blocks, 3U) << "two pauses of 119 s and 120 s";
  joiner.Offer(Block("N1", "M04A", "A\x17", 400));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M04B", "B\x03", 521)).Joined()) << "121 s later";
  EXPECT_EQ(joiner.OpenMessages(), 0U);

  BlockJoiner quick(std::chrono::seconds(10));
  quick.Offer(Block("N1", "M05A", "A\x17", 0));
  EXPECT_FALSE(quick.Offer(Block("N1", "M05B", "B\x03", 11)).Joined());
}

TEST(BlockJoiner, TellsInterleavedAircraftApartAndTakesARepeatedBlockAsPartOfItsMessage) {
  BlockJoiner joiner;
  joiner.Offer(Block("N1", "M01A", "ONE-A\x17", 0), {}, "1a");
  joiner.Offer(Block("N2", "M01A", "TWO-A\x17", 1), {}, "2a");
  joiner.Offer(Block("N1", "M01B", "ONE-B\x17", 2), {}, "1b");
  joiner.Offer(Block("N1", "M01B", "ONE-B\x17", 3), {}, "1b again");
  joiner.Offer(Block("N2", "M01B", "TWO-B\x17", 3), {}, "2b");
  // The same aircraft and number under another flight, or heard by another
  // station, is another stream.
  joiner.Offer(Block("N1", "M01A", "OTHER\x17", 3, "UA9999"), {}, "x");
  joiner.Offer(Block("N1", "M01A", "RELAYED\x17", 3), "far-away", "y");
  const BlockJoin one = joiner.Offer(Block("N1", "M01C", "ONE-C\x03", 4), {}, "1c");
  const BlockJoin two = joiner.Offer(Block("N2", "M01C", "TWO-C\x03", 5), {}, "2c");
  EXPECT_EQ(one.text, "ONE-AONE-BONE-C");
  EXPECT_EQ(one.parts, (std::vector<std::string>{"1a", "1b", "1b again"}));
  EXPECT_EQ(two.text, "TWO-ATWO-BTWO-C");
  EXPECT_EQ(joiner.OpenMessages(), 2U);

  const BlockJoin repeatOfLast = joiner.Offer(Block("N1", "M01C", "ONE-C\x03", 6), {}, "1c again");
  EXPECT_FALSE(repeatOfLast.Joined());
  EXPECT_EQ(repeatOfLast.repeatOf, "1c");
  EXPECT_TRUE(joiner.Offer(Block("N1", "M01C", "NOT THE SAME\x03", 7)).repeatOf.empty());
}

// The shared capture: its multi-block messages come without end bytes, some
// from decoders that reassembled them at the final block.
TEST(BlockJoiner, JoinsTheMultiBlockMessagesOfTheRealCapture) {
  std::ifstream records(std::string(CORVANE_CAPTURES_DIR) + "/real-acars.jsonl");
  ASSERT_TRUE(records) << "the shared capture of real traffic (../shared/captures) is not on this machine";
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  BlockJoiner joiner;
  std::vector<MessageRecord> seen;
  std::vector<std::pair<MessageRecord, BlockJoin>> joins;
  std::string currentLabel;
  for (std::string line; std::getline(records, line);) {
    std::string error;
    const auto capture = capture::ParseCaptureLine(line, error);
    ASSERT_TRUE(capture) << error;
    const auto message = ReadTextRecord(capture->txt, capture->utc, tables, currentLabel);
    ASSERT_TRUE(message);
    if (BlockJoin join = joiner.Offer(message->record); join.Joined()) {
      joins.emplace_back(message->record, std::move(join));
    }
    seen.push_back(message->record);
  }
  std::cout << joins.size() << " messages joined from " << seen.size() << " records\n";
  ASSERT_FALSE(joins.empty());
  for (const auto& [last, join] : joins) {
    EXPECT_GE(join.blocks, 2U) << last.Msn;
    EXPECT_TRUE(join.text.ends_with(last.Data)) << last.Address << ' ' << last.Msn;
    EXPECT_EQ(last.Msn[3] - 'A' + 1, static_cast<int>(join.blocks)) << last.Address << ' ' << last.Msn;
  }
  const auto joinOf = [&](const std::string& address, const std::string& msn) -> const BlockJoin* {
    for (const auto& [last, join] : joins) {
      if (last.Address == address && last.Msn == msn) {
        return &join;
      }
    }
    return nullptr;
  };
  // Two full blocks of acarsdec and a short last one: the three texts in a row.
  const BlockJoin* acarsdec = joinOf(".N174US", "D54C");
  ASSERT_NE(acarsdec, nullptr);
  std::string threeTexts;
  for (const MessageRecord& r : seen) {
    if (r.Address == ".N174US" && r.Msn.starts_with("D54")) {
      threeTexts += r.Data;
    }
  }
  EXPECT_EQ(acarsdec->text, threeTexts);
  // Eleven blocks from dumpvdl2, the last carrying the whole message.
  const BlockJoin* vdl2 = joinOf(".N438WN", "D42K");
  ASSERT_NE(vdl2, nullptr);
  EXPECT_EQ(vdl2->blocks, 11U);
  EXPECT_GT(vdl2->text.size(), 2000U);
}

}  // namespace
}  // namespace corvane::decoding
