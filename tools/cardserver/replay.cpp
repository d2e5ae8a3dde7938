// Capture replay: reading the capture file, the delays between records, and
// the timed and fast ways of handing the records out.
#include "cardserver/replay.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "capture/capture.h"

namespace corvane::cardserver {

namespace {

// Records handed out in one turn of the event loop when replaying fast.
constexpr int kFastBatch = 64;
constexpr std::int64_t kLongestTimerMs = 24LL * 3600 * 1000;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysSinceEpoch(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

}  // namespace

std::int64_t MillisecondsSinceEpoch(const decoding::UtcTime& time) {
  const std::int64_t seconds =
      DaysSinceEpoch(time.year, time.month, time.day) * 86400 + time.hour * 3600LL + time.minute * 60LL + time.second;
  return seconds * 1000 + time.millisecond;
}

std::int64_t ReplayDelayMs(std::int64_t fromMs, std::int64_t toMs, double speed) {
  const std::int64_t gap = std::clamp<std::int64_t>(toMs - fromMs, 0, kLongestGapMs);
  const double scaled = std::round(static_cast<double>(gap) / speed);
  return static_cast<std::int64_t>(std::min(scaled, static_cast<double>(kLongestTimerMs)));
}

std::optional<std::vector<TimedRecord>> LoadCapture(const std::string& path, const Logger& log, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  std::vector<TimedRecord> records;
  long number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
      continue;
    }
    std::string why;
    auto record = capture::ParseCaptureLine(line, why);
    if (!record) {
      log(path + ":" + std::to_string(number) + ": line skipped: " + why);
      continue;
    }
    records.push_back({MillisecondsSinceEpoch(record->utc), std::move(record->txt), std::move(record->facts)});
  }
  if (records.empty()) {
    error = path + " holds no record";
    return std::nullopt;
  }
  return records;
}

CaptureReplay::CaptureReplay(ReplayPlan plan, Deliver deliver, Ready ready, QObject* parent)
    : QObject(parent), plan_(std::move(plan)), deliver_(std::move(deliver)), ready_(std::move(ready)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CaptureReplay::DeliverDue);
}

void CaptureReplay::Start() {
  if (started_) {
    return;
  }
  started_ = true;
  if (plan_.records.empty()) {
    finished_ = true;
    emit finished();
    return;
  }
  if (plan_.fast) {
    QueuePump();
    return;
  }
  clock_.start();
  dueMs_ = 0;
  timer_.start(0);
}

void CaptureReplay::Resume() {
  if (plan_.fast && started_ && !finished_) {
    QueuePump();
  }
}

// Timed replay: one record now, the next one at its time from the start.
void CaptureReplay::DeliverDue() {
  deliver_(plan_.records[next_]);
  if (!Advance()) {
    return;
  }
  dueMs_ += DelayBeforeNext();
  timer_.start(static_cast<int>(std::clamp<std::int64_t>(dueMs_ - clock_.elapsed(), 0, kLongestTimerMs)));
}

// Fast replay: records while the clients take them, a batch per turn.
void CaptureReplay::Pump() {
  pumpQueued_ = false;
  for (int n = 0; n < kFastBatch; ++n) {
    if (finished_) {
      return;
    }
    waiting_ = !ready_();
    if (waiting_) {
      return;
    }
    deliver_(plan_.records[next_]);
    if (!Advance()) {
      return;
    }
  }
  QueuePump();
}

void CaptureReplay::QueuePump() {
  if (!pumpQueued_) {
    pumpQueued_ = true;
    QTimer::singleShot(0, this, &CaptureReplay::Pump);
  }
}

// Moves to the next record; false when the capture is over.
bool CaptureReplay::Advance() {
  if (++next_ < plan_.records.size()) {
    return true;
  }
  if (plan_.loop) {
    next_ = 0;
    return true;
  }
  finished_ = true;
  emit finished();
  return false;
}

std::int64_t CaptureReplay::DelayBeforeNext() const {
  if (next_ == 0) {
    return ReplayDelayMs(0, kLoopPauseMs, plan_.speed);
  }
  return ReplayDelayMs(plan_.records[next_ - 1].utcMs, plan_.records[next_].utcMs, plan_.speed);
}

}  // namespace corvane::cardserver
