// PostgreSQL backend: schema, initial rows, loading, and the history of the
// whole network. Receivers that start together are kept apart by an
// advisory lock held for the transaction that creates or fills the tables.
#include "store/postgres/postgres_backend.h"

#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "store/postgres/pg_connection.h"
#include "store/postgres/pg_index_tables.h"
#include "store/postgres/pg_search.h"
#include "store/postgres/pg_session.h"

namespace corvane::store {

namespace {

using postgres::Connection;

// Opening the store and reading a history happen on the window's thread,
// and a history read waits for the writer: an unreachable server is given
// up soon (libpq takes 2 s at the least).
constexpr int kOpenConnectTimeoutSeconds = 3;
constexpr int kQuickConnectTimeoutSeconds = 2;

// The advisory lock every receiver takes while it creates, fills or loads
// the tables ("Corvane" in ASCII).
constexpr const char* kStoreLockKey = "67111114118971101";
constexpr const char* kTakeStoreLock = "SELECT pg_advisory_xact_lock($1::bigint)";

// The SQLite layout, every column TEXT, and Station in Planes; beside it,
// the identities of the messages stored (each under its Planes row number),
// so that a message relayed or delivered again is stored once.
constexpr std::array<const char*, 10> kCreateTables = {
    "CREATE TABLE IF NOT EXISTS Labels(Label TEXT PRIMARY KEY, SMI TEXT, Descr TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS Codes(Code TEXT PRIMARY KEY, Descr TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS Countries(ID TEXT PRIMARY KEY, Country TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS Airports(Airport TEXT PRIMARY KEY, ID TEXT NOT NULL, Descr TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS Planes(Date TEXT, Hour TEXT, Mode TEXT, Address TEXT, Flight TEXT, Label TEXT, "
    "Bloc TEXT, Msn TEXT, Data TEXT, Station TEXT)",
    "CREATE INDEX IF NOT EXISTS PlanesByAddressDate ON Planes(Address, Date)",
    "CREATE TABLE IF NOT EXISTS message_identity(message_id TEXT COLLATE \"C\" PRIMARY KEY, id BIGINT NOT NULL)",
    // What the decoder knew of a message (reception/reception_facts.h), for
    // the messages an SDR decoder reported only; schema version 2.
    "CREATE TABLE IF NOT EXISTS message_reception(id BIGINT PRIMARY KEY, freq_hz BIGINT, level DOUBLE PRECISION,"
    " link TEXT, facts TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS message_reception_by_freq ON message_reception(freq_hz)",
    "CREATE INDEX IF NOT EXISTS message_reception_by_link ON message_reception(link)"};
constexpr const char* kIdentityTableThere =
    "SELECT to_regclass('message_identity') IS NOT NULL AND to_regclass('message_reception') IS NOT NULL";

constexpr const char* kTablesThere =
    "SELECT to_regclass('labels') IS NOT NULL AND to_regclass('codes') IS NOT NULL AND "
    "to_regclass('countries') IS NOT NULL AND to_regclass('airports') IS NOT NULL AND "
    "to_regclass('planes') IS NOT NULL";
constexpr const char* kReferenceRowsThere =
    "SELECT EXISTS (SELECT 1 FROM Labels) AND EXISTS (SELECT 1 FROM Codes) AND EXISTS (SELECT 1 FROM Countries)";

// Each reference table is filled only while it is empty, so a second
// receiver that raced the first through the creation adds nothing.
struct Filling {
  const char* isEmpty;
  const char* insert;
};
constexpr Filling kLabels{"SELECT NOT EXISTS (SELECT 1 FROM Labels)",
                          "INSERT INTO Labels (Label,SMI,Descr) VALUES ($1,$2,$3) ON CONFLICT DO NOTHING"};
constexpr Filling kCodes{"SELECT NOT EXISTS (SELECT 1 FROM Codes)",
                         "INSERT INTO Codes (Code,Descr) VALUES ($1,$2) ON CONFLICT DO NOTHING"};
constexpr Filling kCountries{"SELECT NOT EXISTS (SELECT 1 FROM Countries)",
                             "INSERT INTO Countries (ID,Country) VALUES ($1,$2) ON CONFLICT DO NOTHING"};
constexpr Filling kAirports{"SELECT NOT EXISTS (SELECT 1 FROM Airports)",
                            "INSERT INTO Airports (Airport,ID,Descr) VALUES ($1,$2,$3) ON CONFLICT DO NOTHING"};

// One aircraft's day from every station, in time order. A row is left out
// when another station stored the same message (Label, Msn and Data) up to
// 60 s earlier (at the same instant, the station first by name keeps it),
// so a message heard by several stations shows once, as first heard. Rows
// without text, which the history never shows, are left out first. The
// index on (Address, Date) finds the day's rows; comparing by plain
// equality lets the server match them in a hash anti-join (about 3 ms for
// 900 rows of a day among 1.2 million, where IS NOT DISTINCT FROM took a
// nested loop and 70 ms). The writer never stores NULL, so nothing is lost
// by that. Times are compared in whole milliseconds.
constexpr const char* kCountPlane = "SELECT COUNT(*) FROM Planes WHERE Address = $1";
constexpr const char* kSelectHistory = R"(
WITH day AS (
  SELECT Date, Hour, Flight, Data, Label, Mode, Msn, Station,
         CASE WHEN Hour ~ '^[0-9]{6}(\.[0-9]{1,3})?$'
              THEN substr(Hour, 1, 2)::int * 3600000 + substr(Hour, 3, 2)::int * 60000
                   + (substr(Hour, 5)::numeric * 1000)::int
         END AS Ms
  FROM Planes WHERE Address = $1 AND Date = $2)
SELECT Date, Hour, Flight, Data, Label, Mode FROM day AS heard
WHERE NOT EXISTS (
  SELECT 1 FROM day AS earlier
  WHERE earlier.Station IS DISTINCT FROM heard.Station
    AND earlier.Label = heard.Label
    AND earlier.Msn = heard.Msn
    AND earlier.Data = heard.Data
    AND earlier.Ms >= heard.Ms - 60000
    AND (earlier.Ms < heard.Ms OR (earlier.Ms = heard.Ms AND earlier.Station < heard.Station)))
ORDER BY Date, Hour, Station)";

// Where this user's state lives: systemd's StateDirectory, else the XDG
// state folder, else ~/.local/state (the home from the password database
// when HOME is not set, as for a system service), never the working folder.
std::filesystem::path StateFolder() {
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value == '/' ? std::string(value) : std::string();
  };
  if (const std::string systemd = variable("STATE_DIRECTORY"); !systemd.empty()) {
    return std::filesystem::path(systemd.substr(0, systemd.find(':')));
  }
  if (const std::string xdg = variable("XDG_STATE_HOME"); !xdg.empty()) {
    return std::filesystem::path(xdg) / "corvane";
  }
  std::string home = variable("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/tmp";
  }
  return std::filesystem::path(home) / ".local/state/corvane";
}

// The server a connection string names, by the key words that pick it
// (host, address, port, database, user), whatever the string's form.
std::string ServerKey(const std::string& url) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
  PQfreemem(error);
  std::string key;
  for (const PQconninfoOption* option = options; option != nullptr && option->keyword != nullptr; ++option) {
    const std::string_view keyword(option->keyword);
    if (option->val != nullptr && (keyword == "host" || keyword == "hostaddr" || keyword == "port" ||
                                   keyword == "dbname" || keyword == "user" || keyword == "service")) {
      key += std::string(keyword) + '=' + option->val + ';';
    }
  }
  PQconninfoFree(options);
  return options != nullptr ? key : url;
}

// 64-bit FNV-1a, as 16 hex digits: short, and the same on every run.
std::string Digest(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

// A station name as part of a file name: letters, digits, '-' and '_' kept,
// anything else as '_' (the digest tells names apart that differ only there).
std::string FileNamePart(std::string_view station) {
  std::string part;
  for (const char c : station.substr(0, 40)) {
    part += std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' ? c : '_';
  }
  return part;
}

std::vector<std::pair<std::string, std::string>> Pairs(const postgres::Rows& rows) {
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(rows.size());
  for (const postgres::Row& row : rows) {
    pairs.emplace_back(row.at(0), row.at(1));
  }
  return pairs;
}

void Fill(Connection& db, const Filling& table, const std::vector<std::vector<std::string>>& rows) {
  if (db.Query(table.isEmpty).at(0).at(0) != "t") {
    return;
  }
  for (const auto& row : rows) {
    db.Execute(table.insert, postgres::Parameters(row.begin(), row.end()));
  }
}

// Runs the work in one transaction under the store's advisory lock.
template <typename Work>
void UnderStoreLock(Connection& db, Work&& work) {
  db.Execute("BEGIN");
  try {
    db.Execute(kTakeStoreLock, {kStoreLockKey});
    work();
    db.Commit();
  } catch (...) {
    db.RollbackQuietly();
    throw;
  }
}

}  // namespace

PostgresBackend::PostgresBackend(StoreOptions options)
    : options_(std::move(options)), doubt_(std::make_unique<postgres::CommitInDoubt>()) {}

PostgresBackend::~PostgresBackend() = default;

std::unique_ptr<Connection> PostgresBackend::Connect(int timeoutSeconds) const {
  return std::make_unique<Connection>(options_.databaseUrl, timeoutSeconds);
}

bool PostgresBackend::Exists(const std::string& /*name*/) {
  try {
    const auto db = Connect(kOpenConnectTimeoutSeconds);
    return db->Query(kTablesThere).at(0).at(0) == "t" && db->Query(kReferenceRowsThere).at(0).at(0) == "t";
  } catch (const std::exception&) {
    return false;
  }
}

// The database itself is the one the connection string names (made by its
// administrator); this step checks that the server takes the connection.
void PostgresBackend::CreateDatabase(const std::string& /*name*/) { Connect(kOpenConnectTimeoutSeconds); }

void PostgresBackend::CreateTables(const std::string& /*name*/) {
  CreateTablesOn(*Connect(kOpenConnectTimeoutSeconds));
}

void PostgresBackend::CreateTablesOn(Connection& db) {
  UnderStoreLock(db, [&] {
    for (const char* statement : kCreateTables) {
      db.Execute(statement);
    }
    postgres::CreateSearchTables(db);
  });
}

void PostgresBackend::InitializeTables(const std::string& /*name*/, const reference::ReferenceTables& tables) {
  const InitialRows rows = InitialRowsOf(tables);
  const auto db = Connect(kOpenConnectTimeoutSeconds);
  UnderStoreLock(*db, [&] {
    Fill(*db, kLabels, rows.labels);
    Fill(*db, kCodes, rows.codes);
    Fill(*db, kCountries, rows.countries);
    Fill(*db, kAirports, rows.airports);
  });
}

// Under the lock, so that tables another receiver is filling are read once
// they are full.
StoredTables PostgresBackend::LoadTables(const std::string& /*name*/) {
  const auto db = Connect(kOpenConnectTimeoutSeconds);
  StoredTables stored;
  UnderStoreLock(*db, [&] {
    stored.labels = Pairs(db->Query("SELECT Label, Descr FROM Labels ORDER BY ctid"));
    stored.codes = Pairs(db->Query("SELECT Code, Descr FROM Codes ORDER BY ctid"));
    stored.countries = Pairs(db->Query("SELECT ID, Country FROM Countries ORDER BY ctid"));
  });
  return stored;
}

// The reading connection is kept between reads; one that broke (a server
// restarted) is replaced once, within the same read. False when the read
// could not be made.
bool PostgresBackend::Read(const std::function<void(postgres::Connection&)>& read) {
  const std::lock_guard lock(readerMutex_);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool fresh = !reader_;
    try {
      if (!reader_) {
        reader_ = Connect(kQuickConnectTimeoutSeconds);
      }
      read(*reader_);
      return true;
    } catch (const std::exception&) {
      reader_.reset();
      if (fresh) {
        break;  // a new connection failed: the server is not there
      }
    }
  }
  return false;
}

// What cannot be read gives the empty text, and the writer still adds what
// waits.
std::vector<HistoryRow> PostgresBackend::PlaneDay(const std::string& /*name*/, std::string_view address,
                                                  const std::string& today) {
  std::vector<HistoryRow> history;
  const bool read = Read([&](postgres::Connection& db) {
    history.clear();
    for (const postgres::Row& row : db.Query(kSelectHistory, {address, today})) {
      history.push_back({row.at(0), row.at(1), row.at(2), row.at(3), row.at(4), row.at(5)});
    }
  });
  return read ? history : std::vector<HistoryRow>();
}

std::optional<std::uint64_t> PostgresBackend::CountMessages(const std::string& /*name*/, std::string_view address) {
  std::uint64_t count = 0;
  const bool read =
      Read([&](postgres::Connection& db) { count = std::stoull(db.Query(kCountPlane, {address}).at(0).at(0)); });
  return read ? std::optional<std::uint64_t>(count) : std::nullopt;
}

// A server that cannot be reached now is left to the writer, which keeps
// trying.
void PostgresBackend::RefuseNewerSchema(const std::string& /*name*/) {
  int found = 0;
  try {
    found = postgres::ServerSchemaVersion(*Connect(kOpenConnectTimeoutSeconds));
  } catch (const std::exception&) {
    return;
  }
  if (found > postgres::kServerSchemaVersion) {
    throw StoreTooNew(found, postgres::kServerSchemaVersion);
  }
}

// A server that could not be reached when the store was opened may have
// no tables yet: they are made here, so that messages are never refused for
// want of them (the reference tables are filled at the next start). A store
// made before the search index or the message identities gets them here too.
std::unique_ptr<StoreSession> PostgresBackend::OpenSession(const std::string& /*name*/) {
  try {
    const auto db = Connect(kQuickConnectTimeoutSeconds);
    if (db->Query(kTablesThere).at(0).at(0) != "t" || !postgres::SearchTablesThere(*db) ||
        db->Query(kIdentityTableThere).at(0).at(0) != "t") {
      CreateTablesOn(*db);
    }
    // Tables a newer Corvane upgraded are not written in their old form: the
    // messages wait in the pending file.
    postgres::RefuseNewerSchema(*db);
    postgres::AddJoinColumns(*db);
    postgres::MarkSchemaVersion(*db);
  } catch (const std::exception& failure) {
    throw WriteRefused(failure.what());
  }
  return std::make_unique<postgres::PgSession>(options_.databaseUrl, options_.stationName, *doubt_);
}

// One file per station and server: two receivers started in the same
// folder, or a systemd unit without one, never share it. The folder is made
// for this user alone.
std::string PostgresBackend::PendingPath(const std::string& /*name*/) {
  const std::filesystem::path folder = StateFolder();
  std::error_code error;
  if (std::filesystem::create_directories(folder, error)) {
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  }
  const std::string key = ServerKey(options_.databaseUrl) + "station=" + options_.stationName;
  return (folder /
          ("Corvane-" + FileNamePart(options_.stationName) + "-" + Digest(key).substr(0, 8) + ".pending.jsonl"))
      .string();
}

// Searches use a connection of their own, kept between them, so that a long
// search never holds up a history read; one that broke (a server restarted)
// is replaced once, within the same search.
namespace {

// A search that ran out of time while the index is still being made is told
// as such: until the lookup indexes are there, it reads the whole table.
void ThrowIfStillIndexing(postgres::Connection& db) {
  search::IndexProgress progress;
  try {
    progress = postgres::ReadIndexProgress(db);
  } catch (const postgres::Error&) {
    return;
  }
  if (!progress.Finished()) {
    throw search::SearchFailed("PostgreSQL " + db.ServerName() + ": the search index is still being made (" +
                               std::to_string(progress.done) + " of " + std::to_string(progress.total) +
                               " messages); searches can run out of time until it is done");
  }
}

}  // namespace

void PostgresBackend::OnSearchConnection(const std::function<void(postgres::Connection&)>& work) {
  const std::lock_guard lock(searcherMutex_);
  for (int attempt = 0;; ++attempt) {
    const bool fresh = !searcher_;
    try {
      if (!searcher_) {
        searcher_ = Connect(kQuickConnectTimeoutSeconds);
        // A search's plan is cheap to make and its run short: compiling it
        // costs more than it saves. A common word's matches, a bitmap of a
        // hundred thousand rows, must stay exact to be read once.
        searcher_->Execute("SET jit = off");
        searcher_->Execute("SET work_mem = '64MB'");
      }
      work(*searcher_);
      return;
    } catch (const postgres::Error& failure) {
      if (failure.SqlState() == postgres::kUndefinedTable) {
        throw search::SearchFailed("PostgreSQL " + searcher_->ServerName() +
                                   ": the store has no search index yet (it is made when Corvane next writes to it)");
      }
      if (failure.SqlState() == postgres::kQueryCanceled) {
        ThrowIfStillIndexing(*searcher_);
      }
      const bool broken = !searcher_ || !searcher_->IsOk();
      if (broken) {
        searcher_.reset();
      }
      if (fresh || !broken || attempt > 0) {
        throw search::SearchFailed(failure.what());
      }
    }
  }
}

search::SearchPage PostgresBackend::Search(const std::string& /*name*/, const search::SearchRequest& request) {
  search::SearchPage page;
  OnSearchConnection([&](postgres::Connection& db) { page = postgres::SearchMessages(db, request); });
  return page;
}

std::uint64_t PostgresBackend::CountMatches(const std::string& /*name*/, const search::Query& query) {
  std::uint64_t count = 0;
  OnSearchConnection([&](postgres::Connection& db) { count = postgres::CountMatches(db, query); });
  return count;
}

std::vector<search::PositionRow> PostgresBackend::Positions(const std::string& /*name*/, search::UtcMillis since,
                                                            std::size_t limit) {
  std::vector<search::PositionRow> positions;
  OnSearchConnection([&](postgres::Connection& db) { positions = postgres::ReadPositions(db, since, limit); });
  return positions;
}

search::Statistics PostgresBackend::StatisticsOf(const std::string& /*name*/, search::UtcMillis from,
                                                 search::UtcMillis to, std::size_t topAircraft) {
  search::Statistics statistics;
  OnSearchConnection(
      [&](postgres::Connection& db) { statistics = postgres::ReadStatistics(db, from, to, topAircraft); });
  return statistics;
}

search::IndexProgress PostgresBackend::IndexingProgress(const std::string& /*name*/) {
  search::IndexProgress progress;
  try {
    OnSearchConnection([&](postgres::Connection& db) { progress = postgres::ReadIndexProgress(db); });
  } catch (const search::SearchFailed&) {
    return {};
  }
  return progress;
}

}  // namespace corvane::store
