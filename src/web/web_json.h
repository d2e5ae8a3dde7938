// The JSON the page's API answers with. A stored message has the members of
// its LiveJSON object (mode, address, label, block, msn, flight, text,
// time, station, alerts, readable) plus id, utc (seconds) and kind, so the
// page reads the live feed and every list the same way. Card bytes travel
// as the code points of the same value, as everywhere Corvane writes JSON.
#pragma once

#include <string>
#include <vector>

#include "reference/reference_tables.h"
#include "store/search/overview.h"
#include "store/search/search.h"

namespace corvane::web {

// {"hits":[...],"more":true,"next":123} ("next" only when there is more).
std::string SearchPageJson(const store::search::SearchPage& page);
// {"count":N}
std::string CountJson(std::uint64_t count);
// {"positions":[{"id","utc","tail","flight","lat","lon","alt"}...]}, utc in
// seconds, alt null when the message gave none.
std::string PositionsJson(const std::vector<store::search::PositionRow>& rows);
// The counts of [from, to) (milliseconds): "byHour" every hour of the range
// ("2026-12-09T13", zero counts included), "byLabel" (with the label's
// "name"), "byKind", "byStation" (this receiver's own under ownStation),
// "byAircraft", "byFrequency" (MHz, "131.725") and "byLink" (the messages a
// decoder reported), as {"key","count"} objects.
std::string StatisticsJson(const store::search::Statistics& statistics, store::search::UtcMillis from,
                           store::search::UtcMillis to, const reference::ReferenceTables* tables,
                           const std::string& ownStation);
// {"airports":[{"code","name","country","lat","lon"}...]}: the airports of
// the tables whose position is known.
std::string AirportsJson(const reference::ReferenceTables& tables);
// {"error":"..."}
std::string ErrorJson(const std::string& message);

}  // namespace corvane::web
