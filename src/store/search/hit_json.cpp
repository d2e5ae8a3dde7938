// A search hit written as one JSON object on one line.
#include "store/search/hit_json.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "decoding/latin1_text.h"

namespace corvane::store::search {

namespace {

// What the decoder knew, under the names LiveJSON gives it.
nlohmann::json ReceptionJson(const reception::ReceptionFacts& facts) {
  nlohmann::json object = nlohmann::json::object();
  const auto put = [&object](std::string_view name, const auto& value) { object[std::string(name)] = value; };
  reception::ForEachKnownFact(facts, put, put);
  return object;
}

}  // namespace

std::string HitJsonLine(const SearchHit& hit) {
  using Json = nlohmann::json;
  const auto& r = hit.record;
  Json line = Json::object();
  const std::pair<const char*, const std::string*> columns[] = {
      {"Date", &r.Date},   {"Hour", &r.Hour}, {"Mode", &r.Mode}, {"Address", &r.Address}, {"Flight", &r.Flight},
      {"Label", &r.Label}, {"Bloc", &r.Bloc}, {"Msn", &r.Msn},   {"Data", &r.Data}};
  for (const auto& [name, value] : columns) {
    line[name] = decoding::Latin1ToUtf8(*value);
  }
  line["Station"] = hit.station;
  if (hit.blocks > 0) {
    line["Blocks"] = hit.blocks;
    line["WholeText"] = decoding::Latin1ToUtf8(hit.wholeText);
  }
  PutStoredJson(line, "readable", hit.readable);
  PutStoredJson(line, "alerts", hit.alerts);
  if (!hit.facts.Empty()) {
    line["reception"] = ReceptionJson(hit.facts);
  }
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void PutStoredJson(nlohmann::json& object, const char* key, const std::string& text) {
  if (text.empty()) {
    return;
  }
  // Parsed without exceptions: a text that does not parse comes back as a
  // "discarded" value, which would dump as no JSON at all.
  nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
  if (!value.is_discarded()) {
    object[key] = std::move(value);
  }
}

}  // namespace corvane::store::search
