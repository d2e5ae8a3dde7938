// Tests of capture replay timing: capture times as milliseconds, the delay
// between records (scaled, capped, never negative), and a timed replay that
// loops.
#include "cardserver/replay.h"

#include <gtest/gtest.h>

#include "test_client.h"

namespace corvane::cardserver {
namespace {

TEST(ReplayTiming, CaptureTimesAndDelays) {
  EXPECT_EQ(MillisecondsSinceEpoch({2026, 12, 7, 21, 0, 5, 5}), 1796677205005);
  EXPECT_EQ(MillisecondsSinceEpoch({2024, 3, 1, 0, 0, 0, 0}) - MillisecondsSinceEpoch({2024, 2, 28, 0, 0, 0, 0}),
            2 * 86400000LL);
  EXPECT_EQ(MillisecondsSinceEpoch({1970, 1, 1, 0, 0, 0, 0}), 0);

  EXPECT_EQ(ReplayDelayMs(1000, 3500, 1.0), 2500);
  EXPECT_EQ(ReplayDelayMs(1000, 3500, 10.0), 250);
  EXPECT_EQ(ReplayDelayMs(1000, 3500, 0.5), 5000);
  EXPECT_EQ(ReplayDelayMs(0, 3'600'000, 1.0), kLongestGapMs);
  EXPECT_EQ(ReplayDelayMs(0, 3'600'000, 4.0), kLongestGapMs / 4);
  EXPECT_EQ(ReplayDelayMs(5000, 1000, 1.0), 0) << "a capture going back in time";
}

TEST(ReplayTiming, TimedReplayLoopsInOrder) {
  test_client::App();
  std::vector<std::string> delivered;
  CaptureReplay replay(
      ReplayPlan{{{1000, "a"}, {1001, "b"}, {1001, "c"}}, 1000.0, false, true},
      [&delivered](const TimedRecord& record) { delivered.push_back(record.txt); }, [] { return false; });
  replay.Start();
  replay.Start();
  ASSERT_TRUE(test_client::WaitUntil([&delivered] { return delivered.size() >= 7; }));
  EXPECT_EQ(std::vector<std::string>(delivered.begin(), delivered.begin() + 7),
            std::vector<std::string>({"a", "b", "c", "a", "b", "c", "a"}));
  EXPECT_FALSE(replay.Finished());
}

}  // namespace
}  // namespace corvane::cardserver
