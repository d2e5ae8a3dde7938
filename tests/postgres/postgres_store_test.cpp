// The PostgreSQL store against a real server of its own: the open sequence
// (also two receivers at once), the station of each row and its 8-bit
// bytes, the network's history with a message heard twice, and a server
// going down and coming back while messages arrive.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <array>
#include <deque>
#include <filesystem>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "../store/store_test_support.h"
#include "../support/postgres_server.h"
#include "store/pending_file.h"
#include "store/postgres/pg_index_tables.h"
#include "store/postgres/postgres_backend.h"

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
    ASSERT_TRUE(server->Installed()) << "no PostgreSQL server binaries under /usr/lib/postgresql (scripts/setup.sh)";
    ASSERT_TRUE(server->Ready()) << "the test server did not start";
    static int databases = 0;
    const std::string name = "corvane" + std::to_string(++databases);
    Sql(server->Url("postgres"), "CREATE DATABASE " + name);
    url = server->Url(name);
    // Pending files go to this user's state folder: a scratch one here.
    setenv("XDG_STATE_HOME", (scratch.path() / "state").c_str(), 1);
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
    AppendHistoryRow(expected, {"261207", row.substr(0, 10), "AF1234", row.substr(10), {}, {}});
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

// Another session holding the table: every write is refused within the
// lock time-out and waits on disk at once, in the station's own file; a stop
// during the lock keeps its grace; what PostgreSQL cannot hold is kept
// beside the file with the reason, and a relayed station name is stored as
// it is.
TEST_F(PostgresStoreTest, ALockedTableIsARefusalAndEveryWriteWaitsOnDiskInItsStationsOwnFile) {
  WriterLimits limits;
  limits.closeGrace = 500ms;
  Database& north = Open("north", limits);
  Database& south = Open("south");
  const std::string northFile = north.Writer(kPostgresStore, "Corvane")->PendingPath();
  EXPECT_NE(northFile, south.Writer(kPostgresStore, "Corvane")->PendingPath());
  EXPECT_EQ(std::filesystem::path(northFile).parent_path(), scratch.path() / "state/corvane");
  EXPECT_THROW(Open("north"), StoreInUse);

  PGconn* holder = PQconnectdb(url.c_str());
  PQclear(PQexec(holder, "BEGIN; LOCK TABLE planes IN ACCESS EXCLUSIVE MODE"));
  for (int n = 0; n < 40; ++n) {
    north.SetRelayedStation(n == 7 ? "Z\xC3\xBCrich" : "");
    north.StoreMessage(kPostgresStore, "Corvane",
                       Message("261207", "100000.000", "F-GKXA", "AF1234",
                               n == 9 ? std::string("NUL\0BYTE", 8) : "TEXT " + std::to_string(n)));
  }
  north.SetRelayedStation("");
  const auto onDisk = [&] {
    return PendingFile(northFile).Read([](const StoreOp&) {}).writes == 40 &&
           north.Status(kPostgresStore, "Corvane")->waiting == 0;
  };
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!onDisk() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(onDisk());
  const auto stopStarted = std::chrono::steady_clock::now();
  north.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - stopStarted, 1500ms);
  PQclear(PQexec(holder, "COMMIT"));
  PQfinish(holder);

  Database& again = Open("north");
  ASSERT_TRUE(again.Flush(30s));
  EXPECT_EQ(Sql(url, "SELECT count(*) FROM Planes")[0][0], "39");
  EXPECT_EQ(Sql(url, "SELECT Station FROM Planes WHERE Data = 'TEXT 7'")[0][0], "Z\xFCrich");
  EXPECT_EQ(again.Status(kPostgresStore, "Corvane")->rejected, 1U);
  EXPECT_NE(test_support::ReadBytes(PendingFile(northFile).RejectedPath()).find("NUL byte"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(northFile));
}

// Texts the server's word index cannot take whole are stored whole and
// searched as far as it takes them; nothing waits behind them.
TEST_F(PostgresStoreTest, TextsTheWordIndexCannotTakeWholeHoldUpNothing) {
  Database& north = Open("north");
  const int handed = StoreUnindexableThenOrdinary(north, kPostgresStore, "Corvane");
  ASSERT_TRUE(north.Flush(120s));
  EXPECT_EQ(Sql(url, "SELECT count(*), sum(length(Data)) > 3600000 FROM Planes")[0],
            (std::vector<std::string>{std::to_string(handed), "t"}));
  ExpectStoredAndSearchableAroundTheUnindexable(north, kPostgresStore, "Corvane");
}

// Three blocks joined as the receiver joins them (the last one repeated)
// beside an unfinished message: one hit with the whole text, and one for
// the unfinished message's block.
TEST_F(PostgresStoreTest, AMessageJoinedFromItsBlocksIsOneHitAndAnUnfinishedOneAHitABlock) {
  Database& north = Open("north");
  decoding::BlockJoiner joiner;
  north.SetJoinOf([&](const decoding::MessageRecord& record) { return joiner.Offer(record, {}, record.Hour); });
  int second = 0;
  for (const auto& [address, msn, text] : {std::array<std::string, 3>{"F-GKXA", "M01A", "ALPHA \x17"},
                                           {"F-GKXB", "M02A", "GOLF \x17"},
                                           {"F-GKXA", "M01B", "BRAVO \x17"},
                                           {"F-GKXA", "M01C", "CHARLIE\x03"},
                                           {"F-GKXA", "M01C", "CHARLIE\x03"}}) {
    decoding::MessageRecord record =
        Message("261207", "10000" + std::to_string(second++) + ".000", address, "AF1234", text);
    record.Msn = msn;
    north.SetMessageId(record.Hour);  // an identity of its own
    north.StoreMessage(kPostgresStore, "Corvane", record);
  }
  ASSERT_TRUE(north.Flush(30s));
  search::SearchRequest request;
  request.query = *search::ParseQuery("ALPHA").query;
  const auto hits = north.Search(kPostgresStore, "Corvane", request).hits;
  ASSERT_EQ(hits.size(), 1U);
  EXPECT_EQ(hits[0].blocks, 3U);
  EXPECT_EQ(hits[0].wholeText, "ALPHA BRAVO CHARLIE");
  const auto count = [&](const char* query) {
    return north.CountMatches(kPostgresStore, "Corvane", *search::ParseQuery(query).query);
  };
  EXPECT_EQ(count("CHARLIE"), 1U);
  EXPECT_EQ(count("flight:AF1234"), 2U);
}

TEST_F(PostgresStoreTest, RetentionRemovesOldMessagesEverywhereAndKeepsAlertsLonger) {
  Database& north = Open("north");
  const std::vector<std::string> expected = StoreAndPruneRetentionSample(north, kPostgresStore, "Corvane");
  std::vector<std::string> kept;
  for (const auto& row : Sql(url, "SELECT Data FROM Planes ORDER BY id")) {
    kept.push_back(row.at(0));
  }
  EXPECT_EQ(kept, expected);
  EXPECT_EQ(Sql(url, "SELECT (SELECT count(*) FROM message_index), (SELECT count(*) FROM message_identity)")[0],
            (std::vector<std::string>{"3", "3"}));
}

// Past its size the store gives up its oldest messages, alerts too, from
// every table. PostgreSQL keeps the space for new rows until autovacuum, so
// the tables stay as large: the next look must not cut again.
TEST_F(PostgresStoreTest, TablesPastTheirSizeGiveUpTheirOldestOnce) {
  Database& north = Open("north", {.prunePause = 100ms});
  const auto bytes = [&] {
    return std::stoull(Sql(url,
                           "SELECT pg_total_relation_size('planes') + pg_total_relation_size('message_index')"
                           " + pg_total_relation_size('message_identity')")
                           .at(0)
                           .at(0));
  };
  const std::vector<int> kept = StoreAndCutForSize(north, kPostgresStore, "Corvane", bytes).kept;
  const std::uint64_t pruned = north.Status(kPostgresStore, "Corvane")->pruned;
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(north.Status(kPostgresStore, "Corvane")->pruned, pruned);
  EXPECT_EQ(Sql(url,
                "SELECT (SELECT count(*) FROM Planes), (SELECT count(*) FROM message_index),"
                " (SELECT count(*) FROM message_identity)")[0],
            (std::vector<std::string>(3, std::to_string(kept.size()))));
}

// The tables carry their schema version. Tables a newer Corvane upgraded
// are refused when the store is opened and by a writer, and left as they are.
TEST_F(PostgresStoreTest, TablesCarryTheirSchemaVersionAndANewerOneIsRefusedUntouched) {
  Database& north = Open("north");
  north.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100000.000", "F-GKXA", "AF1234", "ONE"));
  ASSERT_TRUE(north.Flush(30s));
  EXPECT_EQ(Sql(url, "SELECT value FROM search_state WHERE name = 'SchemaVersion'").at(0).at(0), "2");

  // Tables of version 1 (before message_reception) are upgraded by the next
  // writer, every message kept, and take what a decoder knew.
  Sql(url, "DROP TABLE message_reception");
  Sql(url, "UPDATE search_state SET value = 1 WHERE name = 'SchemaVersion'");
  Database& upgrading = Open("upgrading");
  reception::ReceptionFacts facts;
  facts.frequencyMhz = 136.975;
  facts.level = -18.5;
  facts.link = "vdl2";
  upgrading.SetReceptionFacts(facts);
  upgrading.StoreMessage(kPostgresStore, "Corvane", Message("261207", "100001.000", "F-GKXB", "AF1235", "TWO"));
  ASSERT_TRUE(upgrading.Flush(30s));
  EXPECT_EQ(Sql(url,
                "SELECT (SELECT count(*) FROM Planes), (SELECT value FROM search_state WHERE name = 'SchemaVersion'),"
                " (SELECT freq_hz || ' ' || level || ' ' || link FROM message_reception)")[0],
            (std::vector<std::string>{"2", "2", "136975000 -18.5 vdl2"}));
  Sql(url, "UPDATE search_state SET value = 3 WHERE name = 'SchemaVersion'");

  Database& later = Make("later");
  std::string name = "Corvane";
  EXPECT_THROW(later.OpenStore(kPostgresStore, name, progress.back()), StoreTooNew);
  PostgresBackend backend({url, "later"});
  try {
    backend.OpenSession("Corvane");
    ADD_FAILURE() << "a writer opened tables of a newer version";
  } catch (const WriteRefused& refused) {
    EXPECT_NE(std::string(refused.what()).find("newer Corvane"), std::string::npos) << refused.what();
  }
  EXPECT_EQ(Sql(url,
                "SELECT (SELECT count(*) FROM Planes), (SELECT value FROM search_state"
                " WHERE name = 'SchemaVersion')")[0],
            (std::vector<std::string>{"2", "3"}));
}

// A message comes again under the identity its station gave it: relayed
// by another receiver into the same store, or replayed from a pending file
// whose writes the store had taken. It is stored once; a message without an
// identity is stored each time, as before.
TEST_F(PostgresStoreTest, AMessageOfOneIdentityIsStoredOnce) {
  Database& north = Open("north");
  Database& relay = Open("relay");
  const auto message = Message("261207", "100000.000", "F-GKXA", "AF1234", "ONCE");
  north.SetMessageId("0123456789abcdef-1");
  north.StoreMessage(kPostgresStore, "Corvane", message);
  ASSERT_TRUE(north.Flush(30s));
  relay.SetRelayedStation("north");
  relay.SetMessageId("0123456789abcdef-1");
  relay.StoreMessage(kPostgresStore, "Corvane", message);
  relay.SetRelayedStation("");
  relay.SetMessageId("");
  relay.StoreMessage(kPostgresStore, "Corvane", message);
  relay.StoreMessage(kPostgresStore, "Corvane", message);
  ASSERT_TRUE(relay.Flush(30s));
  const std::string northFile = north.Writer(kPostgresStore, "Corvane")->PendingPath();
  north.Close();
  StoreOp again{StoreOp::Kind::Insert, message, {}, {}, "0123456789abcdef-1"};
  StoreOp fresh{StoreOp::Kind::Insert, message, {}, {}, "0123456789abcdef-2"};
  std::string error;
  ASSERT_TRUE(PendingFile(northFile).Append({again, fresh}, error)) << error;
  Database& restarted = Open("north");
  ASSERT_TRUE(restarted.Flush(30s));
  EXPECT_EQ(RowLines(Sql(url, "SELECT Station, count(*) FROM Planes GROUP BY Station ORDER BY Station")),
            (std::vector<std::string>{"north|2", "relay|2"}));
  EXPECT_EQ(Sql(url, "SELECT count(*) FROM message_index")[0][0], "4");
}

}  // namespace
}  // namespace corvane::store::test
