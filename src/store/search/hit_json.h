// The one JSON writer of a search hit as a stored row, used by every output
// that lists search results as rows (corvane-search, the Search window's
// export): the nine stored columns under their column names, the station,
// the readable decoding and the alerts. A message's own JSON (LiveJSON, the
// web API's hits) is written by readable/message_json.h.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "store/search/search.h"

namespace corvane::store::search {

// The hit as one line of JSON, without the line end:
//   {"Date":"261207","Hour":"000014.716",...,"Data":"...","Station":"",
//    "readable":{...},"alerts":[...]}
// Texts carry each card byte as the code point of the same value;
// "readable" and "alerts" are there only when the hit has them, and
// "reception" ({"freq":131.725,"level":-22,"link":"acars",...}, the
// members LiveJSON gives them) only for a message a decoder reported.
std::string HitJsonLine(const SearchHit& hit);

// Puts a JSON text the index keeps beside a message ("readable", "alerts")
// into an answer under `key`. A text that is empty or does not parse (a
// damaged row) is left out, so that it never spoils the answer around it.
void PutStoredJson(nlohmann::json& object, const char* key, const std::string& text);

}  // namespace corvane::store::search
