// The block joiner where faults hide: end bytes or lengths, a block missing,
// late, out of order or repeated, two aircraft sending at once.
#include "decoding/block_joiner.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace corvane::decoding {
namespace {

// A block received seconds after 12:00:00 on 7 December 2026.
MessageRecord Block(const std::string& address, const std::string& msn, const std::string& text, int seconds,
                    const std::string& flight = "UA0123") {
  char hour[16];
  std::snprintf(hour, sizeof hour, "12%02d%02d.000", seconds / 60, seconds % 60);
  return {"261207", hour, "2", address, flight, "H1", "5", msn, text};
}

TEST(BlockJoiner, JoinsByEndBytesOrLengthsAndKeepsBlocksApartWhenOneIsMissingOutOfOrderOrLate) {
  BlockJoiner joiner;
  joiner.Offer(Block("N1", "M01A", "FIRST \x17", 0), {}, "a");
  joiner.Offer(Block("N1", "M01B", "SECOND \x17", 5), {}, "b");
  const BlockJoin byEnds = joiner.Offer(Block("N1", "M01C", "THIRD\x03", 9), {}, "c");
  EXPECT_EQ(byEnds.blocks, 3U);
  EXPECT_EQ(byEnds.text, "FIRST SECOND THIRD");
  EXPECT_EQ(byEnds.parts, (std::vector<std::string>{"a", "b"}));
  const std::string full(220, 'F');
  joiner.Offer(Block("N1", "M02A", full, 20));
  EXPECT_EQ(joiner.Offer(Block("N1", "M02B", "END", 30)).text, full + "END") << "a shorter block ends it";
  joiner.Offer(Block("N1", "M03A", full, 40));
  EXPECT_EQ(joiner.Offer(Block("N1", "M03B", full + "TAIL", 45)).text, full + "TAIL") << "reassembled already";

  joiner.Offer(Block("N1", "M05A", "A\x17", 60));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M05C", "C\x03", 65)).Joined()) << "B is missing";
  joiner.Offer(Block("N1", "M06B", "B\x17", 70));
  joiner.Offer(Block("N1", "M06A", "A\x17", 71));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M06C", "C\x03", 72)).Joined()) << "B came before A";
  joiner.Offer(Block("N1", "M07A", "A\x17", 100));
  joiner.Offer(Block("N1", "M07B", "B\x17", 219));
  EXPECT_TRUE(joiner.Offer(Block("N1", "M07C", "C\x03", 339)).Joined()) << "pauses of 119 s and 120 s";
  joiner.Offer(Block("N1", "M08A", "A\x17", 400));
  EXPECT_FALSE(joiner.Offer(Block("N1", "M08B", "B\x03", 521)).Joined()) << "121 s later";
  EXPECT_EQ(joiner.OpenMessages(), 0U);
}

TEST(BlockJoiner, TellsInterleavedAircraftApartAndTakesARepeatedBlockAsPartOfItsMessage) {
  BlockJoiner joiner;
  joiner.Offer(Block("N1", "M01A", "ONE-A\x17", 0), {}, "1a");
  joiner.Offer(Block("N2", "M01A", "TWO-A\x17", 1), {}, "2a");
  joiner.Offer(Block("N1", "M01B", "ONE-B\x17", 2), {}, "1b");
  joiner.Offer(Block("N1", "M01B", "ONE-B\x17", 3), {}, "1b again");
  joiner.Offer(Block("N2", "M01B", "TWO-B\x17", 3), {}, "2b");
  joiner.Offer(Block("N1", "M01A", "RELAYED\x17", 3), "far-away", "y");  // another station
  const BlockJoin one = joiner.Offer(Block("N1", "M01C", "ONE-C\x03", 4), {}, "1c");
  EXPECT_EQ(one.text, "ONE-AONE-BONE-C");
  EXPECT_EQ(one.parts, (std::vector<std::string>{"1a", "1b", "1b again"}));
  EXPECT_EQ(joiner.Offer(Block("N2", "M01C", "TWO-C\x03", 5), {}, "2c").text, "TWO-ATWO-BTWO-C");
  EXPECT_EQ(joiner.OpenMessages(), 1U);
  const BlockJoin repeat = joiner.Offer(Block("N1", "M01C", "ONE-C\x03", 6), {}, "1c again");
  EXPECT_FALSE(repeat.Joined());
  EXPECT_EQ(repeat.repeatOf, "1c");
  EXPECT_TRUE(joiner.Offer(Block("N1", "M01C", "NOT THE SAME\x03", 7)).repeatOf.empty());
}

}  // namespace
}  // namespace corvane::decoding
