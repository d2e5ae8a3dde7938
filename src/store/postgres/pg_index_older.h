// The indexing of the messages stored in PostgreSQL before the search index
// existed, a batch at a time.
#pragma once

#include <cstddef>

#include "reference/reference_tables.h"
#include "store/postgres/pg_connection.h"
#include "store/search/search.h"

namespace corvane::store::postgres {

// Indexes up to `rows` messages stored before the index existed, inside the
// caller's transaction; where the indexing stands afterwards, and whether
// the lookup indexes are now to be built (pg_lookup_indexes.h).
struct OlderIndexing {
  search::IndexProgress progress;
  bool buildLookupIndexes = false;
};
OlderIndexing IndexOlder(Connection& db, const reference::ReferenceTables& tables, std::size_t rows);

}  // namespace corvane::store::postgres
