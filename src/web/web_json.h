// The JSON the page's API answers with. A stored message has the members of
// its LiveJSON object (mode, address, label, block, msn, flight, text,
// time, station, alerts, readable) plus id, utc (seconds) and kind, so the
// page reads the live feed and every list the same way. Card bytes travel
// as the code points of the same value, as everywhere Corvane writes JSON.
#pragma once

#include <string>
#include <vector>

#include "reference/reference_tables.h"
#include "store/search/search.h"

namespace corvane::web {

// {"hits":[...],"more":true,"next":123} ("next" only when there is more).
std::string SearchPageJson(const store::search::SearchPage& page);
// {"count":N}
std::string CountJson(std::uint64_t count);
// {"airports":[{"code","name","country","lat","lon"}...]}: the airports of
// the tables whose position is known.
std::string AirportsJson(const reference::ReferenceTables& tables);
// {"error":"..."}
std::string ErrorJson(const std::string& message);

}  // namespace corvane::web
