// Tests of the store selection (no store, an unknown store type) and of the
// file layout each backend creates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "store/store.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using test_support::CurrentDirectory;
using test_support::ScratchDir;

class StoreFiles : public testing::Test {
 protected:
  ScratchDir scratch;
  CurrentDirectory current{scratch.path()};
  RecordingProgress progress;
};

TEST_F(StoreFiles, OtherStoreTypesTouchNoFileButAirportsAreIndexed) {
  for (const std::int32_t type : {0, 3, -1}) {
    SCOPED_TRACE(type);
    // Airports set but not indexed: no airport can be found yet.
    reference::ReferenceTables tables;
    tables.SetCountries(Builtin().Countries());
    tables.SetAirports(Builtin().Airports());
    ASSERT_EQ(tables.AirportInfo("EDDF"), "");
    Database db(tables);
    std::string name = "Corvane";
    db.OpenStore(type, name, progress);
    EXPECT_EQ(name, "Corvane");
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
    if (type != 0) {
      EXPECT_EQ(tables.AirportInfo("EDDF"), "Frankfurt           Germany");
    }
  }

  // Against an existing store, the other types neither store, list nor delete.
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  Database db(tables, [] { return decoding::UtcTime{2026, 12, 7, 9, 0, 0, 0}; });
  std::string name = "Corvane";
  db.OpenStore(kSqliteStore, name, progress);
  const auto message = Message("261207", "081512.250", "F-GKXA", "AF1234", "KEPT");
  db.StoreMessage(kSqliteStore, name, message);
  ASSERT_EQ(db.PlaneHistory(kSqliteStore, name, "F-GKXA"), "261207 081512.250: AF1234\r\nKEPT--\r\n");
  for (const std::int32_t type : {0, 3, -1}) {
    SCOPED_TRACE(type);
    db.StoreMessage(type, name, message);
    EXPECT_EQ(db.PlaneHistory(type, name, "F-GKXA"), "");
    EXPECT_EQ(db.DeletePlane(type, name, "F-GKXA"), "");
    ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));
    EXPECT_EQ(Count(name, "Planes"), 1);
  }
}

// SQLite keeps each table's create statement with its first two words in
// capitals and without the closing semicolon.
std::string AsKept(std::string statement) {
  std::transform(statement.begin(), statement.begin() + 12, statement.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  statement.pop_back();
  return statement;
}

TEST_F(StoreFiles, SqliteTablesAreThoseOfTheFiveCreateStatements) {
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  Database db(tables);
  std::string name = "Corvane";
  db.OpenStore(kSqliteStore, name, progress);
  const std::vector<std::string> expected = {
      AsKept("Create Table Labels(Label TEXT PRIMARY KEY, SMI TEXT, Descr TEXT NOT NULL);"),
      AsKept("Create Table Codes(Code TEXT PRIMARY KEY, Descr TEXT NOT NULL);"),
      AsKept("Create Table Countries(ID INTEGER PRIMARY KEY, Country TEXT NOT NULL);"),
      AsKept("Create Table Airports(Airport TEXT PRIMARY KEY, ID INTEGER NOT NULL,Descr TEXT NOT NULL);"),
      AsKept("Create Table Planes(Date TEXT,Hour TEXT,Mode TEXT,Address TEXT,Flight TEXT,Label TEXT,Bloc TEXT,Msn "
             "TEXT,Data TEXT);")};
  // The search index's tables stand beside them (made by the writer as it
  // opens the store), and nothing else.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Select("Corvane.db", "SELECT name FROM sqlite_master WHERE name = 'MessageReception';").empty() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(RowLines(Select("Corvane.db",
                            "SELECT sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'Message%'"
                            " AND name <> 'SearchState' ORDER BY rowid;")),
            expected);
  EXPECT_EQ(RowLines(Select("Corvane.db",
                            "SELECT name FROM sqlite_master WHERE type = 'table' AND (name LIKE 'Message%'"
                            " OR name = 'SearchState') ORDER BY name;")),
            (std::vector<std::string>{"MessageIdentity", "MessageIndex", "MessageReception", "MessageWords",
                                      "MessageWords_config", "MessageWords_data", "MessageWords_docsize",
                                      "MessageWords_idx", "SearchState"}));
}

std::vector<std::string> ColumnsOf(const std::string& table) {
  return RowLines(Select("Corvane.mdb", "SELECT name FROM pragma_table_info('" + table + "') ORDER BY cid;"));
}

TEST_F(StoreFiles, JetTablesLeadWithAnAutoIncrementNumber) {
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  Database db(tables);
  std::string name = "Corvane";
  db.OpenStore(kJetStore, name, progress);
  using Names = std::vector<std::string>;
  EXPECT_EQ(ColumnsOf("Labels"), (Names{"Num", "Label", "SMI", "Descr"}));
  EXPECT_EQ(ColumnsOf("Codes"), (Names{"Num", "Code", "Descr"}));
  EXPECT_EQ(ColumnsOf("Countries"), (Names{"Num", "ID", "Country"}));
  EXPECT_EQ(ColumnsOf("Airports"), (Names{"Num", "Airport", "ID", "Descr"}));
  EXPECT_EQ(ColumnsOf("Planes"), (Names{"Date", "Hour", "Mode", "Address", "Flight", "Label", "Bloc", "MSN", "Data"}));

  // Each copied row got the next number, counting from 1.
  for (const auto& [table, rows] : {std::pair{"Labels", 132}, {"Codes", 51}, {"Countries", 89}, {"Airports", 434}}) {
    SCOPED_TRACE(table);
    const std::string count = std::to_string(rows);
    EXPECT_EQ(RowLines(Select("Corvane.mdb",
                              std::string("SELECT min(Num), max(Num), count(DISTINCT Num) FROM ") + table + ";")),
              Names{"1|" + count + "|" + count});
    EXPECT_EQ(
        RowLines(Select("Corvane.mdb", std::string("SELECT seq FROM sqlite_sequence WHERE name = '") + table + "';")),
        Names{count});
  }
}

TEST_F(StoreFiles, JetSkipsAReferenceRowItCannotStore) {
  // A label repeated and a label wider than its column sit among the others.
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::vector<reference::LabelRow> labels = Builtin().Labels();
  labels.insert(labels.begin() + 1, {labels[0].label, "Repeated", ""});
  labels.insert(labels.begin() + 3, {"XYZ", "Too wide", ""});
  tables.SetLabels(labels);
  Database db(tables);
  std::string name = "Corvane";
  db.OpenStore(kJetStore, name, progress);

  std::vector<std::string> expected;
  for (const auto& row : Builtin().Labels()) {
    expected.push_back(row.label + "|" + row.description);
  }
  EXPECT_EQ(RowLines(Select("Corvane.mdb", "SELECT Label,Descr FROM Labels ORDER BY Num;")), expected);
  EXPECT_EQ(Count("Corvane.mdb", "Codes"), 51);
  EXPECT_EQ(Count("Corvane.mdb", "Countries"), 89);
  EXPECT_EQ(Count("Corvane.mdb", "Airports"), 434);
}

}  // namespace
}  // namespace corvane::store::test
