// Search in the PostgreSQL store, on a server of its own: the real capture,
// partly stored before the index, is found exactly as the plain reading and
// the SQLite store find it; a deletion leaves the index whole.
#include <gtest/gtest.h>

#include <chrono>

#include "../decoding/scratch_dir.h"
#include "../store/search_test_support.h"
#include "../support/postgres_server.h"
#include "store/postgres/pg_connection.h"
#include "store/postgres/pg_index_values.h"
#include "store/postgres/postgres_backend.h"
#include "store/sqlite/sqlite_backend.h"

namespace corvane::store::test {
namespace {

using Key = std::vector<std::string>;  // Date, Hour, Address, Label, Data

Key KeyOf(const decoding::MessageRecord& r) { return {r.Date, r.Hour, r.Address, r.Label, r.Data}; }

std::vector<Key> Found(StoreBackend& store, const std::string& name, const search::Query& query) {
  std::vector<Key> keys;
  for (const auto& hit : Searched(store, name, query, 41)) {
    keys.push_back(KeyOf(hit.record));
  }
  return keys;
}

constexpr const char* kStation = "Z\xC3\xBCrich";  // UTF-8, as station names are

TEST(PostgresSearch, FindsWhatThePlainReadingAndTheSqliteStoreFindAlsoAmongMessagesStoredBeforeTheIndex) {
  test_support::PostgresServer server;
  ASSERT_TRUE(server.Installed()) << "no PostgreSQL server binaries under /usr/lib/postgresql (scripts/setup.sh)";
  ASSERT_TRUE(server.Ready()) << "the test server did not start";
  postgres::Connection(server.Url("postgres"), 5).Execute("CREATE DATABASE search");
  PostgresBackend backend({server.Url("search"), kStation});
  const auto unindexed = [&] { backend.Search("Corvane", {Parsed("POS"), 10, std::nullopt}); };
  EXPECT_THROW(unindexed(), search::SearchFailed);
  EXPECT_THROW(backend.Positions("Corvane", 0, 10), search::SearchFailed);

  // Messages stored by a program that kept no index (and no row number).
  std::vector<StoreOp> ops = CaptureOps();
  postgres::Connection db(server.Url("search"), 5);
  db.Execute(
      "CREATE TABLE Planes(Date TEXT, Hour TEXT, Mode TEXT, Address TEXT, Flight TEXT, Label TEXT, Bloc TEXT, "
      "Msn TEXT, Data TEXT, Station TEXT)");
  for (std::size_t i = 0; i < 1500; ++i) {
    const auto& r = ops[i].record;
    db.Execute("INSERT INTO Planes VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,convert_from(decode($10,'hex'),'UTF8'))",
               {r.Date, r.Hour, r.Mode, r.Address, r.Flight, r.Label, r.Bloc, r.Msn, r.Data, postgres::Hex(kStation)});
    ops[i].alerts.clear();  // it raised no alert
  }
  // The newer messages are indexed as they come, the older ones a batch at
  // a time, resumed by a second session.
  // Their lookup indexes are built last, in the background, and count as
  // one message more until they are there.
  WriteOps(backend, "Corvane", ops, 1500, ops.size());
  EXPECT_EQ(backend.IndexingProgress("Corvane").total, 1501U);
  // A build cut short leaves an invalid index behind (here a unique one the
  // labels break), which the build must replace rather than keep.
  EXPECT_THROW(db.Execute("CREATE UNIQUE INDEX CONCURRENTLY message_index_by_label ON message_index(label)"),
               postgres::Error);
  for (const std::uint64_t done : {1000U, 1500U}) {
    auto session = backend.OpenSession("Corvane");
    session->Begin();
    EXPECT_EQ(session->IndexOlder(1000)->done, done);
    session->Commit();
  }
  auto session = backend.OpenSession("Corvane");
  for (int i = 0; i < 600 && !backend.IndexingProgress("Corvane").Finished(); ++i) {
    session->Begin();
    session->IndexOlder(1000);
    session->Commit();
  }
  session.reset();
  EXPECT_TRUE(backend.IndexingProgress("Corvane").Finished());
  EXPECT_EQ(db.Query("SELECT COUNT(*) FILTER (WHERE indisvalid) || '/' || COUNT(*) FROM pg_index WHERE indrelid = "
                     "'message_index'::regclass")
                .at(0)
                .at(0),
            "9/9");

  test_support::ScratchDir scratch;
  SqliteBackend sqlite;
  const std::string file = (scratch.path() / "Corvane.db").string();
  sqlite.CreateDatabase(file);
  sqlite.CreateTables(file);
  WriteOps(sqlite, file, ops, 0, ops.size());
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::vector<search::IndexRow> facts;
  for (const auto& op : ops) {
    facts.push_back(search::IndexRowOf(op, tables));
  }
  for (const auto& text : CaptureQueries(ops)) {
    const search::Query query = Parsed(text);
    std::vector<Key> plain;
    for (const long long position : PlainReading(query, ops, facts, ops.size(), kStation)) {
      plain.push_back(KeyOf(ops[static_cast<std::size_t>(position) - 1].record));
    }
    const auto found = Found(backend, "Corvane", query);
    EXPECT_EQ(found, plain) << text;
    EXPECT_EQ(found, Found(sqlite, file, query)) << text;
    EXPECT_EQ(backend.CountMatches("Corvane", query), found.size()) << text;
  }
  // The map and the charts as the SQLite store answers them, row numbers
  // aside (the older rows were numbered afresh) and the station this one.
  const auto withoutIds = [](std::vector<search::PositionRow> rows) {
    for (auto& row : rows) {
      row.id = 0;
    }
    return rows;
  };
  const search::UtcMillis since = facts[ops.size() / 2].utc;
  const auto positions = withoutIds(backend.Positions("Corvane", since, 100'000));
  EXPECT_EQ(positions, withoutIds(sqlite.Positions(file, since, 100'000)));
  ASSERT_GT(positions.size(), 100U);
  EXPECT_EQ(withoutIds(backend.Positions("Corvane", since, 100)), std::vector(positions.end() - 100, positions.end()));
  auto statistics = backend.StatisticsOf("Corvane", facts.at(300).utc, facts.at(2000).utc, 8);
  const auto sqliteStatistics = sqlite.StatisticsOf(file, facts.at(300).utc, facts.at(2000).utc, 8);
  EXPECT_EQ(statistics.byStation, (decltype(statistics.byStation){{kStation, sqliteStatistics.Total()}}));
  statistics.byStation = sqliteStatistics.byStation;
  EXPECT_EQ(statistics, sqliteStatistics);
  EXPECT_GT(statistics.byKind.size(), 2U);

  // What the index keeps beside each row comes back as it was made.
  std::string kept;
  std::string made;
  for (const auto& hit : Searched(backend, "Corvane", Parsed(std::string("station:") + kStation), 500)) {
    kept += hit.record.Hour + hit.station + hit.kind + hit.readable + hit.alerts + std::to_string(hit.utc) + '\n';
  }
  for (std::size_t i = ops.size(); i-- > 0;) {
    const auto& fact = facts[i];
    made += ops[i].record.Hour + kStation + fact.kind + fact.readable + fact.alerts + std::to_string(fact.utc) + '\n';
  }
  EXPECT_EQ(kept, made);

  StoreOp deletion;
  deletion.kind = StoreOp::Kind::Delete;
  deletion.record.Address = ".N8560Z";
  WriteOps(backend, "Corvane", {deletion}, 0, 1);
  EXPECT_EQ(backend.CountMatches("Corvane", Parsed("tail:N8560Z")), 0U);
  const std::string remaining = db.Query("SELECT count(*) FROM Planes").at(0).at(0);
  EXPECT_EQ(db.Query("SELECT count(*) FROM message_index").at(0).at(0), remaining);
  EXPECT_EQ(std::to_string(backend.CountMatches("Corvane", Parsed("from:2000-01-01"))), remaining);
  server.Stop();
  EXPECT_THROW(backend.CountMatches("Corvane", Parsed("POS")), search::SearchFailed);
  EXPECT_THROW(backend.StatisticsOf("Corvane", 0, 1, 1), search::SearchFailed);
}

// The lookup indexes' build waits while another receiver of the store holds
// it, a session closes at once when the server goes away meanwhile, and the
// build is done once the server is back.
TEST(PostgresSearch, TheLookupIndexesAreBuiltOnceWhateverHappensOnTheWay) {
  test_support::PostgresServer server;
  ASSERT_TRUE(server.Ready()) << "the test server did not start";
  postgres::Connection db(server.Url("postgres"), 5);
  db.Execute(
      "CREATE TABLE Planes(Date TEXT, Hour TEXT, Mode TEXT, Address TEXT, Flight TEXT, Label TEXT, Bloc TEXT,"
      " Msn TEXT, Data TEXT, Station TEXT)");
  db.Execute(
      "INSERT INTO Planes (Date, Hour, Data) SELECT '261209', lpad(g::text, 6, '0') || '.000', 'POS ' || g"
      " FROM generate_series(1, 300) AS g");
  PostgresBackend backend({server.Url("postgres"), kStation});
  backend.CreateTables("Corvane");
  const auto indexOnce = [&](StoreSession& session) {
    session.Begin();
    const auto progress = session.IndexOlder(1000);
    session.Commit();
    return progress.value_or(search::IndexProgress{});
  };
  db.Execute("SELECT pg_advisory_lock(1129469518, 1280005456)");  // another receiver building
  auto session = backend.OpenSession("Corvane");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(indexOnce(*session).done, 300U);
  }
  EXPECT_FALSE(backend.IndexingProgress("Corvane").Finished());
  server.Stop();
  const auto closing = std::chrono::steady_clock::now();
  session.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(3));

  ASSERT_TRUE(server.Start());
  session = backend.OpenSession("Corvane");
  for (int i = 0; i < 600 && !indexOnce(*session).Finished(); ++i) {
  }
  EXPECT_TRUE(backend.IndexingProgress("Corvane").Finished());
  EXPECT_EQ(backend.CountMatches("Corvane", Parsed("POS")), 300U);
}

}  // namespace
}  // namespace corvane::store::test
