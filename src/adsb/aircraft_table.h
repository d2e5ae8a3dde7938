// The aircraft an ADS-B decoder hears, with the ACARS messages each one
// sent today. The feed (aircraft_feed.h) brings and refreshes aircraft; an
// aircraft not heard for 60 seconds leaves. Every accepted message is
// tallied for its UTC day under its registration and its flight, and an
// aircraft finds its tally by, in this order:
//   registration  the feed's registration (readsb's "r") is the message's
//   address       the message's registration is an N-number whose
//                 computed address (n_number.h) is the aircraft's
//   callsign      the message's flight, as an ICAO callsign
//                 (flight_callsign.h), is the aircraft's callsign
// A matched message's position, when newer than the feed's, is shown as
// the aircraft's.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "adsb/aircraft_feed.h"

namespace corvane::adsb {

// Milliseconds since 1970-01-01T00:00:00Z.
using UtcMillis = long long;

inline constexpr UtcMillis kAircraftLifetime = 60'000;

// What the table needs of an accepted ACARS message.
struct MessageFacts {
  std::string address;             // the registration as received, leading dots kept (".N123AB")
  std::string flight;              // "BA0123"
  UtcMillis utc = 0;               // when it was received
  std::optional<double> latitude;  // the position its text carries
  std::optional<double> longitude;
};

enum class MatchKind { Registration, Address, Callsign };

// A position and when it held.
struct Fix {
  double latitude = 0;
  double longitude = 0;
  UtcMillis at = 0;
};

// One aircraft as the page lists it.
struct AircraftView {
  std::uint32_t address = 0;
  std::optional<std::string> registration;  // the feed's, else that of the messages matched
  std::optional<std::string> callsign;
  std::optional<Fix> position;
  std::optional<double> altitudeFt;
  std::optional<double> track;
  std::optional<double> groundSpeedKt;
  UtcMillis seen = 0;  // the last update of any kind
  std::uint64_t messagesToday = 0;
  std::optional<MatchKind> matchedBy;
  std::optional<std::string> search;  // the search that lists those messages
};

// The ICAO callsign a message's flight is flown under; nothing when unknown.
using CallsignOfFlightFn = std::function<std::optional<std::string>(std::string_view flight)>;

class AircraftTable {
 public:
  explicit AircraftTable(CallsignOfFlightFn callsignOf);

  // One reading of the feed at now. A file the decoder has not written
  // again since the last reading (the same "now") brings nothing new, so
  // that the aircraft of a stopped decoder age out.
  void TakeFeed(const FeedSnapshot& snapshot, UtcMillis now);
  // One accepted message, tallied for the UTC day of facts.utc.
  void TakeMessage(const MessageFacts& facts);
  // The aircraft heard in the last 60 seconds, each with today's messages.
  [[nodiscard]] std::vector<AircraftView> Aircraft(UtcMillis now) const;
  [[nodiscard]] std::size_t Size() const { return aircraft_.size(); }

 private:
  // Today's messages under one registration or one callsign.
  struct Tally {
    std::uint64_t count = 0;
    std::string registration;  // as the last message carried it, dots left out
    std::string flight;        // as the last message carried it
    std::optional<Fix> position;
  };
  struct Heard {
    FeedAircraft feed;
    UtcMillis seen = 0;
    std::optional<Fix> position;
  };

  void AgeOut(UtcMillis now);
  void StartDay(long long day);
  [[nodiscard]] std::optional<std::pair<const Tally*, MatchKind>> MatchOf(const Heard& heard) const;
  [[nodiscard]] AircraftView ViewOf(std::uint32_t address, const Heard& heard, long long today) const;

  CallsignOfFlightFn callsignOf_;
  std::unordered_map<std::uint32_t, Heard> aircraft_;
  std::optional<double> lastFeedNow_;
  long long day_ = -1;                                        // the UTC day the tallies count
  std::unordered_map<std::string, Tally> byRegistration_;     // key: RegistrationKey
  std::unordered_map<std::uint32_t, std::string> byAddress_;  // N-number address -> registration key
  std::unordered_map<std::string, Tally> byCallsign_;
};

// A registration compared: upper case, without dots, dashes or blanks.
std::string RegistrationKey(std::string_view registration);

}  // namespace corvane::adsb
