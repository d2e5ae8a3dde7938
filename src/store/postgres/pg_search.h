// The search of the PostgreSQL store, over the index of pg_index_tables.h:
// pages of hits and counts, the map's positions and the charts' counts.
#pragma once

#include <cstdint>
#include <vector>

#include "store/postgres/pg_connection.h"
#include "store/search/overview.h"
#include "store/search/search.h"

namespace corvane::store::postgres {

// A page of the messages the query finds, newest first, and how many it
// finds; both throw Error when the server cannot answer.
search::SearchPage SearchMessages(Connection& db, const search::SearchRequest& request);
std::uint64_t CountMatches(Connection& db, const search::Query& query);

// The map's positions and the charts' counts (search/overview.h), each read
// in one snapshot of the store; throw Error when the server cannot answer.
std::vector<search::PositionRow> ReadPositions(Connection& db, search::UtcMillis since, std::size_t limit);
search::Statistics ReadStatistics(Connection& db, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft);

// SQLSTATE of a table that is not there (a store without a search index).
inline constexpr const char* kUndefinedTable = "42P01";
// SQLSTATE of a statement cancelled, as when it runs out of time.
inline constexpr const char* kQueryCanceled = "57014";

}  // namespace corvane::store::postgres
