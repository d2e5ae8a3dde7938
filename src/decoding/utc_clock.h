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

// The UTC time millis milliseconds after 1970-01-01 00:00 UTC (the inverse
// of MillisSinceEpoch).
UtcTime UtcFromMillis(long long millis);

// The current system time in milliseconds since 1970-01-01 00:00 UTC.
long long SystemMillisNow();

// A clock that reads realMillis()'s time at its making and from then on runs
// factor times as fast (1440: a day passes in a real minute), so that a
// station's days can be lived through in a short run. It keeps only what is
// fixed at its making: any thread may read it, and its copies agree.
UtcClock SpedUpClock(double factor, const std::function<long long()>& realMillis = SystemMillisNow);

}  // namespace corvane::decoding
