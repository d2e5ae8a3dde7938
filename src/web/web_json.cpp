// Writing the API's answers.
#include "web/web_json.h"

#include <ctime>
#include <nlohmann/json.hpp>

#include "decoding/latin1_text.h"
#include "readable/message_json.h"
#include "reference/airport_positions.h"
#include "store/search/hit_json.h"

namespace corvane::web {

namespace {

using Json = nlohmann::json;

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

// "2026-12-07T00:00:14.716Z" from milliseconds since 1970.
std::string IsoTime(store::search::UtcMillis utc) {
  const std::time_t seconds = static_cast<std::time_t>(utc / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(utc % 1000));
  return text;
}

// A hit: the message's members as the one writer of a message's JSON
// writes them (as in LiveJSON), plus the row's own id, utc (seconds) and
// kind, and the readable object and alerts the index keeps beside it (a
// message joined from its blocks: "blocks" and "whole_text" too); what the
// decoder knew under the names LiveJSON gives it.
Json MessageOfHit(const store::search::SearchHit& hit) {
  std::string members;
  readable::MessageExtras extras{hit.station};
  extras.blocks = hit.blocks;
  extras.wholeText = hit.wholeText;
  extras.facts = hit.facts.Empty() ? nullptr : &hit.facts;
  readable::AppendMessageJson(readable::FieldsOf(hit.record), extras, members);
  Json message = Json::parse(members);
  message["id"] = hit.id;
  message["utc"] = hit.utc / 1000;
  message["kind"] = hit.kind;
  store::search::PutStoredJson(message, "alerts", hit.alerts);
  store::search::PutStoredJson(message, "readable", hit.readable);
  return message;
}

// The Countries row the decimal ID names; empty when none.
std::string CountryOf(const reference::ReferenceTables& tables, const std::string& id) {
  if (id.empty() || id.size() > 5 || id.find_first_not_of("0123456789") != std::string::npos) {
    return {};
  }
  const std::size_t row = std::stoul(id);
  return row < tables.Countries().size() ? tables.Countries()[row] : std::string();
}

}  // namespace

std::string SearchPageJson(const store::search::SearchPage& page) {
  Json hits = Json::array();
  for (const auto& hit : page.hits) {
    hits.push_back(MessageOfHit(hit));
  }
  Json answer = {{"hits", std::move(hits)}, {"more", page.nextBeforeId.has_value()}};
  if (page.nextBeforeId) {
    answer["next"] = *page.nextBeforeId;
  }
  return Dump(answer);
}

std::string PositionsJson(const std::vector<store::search::PositionRow>& rows) {
  Json positions = Json::array();
  for (const auto& row : rows) {
    positions.push_back({{"id", row.id},
                         {"utc", row.utc / 1000},
                         {"tail", decoding::Latin1ToUtf8(row.tail)},
                         {"flight", decoding::Latin1ToUtf8(row.flight)},
                         {"lat", row.latitude},
                         {"lon", row.longitude},
                         {"alt", row.altitudeFt ? Json(*row.altitudeFt) : Json(nullptr)}});
  }
  return Dump(Json{{"positions", std::move(positions)}});
}

std::string StatisticsJson(const store::search::Statistics& statistics, store::search::UtcMillis from,
                           store::search::UtcMillis to, const reference::ReferenceTables* tables,
                           const std::string& ownStation) {
  constexpr store::search::UtcMillis kHour = 3'600'000;
  Json hours = Json::array();
  auto counted = statistics.byHour.begin();
  for (store::search::UtcMillis hour = from - from % kHour; hour < to; hour += kHour) {
    std::uint64_t count = 0;
    for (; counted != statistics.byHour.end() && counted->key <= hour; ++counted) {
      count += counted->key == hour ? counted->count : 0;
    }
    hours.push_back({{"key", IsoTime(hour).substr(0, 13)}, {"count", count}});
  }
  const auto list = [](const std::vector<store::search::Counted<std::string>>& counts, auto&& keyOf) {
    Json out = Json::array();
    for (const auto& entry : counts) {
      out.push_back({{"key", keyOf(entry.key)}, {"count", entry.count}});
    }
    return out;
  };
  const auto bytes = [](const std::string& key) { return decoding::Latin1ToUtf8(key); };
  Json labels = list(statistics.byLabel, bytes);
  for (auto& label : labels) {
    if (tables != nullptr) {
      label["name"] = decoding::Latin1ToUtf8(tables->LabelDescription(label["key"].get<std::string>()));
    }
  }
  return Dump(Json{
      {"from", from / 1000},
      {"to", to / 1000},
      {"byHour", std::move(hours)},
      {"byLabel", std::move(labels)},
      {"byKind", list(statistics.byKind, [](const std::string& key) { return key; })},
      {"byStation", list(statistics.byStation, [&](const std::string& key) { return key.empty() ? ownStation : key; })},
      {"byAircraft", list(statistics.topAircraft, bytes)},
      {"byFrequency", list(statistics.byFrequency, [](const std::string& key) { return key; })},
      {"byLink", list(statistics.byLink, [](const std::string& key) { return key; })}});
}

std::string CountJson(std::uint64_t count) { return Dump(Json{{"count", count}}); }

std::string AirportsJson(const reference::ReferenceTables& tables) {
  Json airports = Json::array();
  for (const reference::AirportRow& row : tables.Airports()) {
    if (const auto position = reference::AirportPositionOf(row.code)) {
      airports.push_back({{"code", decoding::Latin1ToUtf8(row.code)},
                          {"name", decoding::Latin1ToUtf8(row.name)},
                          {"country", decoding::Latin1ToUtf8(CountryOf(tables, row.countryId))},
                          {"lat", position->latitude},
                          {"lon", position->longitude}});
    }
  }
  return Dump(Json{{"airports", std::move(airports)}});
}

std::string ErrorJson(const std::string& message) { return Dump(Json{{"error", message}}); }

}  // namespace corvane::web
