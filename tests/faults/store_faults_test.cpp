// corvaned's store taken away while it runs (deleted, made read-only, locked
// by another process, its disk full, replaced by a file that is no database)
// and damaged before it starts. The receiver stays up and keeps decoding and
// logging, the card link never stalls, rows stored before the fault stay,
// messages that wait are written once the store takes them (from the pending
// file if need be), and a file that is not a store of ours is never written
// over.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <filesystem>
#include <fstream>

#include "fault_harness.h"

namespace corvane::faults {
namespace {

// Another process's exclusive lock on the store, held until released.
class StoreLock {
 public:
  explicit StoreLock(const std::string& database) {
    sqlite3_open_v2(database.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    // A receiver writing a fast replay takes the lock back between the
    // busy handler's sleeps; on a loaded machine one busy wait can lose
    // every time, so the lock is asked for again until a deadline.
    sqlite3_busy_timeout(db_, 1000);
    QElapsedTimer waited;
    waited.start();
    do {
      locked_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) == SQLITE_OK;
    } while (!locked_ && waited.elapsed() < 20000);
  }
  ~StoreLock() { Release(); }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  [[nodiscard]] bool Locked() const { return locked_; }
  void Release() {
    if (db_ != nullptr) {
      sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
      sqlite3_close(db_);
      db_ = nullptr;
    }
  }

 private:
  sqlite3* db_ = nullptr;
  bool locked_ = false;
};

// How long each fault lasts while records arrive.
constexpr int kFaultMs = 30000;
constexpr char kStoreRefused[] = "store: cannot write (";
constexpr char kStoreBack[] = "store: writing again";
constexpr char kConnectionLost[] = "connection to the card server lost";

class StoreFaults : public ReceiverFixture {
 protected:
  // The rows stored before a fault, as text, to find them all afterwards.
  std::string Rows(long upTo) const {
    const std::string sql =
        "SELECT group_concat(rowid || Address || Label || Hour || Data, '|') FROM (SELECT rowid, * FROM Planes "
        "WHERE rowid <= " +
        std::to_string(upTo) + " ORDER BY rowid);";
    return QueryOne(folder.Database(), sql.c_str());
  }

  // Every message the receiver took is in the store once, in the order it
  // arrived (its reception time never goes back from one row to the next).
  static void ExpectEachOnceInOrder(const std::string& database, long accepted) {
    EXPECT_EQ(StoredRows(database), accepted);
    EXPECT_EQ(
        QueryOne(database, "SELECT count(*) FROM (SELECT DISTINCT Date, Hour, Address, Label, Msn, Data FROM Planes);"),
        std::to_string(accepted))
        << QueryOne(database,
                    "SELECT group_concat(k, ' ') FROM (SELECT Date || Hour || Address || Label || Msn || ':' || "
                    "group_concat(rowid) AS k FROM Planes GROUP BY Date, Hour, Address, Label, Msn, Data HAVING "
                    "count(*) > 1);");
    EXPECT_EQ(QueryOne(database,
                       "SELECT count(*) FROM (SELECT Date || Hour AS t, lag(Date || Hour) OVER (ORDER BY rowid) AS p "
                       "FROM Planes) WHERE t < p;"),
              "0");
    EXPECT_TRUE(StoreIsSound(database));
  }

  // A fault lasting kFaultMs at ten records a second: the receiver says the
  // store refuses and, once the fault ends, that it caught up; the card link
  // never drops, and the store ends up holding every logged message.
  void ExpectFaultRiddenOut(const std::function<void()>& begin, const std::function<void()>& end) {
    StartReceiver();
    ASSERT_TRUE(StoreGrowsBy(5));
    const long before = Stored();
    const std::string rowsBefore = Rows(before);
    ASSERT_FALSE(rowsBefore.empty());
    begin();
    EXPECT_TRUE(receiver.WaitForOutput(kStoreRefused, 10000)) << receiver.Output().toStdString();
    WaitUntil([] { return false; }, kFaultMs);
    end();
    EXPECT_TRUE(receiver.WaitForOutput(kStoreBack, 10000)) << receiver.Output().toStdString();
    EXPECT_TRUE(LogGrowsBy(5));
    ExpectStoppedSoundAndWhole();
    EXPECT_FALSE(receiver.Output().contains(kConnectionLost)) << receiver.Output().toStdString();
    EXPECT_FALSE(QFile::exists(folder.File("Corvane.pending.jsonl")));
    EXPECT_EQ(Rows(before), rowsBefore);
    ExpectEachOnceInOrder(folder.Database(), Logged());
  }

  void ExpectStoppedSoundAndWhole() {
    EXPECT_TRUE(receiver.Stop());
    bool whole = false;
    LogEntries(ReadFile(folder.Log()), &whole);
    EXPECT_TRUE(whole);
  }
};

TEST_F(StoreFaults, ADeletedStoreIsNotRecreatedEmptyAndTheNextStartBuildsAFreshOne) {
  StartReceiver();
  ASSERT_TRUE(StoreGrowsBy(20));
  ASSERT_TRUE(QFile::remove(QString::fromStdString(folder.Database())));

  EXPECT_TRUE(LogGrowsBy(20));
  EXPECT_TRUE(receiver.Running());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(folder.Database())));
  ExpectStoppedSoundAndWhole();

  Child again(folder, "again");
  ASSERT_TRUE(again.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
  EXPECT_TRUE(again.WaitForOutput("Create tables", 5000)) << again.Output().toStdString();
  EXPECT_TRUE(StoreGrowsBy(20));
  EXPECT_TRUE(again.Stop());
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

// Faults that last while records arrive at ten a second.
class LongStoreFaults : public StoreFaults {
 protected:
  LongStoreFaults() { replaySpeed = "100"; }
};

TEST_F(LongStoreFaults, AStoreLockedByAnotherProcessLosesNothing) {
  std::unique_ptr<StoreLock> lock;
  ExpectFaultRiddenOut(
      [&] {
        lock = std::make_unique<StoreLock>(folder.Database());
        ASSERT_TRUE(lock->Locked());
      },
      [&] { lock.reset(); });
}

// The folder too, so that the store cannot make its journal (an open file
// made read-only alone is still written through its open descriptor).
TEST_F(LongStoreFaults, AStoreMadeReadOnlyLosesNothing) {
  const QString database = QString::fromStdString(folder.Database());
  ExpectFaultRiddenOut(
      [&] {
        folder.SetWritable(database, false);
        folder.SetWritable(folder.Path(), false, true);
      },
      [&] {
        folder.SetWritable(folder.Path(), true, true);
        folder.SetWritable(database, true);
      });
}

// A disk of its own, filled up for the fault: the store and its pending
// file cannot grow, so the messages wait in memory. The reports on standard
// output tell what the receiver took.
TEST_F(LongStoreFaults, AFullDiskLosesNothing) {
  if (!RunningAsRoot()) {
    GTEST_SKIP() << "mounting a small disk needs root";
  }
  const QString disk = folder.File("disk");
  ASSERT_TRUE(QDir().mkpath(disk));
  ASSERT_EQ(::mount("tmpfs", disk.toLocal8Bit().constData(), "tmpfs", 0, "size=4m,mode=0777"), 0);
  struct Unmount {
    QString path;
    ~Unmount() { ::umount2(path.toLocal8Bit().constData(), MNT_DETACH); }
  } unmount{disk};
  QStringList arguments = ReceiverArguments(port);
  arguments.removeAll("--quiet");
  const qsizetype log = arguments.indexOf("--log");
  arguments.remove(log, 2);
  const std::string database = (disk + "/Corvane.db").toStdString();
  const std::string filler = (disk + "/filler").toStdString();
  const auto reports = [&] { return receiver.Output().count("\n= ") + (receiver.Output().startsWith("= ") ? 1 : 0); };

  StartReceiver(arguments, disk);
  ASSERT_TRUE(WaitUntil([&] { return StoredRows(database) >= 5; }, 20000));
  {
    std::ofstream fill(filler, std::ios::binary);
    const std::string block(64 * 1024, 'x');
    while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) && fill.flush()) {
    }
  }
  EXPECT_TRUE(receiver.WaitForOutput(kStoreRefused, 10000)) << receiver.Output().toStdString();
  WaitUntil([] { return false; }, kFaultMs);
  std::filesystem::remove(filler);
  EXPECT_TRUE(receiver.WaitForOutput(kStoreBack, 10000)) << receiver.Output().toStdString();
  ASSERT_TRUE(receiver.Stop());
  EXPECT_FALSE(receiver.Output().contains(kConnectionLost));
  ExpectEachOnceInOrder(database, reports());
}

// Stopped while the store is locked: what waits goes to the pending file,
// which the next start writes into the store and removes.
TEST_F(StoreFaults, WhatWaitsAtAStopIsWrittenAtTheNextStart) {
  StartReceiver();
  ASSERT_TRUE(StoreGrowsBy(5));
  const QString pending = folder.File("Corvane.pending.jsonl");
  {
    StoreLock lock(folder.Database());
    ASSERT_TRUE(lock.Locked());
    ASSERT_TRUE(LogGrowsBy(20));
    ASSERT_TRUE(receiver.Stop(8000));
    EXPECT_TRUE(receiver.Output().contains("wait in Corvane.pending.jsonl")) << receiver.Output().toStdString();
    EXPECT_GE(ReadFile(pending).count('\n'), 20);
  }
  Child again(folder, "again");
  ASSERT_TRUE(again.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
  EXPECT_TRUE(again.WaitForOutput("that an earlier run left waiting", 8000)) << again.Output().toStdString();
  EXPECT_TRUE(WaitUntil([&] { return !QFile::exists(pending); }, 5000));
  ASSERT_TRUE(again.Stop());
  ExpectEachOnceInOrder(folder.Database(), Logged());
}

TEST_F(StoreFaults, AStoreReplacedByAnotherFileIsNeverWrittenTo) {
  StartReceiver();
  ASSERT_TRUE(StoreGrowsBy(20));
  const QString database = QString::fromStdString(folder.Database());
  const QByteArray foreign = "Holiday photos, not a database.\n" + QByteArray(8192, 'x');
  {
    QFile replacement(folder.File("replacement"));
    ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
    replacement.write(foreign);
  }
  ASSERT_EQ(::rename(folder.File("replacement").toLocal8Bit().constData(), database.toLocal8Bit().constData()), 0);

  EXPECT_TRUE(LogGrowsBy(30));
  EXPECT_TRUE(receiver.Running());
  EXPECT_EQ(ReadFile(database), foreign);
  EXPECT_FALSE(QFile::exists(database + "-journal"));
  ExpectStoppedSoundAndWhole();
}

TEST_F(StoreFaults, ACorruptStoreAtStartUpFallsBackToBuiltInTablesAndIsLeftAsItIs) {
  // A store whose first pages are damaged: the header survives, the tables
  // do not.
  {
    Child first(folder, "first");
    ASSERT_TRUE(first.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
    ASSERT_TRUE(first.WaitForOutput(kConnected, 8000));
    ASSERT_TRUE(first.Stop());
  }
  const QString database = QString::fromStdString(folder.Database());
  QByteArray damaged = ReadFile(database);
  ASSERT_GT(damaged.size(), 4096);
  for (qsizetype at = 100; at < damaged.size(); at += 7) {
    damaged[at] = static_cast<char>(0xA5);
  }
  {
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
  }

  StartReceiver();
  // The built-in tables still name airports and labels in the reports.
  EXPECT_TRUE(LogGrowsBy(30));
  EXPECT_TRUE(ReadFile(folder.Log()).contains("Zurich")) << ReadFile(folder.Log()).left(2000).toStdString();
  EXPECT_TRUE(receiver.Running());
  EXPECT_EQ(ReadFile(database), damaged);
  ExpectStoppedSoundAndWhole();
}

}  // namespace
}  // namespace corvane::faults
