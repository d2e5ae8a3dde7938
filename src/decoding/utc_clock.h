// The UTC clock the message path reads once per record. It is injected so that
// tests and the batch decoder can fix the time; the default reads the system
// clock in UTC with milliseconds.
#pragma once

#include <functional>

namespace corvane::decoding {

struct UtcTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

using UtcClock = std::function<UtcTime()>;

// The current system time in UTC.
UtcTime SystemUtcNow();

// Milliseconds since 1970-01-01 00:00 UTC.
long long MillisSinceEpoch(const UtcTime& utc);

}  // namespace corvane::decoding
