// The search index of the PostgreSQL store, in tables of its own beside the
// described ones:
//   Planes.id      a row number added to Planes (newer rows have larger ones);
//   message_index  one row per stored message, keyed by that number: receive
//                  time, the field terms' keys, the readable decoding, its
//                  position, the alerts it raised and the words of its text
//                  (a GIN index over them finds the messages with a word);
//   search_state   how far the indexing of older messages is, whether the
//                  lookup indexes are built (pg_lookup_indexes.h), and the
//                  store's schema version.
// The writer fills message_index in the statement that stores the message.
#pragma once

#include <array>

#include "store/postgres/pg_connection.h"
#include "store/search/search.h"

namespace corvane::store::postgres {

// Whether the search tables are there (then nothing is left to create).
bool SearchTablesThere(Connection& db);

// Adds the row number to Planes and creates the search tables when they are
// missing; to be run in a transaction under the store's lock. The messages
// already stored are left for IndexOlder (pg_index_older.h). Adding the
// number rewrites Planes, so this transaction has no statement time-out.
void CreateSearchTables(Connection& db);

// The state of the indexing of older messages: the last row number indexed
// and the last one left to index, how many rows were left when the index
// was made, how many are done, and whether the lookup indexes are made.
struct IndexState {
  long long next = 0;
  long long last = 0;
  long long total = 0;
  long long done = 0;
  long long lookupIndexesMade = 1;  // a store from before this value has them
};
IndexState ReadIndexState(Connection& db);
// Stores how far the indexing of older messages is (next and done).
void StoreIndexedSoFar(Connection& db, const IndexState& state);
// The lookup indexes still to build count as one message more to index.
search::IndexProgress ProgressOf(const IndexState& state);

// Where the indexing of older messages stands.
search::IndexProgress ReadIndexProgress(Connection& db);

// The schema version the tables carry: 0 for a store made before versions
// were kept (today's upgrade steps bring it up to date). 1: the described
// tables, Planes.id, the search index and message_identity.
// 2: message_index gains blocks, whole_text and part_of (messages joined
// from their blocks), and message_reception holds what the decoder knew of
// a message; a Corvane that knows 1 would fill neither.
inline constexpr int kServerSchemaVersion = 2;

// Adds message_index's columns of joined messages where they are missing.
void AddJoinColumns(Connection& db);
int ServerSchemaVersion(Connection& db);
// Throws StoreTooNew when the tables carry a version above
// kServerSchemaVersion; reads only.
void RefuseNewerSchema(Connection& db);
// Records that the upgrade steps are done (the search tables are there);
// writes only when the version differs.
void MarkSchemaVersion(Connection& db);

}  // namespace corvane::store::postgres
