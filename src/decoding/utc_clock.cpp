// System UTC clock on the standard library's calendar support.
#include "decoding/utc_clock.h"

#include <chrono>

namespace corvane::decoding {

UtcTime SystemUtcNow() {
  using namespace std::chrono;
  const auto now = time_point_cast<milliseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
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

long long MillisSinceEpoch(const UtcTime& utc) {
  using namespace std::chrono;
  const year_month_day date{year{utc.year}, month{static_cast<unsigned>(utc.month)},
                            day{static_cast<unsigned>(utc.day)}};
  const auto midnight = sys_days{date}.time_since_epoch();
  return duration_cast<milliseconds>(midnight + hours{utc.hour} + minutes{utc.minute} + seconds{utc.second}).count() +
         utc.millisecond;
}

}  // namespace corvane::decoding
