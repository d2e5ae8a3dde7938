// Tests of the UTC clock's arithmetic: milliseconds to calendar time and
// back, and the sped-up clock of long benchmark runs.
#include "decoding/utc_clock.h"

#include <gtest/gtest.h>

namespace corvane::decoding {
namespace {

constexpr long long kDay = 86'400'000;

bool SameTime(const UtcTime& a, const UtcTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second && a.millisecond == b.millisecond;
}

TEST(UtcClock, MillisecondsBecomeTheCalendarTimeTheyCameFrom) {
  for (const UtcTime& time : {UtcTime{1970, 1, 1, 0, 0, 0, 0}, UtcTime{2028, 2, 29, 23, 59, 59, 999},
                              UtcTime{2026, 12, 31, 23, 59, 59, 999}, UtcTime{2027, 1, 1, 0, 0, 0, 1}}) {
    EXPECT_TRUE(SameTime(UtcFromMillis(MillisSinceEpoch(time)), time)) << MillisSinceEpoch(time);
  }
  // Before 1970 the day still starts at midnight, not at the next one.
  EXPECT_TRUE(SameTime(UtcFromMillis(-1), UtcTime{1969, 12, 31, 23, 59, 59, 999}));
}

TEST(UtcClock, ASpedUpClockStartsAtTheRealTimeAndRunsFactorTimesAsFast) {
  long long real = MillisSinceEpoch({2026, 12, 10, 9, 30, 0, 0});
  const UtcClock clock = SpedUpClock(1440, [&real] { return real; });
  EXPECT_TRUE(SameTime(clock(), UtcTime{2026, 12, 10, 9, 30, 0, 0}));
  real += 60'000;  // a real minute: a day, over the month's end too
  EXPECT_TRUE(SameTime(clock(), UtcTime{2026, 12, 11, 9, 30, 0, 0}));
  real += 21 * 60'000 + 1;
  EXPECT_EQ(MillisSinceEpoch(clock()), MillisSinceEpoch({2027, 1, 1, 9, 30, 0, 0}) + 1440);
  // Thirty days into a long run the milliseconds still count whole.
  real += 8 * 60'000 - 1;
  EXPECT_EQ(MillisSinceEpoch(clock()), MillisSinceEpoch({2026, 12, 10, 9, 30, 0, 0}) + 30 * kDay);

  // A factor that is no whole number rounds to the nearest millisecond.
  const UtcClock oneAndAHalf = SpedUpClock(1.5, [&real] { return real; });
  const long long start = real;
  real += 3;
  EXPECT_EQ(MillisSinceEpoch(oneAndAHalf()), start + 5);  // 4.5 rounds away from zero
}

}  // namespace
}  // namespace corvane::decoding
