// The aircraft table and today's tallies.
#include "adsb/aircraft_table.h"

#include <algorithm>

#include "adsb/n_number.h"

namespace corvane::adsb {

namespace {

constexpr UtcMillis kDay = 86'400'000;

long long DayOf(UtcMillis utc) { return utc >= 0 ? utc / kDay : (utc - kDay + 1) / kDay; }

UtcMillis SecondsBefore(UtcMillis now, double seconds) { return now - static_cast<UtcMillis>(seconds * 1000.0); }

std::string WithoutDots(std::string_view address) {
  std::string text;
  for (const char c : address) {
    if (c != '.' && c != ' ') {
      text += c;
    }
  }
  return text;
}

// The newer of two positions.
std::optional<Fix> Newer(const std::optional<Fix>& a, const std::optional<Fix>& b) {
  if (!a) {
    return b;
  }
  return b && b->at > a->at ? b : a;
}

// The search that lists a tally's messages: registration and address
// matches by the tail, callsign matches by the flight the messages carry.
std::string SearchOf(const std::string& field, const std::string& value) {
  const bool plain =
      value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-") == std::string::npos;
  return field + ":" + (plain ? value : "\"" + value + "\"");
}

}  // namespace

std::string RegistrationKey(std::string_view registration) {
  std::string key;
  for (const char c : registration) {
    if (c != '.' && c != '-' && c != ' ') {
      key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
  }
  return key;
}

AircraftTable::AircraftTable(CallsignOfFlightFn callsignOf) : callsignOf_(std::move(callsignOf)) {}

void AircraftTable::TakeFeed(const FeedSnapshot& snapshot, UtcMillis now) {
  const bool written = !snapshot.now || !lastFeedNow_ || *snapshot.now != *lastFeedNow_;
  lastFeedNow_ = snapshot.now;
  if (written) {
    for (const FeedAircraft& feed : snapshot.aircraft) {
      Heard& heard = aircraft_[feed.address];
      const std::optional<std::string> callsign = feed.callsign ? feed.callsign : heard.feed.callsign;
      const std::optional<std::string> registration = feed.registration ? feed.registration : heard.feed.registration;
      heard.feed = feed;
      heard.feed.callsign = callsign;
      heard.feed.registration = registration;
      heard.seen = std::max(heard.seen, SecondsBefore(now, feed.age));
      if (feed.latitude && feed.longitude) {
        heard.position = Newer(heard.position, Fix{*feed.latitude, *feed.longitude,
                                                   SecondsBefore(now, feed.positionAge.value_or(feed.age))});
      }
    }
  }
  AgeOut(now);
}

void AircraftTable::AgeOut(UtcMillis now) {
  std::erase_if(aircraft_, [now](const auto& entry) { return now - entry.second.seen > kAircraftLifetime; });
}

void AircraftTable::StartDay(long long day) {
  if (day == day_) {
    return;
  }
  day_ = day;
  byRegistration_.clear();
  byAddress_.clear();
  byCallsign_.clear();
}

void AircraftTable::TakeMessage(const MessageFacts& facts) {
  const long long day = DayOf(facts.utc);
  if (day < day_) {
    return;  // a message of yesterday, late: not today's
  }
  StartDay(day);
  std::optional<Fix> position;
  if (facts.latitude && facts.longitude) {
    position = Fix{*facts.latitude, *facts.longitude, facts.utc};
  }
  const std::string registration = WithoutDots(facts.address);
  const auto tally = [&](Tally& entry) {
    ++entry.count;
    entry.registration = registration.empty() ? entry.registration : registration;
    entry.flight = facts.flight.empty() ? entry.flight : facts.flight;
    entry.position = Newer(entry.position, position);
  };
  if (const std::string key = RegistrationKey(registration); !key.empty()) {
    tally(byRegistration_[key]);
    if (const auto address = AddressOfNNumber(key)) {
      byAddress_[*address] = key;
    }
  }
  if (const auto callsign = facts.flight.empty() ? std::nullopt : callsignOf_(facts.flight)) {
    tally(byCallsign_[*callsign]);
  }
}

std::optional<std::pair<const AircraftTable::Tally*, MatchKind>> AircraftTable::MatchOf(const Heard& heard) const {
  if (heard.feed.registration) {
    if (const auto found = byRegistration_.find(RegistrationKey(*heard.feed.registration));
        found != byRegistration_.end()) {
      return std::pair{&found->second, MatchKind::Registration};
    }
  }
  if (const auto key = byAddress_.find(heard.feed.address); key != byAddress_.end()) {
    return std::pair{&byRegistration_.at(key->second), MatchKind::Address};
  }
  if (heard.feed.callsign) {
    if (const auto found = byCallsign_.find(*heard.feed.callsign); found != byCallsign_.end()) {
      return std::pair{&found->second, MatchKind::Callsign};
    }
  }
  return std::nullopt;
}

AircraftView AircraftTable::ViewOf(std::uint32_t address, const Heard& heard, long long today) const {
  AircraftView view;
  view.address = address;
  view.registration = heard.feed.registration;
  view.callsign = heard.feed.callsign;
  view.position = heard.position;
  view.altitudeFt = heard.feed.altitudeFt;
  view.track = heard.feed.track;
  view.groundSpeedKt = heard.feed.groundSpeedKt;
  view.seen = heard.seen;
  const auto match = today == day_ ? MatchOf(heard) : std::nullopt;
  if (!match) {
    return view;
  }
  const auto& [tally, kind] = *match;
  view.messagesToday = tally->count;
  view.matchedBy = kind;
  if (!view.registration && !tally->registration.empty()) {
    view.registration = tally->registration;
  }
  view.position = Newer(view.position, tally->position);
  view.search = kind == MatchKind::Callsign ? SearchOf("flight", tally->flight) : SearchOf("tail", tally->registration);
  return view;
}

std::vector<AircraftView> AircraftTable::Aircraft(UtcMillis now) const {
  std::vector<AircraftView> views;
  views.reserve(aircraft_.size());
  for (const auto& [address, heard] : aircraft_) {
    if (now - heard.seen <= kAircraftLifetime) {
      views.push_back(ViewOf(address, heard, DayOf(now)));
    }
  }
  std::sort(views.begin(), views.end(),
            [](const AircraftView& a, const AircraftView& b) { return a.address < b.address; });
  return views;
}

}  // namespace corvane::adsb
