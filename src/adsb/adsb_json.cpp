// Writing /api/adsb's answer.
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

// The answer is written member by member into one string: at a thousand
// aircraft, building a document of thirteen thousand values first cost
// several times as much. nlohmann/json still writes each text (its escapes,
// and bytes that are not UTF-8 replaced).
class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  Writer& Key(std::string_view key) {
    out_ += first_ ? "\"" : ",\"";
    first_ = false;
    out_ += key;
    out_ += "\":";
    return *this;
  }
  void Null() { out_ += "null"; }
  void Bool(bool value) { out_ += value ? "true" : "false"; }
  void Number(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    out_.append(text, written.ptr);
  }
  void MaybeNumber(const std::optional<double>& value) { value ? Number(*value) : Null(); }
  void Text(std::string_view text) { out_ += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace); }
  void MaybeText(const std::optional<std::string>& text) { text ? Text(*text) : Null(); }
  // The members written inside next go in an object of their own.
  template <typename Members>
  void Object(Members&& members) {
    out_ += '{';
    Writer inner(out_);
    members(inner);
    out_ += '}';
  }

 private:
  std::string& out_;
  bool first_ = true;
};

// Seconds to a tenth, never below 0 (a decoder's clock a little ahead).
double SecondsAgo(UtcMillis now, UtcMillis then) {
  return std::round(static_cast<double>(std::max<UtcMillis>(0, now - then)) / 100.0) / 10.0;
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

void WriteAircraft(Writer& out, const AircraftView& view, UtcMillis now) {
  const auto& position = view.position;
  out.Key("hex").Text(Hex(view.address));
  out.Key("registration").MaybeText(view.registration);
  out.Key("callsign").MaybeText(view.callsign);
  out.Key("lat").MaybeNumber(position ? std::optional(position->latitude) : std::nullopt);
  out.Key("lon").MaybeNumber(position ? std::optional(position->longitude) : std::nullopt);
  out.Key("altitudeFt").MaybeNumber(view.altitudeFt);
  out.Key("track").MaybeNumber(view.track);
  out.Key("groundSpeedKt").MaybeNumber(view.groundSpeedKt);
  out.Key("seenSecondsAgo").Number(SecondsAgo(now, view.seen));
  out.Key("positionSecondsAgo").MaybeNumber(position ? std::optional(SecondsAgo(now, position->at)) : std::nullopt);
  out.Key("messagesToday").Number(static_cast<double>(view.messagesToday));
  out.Key("matchedBy");
  view.matchedBy ? out.Text(MatchName(*view.matchedBy)) : out.Null();
  out.Key("search").MaybeText(view.search);
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
  std::string json;
  json.reserve(256 + answer.aircraft.size() * 300);
  Writer(json).Object([&](Writer& out) {
    out.Key("enabled").Bool(!answer.source.empty());
    out.Key("source").Text(answer.source);
    out.Key("station");
    if (answer.station) {
      out.Object([&](Writer& station) {
        station.Key("lat").Number(answer.station->latitude);
        station.Key("lon").Number(answer.station->longitude);
      });
    } else {
      out.Null();
    }
    out.Key("now").Text(IsoTime(answer.now));
    out.Key("aircraft");
    json += '[';
    for (std::size_t i = 0; i < answer.aircraft.size(); ++i) {
      json += i == 0 ? "" : ",";
      Writer(json).Object([&](Writer& aircraft) { WriteAircraft(aircraft, answer.aircraft[i], answer.now); });
    }
    json += ']';
  });
  return json;
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
