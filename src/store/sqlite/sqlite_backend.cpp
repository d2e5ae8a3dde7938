// SQLite backend: schema, initial rows, loading, and the message operations.
#include "store/sqlite/sqlite_backend.h"

#include <array>

#include "store/sqlite/file_space.h"
#include "store/sqlite/sql_session.h"
#include "store/sqlite/sqlite_db.h"

namespace corvane::store {

namespace {

using sqlite::Connection;

constexpr std::array<const char*, 5> kCreateTables = {
    "Create Table Labels(Label TEXT PRIMARY KEY, SMI TEXT, Descr TEXT NOT NULL);",
    "Create Table Codes(Code TEXT PRIMARY KEY, Descr TEXT NOT NULL);",
    "Create Table Countries(ID INTEGER PRIMARY KEY, Country TEXT NOT NULL);",
    "Create Table Airports(Airport TEXT PRIMARY KEY, ID INTEGER NOT NULL,Descr TEXT NOT NULL);",
    "Create Table Planes(Date TEXT,Hour TEXT,Mode TEXT,Address TEXT,Flight TEXT,Label TEXT,Bloc TEXT,Msn TEXT,Data "
    "TEXT);"};

// The history query looks up one aircraft's day; without an index it would
// scan every stored message.
constexpr const char* kCreateHistoryIndex = "CREATE INDEX IF NOT EXISTS PlanesByAddressDate ON Planes(Address,Date);";

constexpr const char* kInsertLabel = "INSERT INTO Labels (Label,SMI,Descr) VALUES (?1,?2,?3);";
constexpr const char* kInsertCode = "INSERT INTO Codes (Code,Descr) VALUES (?1,?2);";
constexpr const char* kInsertCountry = "INSERT INTO Countries (ID,Country) VALUES (?1,?2);";
constexpr const char* kInsertAirport = "INSERT INTO Airports (Airport,ID,Descr) VALUES (?1,?2,?3);";
constexpr const char* kInsertMessage = "INSERT INTO Planes VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9);";
constexpr const char* kSelectHistory =
    "SELECT Date,Hour,Flight,Data,Label,Mode FROM Planes WHERE Address = ?1 AND Date = ?2;";
constexpr const char* kDeletePlane = "DELETE FROM Planes WHERE Address = ?1;";
constexpr const char* kCountPlane = "SELECT COUNT(*) FROM Planes WHERE Address = ?1;";

std::vector<std::pair<std::string, std::string>> Columns(const sqlite::Rows& rows, std::size_t first,
                                                         std::size_t second) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(rows.size());
  for (const sqlite::Row& row : rows) {
    if (row.size() <= std::max(first, second)) {
      throw sqlite::Error(0, "a stored table has fewer columns than expected");
    }
    pairs.emplace_back(row[first], row[second]);
  }
  return pairs;
}

// An older store may lack the history index; adding it is worth a try but
// never a reason to refuse the store (a read-only file, for one).
void AddHistoryIndex(Connection& db) {
  try {
    db.ExecuteScript(kCreateHistoryIndex);
  } catch (const sqlite::Error&) {
  }
}

}  // namespace

void SqliteBackend::CreateDatabase(const std::string& name) {
  Connection db(name, Connection::OpenMode::CreateIfMissing);
  KeepFreePagesApart(db);
}

void SqliteBackend::CreateTables(const std::string& name) {
  Connection db(name, Connection::OpenMode::Existing);
  for (const char* statement : kCreateTables) {
    db.ExecuteScript(statement);
  }
  db.ExecuteScript(kCreateHistoryIndex);
}

// One insert per row, in a single transaction so that a new store is written
// in one go rather than one disk sync per row.
void SqliteBackend::InitializeTables(const std::string& name, const reference::ReferenceTables& tables) {
  const InitialRows rows = InitialRowsOf(tables);
  Connection db(name, Connection::OpenMode::Existing);
  db.ExecuteScript("BEGIN;");
  for (const auto& row : rows.labels) {
    db.Execute(kInsertLabel, {row[0], row[1], row[2]});
  }
  for (const auto& row : rows.codes) {
    db.Execute(kInsertCode, {row[0], row[1]});
  }
  for (const auto& row : rows.countries) {
    db.Execute(kInsertCountry, {row[0], row[1]});
  }
  for (const auto& row : rows.airports) {
    db.Execute(kInsertAirport, {row[0], row[1], row[2]});
  }
  db.ExecuteScript("COMMIT;");
}

StoredTables SqliteBackend::LoadTables(const std::string& name) {
  Connection db(name, Connection::OpenMode::Existing);
  StoredTables stored;
  stored.labels = Columns(db.Query("SELECT * FROM Labels;"), 0, 2);
  stored.codes = Columns(db.Query("SELECT * FROM Codes;"), 0, 1);
  stored.countries = Columns(db.Query("SELECT * FROM Countries;"), 0, 1);
  AddHistoryIndex(db);
  return stored;
}

std::vector<HistoryRow> SqliteBackend::PlaneDay(const std::string& name, std::string_view address,
                                                const std::string& today) {
  std::vector<HistoryRow> history;
  try {
    // A store locked by another program gives up soon: the history window
    // then shows what waits to be written rather than holding the window.
    Connection db(name, Connection::OpenMode::Existing, sqlite::kWriterBusyTimeoutMs);
    for (const sqlite::Row& row : db.Query(kSelectHistory, {address, today})) {
      history.push_back({row.at(0), row.at(1), row.at(2), row.at(3), row.at(4), row.at(5)});
    }
  } catch (const std::exception&) {
  }
  return history;
}

std::optional<std::uint64_t> SqliteBackend::CountMessages(const std::string& name, std::string_view address) {
  try {
    Connection db(name, Connection::OpenMode::Existing, sqlite::kWriterBusyTimeoutMs);
    const sqlite::Rows rows = db.Query(kCountPlane, {address});
    return rows.empty() ? std::nullopt : std::optional<std::uint64_t>(std::stoull(rows.front().at(0)));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::unique_ptr<StoreSession> SqliteBackend::OpenSession(const std::string& name) {
  return std::make_unique<sqlite::SqlSession>(name, sqlite::WriteStatements{kInsertMessage, kDeletePlane});
}

}  // namespace corvane::store
