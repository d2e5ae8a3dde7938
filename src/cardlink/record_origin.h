// Where a card text record came from: this receiver's own card, or another
// receiver whose LiveJSON object a card server relayed (from a broker it
// follows). Receivers use it to keep a station network free of loops: a
// record this station sent out that comes back is dropped and counted.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace corvane::cardlink {

// Empty station and 0 hops: heard by this receiver's own card. A relayed
// record names the station that first heard it (UTF-8; empty when the
// object did not say) and how many receivers it has passed.
struct RecordOrigin {
  std::string station;
  int hops = 0;

  [[nodiscard]] bool Relayed() const { return !station.empty() || hops > 0; }
};

// Counts the relayed records that this station itself sent out and says so:
// at the first one at once, then at most once a minute with how many came
// back since the last report.
class ReturnedRecords {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kReportEvery = std::chrono::seconds(60);

  explicit ReturnedRecords(std::string ownStation = {}) : own_(std::move(ownStation)) {}
  void SetOwnStation(std::string station) { own_ = std::move(station); }

  // True, and counted, when the record is one this station sent out.
  bool CameBack(const RecordOrigin& origin);

  // "relay: N messages this station sent came back from the broker and were
  // dropped" when one is due at now: the first, or a minute after the last.
  std::optional<std::string> Report(Clock::time_point now = Clock::now());

  [[nodiscard]] long long Total() const { return total_; }

 private:
  std::string own_;
  long long unreported_ = 0;
  long long total_ = 0;
  std::optional<Clock::time_point> lastReport_;
};

}  // namespace corvane::cardlink
