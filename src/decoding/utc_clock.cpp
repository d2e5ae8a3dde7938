// System UTC clock on the standard library's calendar support.
#include "decoding/utc_clock.h"

#include <chrono>
#include <cmath>

namespace corvane::decoding {

UtcTime UtcFromMillis(long long millis) {
  using namespace std::chrono;
  const sys_time<milliseconds> at{milliseconds{millis}};
  const auto day = floor<days>(at);
  const year_month_day date{day};
  const hh_mm_ss time{at - day};
  UtcTime utc;
  utc.year = static_cast<int>(date.year());
  utc.month = static_cast<int>(static_cast<unsigned>(date.month()));
  utc.day = static_cast<int>(static_cast<unsigned>(date.day()));
  utc.hour = static_cast<int>(time.hours().count());
  utc.minute = static_cast<int>(time.minutes().count());
  utc.second = static_cast<int>(time.seconds().count());
  utc.millisecond = static_cast<int>(time.subseconds().count());
  return utc;
}

long long SystemMillisNow() {
  using namespace std::chrono;
  return time_point_cast<milliseconds>(system_clock::now()).time_since_epoch().count();
}

UtcTime SystemUtcNow() { return UtcFromMillis(SystemMillisNow()); }

long long MillisSinceEpoch(const UtcTime& utc) {
  using namespace std::chrono;
  const year_month_day date{year{utc.year}, month{static_cast<unsigned>(utc.month)},
                            day{static_cast<unsigned>(utc.day)}};
  const auto midnight = sys_days{date}.time_since_epoch();
  return duration_cast<milliseconds>(midnight + hours{utc.hour} + minutes{utc.minute} + seconds{utc.second}).count() +
         utc.millisecond;
}

UtcClock SpedUpClock(double factor, const std::function<long long()>& realMillis) {
  const long long start = realMillis();
  return [factor, start, realMillis] {
    // The real time passed, scaled; a double holds whole milliseconds exactly
    // up to 2^53, some 285,000 years.
    const auto passed = static_cast<double>(realMillis() - start) * factor;
    return UtcFromMillis(start + std::llround(passed));
  };
}

}  // namespace corvane::decoding
