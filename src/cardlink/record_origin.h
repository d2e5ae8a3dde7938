// Where a card text record came from: this receiver's own card, or another
// receiver whose LiveJSON object a card server relayed (from a broker it
// follows). Receivers use it to keep a station network free of loops: a
// record this station sent out that comes back is dropped and counted.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>

#include "reception/reception_facts.h"

namespace corvane::cardlink {

// Empty station and 0 hops: heard by this receiver's own card. A relayed
// record names the station that first heard it (UTF-8; empty when the
// object did not say), how many receivers it has passed, and the identity
// that station gave the message (empty when none came with it).
struct RecordOrigin {
  std::string station;
  int hops = 0;
  std::string id = {};
  // What the SDR decoder that heard the record knew of it; none for a card's.
  reception::ReceptionFacts facts = {};

  [[nodiscard]] bool Relayed() const { return !station.empty() || hops > 0; }
};

// Records dropped for one reason, said at the first one at once, then at
// most once a minute with how many were dropped since the last report:
// "relay: N messages <what> and were dropped".
class DroppedRecords {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kReportEvery = std::chrono::seconds(60);

  explicit DroppedRecords(std::string what) : what_(std::move(what)) {}
  void Count() {
    ++unreported_;
    ++total_;
  }
  std::optional<std::string> Report(Clock::time_point now);
  [[nodiscard]] long long Total() const { return total_; }

 private:
  std::string what_;
  long long unreported_ = 0;
  long long total_ = 0;
  std::optional<Clock::time_point> lastReport_;
};

// Counts the relayed records that this station itself sent out and says so.
class ReturnedRecords {
 public:
  using Clock = DroppedRecords::Clock;

  explicit ReturnedRecords(std::string ownStation = {}) : own_(std::move(ownStation)) {}
  void SetOwnStation(std::string station) { own_ = std::move(station); }

  // True, and counted, when the record is one this station sent out.
  bool CameBack(const RecordOrigin& origin);

  // "relay: N messages this station sent came back from the broker and were
  // dropped" when one is due at now: the first, or a minute after the last.
  std::optional<std::string> Report(Clock::time_point now = Clock::now()) { return dropped_.Report(now); }

  [[nodiscard]] long long Total() const { return dropped_.Total(); }

 private:
  std::string own_;
  DroppedRecords dropped_{"this station sent came back from the broker"};
};

// Relayed records whose message came before: a broker that delivers a
// message twice (at QoS 1 it may), or two relays of one station's traffic.
// The identities of the last kRemembered relayed messages are kept; a record
// without an identity is never taken for a repeat.
class RepeatedRecords {
 public:
  using Clock = DroppedRecords::Clock;
  static constexpr std::size_t kRemembered = 65536;

  // True, and counted, when a record of the same identity came before;
  // otherwise the identity is remembered.
  bool CameBefore(const RecordOrigin& origin);
  std::optional<std::string> Report(Clock::time_point now = Clock::now()) { return dropped_.Report(now); }
  [[nodiscard]] long long Total() const { return dropped_.Total(); }

 private:
  std::unordered_set<std::string> seen_;
  std::deque<std::string> order_;  // oldest first, to forget the oldest
  DroppedRecords dropped_{"came again (delivered twice, or by two relays)"};
};

}  // namespace corvane::cardlink
