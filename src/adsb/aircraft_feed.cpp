// Reading aircraft.json with nlohmann/json, one aircraft at a time, so that
// one odd entry costs only itself.
#include "adsb/aircraft_feed.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace corvane::adsb {

namespace {

using Json = nlohmann::json;

std::optional<double> Number(const Json& object, const char* name) {
  const auto found = object.find(name);
  if (found == object.end() || !found->is_number()) {
    return std::nullopt;
  }
  const double value = found->get<double>();
  return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<std::string> TrimmedText(const Json& object, const char* name) {
  const auto found = object.find(name);
  if (found == object.end() || !found->is_string()) {
    return std::nullopt;
  }
  const std::string& text = found->get_ref<const std::string&>();
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return std::nullopt;
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::uint32_t> AddressOf(const Json& object) {
  const auto hex = TrimmedText(object, "hex");
  if (!hex || hex->size() != 6) {
    return std::nullopt;
  }
  std::uint32_t address = 0;
  const auto [end, error] = std::from_chars(hex->data(), hex->data() + hex->size(), address, 16);
  return error == std::errc() && end == hex->data() + hex->size() ? std::optional(address) : std::nullopt;
}

// "alt_baro" (readsb) or "altitude" (dump1090-mutability): feet, or "ground".
void ReadAltitude(const Json& object, FeedAircraft& aircraft) {
  for (const char* name : {"alt_baro", "altitude"}) {
    const auto found = object.find(name);
    if (found == object.end()) {
      continue;
    }
    if (found->is_string() && found->get_ref<const std::string&>() == "ground") {
      aircraft.onGround = true;
      return;
    }
    if (auto feet = Number(object, name)) {
      aircraft.altitudeFt = feet;
      return;
    }
  }
}

// A position needs both halves in range.
void ReadPosition(const Json& object, FeedAircraft& aircraft) {
  const auto latitude = Number(object, "lat");
  const auto longitude = Number(object, "lon");
  if (!latitude || !longitude || std::abs(*latitude) > 90 || std::abs(*longitude) > 180) {
    return;
  }
  aircraft.latitude = latitude;
  aircraft.longitude = longitude;
  aircraft.positionAge = std::max(0.0, Number(object, "seen_pos").value_or(0));
}

std::optional<FeedAircraft> AircraftOf(const Json& object) {
  if (!object.is_object()) {
    return std::nullopt;
  }
  const auto address = AddressOf(object);
  if (!address) {
    return std::nullopt;
  }
  FeedAircraft aircraft;
  aircraft.address = *address;
  aircraft.callsign = TrimmedText(object, "flight");
  aircraft.registration = TrimmedText(object, "r");
  ReadPosition(object, aircraft);
  ReadAltitude(object, aircraft);
  aircraft.track = Number(object, "track");
  aircraft.groundSpeedKt = Number(object, "gs");
  if (!aircraft.groundSpeedKt) {
    aircraft.groundSpeedKt = Number(object, "speed");
  }
  aircraft.age = std::max(0.0, Number(object, "seen").value_or(0));
  return aircraft;
}

}  // namespace

std::optional<FeedSnapshot> ParseAircraftJson(std::string_view text) {
  const Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) {
    return std::nullopt;
  }
  const auto list = document.find("aircraft");
  if (list == document.end() || !list->is_array()) {
    return std::nullopt;
  }
  FeedSnapshot snapshot;
  snapshot.now = Number(document, "now");
  for (const Json& entry : *list) {
    if (auto aircraft = AircraftOf(entry)) {
      snapshot.aircraft.push_back(std::move(*aircraft));
    }
  }
  return snapshot;
}

}  // namespace corvane::adsb
