// The SQLite search index: its tables, the writer's part, and the search
// (its SQL is written from the query's plan in search_sql.cpp).
#include "store/sqlite/search_index.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

#include "store/search/index_row.h"
#include "store/search/query_plan.h"
#include "store/sqlite/schema_version.h"
#include "store/sqlite/search_sql.h"
#include "store/sqlite/searchable_file.h"

namespace corvane::store::sqlite {

namespace {

constexpr const char* kCreateIndexTables =
    "CREATE TABLE IF NOT EXISTS MessageIndex(Id INTEGER PRIMARY KEY, Utc INTEGER NOT NULL, FlightKey TEXT NOT NULL,"
    " TailKey TEXT NOT NULL, Label TEXT NOT NULL, Kind TEXT, Station TEXT NOT NULL, Readable TEXT, Latitude REAL,"
    " Longitude REAL, AltitudeFt REAL, Alerts TEXT, Blocks INTEGER, Words TEXT, PartOf INTEGER);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByUtc ON MessageIndex(Utc);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByFlight ON MessageIndex(FlightKey);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByTail ON MessageIndex(TailKey);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByLabel ON MessageIndex(Label);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByKind ON MessageIndex(Kind);"
    "CREATE INDEX IF NOT EXISTS MessageIndexWithPosition ON MessageIndex(Id) WHERE Latitude IS NOT NULL;"
    "CREATE INDEX IF NOT EXISTS MessageIndexWithAlerts ON MessageIndex(Id) WHERE Alerts IS NOT NULL;"
    "CREATE VIRTUAL TABLE IF NOT EXISTS MessageWords USING fts5(Data, content='Planes', tokenize='ascii');";

// A message joined from its blocks (decoding/block_joiner.h) is indexed at
// its last block: Blocks is how many it has and Words the whole text (which
// MessageWords indexes for it in place of the block's own); each block
// before it, and each repeat of one, names that row in PartOf, and a search
// finds only rows without one. So a complete message is one hit, and the
// blocks of one never completed stay found as themselves. Stores indexed
// before gain the three columns.
constexpr const char* kJoinColumns[] = {"Blocks INTEGER", "Words TEXT", "PartOf INTEGER"};
constexpr const char* kPartOfJoined =
    "UPDATE MessageIndex SET PartOf = CAST(?1 AS INTEGER)"
    " WHERE Id = (SELECT Id FROM MessageIdentity WHERE MessageId = ?2) AND Id <> CAST(?1 AS INTEGER);";
constexpr const char* kPartOfRepeated =
    "UPDATE MessageIndex SET PartOf = (SELECT Id FROM MessageIdentity WHERE MessageId = ?2)"
    " WHERE Id = CAST(?1 AS INTEGER);";
// What the decoder knew of a message, beside its index row and keyed like
// it, for the messages a decoder reported only: the frequency in whole Hz,
// the signal level and the link as search and the charts compare them, and
// every fact as text (reception::FactsText). Made by the writer's session
// in a store of any version.
constexpr const char* kCreateReception =
    "CREATE TABLE IF NOT EXISTS MessageReception(Id INTEGER PRIMARY KEY, FreqHz INTEGER, Level REAL, Link TEXT,"
    " Facts TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS MessageReceptionByFreq ON MessageReception(FreqHz);"
    "CREATE INDEX IF NOT EXISTS MessageReceptionByLink ON MessageReception(Link);";
constexpr const char* kInsertReception =
    "INSERT INTO MessageReception VALUES (?1, CAST(NULLIF(?2, '') AS INTEGER), CAST(NULLIF(?3, '') AS REAL),"
    " NULLIF(?4, ''), ?5);";
constexpr const char* kDeleteReception =
    "DELETE FROM MessageReception WHERE Id IN (SELECT rowid FROM Planes WHERE Address = ?1);";

// The state: the first and last Planes row numbers left to index, and how
// many were left when the index was made.
constexpr const char* kCreateState = "CREATE TABLE SearchState(Name TEXT PRIMARY KEY, Value INTEGER NOT NULL);";
constexpr const char* kStartState =
    "INSERT INTO SearchState SELECT 'OlderNext', 0 UNION ALL SELECT 'OlderLast', COALESCE(MAX(rowid), 0) FROM Planes"
    " UNION ALL SELECT 'OlderTotal', COUNT(*) FROM Planes UNION ALL SELECT 'OlderDone', 0;";

constexpr const char* kInsertIndex =
    "INSERT INTO MessageIndex VALUES (?1, ?2, ?3, ?4, ?5, NULLIF(?6, ''), ?7, NULLIF(?8, ''), NULLIF(?9, ''),"
    " NULLIF(?10, ''), NULLIF(?11, ''), NULLIF(?12, ''), NULLIF(CAST(?13 AS INTEGER), 0), NULLIF(?14, ''), NULL);";
// The text is the bytes the Planes row was given (both backends store them
// unchanged), or the whole text kept in Words, so a deletion later hands
// FTS5 exactly the text it indexed; binding it costs a quarter of reading
// it back from the row.
constexpr const char* kInsertWords = "INSERT INTO MessageWords(rowid, Data) VALUES (?1, ?2);";
// Only rows that were indexed leave the index (an FTS5 'delete' of a row
// it never had would spoil it).
constexpr const char* kDeleteWords =
    "INSERT INTO MessageWords(MessageWords, rowid, Data) SELECT 'delete', p.rowid, COALESCE(m.Words, p.Data)"
    " FROM Planes p JOIN MessageIndex m ON m.Id = p.rowid WHERE p.Address = ?1;";
constexpr const char* kDeleteIndex =
    "DELETE FROM MessageIndex WHERE Id IN (SELECT rowid FROM Planes WHERE Address = ?1);";

constexpr const char* kSelectOlder =
    "SELECT rowid, Date, Hour, Mode, Address, Flight, Label, Bloc, Msn, Data FROM Planes"
    " WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid LIMIT ?3;";

bool TableExists(Connection& db, const char* name) {
  return !db.Query("SELECT 1 FROM sqlite_master WHERE name = ?1;", {name}).empty();
}

bool HasJoinColumns(Connection& db) {
  return !db.Query("SELECT 1 FROM pragma_table_info('MessageIndex') WHERE name = 'PartOf';").empty();
}

void AddJoinColumns(Connection& db) {
  db.ExecuteScript("BEGIN IMMEDIATE;");
  try {
    if (!HasJoinColumns(db)) {
      for (const char* column : kJoinColumns) {
        db.ExecuteScript(std::string("ALTER TABLE MessageIndex ADD COLUMN ") + column + ";");
      }
    }
    db.ExecuteScript("COMMIT;");
  } catch (const Error&) {
    sqlite3_exec(db.handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
    throw;
  }
}

long long StateValue(Connection& db, const char* name) {
  const Rows rows = db.Query("SELECT Value FROM SearchState WHERE Name = ?1;", {name});
  return rows.empty() ? 0 : std::stoll(rows.front().at(0));
}

void SetState(Connection& db, const char* name, long long value) {
  const std::string text = std::to_string(value);
  db.Execute("UPDATE SearchState SET Value = ?2 WHERE Name = ?1;", {name, text});
}

search::SearchHit HitOf(const Row& row) {
  search::SearchHit hit;
  hit.id = std::stoll(row.at(0));
  hit.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
  hit.station = row.at(10);
  hit.kind = row.at(11);
  hit.readable = row.at(12);
  hit.alerts = row.at(13);
  hit.utc = std::stoll(row.at(14));
  hit.blocks = row.at(15).empty() ? 0 : std::stoull(row.at(15));
  hit.wholeText = row.at(16);
  hit.facts = reception::FactsOfText(row.at(17));
  return hit;
}

}  // namespace

void EnsureSearchTables(Connection& db) {
  if (TableExists(db, "SearchState")) {
    if (!HasJoinColumns(db)) {
      AddJoinColumns(db);
    }
    return;
  }
  db.ExecuteScript("BEGIN IMMEDIATE;");
  try {
    db.ExecuteScript(kCreateIndexTables);
    db.ExecuteScript(kCreateState);
    db.ExecuteScript(kStartState);
    db.ExecuteScript("COMMIT;");
  } catch (const Error&) {
    sqlite3_exec(db.handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
    throw;
  }
}

void EnsureReceptionTable(Connection& db) { db.ExecuteScript(kCreateReception); }

// A store of version 1 that no writer has opened since has no
// MessageReception: an empty table of this connection's own stands in for
// it, so that its messages are searched and counted as having no facts,
// and the file is left as it is.
void StandInForReceptionTable(Connection& db) {
  if (!TableExists(db, "MessageReception")) {
    db.ExecuteScript(
        "CREATE TEMP TABLE MessageReception(Id INTEGER PRIMARY KEY, FreqHz INTEGER, Level REAL, Link TEXT,"
        " Facts TEXT NOT NULL);");
  }
}

// Nor has it MessageIndex's columns of joined messages: a view of this
// connection's own, named like the table and so found before it, gives
// them empty, and every message is its own.
void StandInForJoinColumns(Connection& db) {
  if (db.Query("SELECT 1 FROM pragma_table_info('MessageIndex') WHERE name = 'PartOf';").empty()) {
    db.ExecuteScript(
        "CREATE TEMP VIEW MessageIndex AS SELECT *, NULL AS Blocks, NULL AS Words, NULL AS PartOf"
        " FROM main.MessageIndex;");
  }
}

SearchIndexWriter::SearchIndexWriter(Connection& db) : db_(db) { tables_.FillBuiltinTables(); }

SearchIndexWriter::~SearchIndexWriter() = default;

void SearchIndexWriter::InsertRow(std::string_view id, const StoreOp& op) {
  if (!insertIndex_) {
    insertIndex_ = std::make_unique<Connection::Prepared>(db_, kInsertIndex);
    insertWords_ = std::make_unique<Connection::Prepared>(db_, kInsertWords);
  }
  const search::IndexRow row = search::IndexRowOf(op, tables_);
  const std::string utc = std::to_string(row.utc);
  const std::string latitude = search::NumberText(row.latitude);
  const std::string longitude = search::NumberText(row.longitude);
  const std::string altitude = search::NumberText(row.altitudeFt);
  const decoding::BlockJoin& join = op.join;
  const std::string blocks = std::to_string(join.blocks);
  const bool whole = join.Joined() && !join.text.empty();
  insertIndex_->Run({id, utc, row.flightKey, row.tailKey, row.label, row.kind, row.station, row.readable, latitude,
                     longitude, altitude, row.alerts, blocks, whole ? join.text : std::string()});
  insertWords_->Run({id, whole ? join.text : op.record.Data});
  if (!op.facts.Empty()) {
    InsertReception(id, op.facts);
  }
}

void SearchIndexWriter::InsertReception(std::string_view id, const reception::ReceptionFacts& facts) {
  if (!insertReception_) {
    insertReception_ = std::make_unique<Connection::Prepared>(db_, kInsertReception);
  }
  const std::string hz = facts.frequencyMhz ? std::to_string(reception::HzOf(*facts.frequencyMhz)) : std::string();
  const std::string level = facts.level ? reception::NumberText(*facts.level) : std::string();
  insertReception_->Run({id, hz, level, facts.link, reception::FactsText(facts)});
}

void SearchIndexWriter::Inserted(std::string_view row, const StoreOp& op) {
  InsertRow(row, op);
  for (const std::string& part : op.join.parts) {
    db_.Execute(kPartOfJoined, {row, part});
  }
  if (!op.join.repeatOf.empty()) {
    db_.Execute(kPartOfRepeated, {row, op.join.repeatOf});
  }
}

void SearchIndexWriter::Deleting(std::string_view address) {
  db_.Execute(kDeleteWords, {address});
  db_.Execute(kDeleteReception, {address});
  db_.Execute(kDeleteIndex, {address});
}

search::IndexProgress SearchIndexWriter::IndexOlder(std::size_t rows) {
  const long long next = StateValue(db_, "OlderNext");
  const long long last = StateValue(db_, "OlderLast");
  long long done = StateValue(db_, "OlderDone");
  if (next < last) {
    const std::string from = std::to_string(next);
    const std::string to = std::to_string(last);
    const std::string limit = std::to_string(rows);
    const Rows older = db_.Query(kSelectOlder, {from, to, limit});
    for (const Row& row : older) {
      StoreOp op;
      op.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
      InsertRow(row.at(0), op);
    }
    done += static_cast<long long>(older.size());
    SetState(db_, "OlderNext", older.size() < rows ? last : std::stoll(older.back().at(0)));
    SetState(db_, "OlderDone", done);
  }
  return search::OlderProgress(StateValue(db_, "OlderNext"), last, StateValue(db_, "OlderTotal"), done);
}

search::IndexProgress ReadIndexProgress(Connection& db) {
  if (!TableExists(db, "SearchState")) {
    return {};
  }
  return search::OlderProgress(StateValue(db, "OlderNext"), StateValue(db, "OlderLast"), StateValue(db, "OlderTotal"),
                               StateValue(db, "OlderDone"));
}

search::SearchPage SearchMessages(Connection& db, const search::SearchRequest& request) {
  const search::PagePlan plan = search::PlanPage(request);
  SearchSql sql(plan.query);
  const std::string text = sql.PageSql(plan);
  search::SearchPage page;
  try {
    for (const Row& row : db.Query(text, sql.Values())) {
      page.hits.push_back(HitOf(row));
    }
  } catch (const Error& failure) {
    throw search::SearchFailed(failure.what());
  }
  search::EndPage(page, plan.limit);
  return page;
}

std::uint64_t CountMatches(Connection& db, const search::Query& query) {
  const SearchSql sql(search::PlanQuery(query));
  try {
    const Rows rows = db.Query(sql.CountSql(), sql.Values());
    return rows.empty() ? 0 : std::stoull(rows.front().at(0));
  } catch (const Error& failure) {
    throw search::SearchFailed(failure.what());
  }
}

}  // namespace corvane::store::sqlite

namespace corvane::store {

namespace {

// A search waits this long for a writer's transaction before giving up; it
// runs off the window's thread, so it may wait longer than a history read.
constexpr int kSearchBusyTimeoutMs = 2000;

template <typename Work>
auto OnSearchConnection(const std::string& name, Work work) {
  try {
    sqlite::Connection db(name, sqlite::Connection::OpenMode::Existing, kSearchBusyTimeoutMs);
    // One read transaction for the whole answer: its count and its rows come
    // from the same moment of the store, and the lock a busy writer leaves
    // free so briefly is taken once rather than at every statement.
    db.Execute("BEGIN");
    if (db.Query("SELECT 1 FROM sqlite_master WHERE name = 'MessageIndex';").empty()) {
      throw search::SearchFailed("the store has no search index yet (it is made when Corvane next writes to it)");
    }
    sqlite::StandInForReceptionTable(db);
    sqlite::StandInForJoinColumns(db);
    auto answer = work(db);
    db.Execute("COMMIT");
    return answer;
  } catch (const sqlite::Error& failure) {
    throw search::SearchFailed(failure.what());
  }
}

}  // namespace

search::SearchPage SearchableFileBackend::Search(const std::string& name, const search::SearchRequest& request) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::SearchMessages(db, request); });
}

std::uint64_t SearchableFileBackend::CountMatches(const std::string& name, const search::Query& query) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::CountMatches(db, query); });
}

std::vector<search::PositionRow> SearchableFileBackend::Positions(const std::string& name, search::UtcMillis since,
                                                                  std::size_t limit) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::ReadPositions(db, since, limit); });
}

search::Statistics SearchableFileBackend::StatisticsOf(const std::string& name, search::UtcMillis from,
                                                       search::UtcMillis to, std::size_t topAircraft) {
  return OnSearchConnection(name,
                            [&](sqlite::Connection& db) { return sqlite::ReadStatistics(db, from, to, topAircraft); });
}

void SearchableFileBackend::RefuseNewerSchema(const std::string& name) {
  std::optional<sqlite::Connection> db;
  try {
    db.emplace(name, sqlite::Connection::OpenMode::ReadOnly);
    sqlite::RefuseNewerSchema(*db);
  } catch (const sqlite::Error&) {
    // A file that cannot be read is not refused here: loading it says why.
  }
}

search::IndexProgress SearchableFileBackend::IndexingProgress(const std::string& name) {
  try {
    sqlite::Connection db(name, sqlite::Connection::OpenMode::Existing, kSearchBusyTimeoutMs);
    return sqlite::ReadIndexProgress(db);
  } catch (const sqlite::Error&) {
    return {};
  }
}

}  // namespace corvane::store
