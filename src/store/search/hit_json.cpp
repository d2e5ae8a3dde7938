// A search hit written as one JSON object on one line.
#include "store/search/hit_json.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "decoding/latin1_text.h"

namespace corvane::store::search {

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
  if (!hit.readable.empty()) {
    line["readable"] = Json::parse(hit.readable, nullptr, false);
  }
  if (!hit.alerts.empty()) {
    line["alerts"] = Json::parse(hit.alerts, nullptr, false);
  }
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace corvane::store::search
