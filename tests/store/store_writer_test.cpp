// The store writer where a fault could hide: messages kept through a long
// refusal (in memory past its limit, in the pending file past a stop) come
// back in order and once, a deletion made meanwhile holds, a refusal shorter
// than reportAfter stays unreported, a row the Jet layout can never take does
// not block the rest, and a pending file cut short by a crash is read up to
// its last whole line.
#include "store/store_writer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "store/pending_file.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using namespace std::chrono_literals;
using test_support::CurrentDirectory;
using test_support::ReadBytes;
using test_support::ScratchDir;
using test_support::WriteBytes;

class StoreWriterTest : public ::testing::Test {
 protected:
  std::unique_ptr<Database> Open(WriterLimits limits) {
    auto db = std::make_unique<Database>(
        tables, [] { return decoding::UtcTime{2026, 12, 7, 10, 0, 0, 0}; }, limits);
    name = "Corvane";
    db->OpenStore(kSqliteStore, name, progress);
    return db;
  }
  static decoding::MessageRecord Numbered(int n, const std::string& address = "F-GKXA") {
    return Message("261207", "0815" + std::to_string(10 + n) + ".000", address, "AF1234", "TEXT " + std::to_string(n));
  }
  std::vector<std::string> StoredTexts() {
    std::vector<std::string> texts;
    for (const auto& row : Select(name, "SELECT Data FROM Planes ORDER BY rowid;")) {
      texts.push_back(row.at(0));
    }
    return texts;
  }

  ScratchDir scratch;
  CurrentDirectory current{scratch.path()};
  reference::ReferenceTables tables;
  RecordingProgress progress;
  std::string name;
  const std::string pending = "Corvane.pending.jsonl";
};

TEST_F(StoreWriterTest, ALongRefusalAndAStopLoseNothingAndTheNextStartWritesEachOnceInOrder) {
  // A tiny memory limit: the waiting messages go to the pending file as they
  // come, and the history still shows them.
  auto db = Open({.queueBytes = 600, .closeGrace = 100ms});
  std::vector<std::string> expected;
  db->StoreMessage(kSqliteStore, name, Numbered(0));
  ASSERT_TRUE(db->Flush(5s));
  expected.push_back("TEXT 0");
  {
    SqliteLock lock(name);
    ASSERT_TRUE(lock.Held());
    for (int n = 1; n <= 12; ++n) {
      db->StoreMessage(kSqliteStore, name, Numbered(n, n % 3 == 0 ? "D-ABCD" : "F-GKXA"));
      if (n % 3 != 0) {
        expected.push_back("TEXT " + std::to_string(n));
      }
    }
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!std::filesystem::exists(pending) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(std::filesystem::exists(pending));
    EXPECT_NE(db->PlaneHistory(kSqliteStore, name, "D-ABCD").find("TEXT 12"), std::string::npos);
    // Deleted while locked: nothing of D-ABCD may come back.
    db->DeletePlane(kSqliteStore, name, "D-ABCD");
    EXPECT_EQ(db->PlaneHistory(kSqliteStore, name, "D-ABCD"), "");
    db->StoreMessage(kSqliteStore, name, Numbered(13));
    expected.push_back("TEXT 13");
    db->Close();
    const WriterStatus closed = *db->Status(kSqliteStore, name);
    EXPECT_EQ(closed.lost, 0U);
    // Everything after TEXT 0 waits in the pending file, the deletion too.
    EXPECT_EQ(closed.stored, 1U);
    EXPECT_EQ(closed.inPendingFile + closed.waiting, 14U);
  }
  EXPECT_TRUE(StoredTexts() == std::vector<std::string>{"TEXT 0"});

  db = Open({});
  ASSERT_TRUE(db->Flush(5s));
  EXPECT_EQ(StoredTexts(), expected);
  EXPECT_FALSE(std::filesystem::exists(pending));
  const WriterStatus next = *db->Status(kSqliteStore, name);
  EXPECT_EQ(next.fromEarlierRun, 14U);  // 13 messages and the deletion
  EXPECT_EQ(next.stored, 13U);
  EXPECT_EQ(next.inPendingFile, 0U);
}

TEST_F(StoreWriterTest, ARefusalLongerThanASecondIsReportedOnceAndItsEndCounted) {
  auto db = Open({.reportAfter = 200ms});
  {
    SqliteLock lock(name);
    ASSERT_TRUE(lock.Held());
    db->StoreMessage(kSqliteStore, name, Numbered(1));
    db->StoreMessage(kSqliteStore, name, Numbered(2));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!db->Status(kSqliteStore, name)->refusing && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    const WriterStatus status = *db->Status(kSqliteStore, name);
    EXPECT_TRUE(status.refusing);
    EXPECT_EQ(status.refusals, 1U);
    EXPECT_NE(status.reason.find("locked"), std::string::npos) << status.reason;
    EXPECT_EQ(status.waiting + status.inPendingFile, 2U);
  }
  ASSERT_TRUE(db->Flush(5s));
  const WriterStatus status = *db->Status(kSqliteStore, name);
  EXPECT_FALSE(status.refusing);
  EXPECT_EQ(status.catchUps, 1U);
  EXPECT_EQ(status.writtenLate, 2U);
  EXPECT_EQ(status.writtenLateTotal, 2U);
  EXPECT_EQ(status.stored, 2U);
  EXPECT_EQ(status.waiting + status.inPendingFile, 0U);
}

// A lock held past the store's own busy wait, so that writes are refused,
// but for much less than reportAfter: the refusal is never reported, neither
// while it lasts nor once it ends, and everything is written after it.
TEST_F(StoreWriterTest, ARefusalShorterThanReportAfterIsNeverReported) {
  auto db = Open({.reportAfter = 5s});
  bool reported = false;
  const auto refusedSoFar = [&] {
    const WriterStatus status = *db->Status(kSqliteStore, name);
    reported = reported || status.refusing || status.refusals != 0;
    return !status.reason.empty();
  };
  {
    SqliteLock lock(name);
    ASSERT_TRUE(lock.Held());
    db->StoreMessage(kSqliteStore, name, Numbered(1));
    db->StoreMessage(kSqliteStore, name, Numbered(2));
    auto deadline = std::chrono::steady_clock::now() + 4s;
    while (!refusedSoFar() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(refusedSoFar()) << "the lock never made the store refuse";
    deadline = std::chrono::steady_clock::now() + 300ms;
    while (std::chrono::steady_clock::now() < deadline) {
      refusedSoFar();
      std::this_thread::sleep_for(20ms);
    }
  }
  ASSERT_TRUE(db->Flush(5s));
  refusedSoFar();
  EXPECT_FALSE(reported);
  EXPECT_EQ(db->Status(kSqliteStore, name)->catchUps, 0U);
  EXPECT_EQ(StoredTexts(), (std::vector<std::string>{"TEXT 1", "TEXT 2"}));
}

// A Jet-layout column refuses a value wider than itself; that row alone is
// skipped, as a single insert always was, and the batch goes on.
TEST_F(StoreWriterTest, ARowTheJetLayoutRefusesIsSkippedAndTheRestStored) {
  Database db(tables);
  std::string jet = "Corvane";
  db.OpenStore(kJetStore, jet, progress);
  db.StoreMessage(kJetStore, jet, Numbered(1));
  db.StoreMessage(kJetStore, jet, Numbered(2, "TOO-LONG-ADDRESS"));
  db.StoreMessage(kJetStore, jet, Numbered(3));
  ASSERT_TRUE(db.Flush(5s));
  const Rows rows = Select(jet, "SELECT Data FROM Planes ORDER BY rowid;");
  EXPECT_EQ(RowLines(rows), (std::vector<std::string>{"TEXT 1", "TEXT 3"}));
  // Kept beside the store with the reason, not dropped.
  EXPECT_EQ(db.Status(kJetStore, jet)->rejected, 1U);
  EXPECT_NE(ReadBytes("Corvane.rejected.jsonl").find("TOO-LONG-ADDRESS"), std::string::npos);
}

// One process keeps a store's pending file; lines of it that are no write
// (cut short, wrong types, text beyond the card's bytes) are counted and
// kept beside it rather than lost with the file.
TEST_F(StoreWriterTest, APendingFileHasOneKeeperAndItsUnreadableLinesAreKeptBesideIt) {
  Open({})->Close();
  const std::string good = PendingLine({StoreOp::Kind::Insert, Numbered(1), {}, {}});
  const std::vector<std::string> bad = {"not json", R"({"Date":1,"Hour":2})",
                                        good.substr(0, good.size() - 3) + R"(Ā"})"};
  WriteBytes(pending, good + "\n" + bad[0] + "\n" + bad[1] + "\n" + bad[2] + "\n" + good.substr(0, 20));
  auto db = Open({});
  EXPECT_THROW(Open({}), StoreInUse);
  ASSERT_TRUE(db->Flush(5s));
  EXPECT_EQ(StoredTexts(), std::vector<std::string>{"TEXT 1"});
  EXPECT_EQ(db->Status(kSqliteStore, name)->unreadable, 4U);
  EXPECT_EQ(ReadBytes("Corvane.unreadable.jsonl"),
            bad[0] + "\n" + bad[1] + "\n" + bad[2] + "\n" + good.substr(0, 20) + "\n");
  EXPECT_FALSE(std::filesystem::exists(pending));
}

TEST_F(StoreWriterTest, AStoreLockedWhileItsOlderMessagesAreIndexedLosesNothingAndEndsIndexed) {
  // A store from before the search index: 3,000 messages and no index.
  Open({})->Close();
  std::string rows = "DROP TABLE MessageIndex; DROP TABLE MessageWords; DROP TABLE SearchState; BEGIN;";
  for (int n = 0; n < 3000; ++n) {
    rows += "INSERT INTO Planes VALUES ('261206','101010.000','2','.N123UA','UA0001','H1','2','M01A','OLD " +
            std::to_string(n) + "');";
  }
  ASSERT_TRUE(Exec(name, rows + "COMMIT;"));
  auto db = Open({.indexBatch = 100});
  {
    // Locked while the older messages are indexed a batch at a time: the
    // new messages wait, the indexing stops and goes on after.
    SqliteLock lock(name);
    ASSERT_TRUE(lock.Held());
    for (int n = 1; n <= 50; ++n) {
      db->StoreMessage(kSqliteStore, name, Numbered(n));
    }
    std::this_thread::sleep_for(1500ms);
  }
  ASSERT_TRUE(db->Flush(10s));
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (db->Status(kSqliteStore, name)->indexing.done < 3000 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  const auto status = *db->Status(kSqliteStore, name);
  EXPECT_EQ(status.lost, 0U);
  EXPECT_EQ(status.indexing.done, 3000U);
  EXPECT_EQ(StoredTexts().size(), 3050U);
  EXPECT_EQ(Select(name, "SELECT COUNT(*) FROM MessageIndex;").at(0).at(0), "3050");
  EXPECT_EQ(Select(name, "SELECT COUNT(*) FROM MessageWords WHERE MessageWords MATCH 'OLD';").at(0).at(0), "3000");
}

// Both file layouts store texts no word index takes whole and hold up
// nothing behind them; the Jet layout's Data column is a memo, as Planes'.
TEST_F(StoreWriterTest, TextsTheWordIndexCannotTakeWholeHoldUpNothingInEitherFileLayout) {
  for (const std::int32_t type : {kSqliteStore, kJetStore}) {
    SCOPED_TRACE(type);
    Database db(tables);
    std::string file = "Corvane";
    db.OpenStore(type, file, progress);
    const int handed = StoreUnindexableThenOrdinary(db, type, file);
    ASSERT_TRUE(db.Flush(60s));
    EXPECT_EQ(Count(file, "Planes"), handed);
    ExpectStoredAndSearchableAroundTheUnindexable(db, type, file);
  }
}

// Retention on both file layouts: messages past their days leave Planes,
// the index, the word index and the identities together; an alert stays
// for its longer days; newer messages stay.
TEST_F(StoreWriterTest, RetentionRemovesOldMessagesEverywhereAndKeepsAlertsLonger) {
  for (const std::int32_t type : {kSqliteStore, kJetStore}) {
    SCOPED_TRACE(type);
    Database db(tables);
    std::string file = "Corvane";
    db.OpenStore(type, file, progress);
    const std::vector<std::string> expected = StoreAndPruneRetentionSample(db, type, file);
    std::vector<std::string> kept;
    for (const auto& row : Select(file, "SELECT Data FROM Planes ORDER BY rowid;")) {
      kept.push_back(row.at(0));
    }
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(Count(file, "MessageIndex"), 3);
    EXPECT_EQ(Count(file, "MessageIdentity"), 3);
    EXPECT_NO_THROW(Select(file, "INSERT INTO MessageWords(MessageWords) VALUES('integrity-check');"));
  }
}

// Past its size limit a store file gives up its oldest messages, alerts
// too, from every table, and gives the space back to the file system.
TEST_F(StoreWriterTest, AStoreFilePastItsSizeGivesUpItsOldestAndShrinks) {
  for (const std::int32_t type : {kSqliteStore, kJetStore}) {
    SCOPED_TRACE(type);
    Database db(tables);
    std::string file = "Corvane";
    db.OpenStore(type, file, progress);
    const auto bytes = [&] { return static_cast<std::uint64_t>(std::filesystem::file_size(file)); };
    const auto [kept, limit] = StoreAndCutForSize(db, type, file, bytes);
    EXPECT_LE(bytes(), limit);
    EXPECT_EQ(Count(file, "Planes"), static_cast<int>(kept.size()));
    EXPECT_EQ(Count(file, "MessageIndex"), static_cast<int>(kept.size()));
    EXPECT_EQ(Count(file, "MessageIdentity"), static_cast<int>(kept.size()));
    EXPECT_NO_THROW(Select(file, "INSERT INTO MessageWords(MessageWords) VALUES('integrity-check');"));
    std::filesystem::remove(file);
  }
}

// A pending file replayed after the store took its writes (a crash before
// the file was cut) stores again only the messages without an identity.
TEST_F(StoreWriterTest, AReplayedPendingFileStoresEachIdentifiedMessageOnce) {
  {
    auto db = Open({});
    db->SetMessageId("0123456789abcdef-1");
    db->StoreMessage(kSqliteStore, name, Numbered(1));
    db->StoreMessage(kSqliteStore, name, Numbered(1));
    ASSERT_TRUE(db->Flush(5s));
  }
  std::string error;
  ASSERT_TRUE(PendingFile(pending).Append({{StoreOp::Kind::Insert, Numbered(1), {}, {}, "0123456789abcdef-1"},
                                           {StoreOp::Kind::Insert, Numbered(2), {}, {}, "0123456789abcdef-2"},
                                           {StoreOp::Kind::Insert, Numbered(3), {}, {}, ""},
                                           {StoreOp::Kind::Insert, Numbered(3), {}, {}, ""}},
                                          error))
      << error;
  auto db = Open({});
  ASSERT_TRUE(db->Flush(5s));
  EXPECT_EQ(StoredTexts(), (std::vector<std::string>{"TEXT 1", "TEXT 2", "TEXT 3", "TEXT 3"}));
  db->DeletePlane(kSqliteStore, name, "F-GKXA");
  ASSERT_TRUE(db->Flush(5s));
  EXPECT_EQ(Count(name, "MessageIdentity"), 0);
}

TEST(PendingFile, ALineCutShortIsPassedOverAndTheNextWriteStartsALineOfItsOwn) {
  ScratchDir scratch;
  const PendingFile file((scratch / "Corvane.pending.jsonl").string());
  StoreOp first{StoreOp::Kind::Insert, Message("261207", "081512.250", "F-GKXA", "AF1234", "caf\xE9\r\n\x01"), {}, {}};
  first.join = {3, "\x01 caf\xE9 whole", {"id-a", "id-b"}, "id-c"};  // what the block joiner said goes along
  StoreOp deletion{StoreOp::Kind::Delete, {}, {}, {}};
  deletion.record.Address = "D-ABCD";
  WriteBytes(file.Path(), PendingLine(first) + "\n" + PendingLine(first).substr(0, 30));
  std::string error;
  ASSERT_TRUE(file.Append({deletion}, error)) << error;

  std::vector<StoreOp> read;
  EXPECT_EQ(file.ForEach([&](const StoreOp& op) { read.push_back(op); }), 1U);
  ASSERT_EQ(read.size(), 2U);
  EXPECT_EQ(read[0].record.Data, "caf\xE9\r\n\x01");
  EXPECT_EQ(read[0].record.Msn, first.record.Msn);
  EXPECT_EQ(read[0].join.blocks, 3U);
  EXPECT_EQ(read[0].join.text, first.join.text);
  EXPECT_EQ(read[0].join.parts, first.join.parts);
  EXPECT_EQ(read[0].join.repeatOf, "id-c");
  EXPECT_EQ(read[1].kind, StoreOp::Kind::Delete);
  EXPECT_EQ(read[1].record.Address, "D-ABCD");
  EXPECT_FALSE(ParsePendingLine(R"({"Date":"261207"})"));
  EXPECT_FALSE(ParsePendingLine(R"({"Delete":"\u0100"})"));

  // What a decoder knew waits with its message, and comes back whole.
  first.facts.frequencyMhz = 8.927;
  first.facts.level = -29.5;
  first.facts.levelUnit = "dBFS";
  first.facts.decoderStation = "Z\xC3\xBCrich";
  const auto back = ParsePendingLine(PendingLine(first));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->facts, first.facts);
}

}  // namespace
}  // namespace corvane::store::test
