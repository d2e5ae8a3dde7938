// The search index of the PostgreSQL store, in tables of its own beside the
// described ones:
//   Planes.id      a row number added to Planes (newer rows have larger ones);
//   message_index  one row per stored message, keyed by that number: receive
//                  time, the field terms' keys, the readable decoding, its
//                  position, the alerts it raised and the words of its text
//                  (a GIN index over them finds the messages with a word);
//   search_state   how far the indexing of older messages is, and whether
//                  the lookup indexes are built (pg_lookup_indexes.h).
// The writer fills message_index in the statement that stores the message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reference/reference_tables.h"
#include "store/backend.h"
#include "store/postgres/pg_connection.h"
#include "store/search/overview.h"
#include "store/search/search.h"

namespace corvane::store::postgres {

// Bytes as hexadecimal digits: how a UTF-8 text travels on the connection,
// which speaks LATIN1 (the server turns it back into text).
std::string Hex(std::string_view bytes);
// The bytes of hexadecimal digits, as the server sends UTF-8 texts back.
std::string FromHex(std::string_view hex);

// Whether the search tables are there (then nothing is left to create).
bool SearchTablesThere(Connection& db);

// Adds the row number to Planes and creates the search tables when they are
// missing; to be run in a transaction under the store's lock. The messages
// already stored are left for IndexOlder. Adding the number rewrites Planes,
// so this transaction has no statement time-out.
void CreateSearchTables(Connection& db);

// The index columns a writer fills, in the order of IndexValues::text, then
// the row number and the station.
inline constexpr const char* kIndexColumns =
    "utc, flight_key, tail_key, label, kind, readable, latitude, longitude, altitude_ft, alerts, words, id, station";

// What the index keeps of a message, as text parameters.
struct IndexValues {
  IndexValues(const StoreOp& op, const reference::ReferenceTables& tables);
  std::array<std::string, 11> text;
};

// The SQL expressions that turn IndexValues bound from $first on into the
// first eleven of kIndexColumns.
std::string IndexValuesSql(int first);
// The same of the eleven values given as SQL expressions.
std::string IndexValuesSql(const std::array<std::string, 11>& values);

// Indexes up to `rows` messages stored before the index existed, inside the
// caller's transaction; where the indexing stands afterwards, and whether
// the lookup indexes are now to be built (pg_lookup_indexes.h).
struct OlderIndexing {
  search::IndexProgress progress;
  bool buildLookupIndexes = false;
};
OlderIndexing IndexOlder(Connection& db, const reference::ReferenceTables& tables, std::size_t rows);

// Where the indexing of older messages stands.
search::IndexProgress ReadIndexProgress(Connection& db);

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
