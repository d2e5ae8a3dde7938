// Writing /api/adsb's answer with nlohmann/json.
#include "adsb/adsb_json.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <nlohmann/json.hpp>

namespace corvane::adsb {

namespace {

using Json = nlohmann::json;

std::string IsoTime(UtcMillis utc) {
  const auto seconds = static_cast<std::time_t>(utc / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(utc % 1000));
  return text;
}

// A whole number is written as one (35000, not 35000.0).
Json NumberOrNull(const std::optional<double>& value) {
  if (!value) {
    return nullptr;
  }
  const double rounded = std::round(*value);
  return rounded == *value && std::abs(rounded) < 1e15 ? Json(static_cast<long long>(rounded)) : Json(*value);
}

Json TextOrNull(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

// Seconds to a tenth, never below 0 (a decoder's clock a little ahead).
double SecondsAgo(UtcMillis now, UtcMillis then) {
  return std::round(std::max<UtcMillis>(0, now - then) / 100.0) / 10.0;
}

const char* MatchName(MatchKind kind) {
  switch (kind) {
    case MatchKind::Registration:
      return "registration";
    case MatchKind::Address:
      return "address";
    case MatchKind::Callsign:
      return "callsign";
  }
  return "";
}

std::string Hex(std::uint32_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", address & 0xFFFFFFu);
  return text;
}

Json AircraftJson(const AircraftView& view, UtcMillis now) {
  const auto& position = view.position;
  return {{"hex", Hex(view.address)},
          {"registration", TextOrNull(view.registration)},
          {"callsign", TextOrNull(view.callsign)},
          {"lat", position ? Json(position->latitude) : Json(nullptr)},
          {"lon", position ? Json(position->longitude) : Json(nullptr)},
          {"altitudeFt", NumberOrNull(view.altitudeFt)},
          {"track", NumberOrNull(view.track)},
          {"groundSpeedKt", NumberOrNull(view.groundSpeedKt)},
          {"seenSecondsAgo", SecondsAgo(now, view.seen)},
          {"positionSecondsAgo", position ? Json(SecondsAgo(now, position->at)) : Json(nullptr)},
          {"messagesToday", view.messagesToday},
          {"matchedBy", view.matchedBy ? Json(MatchName(*view.matchedBy)) : Json(nullptr)},
          {"search", TextOrNull(view.search)}};
}

std::optional<double> Degrees(const std::string& text, double largest) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return std::nullopt;
  }
  const std::size_t last = text.find_last_not_of(' ');
  double value = 0;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value) || std::abs(value) > largest) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string AdsbJson(const AdsbAnswer& answer) {
  Json aircraft = Json::array();
  for (const AircraftView& view : answer.aircraft) {
    aircraft.push_back(AircraftJson(view, answer.now));
  }
  Json station = nullptr;
  if (answer.station) {
    station = {{"lat", answer.station->latitude}, {"lon", answer.station->longitude}};
  }
  const Json json = {{"enabled", !answer.source.empty()},
                     {"source", answer.source},
                     {"station", std::move(station)},
                     {"now", IsoTime(answer.now)},
                     {"aircraft", std::move(aircraft)}};
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<StationPosition> StationPositionOf(const std::string& latitude, const std::string& longitude) {
  const auto north = Degrees(latitude, 90);
  const auto east = Degrees(longitude, 180);
  if (!north || !east) {
    return std::nullopt;
  }
  return StationPosition{*north, *east};
}

}  // namespace corvane::adsb
