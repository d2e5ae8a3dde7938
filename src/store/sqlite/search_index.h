// The search index of a store kept in an SQLite file (the SQLite store and
// the Jet layout alike), in tables of its own beside the described ones:
//   MessageIndex  one row per stored message, keyed by the Planes row's
//                 number: receive time, the field terms' keys, the readable
//                 decoding, its position, the alerts it raised;
//   MessageWords  an FTS5 index of the Planes texts (external content: the
//                 text is not stored twice);
//   SearchState   how far the indexing of older messages is;
//   MessageReception  what the decoder knew of a message (frequency, level,
//                 link...), keyed like MessageIndex, for the messages an SDR
//                 decoder reported only.
// The writer fills them in the transaction that stores the message.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reference/reference_tables.h"
#include "store/backend.h"
#include "store/search/overview.h"
#include "store/search/search.h"
#include "store/sqlite/sqlite_db.h"

namespace corvane::store::sqlite {

// Creates the index tables when they are missing. Messages stored before
// are then left for IndexOlder, which indexes them a batch at a time.
void EnsureSearchTables(Connection& db);

// Creates MessageReception when it is missing (a store of schema version 1
// gets it at the writer's next opening).
void EnsureReceptionTable(Connection& db);
// On a search's own connection to a store without MessageReception, an
// empty temporary one in its place (the file is not changed).
void StandInForReceptionTable(Connection& db);
// And to a store whose MessageIndex lacks the columns of joined messages, a
// temporary view that gives them empty.
void StandInForJoinColumns(Connection& db);

// Keeps the index in step with the writer's inserts and deletions, on the
// writer's own connection and inside its transactions.
class SearchIndexWriter {
 public:
  explicit SearchIndexWriter(Connection& db);
  ~SearchIndexWriter();

  // After the message's Planes row was inserted under the row number row.
  void Inserted(std::string_view row, const StoreOp& op);
  // Before the aircraft's Planes rows are deleted.
  void Deleting(std::string_view address);
  // Indexes up to `rows` messages stored before the index existed; where
  // the indexing stands afterwards.
  search::IndexProgress IndexOlder(std::size_t rows);

 private:
  void InsertRow(std::string_view id, const StoreOp& op);
  void InsertReception(std::string_view id, const reception::ReceptionFacts& facts);

  Connection& db_;
  reference::ReferenceTables tables_;
  std::unique_ptr<Connection::Prepared> insertIndex_;
  std::unique_ptr<Connection::Prepared> insertWords_;
  std::unique_ptr<Connection::Prepared> insertReception_;
};

// Where the indexing of older messages stands, read on any connection.
search::IndexProgress ReadIndexProgress(Connection& db);

// A page of the messages the query finds, newest first; throws
// search::SearchFailed when the store cannot answer.
search::SearchPage SearchMessages(Connection& db, const search::SearchRequest& request);
// How many messages the query finds.
std::uint64_t CountMatches(Connection& db, const search::Query& query);

// The map's positions and the charts' counts (search/overview.h), each read
// in one snapshot of the store; throw search::SearchFailed when the store
// cannot answer.
std::vector<search::PositionRow> ReadPositions(Connection& db, search::UtcMillis since, std::size_t limit);
search::Statistics ReadStatistics(Connection& db, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft);

}  // namespace corvane::store::sqlite
