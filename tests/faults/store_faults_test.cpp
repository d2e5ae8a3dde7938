// corvaned's store taken away while it runs (deleted, made read-only, locked
// by another process, replaced by a file that is no database) and damaged
// before it starts. The receiver stays up and keeps decoding and logging,
// rows stored before the fault stay, the store comes back when it can, and a
// file that is not a store of ours is never written over.
#include <gtest/gtest.h>

#include <QFile>

#include "fault_harness.h"

namespace corvane::faults {
namespace {

// Another process's exclusive lock on the store, held until released.
class StoreLock {
 public:
  explicit StoreLock(const std::string& database) {
    sqlite3_open_v2(database.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 3000);
    locked_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) == SQLITE_OK;
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

class StoreFaults : public ReceiverFixture {
 protected:
  // The rows stored before a fault, as text, to find them all afterwards.
  std::string Rows(long upTo) const {
    const std::string sql =
        "SELECT group_concat(Num || Address || Label || Data, '|') FROM (SELECT * FROM Planes "
        "WHERE Num <= " +
        std::to_string(upTo) + " ORDER BY Num);";
    return QueryOne(folder.Database(), sql.c_str());
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

TEST_F(StoreFaults, AReadOnlyStoreKeepsItsRowsAndTakesNewOnesOnceWritableAgain) {
  StartReceiver();
  ASSERT_TRUE(StoreGrowsBy(20));
  const QString database = QString::fromStdString(folder.Database());
  folder.SetWritable(database, false);
  // A message being stored when the mode changed may still land.
  const long before = Stored();
  const std::string rowsBefore = Rows(before);

  EXPECT_TRUE(LogGrowsBy(30));
  EXPECT_LE(Stored(), before + 1);
  EXPECT_TRUE(receiver.Running());

  folder.SetWritable(database, true);
  EXPECT_TRUE(StoreGrowsBy(20));
  EXPECT_EQ(Rows(before), rowsBefore);
  ExpectStoppedSoundAndWhole();
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

TEST_F(StoreFaults, AShortLockByAnotherProcessLosesNothingAndALongOneOnlyWhatCameMeanwhile) {
  StartReceiver();
  ASSERT_TRUE(StoreGrowsBy(20));
  {
    // Shorter than the store's busy wait: every insert waits and lands.
    StoreLock lock(folder.Database());
    ASSERT_TRUE(lock.Locked());
    WaitUntil([] { return false; }, 400);
  }
  EXPECT_TRUE(StoreGrowsBy(20));
  // The receiver runs on: a row is stored before its entry is logged, so the
  // rows lie between the entries counted before and after them.
  const long loggedBefore = Logged();
  const long stored = Stored();
  const long loggedAfter = Logged();
  EXPECT_GE(stored, loggedBefore);
  EXPECT_LE(stored, loggedAfter + 1);

  const long before = Stored();
  const std::string rowsBefore = Rows(before);
  {
    StoreLock lock(folder.Database());
    ASSERT_TRUE(lock.Locked());
    EXPECT_TRUE(LogGrowsBy(3));
    EXPECT_TRUE(receiver.Running());
  }
  EXPECT_TRUE(StoreGrowsBy(20));
  EXPECT_EQ(Rows(before), rowsBefore);
  ExpectStoppedSoundAndWhole();
  EXPECT_TRUE(StoreIsSound(folder.Database()));
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
