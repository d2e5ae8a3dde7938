// Replaying a capture file into the card server: with the capture's own
// timing (sped up or slowed down), or as fast as the clients take it, once or
// in a loop.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cardserver/log.h"
#include "decoding/utc_clock.h"
#include "reception/reception_facts.h"

namespace corvane::cardserver {

// Silences in a capture longer than this are replayed as this long.
inline constexpr std::int64_t kLongestGapMs = 10'000;
// The pause between the end of a looped capture and its start again.
inline constexpr std::int64_t kLoopPauseMs = 1'000;

struct TimedRecord {
  std::int64_t utcMs = 0;                // milliseconds since 1970-01-01 UTC
  std::string txt;                       // the card text record
  reception::ReceptionFacts facts = {};  // what a decoder's message says of its reception
};

std::int64_t MillisecondsSinceEpoch(const decoding::UtcTime& time);

// How long to wait between two records received at fromMs and toMs.
std::int64_t ReplayDelayMs(std::int64_t fromMs, std::int64_t toMs, double speed);

// The records of a capture file. Lines that cannot be read are skipped, each
// logged with its line number. Nothing (with the reason) when the file cannot
// be opened or holds no record.
std::optional<std::vector<TimedRecord>> LoadCapture(const std::string& path, const Logger& log, std::string& error);

struct ReplayPlan {
  std::vector<TimedRecord> records;
  double speed = 1.0;
  bool fast = false;  // ignore the timing, go as fast as the clients take it
  bool loop = false;
};

class CaptureReplay : public QObject {
  Q_OBJECT

 public:
  using Deliver = std::function<void(const TimedRecord&)>;
  using Ready = std::function<bool()>;

  // deliver hands a record to the clients; ready says whether they can take
  // another one now (asked only when replaying fast).
  CaptureReplay(ReplayPlan plan, Deliver deliver, Ready ready, QObject* parent = nullptr);

  // Starts the replay; later calls do nothing.
  void Start();
  // Tells a fast replay waiting on its clients to look again.
  void Resume();

  [[nodiscard]] bool Started() const { return started_; }
  [[nodiscard]] bool Finished() const { return finished_; }
  [[nodiscard]] bool Looping() const { return plan_.loop; }
  // A fast replay stopped because the clients are not taking records.
  [[nodiscard]] bool WaitingForClients() const { return waiting_; }

 signals:
  void finished();

 private:
  void DeliverDue();
  void Pump();
  void QueuePump();
  bool Advance();
  std::int64_t DelayBeforeNext() const;

  ReplayPlan plan_;
  Deliver deliver_;
  Ready ready_;
  std::size_t next_ = 0;
  bool started_ = false;
  bool finished_ = false;
  bool waiting_ = false;
  bool pumpQueued_ = false;
  QTimer timer_;
  QElapsedTimer clock_;
  std::int64_t dueMs_ = 0;
};

}  // namespace corvane::cardserver
