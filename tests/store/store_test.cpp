// Tests run against both store backends: creating and reloading the store,
// the history and deletion of an aircraft, values that look like SQL, and a
// store file that is damaged, locked or gone.
#include "store/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using test_support::CurrentDirectory;
using test_support::ReadBytes;
using test_support::ScratchDir;
using test_support::WriteBytes;

struct Backend {
  std::int32_t type;
  std::string file;
  std::string caption;
  std::string label;  // test name suffix
};

void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.label; }

class StoreTest : public testing::TestWithParam<Backend> {
 protected:
  // One start of the program: the built-in tables, then the store opened
  // under the name the main window gives it.
  void Start() {
    tables.FillBuiltinTables();
    progress.calls.clear();
    name = "Corvane";
    ASSERT_NO_THROW(db.OpenStore(GetParam().type, name, progress));
  }

  void Store(const decoding::MessageRecord& record) { db.StoreMessage(GetParam().type, name, record); }
  std::string History(std::string_view address) { return db.PlaneHistory(GetParam().type, name, address); }
  std::string Delete(std::string_view address) { return db.DeletePlane(GetParam().type, name, address); }

  // The stored messages of one address, oldest first: date, hour, text, once
  // the writer has written everything handed to it.
  std::vector<std::string> StoredOf(const std::string& address) {
    EXPECT_TRUE(db.Flush(std::chrono::seconds(5)));
    return RowLines(
        Select(File(), "SELECT Date,Hour,Data FROM Planes WHERE Address = '" + address + "' ORDER BY rowid;"));
  }

  [[nodiscard]] const std::string& File() const { return GetParam().file; }

  ScratchDir scratch;
  CurrentDirectory current{scratch.path()};
  reference::ReferenceTables tables;
  decoding::UtcTime now{2026, 12, 7, 10, 0, 0, 0};
  Database db{tables, [this] { return now; }, WriterLimits{.closeGrace = std::chrono::milliseconds(100)}};
  RecordingProgress progress;
  std::string name;
};

TEST_P(StoreTest, FirstStartCreatesTheFileWithACopyOfTheTables) {
  Start();
  EXPECT_EQ(name, File());
  EXPECT_TRUE(std::filesystem::is_regular_file(scratch / File()));
  const std::vector<std::string> expected = {"caption" + GetParam().caption, "show Corvane Database",
                                             "step Create database",         "step Create tables",
                                             "step Initialize tables",       "hide"};
  EXPECT_EQ(progress.calls, expected);

  EXPECT_EQ(Count(File(), "Labels"), 132);
  EXPECT_EQ(Count(File(), "Codes"), 51);
  EXPECT_EQ(Count(File(), "Countries"), 89);
  EXPECT_EQ(Count(File(), "Airports"), 434);
  EXPECT_EQ(Count(File(), "Planes"), 0);

  // Each stored row is a copy of its reference row, SMI included.
  std::vector<std::string> labels;
  for (const auto& row : Builtin().Labels()) {
    labels.push_back(row.label + "|" + row.smi + "|" + row.description);
  }
  EXPECT_EQ(RowLines(Select(File(), "SELECT Label,SMI,Descr FROM Labels ORDER BY rowid;")), labels);
  EXPECT_EQ(RowLines(Select(File(), "SELECT Code,Descr FROM Codes ORDER BY rowid;")), CodeLines(Builtin().Codes()));
  std::vector<std::string> countries;
  for (std::size_t id = 0; id < Builtin().Countries().size(); ++id) {
    countries.push_back(std::to_string(id) + "|" + Builtin().Countries()[id]);
  }
  EXPECT_EQ(RowLines(Select(File(), "SELECT ID,Country FROM Countries ORDER BY rowid;")), countries);
  EXPECT_EQ(RowLines(Select(File(), "SELECT Airport,ID,Descr FROM Airports ORDER BY rowid;")),
            AirportLines(Builtin().Airports()));

  // A store just created is not read back: the SMI column stays in memory.
  ExpectBuiltin(tables);
  EXPECT_TRUE(std::any_of(tables.Labels().begin(), tables.Labels().end(),
                          [](const reference::LabelRow& row) { return !row.smi.empty(); }));
}

TEST_P(StoreTest, SecondStartLoadsLabelsCodesAndCountriesFromTheFile) {
  Start();
  // Hand edits show which table is read from the file. Country 3 is stored
  // again last, so it only lands in row 3 when placed by its ID.
  const std::string label = Builtin().Labels()[4].label;
  const std::string code = Builtin().Codes()[7].code;
  ASSERT_TRUE(Exec(File(), "UPDATE Labels SET Descr = 'Edited label' WHERE Label = '" + label +
                               "'; UPDATE Codes SET Descr = 'Edited code' WHERE Code = '" + code +
                               "'; DELETE FROM Countries WHERE ID = 3;"
                               " INSERT INTO Countries (ID,Country) VALUES (3,'Edited country');"
                               " UPDATE Airports SET Descr = 'Edited airport' WHERE Airport = 'EDDF';"));
  Start();
  const std::vector<std::string> expected = {"caption" + GetParam().caption, "show Corvane Database",
                                             "step Get data from tables", "hide"};
  EXPECT_EQ(progress.calls, expected);

  std::vector<reference::LabelRow> labels = Builtin().Labels();
  for (auto& row : labels) {
    row.smi.clear();
  }
  labels[4].description = "Edited label";
  std::vector<reference::CodeRow> codes = Builtin().Codes();
  codes[7].description = "Edited code";
  std::vector<std::string> countries = Builtin().Countries();
  countries[3] = "Edited country";
  EXPECT_EQ(LabelLines(tables.Labels()), LabelLines(labels));
  EXPECT_EQ(CodeLines(tables.Codes()), CodeLines(codes));
  EXPECT_EQ(tables.Countries(), countries);
  // Airports are never read back, and they are indexed.
  EXPECT_EQ(AirportLines(tables.Airports()), AirportLines(Builtin().Airports()));
  EXPECT_EQ(tables.AirportInfo("EDDF"), "Frankfurt           Germany");
}

TEST_P(StoreTest, AnEmptyStoredTableBringsBackAllBuiltinTables) {
  for (const std::string table : {"Labels", "Codes", "Countries"}) {
    SCOPED_TRACE(table);
    // The writer of the store before lets its file go before another file
    // is made at the same path (SQLite's locks would mix the two up).
    db.Close();
    std::filesystem::remove(scratch / File());
    Start();
    ASSERT_TRUE(Exec(File(),
                     "UPDATE Labels SET Descr = 'Edited'; UPDATE Countries SET Country = 'Edited';"
                     " DELETE FROM " +
                         table + ";"));
    Start();
    ExpectBuiltin(tables);
    EXPECT_EQ(tables.AirportInfo("EDDF"), Builtin().AirportInfo("EDDF"));
  }
}

TEST_P(StoreTest, HistoryListsTodaysMessagesWithText) {
  Start();
  Store(Message("261207", "081512.250", "F-GKXA", "AF1234", "FIRST LINE\r\nSECOND LINE"));
  Store(Message("261207", "081600.000", "F-GKXA", "AF1234", ""));
  Store(Message("261207", "081740.003", "F-GKXA", "AF1234", "THIRD"));
  Store(Message("261206", "235959.999", "F-GKXA", "AF1233", "YESTERDAY"));
  Store(Message("261207", "081800.000", "D-ABCD", "LH400", "OTHER PLANE"));

  // The message without text is stored like any other.
  EXPECT_EQ(StoredOf("F-GKXA"),
            (std::vector<std::string>{"261207|081512.250|FIRST LINE\r\nSECOND LINE", "261207|081600.000|",
                                      "261207|081740.003|THIRD", "261206|235959.999|YESTERDAY"}));
  EXPECT_EQ(History("F-GKXA"),
            "261207 081512.250: AF1234\r\nFIRST LINE\r\nSECOND LINE--\r\n"
            "261207 081740.003: AF1234\r\nTHIRD--\r\n");
  EXPECT_EQ(History("D-ABCD"), "261207 081800.000: LH400\r\nOTHER PLANE--\r\n");
  EXPECT_EQ(History("N12345"), "");

  // After midnight the same rows are still stored but no longer listed.
  now = {2026, 12, 8, 0, 0, 1, 0};
  EXPECT_EQ(History("F-GKXA"), "");
  EXPECT_EQ(StoredOf("F-GKXA").size(), 4U);
}

TEST_P(StoreTest, DeleteRemovesEveryDayOfOneAircraftOnly) {
  Start();
  Store(Message("261207", "081512.250", "F-GKXA", "AF1234", "TODAY"));
  Store(Message("261130", "120000.000", "F-GKXA", "AF1234", "LAST MONTH"));
  Store(Message("261207", "081600.000", "F-GKXB", "AF1235", "NEIGHBOUR"));
  Store(Message("261207", "081700.000", "D-ABCD", "LH400", "OTHER"));

  EXPECT_EQ(Delete("F-GKXA"), "");
  EXPECT_TRUE(StoredOf("F-GKXA").empty());
  EXPECT_EQ(History("F-GKXA"), "");
  EXPECT_EQ(StoredOf("F-GKXB"), std::vector<std::string>{"261207|081600.000|NEIGHBOUR"});
  EXPECT_EQ(StoredOf("D-ABCD"), std::vector<std::string>{"261207|081700.000|OTHER"});
  EXPECT_EQ(History("D-ABCD"), "261207 081700.000: LH400\r\nOTHER--\r\n");
}

TEST_P(StoreTest, ValuesThatLookLikeSqlAreStoredByteForByte) {
  Start();
  const std::string drop = "\"); DROP TABLE Planes; --";
  const std::string binary("caf\xE9 \x00\xFF\x80 end\x00", 14);
  const std::string quoted = "F-\"GK\"";
  Store(Message("261207", "081512.250", "F-GKXA", "AF1234", drop));
  Store(Message("261207", "081513.000", quoted, "A\"1", "QUOTED"));
  Store(Message("261207", "081514.000", "F-GKXA", "AF1234", binary));

  ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));
  EXPECT_EQ(RowLines(Select(File(), "SELECT * FROM Planes ORDER BY rowid;")),
            (std::vector<std::string>{"261207|081512.250|2|F-GKXA|AF1234|H1|5|M01A|" + drop,
                                      "261207|081513.000|2|" + quoted + "|A\"1|H1|5|M01A|QUOTED",
                                      "261207|081514.000|2|F-GKXA|AF1234|H1|5|M01A|" + binary}));
  EXPECT_EQ(History("F-GKXA"),
            "261207 081512.250: AF1234\r\n" + drop + "--\r\n261207 081514.000: AF1234\r\n" + binary + "--\r\n");
  EXPECT_EQ(History(quoted), "261207 081513.000: A\"1\r\nQUOTED--\r\n");

  // An address that would widen the condition if pasted into the statement
  // matches nothing.
  const std::string always = "\" OR \"\"=\"";
  EXPECT_EQ(History(always), "");
  EXPECT_EQ(Delete(always), "");
  ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));
  EXPECT_EQ(Count(File(), "Planes"), 3);
  EXPECT_EQ(Delete(quoted), "");
  ASSERT_TRUE(db.Flush(std::chrono::seconds(5)));
  EXPECT_EQ(Count(File(), "Planes"), 2);
  EXPECT_EQ(Count(File(), "Labels"), 132);
  EXPECT_EQ(Count(File(), "Codes"), 51);
  EXPECT_EQ(Count(File(), "Countries"), 89);
  EXPECT_EQ(Count(File(), "Airports"), 434);
}

TEST_P(StoreTest, ADamagedStoreLeavesTheBuiltinTablesAndNeverThrows) {
  // Starts on a damaged file, then stores, lists and deletes one message;
  // returns the history seen between storing and deleting (a message the
  // store cannot take yet shows as waiting).
  const auto startOn = [this](const char* what, const std::function<void()>& damage) {
    SCOPED_TRACE(what);
    std::filesystem::remove(scratch / File());
    damage();
    Start();
    EXPECT_EQ(progress.calls.at(2), "step Get data from tables");
    ExpectBuiltin(tables);
    EXPECT_EQ(tables.AirportInfo("EDDF"), Builtin().AirportInfo("EDDF"));
    std::string history;
    EXPECT_NO_THROW(Store(Message("261207", "081512.250", "F-GKXA", "AF1234", "SENT")));
    EXPECT_NO_THROW(history = History("F-GKXA"));
    EXPECT_NO_THROW(Delete("F-GKXA"));
    return history;
  };

  std::string notes;
  while (notes.size() < 2048) {
    notes += "This file holds the notes of a user, not a database.\n";
  }
  const std::string sent = "261207 081512.250: AF1234\r\nSENT--\r\n";
  EXPECT_EQ(startOn("not a database", [&] { WriteBytes(scratch / File(), notes); }), sent);
  EXPECT_EQ(ReadBytes(scratch / File()), notes);

  // The messages table is still there and keeps working.
  EXPECT_EQ(startOn("no Labels table",
                    [this] {
                      Start();
                      ASSERT_TRUE(Exec(File(), "UPDATE Codes SET Descr = 'Edited'; DROP TABLE Labels;"));
                    }),
            sent);

  if (geteuid() != 0) {  // permissions do not stop the superuser
    EXPECT_EQ(startOn("unreadable",
                      [this] {
                        Start();
                        ASSERT_TRUE(Exec(File(), "UPDATE Codes SET Descr = 'Edited';"));
                        std::filesystem::permissions(scratch / File(), std::filesystem::perms::none);
                      }),
              sent);
  }
}

TEST_P(StoreTest, CountriesWithoutAPlaceAreSkipped) {
  Start();
  ASSERT_TRUE(Exec(File(),
                   "INSERT INTO Countries (ID,Country) VALUES (500,'Far away');"
                   " INSERT INTO Countries (ID,Country) VALUES (-3,'Below zero');"));
  Start();
  // The table takes one row per stored row; the two strays find no place.
  std::vector<std::string> expected = Builtin().Countries();
  expected.resize(expected.size() + 2);
  EXPECT_EQ(tables.Countries(), expected);
  EXPECT_EQ(tables.Labels().size(), 132U);
  EXPECT_EQ(tables.Labels()[0].smi, "");
}

// Another program's lock neither holds the caller up nor loses the message:
// the history shows it meanwhile, and it is stored once the lock goes.
TEST_P(StoreTest, AStoreBusyForAMomentTakesTheMessageOnceFree) {
  Start();
  std::promise<bool> locked;
  std::promise<void> stored;
  std::thread holder([&] {
    sqlite3* other = nullptr;
    // It waits for the writer's own work at opening (making its search
    // index) rather than failing at once.
    const bool ok = sqlite3_open_v2(File().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                    sqlite3_busy_timeout(other, 5000) == SQLITE_OK &&
                    sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) == SQLITE_OK;
    locked.set_value(ok);
    stored.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
  });
  ASSERT_TRUE(locked.get_future().get());
  Store(Message("261207", "081512.250", "F-GKXA", "AF1234", "WAITED"));
  EXPECT_EQ(History("F-GKXA"), "261207 081512.250: AF1234\r\nWAITED--\r\n");
  stored.set_value();
  holder.join();

  EXPECT_EQ(StoredOf("F-GKXA"), std::vector<std::string>{"261207|081512.250|WAITED"});
  EXPECT_EQ(History("F-GKXA"), "261207 081512.250: AF1234\r\nWAITED--\r\n");
}

TEST_P(StoreTest, AStoreDeletedWhileRunningIsNotRecreated) {
  Start();
  ASSERT_TRUE(std::filesystem::remove(scratch / File()));
  EXPECT_NO_THROW(Store(Message("261207", "081512.250", "F-GKXA", "AF1234", "WAITING")));
  EXPECT_EQ(History("F-GKXA"), "261207 081512.250: AF1234\r\nWAITING--\r\n");
  EXPECT_EQ(Delete("F-GKXA"), "");
  EXPECT_EQ(History("F-GKXA"), "");
  EXPECT_FALSE(db.Flush(std::chrono::milliseconds(200)));
  EXPECT_FALSE(std::filesystem::exists(scratch / File()));
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest,
                         testing::Values(Backend{kSqliteStore, "Corvane.db", " (SQLite DB)", "Sqlite"},
                                         Backend{kJetStore, "Corvane.mdb", " (JET DB)", "Jet"}),
                         [](const testing::TestParamInfo<Backend>& info) { return info.param.label; });

}  // namespace
}  // namespace corvane::store::test
