// Stores made by earlier layouts, built here from the statements those
// layouts ran, are upgraded when today's program opens them: every message is
// still there and found by a search, and the store then carries today's
// schema version. A store of a newer version is refused and left byte for
// byte as it was.
#include "store/sqlite/schema_version.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "../decoding/scratch_dir.h"
#include "store/jet/jet_backend.h"
#include "store/search/query.h"
#include "store/sqlite/sqlite_backend.h"
#include "store/store.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using test_support::CurrentDirectory;
using test_support::ReadBytes;
using test_support::ScratchDir;

// The described tables as each backend first made them (the Jet layout's
// column width checks left out: they hold nothing these messages test).
constexpr const char* kSqliteTables =
    "Create Table Labels(Label TEXT PRIMARY KEY, SMI TEXT, Descr TEXT NOT NULL);"
    "Create Table Codes(Code TEXT PRIMARY KEY, Descr TEXT NOT NULL);"
    "Create Table Countries(ID INTEGER PRIMARY KEY, Country TEXT NOT NULL);"
    "Create Table Airports(Airport TEXT PRIMARY KEY, ID INTEGER NOT NULL,Descr TEXT NOT NULL);"
    "Create Table Planes(Date TEXT,Hour TEXT,Mode TEXT,Address TEXT,Flight TEXT,Label TEXT,Bloc TEXT,Msn TEXT,Data "
    "TEXT);";
constexpr const char* kJetTables =
    R"(CREATE TABLE "Labels" ("Num" INTEGER PRIMARY KEY AUTOINCREMENT, "Label" VARCHAR(2) NOT NULL,)"
    R"( "SMI" VARCHAR(3) NOT NULL, "Descr" TEXT NOT NULL, CONSTRAINT "Label" UNIQUE ("Label"));)"
    R"(CREATE TABLE "Codes" ("Num" INTEGER PRIMARY KEY AUTOINCREMENT, "Code" VARCHAR(2) NOT NULL,)"
    R"( "Descr" TEXT NOT NULL, CONSTRAINT "Code" UNIQUE ("Code"));)"
    R"(CREATE TABLE "Countries" ("Num" INTEGER PRIMARY KEY AUTOINCREMENT, "ID" INTEGER NOT NULL,)"
    R"( "Country" TEXT NOT NULL, CONSTRAINT "ID" UNIQUE ("ID"));)"
    R"(CREATE TABLE "Airports" ("Num" INTEGER PRIMARY KEY AUTOINCREMENT, "Airport" TEXT NOT NULL, "ID" INTEGER,)"
    R"( "Descr" TEXT NOT NULL);)"
    R"(CREATE TABLE "Planes" ("Date" VARCHAR(6) NOT NULL, "Hour" VARCHAR(10) NOT NULL, "Mode" VARCHAR(2) NOT NULL,)"
    R"( "Address" VARCHAR(7) NOT NULL, "Flight" VARCHAR(6) NOT NULL, "Label" VARCHAR(2) NOT NULL,)"
    R"( "Bloc" VARCHAR(1) NOT NULL, "MSN" VARCHAR(4) NOT NULL, "Data" TEXT);)";

// The history index, then the search index and its state as they were first
// added (the messages stored before it left for the writer to index).
constexpr const char* kHistoryIndex = "CREATE INDEX PlanesByAddressDate ON Planes(Address,Date);";
constexpr const char* kSearchIndex =
    "CREATE TABLE MessageIndex(Id INTEGER PRIMARY KEY, Utc INTEGER NOT NULL, FlightKey TEXT NOT NULL,"
    " TailKey TEXT NOT NULL, Label TEXT NOT NULL, Kind TEXT, Station TEXT NOT NULL, Readable TEXT, Latitude REAL,"
    " Longitude REAL, AltitudeFt REAL, Alerts TEXT);"
    "CREATE INDEX MessageIndexByUtc ON MessageIndex(Utc);"
    "CREATE INDEX MessageIndexByFlight ON MessageIndex(FlightKey);"
    "CREATE INDEX MessageIndexByTail ON MessageIndex(TailKey);"
    "CREATE INDEX MessageIndexByLabel ON MessageIndex(Label);"
    "CREATE INDEX MessageIndexByKind ON MessageIndex(Kind);"
    "CREATE INDEX MessageIndexWithPosition ON MessageIndex(Id) WHERE Latitude IS NOT NULL;"
    "CREATE INDEX MessageIndexWithAlerts ON MessageIndex(Id) WHERE Alerts IS NOT NULL;"
    "CREATE VIRTUAL TABLE MessageWords USING fts5(Data, content='Planes', tokenize='ascii');"
    "CREATE TABLE SearchState(Name TEXT PRIMARY KEY, Value INTEGER NOT NULL);"
    "INSERT INTO SearchState SELECT 'OlderNext', 0 UNION ALL SELECT 'OlderLast', COALESCE(MAX(rowid), 0) FROM Planes"
    " UNION ALL SELECT 'OlderTotal', COUNT(*) FROM Planes UNION ALL SELECT 'OlderDone', 0;";

constexpr const char* kMessages =
    "INSERT INTO Planes VALUES ('261201','101500.125','2','N123UA','UA0901','H1','1','M01A','FUEL REMAINING 12');"
    "INSERT INTO Planes VALUES ('261201','101530.500','2','N123UA','UA0901','5Z','2','M02A','GATE CHANGE B12');"
    "INSERT INTO Planes VALUES ('261202','064500.000','2','G-EUPT','BA0306','H1','3','M03A','FUEL ON BOARD 9');";

// Schema version 1: the search index, the identities, and the version kept.
constexpr const char* kVersion1 =
    "CREATE TABLE MessageIdentity(MessageId TEXT PRIMARY KEY, Id INTEGER NOT NULL);"
    "CREATE INDEX MessageIdentityById ON MessageIdentity(Id);"
    "PRAGMA user_version = 1;";

enum class Layout { Described, HistoryIndex, SearchIndex, Version1 };

struct Case {
  std::int32_t type;  // 1 SQLite, 2 Jet layout
  Layout layout;
  const char* label;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.label; }

// Runs the statements on a new file; false when one fails.
bool MakeFile(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  const bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

std::string EarlierStore(const Case& c) {
  std::string sql = c.type == 1 ? kSqliteTables : kJetTables;
  sql += kMessages;
  if (c.layout != Layout::Described) {
    sql += kHistoryIndex;
  }
  if (c.layout == Layout::SearchIndex || c.layout == Layout::Version1) {
    sql += kSearchIndex;
  }
  if (c.layout == Layout::Version1) {
    sql += kVersion1;
  }
  return sql;
}

class EarlierLayout : public testing::TestWithParam<Case> {
 protected:
  std::string File() const { return GetParam().type == 1 ? "Corvane.db" : "Corvane.mdb"; }

  ScratchDir scratch;
  CurrentDirectory current{scratch.path()};
  reference::ReferenceTables tables;
  Database db{tables, [] { return decoding::UtcTime{2026, 12, 10, 8, 0, 0, 0}; },
              WriterLimits{.closeGrace = std::chrono::milliseconds(100)}};
  RecordingProgress progress;
};

TEST_P(EarlierLayout, IsUpgradedWithEveryMessageThereAndSearchable) {
  ASSERT_TRUE(MakeFile(File(), EarlierStore(GetParam())));
  if (GetParam().layout == Layout::Version1) {
    // Searched and counted before any writer opens it: its messages have no
    // facts, and the file is left as it is.
    const std::string before = ReadBytes(scratch / File());
    std::unique_ptr<StoreBackend> backend;
    backend.reset(GetParam().type == 1 ? static_cast<StoreBackend*>(new SqliteBackend) : new JetBackend);
    EXPECT_EQ(backend->CountMatches(File(), *search::ParseQuery("link:vdl2").query), 0U);
    EXPECT_TRUE(backend->StatisticsOf(File(), 0, search::UtcMillis{1} << 50, 5).byLink.empty());
    EXPECT_EQ(ReadBytes(scratch / File()), before);
  }
  tables.FillBuiltinTables();
  std::string name = "Corvane";
  ASSERT_NO_THROW(db.OpenStore(GetParam().type, name, progress));
  ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));

  // The writer indexes the messages stored before the search index.
  const auto query = *search::ParseQuery("FUEL").query;
  std::uint64_t found = 0;
  for (int tries = 0; tries < 100 && found < 2; ++tries) {
    try {
      found = db.CountMatches(GetParam().type, name, query);
    } catch (const search::SearchFailed&) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(found, 2U);
  EXPECT_EQ(db.CountMatches(GetParam().type, name, *search::ParseQuery("flight:BA306").query), 1U);
  // What a decoder knew of a message is kept in the upgraded store.
  reception::ReceptionFacts facts;
  facts.frequencyMhz = 131.725;
  facts.link = "acars";
  db.SetReceptionFacts(facts);
  db.StoreMessage(GetParam().type, name, {"261210", "080000.000", "2", "N9", "", "H1", "1", "", "HEARD BY SDR"});
  ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));
  EXPECT_EQ(db.CountMatches(GetParam().type, name, *search::ParseQuery("freq:131.725").query), 1U);
  db.Close();

  EXPECT_EQ(RowLines(Select(File(), "SELECT Hour,Address,Data FROM Planes ORDER BY rowid;")),
            (std::vector<std::string>{"101500.125|N123UA|FUEL REMAINING 12", "101530.500|N123UA|GATE CHANGE B12",
                                      "064500.000|G-EUPT|FUEL ON BOARD 9", "080000.000|N9|HEARD BY SDR"}));
  EXPECT_EQ(Select(File(), "PRAGMA user_version;"), Rows{{std::to_string(sqlite::kFileSchemaVersion)}});
  EXPECT_EQ(Select(File(),
                   "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('PlanesByAddressDate',"
                   " 'MessageIndex', 'MessageWords', 'SearchState', 'MessageIdentity', 'MessageReception');"),
            Rows{{"6"}});
}

TEST_P(EarlierLayout, NewerVersionIsRefusedAndLeftByteForByte) {
  ASSERT_TRUE(MakeFile(File(), EarlierStore(GetParam()) +
                                   "PRAGMA user_version = " + std::to_string(sqlite::kFileSchemaVersion + 1) + ";"));
  const std::string before = ReadBytes(scratch / File());
  tables.FillBuiltinTables();
  std::string name = "Corvane";
  try {
    db.OpenStore(GetParam().type, name, progress);
    ADD_FAILURE() << "a store of a newer schema was opened";
  } catch (const StoreInUse& refused) {
    EXPECT_STREQ(refused.what(), ("this store was written by a newer Corvane (schema " +
                                  std::to_string(sqlite::kFileSchemaVersion + 1) + ", this one knows " +
                                  std::to_string(sqlite::kFileSchemaVersion) + "); it is left as it is")
                                     .c_str());
  }
  EXPECT_EQ(progress.calls.back(), "hide");
  // Nothing handed to the store reaches the file afterwards: its writer
  // refuses the file too, and the message waits in the pending file.
  db.StoreMessage(GetParam().type, name, {"261210", "080000.000", "2", "N1", "", "H1", "1", "", "LATE"});
  db.Close();
  EXPECT_EQ(ReadBytes(scratch / File()), before);
  EXPECT_EQ(tables.Labels().size(), Builtin().Labels().size());
}

INSTANTIATE_TEST_SUITE_P(
    BothFileStores, EarlierLayout,
    testing::Values(Case{1, Layout::Described, "SqliteDescribed"}, Case{1, Layout::HistoryIndex, "SqliteHistoryIndex"},
                    Case{1, Layout::SearchIndex, "SqliteSearchIndex"}, Case{1, Layout::Version1, "SqliteVersion1"},
                    Case{2, Layout::Described, "JetDescribed"}, Case{2, Layout::HistoryIndex, "JetHistoryIndex"},
                    Case{2, Layout::SearchIndex, "JetSearchIndex"}, Case{2, Layout::Version1, "JetVersion1"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace corvane::store::test
