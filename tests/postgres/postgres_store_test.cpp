// The PostgreSQL store against a real server of its own: the open sequence
// (also two receivers at once), the station of each row and its 8-bit
// bytes, the network's history with a message heard twice, and a server
// going down and coming back while messages arrive.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <deque>
#include <filesystem>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "../store/store_test_support.h"
#include "../support/postgres_server.h"

namespace corvane::store::test {
namespace {

using namespace std::chrono_literals;

// Every row a statement returns (cells as LATIN1 text); none when it fails.
Rows Sql(const std::string& url, const std::string& sql) {
  PGconn* conn = PQconnectdb((url + "?client_encoding=LATIN1").c_str());
  PGresult* result = PQexec(conn, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  EXPECT_TRUE(status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(conn);
  Rows rows(static_cast<std::size_t>(status == PGRES_TUPLES_OK ? PQntuples(result) : 0));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < PQnfields(result); ++c) {
      rows[r].emplace_back(PQgetvalue(result, static_cast<int>(r), c));
    }
  }
  PQclear(result);
  PQfinish(conn);
  return rows;
}

class PostgresStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<test_support::PostgresServer>(); }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (!server->Installed()) {
      GTEST_SKIP() << "no PostgreSQL server binaries under /usr/lib/postgresql";
    }
    ASSERT_TRUE(server->Ready()) << "the test server did not start";
    static int databases = 0;
    const std::string name = "corvane" + std::to_string(++databases);
    Sql(server->Url("postgres"), "CREATE DATABASE " + name);
    url = server->Url(name);
  }

  Database& Make(const std::string& station, WriterLimits limits = {}) {
    progress.emplace_back();
    tables.emplace_back().FillBuiltinTables();
    auto& db = databases.emplace_back(std::make_unique<Database>(
        tables.back(), [] { return decoding::UtcTime{2026, 12, 7, 10, 0, 0, 0}; }, limits));
    db->SetStoreOptions({url, station});
    return *db;
  }
  static void OpenOn(Database& db, RecordingProgress& shown) {
    std::string name = "Corvane";
    db.OpenStore(kPostgresStore, name, shown);
  }
  Database& Open(const std::string& station, WriterLimits limits = {}) {
    Database& db = Make(station, limits);
    OpenOn(db, progress.back());
    return db;
  }

  static inline std::unique_ptr<test_support::PostgresServer> server;
  test_support::ScratchDir scratch;
  test_support::CurrentDirectory current{scratch.path()};
  std::string url;
  std::deque<reference::ReferenceTables> tables;
  std::deque<RecordingProgress> progress;
  std::deque<std::unique_ptr<Database>> databases;
};

TEST_F(PostgresStoreTest, CreatesOnceLoadsAfterAndStoresEachStationsBytes) {
  Database& south = Make("south");
  RecordingProgress& southShown = progress.back();
  Database& north = Make("north");
  std::thread other([&] { OpenOn(south, southShown); });
  OpenOn(north, progress.back());
  other.join();
  EXPECT_EQ(Sql(url, "SELECT count(*) FROM Labels")[0][0], std::to_string(InitialRowsOf(Builtin()).labels.size()));
  Sql(url, "UPDATE Countries SET Country = 'Edited' WHERE ID = '3'");
  Database& east = Open("east");
  EXPECT_EQ(progress.back().calls, (std::vector<std::string>{"caption (PostgreSQL DB)", "show Corvane Database",
                                                             "step Get data from tables", "hide"}));
  EXPECT_EQ(tables.back().Countries().at(3), "Edited");
  north.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100000.000", "F-GKXA", "AF1234", "caf\xE9"));
  east.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100001.000", "F-GKXA", "AF1234", "TWO"));
  ASSERT_TRUE(north.Flush(30s) && east.Flush(30s));
  EXPECT_EQ(RowLines(Sql(url, "SELECT Station, Data FROM Planes ORDER BY Hour")),
            (std::vector<std::string>{"north|caf\xE9", "east|TWO"}));
}

TEST_F(PostgresStoreTest, HistoryShowsTheNetworksDayInTimeOrderWithAMessageHeardTwiceOnce) {
  Database& north = Open("north");
  Database& south = Open("south");
  north.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100005.000", "F-GKXA", "AF1234", "DEP"));
  south.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100104.999", "F-GKXA", "AF1234", "DEP"));
  south.StoreMessage(kPostgresStore, "Corvane", Message("261207", "095900.000", "F-GKXA", "AF1234", "EARLY"));
  south.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100200.000", "F-GKXA", "AF1234", "DEP"));
  ASSERT_TRUE(north.Flush(30s) && south.Flush(30s));
  std::string expected;
  for (const char* hourAndText : {"095900.000EARLY", "100005.000DEP", "100200.000DEP"}) {
    const std::string row(hourAndText);
    AppendHistoryRow(expected, {"261207", row.substr(0, 10), "AF1234", row.substr(10)});
  }
  EXPECT_EQ(south.PlaneHistory(kPostgresStore, "Corvane", "F-GKXA"), expected);
}

TEST_F(PostgresStoreTest, AServerDownAndBackWhileMessagesArriveLosesNothingAndWritesEachOnce) {
  WriterLimits limits;
  limits.spillAfter = 200ms;  // also through the pending file
  Database& north = Open("north", limits);
  const auto hand = [&](int from, int to) {
    for (int n = from; n < to; ++n) {
      north.StoreMessage(kPostgresStore, "Corvane",
                         Message("261207", "100000.000", "F-GKXA", "AF1234", "TEXT " + std::to_string(n)));
    }
  };
  hand(0, 100);
  server->Stop();
  hand(100, 200);
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!north.Status(kPostgresStore, "Corvane")->pendingFile && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(north.Status(kPostgresStore, "Corvane")->pendingFile);
  ASSERT_TRUE(server->Start());
  hand(200, 300);
  ASSERT_TRUE(north.Flush(60s));
  EXPECT_EQ(Sql(url, "SELECT count(*), count(DISTINCT Data) FROM Planes")[0], (std::vector<std::string>{"300", "300"}));
  EXPECT_FALSE(std::filesystem::exists("Corvane.pending.jsonl"));
}

}  // namespace
}  // namespace corvane::store::test
