// The online copy of a store: made while a writer thread keeps committing,
// it holds every message committed before it began and is a sound database;
// a copy that cannot be made leaves nothing under its destination.
#include "store/backup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "../decoding/scratch_dir.h"
#include "store/jet/jet_backend.h"
#include "store/sqlite/sqlite_backend.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using test_support::ScratchDir;

StoreOp MessageNumber(std::size_t n) {
  StoreOp op;
  op.record = {"261210",
               "080000.000",
               "2",
               "N" + std::to_string(n % 50),
               "BA306",
               "H1",
               "1",
               "M01A",
               "message " + std::to_string(n) + " " + std::string(300, 'x')};
  return op;
}

// Commits one message a transaction until stopped; counts what it committed.
class WriterThread {
 public:
  WriterThread(StoreBackend& backend, const std::string& name, std::size_t first)
      : session_(backend.OpenSession(name)), committed_(first) {
    thread_ = std::thread([this] { Run(); });
  }
  ~WriterThread() { Stop(); }
  std::size_t Committed() const { return committed_.load(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) {
      thread_.join();
    }
  }

 private:
  void Run() {
    while (!stop_) {
      session_->Begin();
      session_->Apply(MessageNumber(committed_.load()));
      session_->Commit();
      ++committed_;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  std::unique_ptr<StoreSession> session_;
  std::atomic<std::size_t> committed_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class Backup : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    backend = GetParam() ? std::unique_ptr<StoreBackend>(new JetBackend) : std::make_unique<SqliteBackend>();
    name = (scratch.path() / "Corvane").string() + std::string(backend->Extension());
    backend->CreateDatabase(name);
    backend->CreateTables(name);
    auto session = backend->OpenSession(name);
    session->Begin();
    for (std::size_t n = 0; n < kFilled; ++n) {
      session->Apply(MessageNumber(n));
    }
    session->Commit();
  }

  static constexpr std::size_t kFilled = 3000;
  ScratchDir scratch;
  std::unique_ptr<StoreBackend> backend;
  std::string name;
};

TEST_P(Backup, CopyMadeWhileWritingHoldsEveryMessageCommittedBeforeIt) {
  const std::string copy = (scratch.path() / "copy.db").string();
  WriterThread writer(*backend, name, kFilled);
  while (writer.Committed() == kFilled) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const std::size_t before = writer.Committed();
  // Small steps, so that the writer commits while the copy is under way.
  const BackupResult result =
      BackUpStoreFile(name, copy, {4, std::chrono::milliseconds(1), std::chrono::milliseconds(2)});
  const std::size_t after = writer.Committed();
  writer.Stop();
  EXPECT_GT(after, before) << "the writer was held up for the whole copy";

  EXPECT_GE(result.messages, before);
  EXPECT_EQ(Select(copy, "PRAGMA integrity_check;"), Rows{{"ok"}});
  const Rows rows = Select(copy, "SELECT Data FROM Planes;");
  EXPECT_EQ(rows.size(), result.messages);
  std::set<std::string> texts;
  for (const auto& row : rows) {
    texts.insert(row[0]);
  }
  for (std::size_t n = 0; n < before; ++n) {
    ASSERT_EQ(texts.count(MessageNumber(n).record.Data), 1U) << "message " << n << " missing from the copy";
  }
  EXPECT_FALSE(std::filesystem::exists(PartialBackupPath(copy)));
  // The copy is a store the program opens and searches.
  EXPECT_GE(backend->CountMessages(copy, "N7").value_or(0), before / 50);
}

TEST_P(Backup, CopyThatCannotBeMadeLeavesTheDestinationAsItWas) {
  const std::string copy = (scratch.path() / "copy.db").string();
  std::ofstream(copy) << "the copy of yesterday";
  const std::string notAStore = (scratch.path() / "other.db").string();
  sqlite3* other = nullptr;
  sqlite3_open(notAStore.c_str(), &other);
  sqlite3_exec(other, "CREATE TABLE Other(x);", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  EXPECT_THROW(BackUpStoreFile((scratch.path() / "missing.db").string(), copy), BackupFailed);
  EXPECT_THROW(BackUpStoreFile(notAStore, copy), BackupFailed);
  EXPECT_THROW(BackUpStoreFile(name, (scratch.path() / "no-such-folder" / "copy.db").string()), BackupFailed);

  std::ifstream kept(copy);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the copy of yesterday");
  EXPECT_FALSE(std::filesystem::exists(PartialBackupPath(copy)));
}

INSTANTIATE_TEST_SUITE_P(BothFileStores, Backup, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Jet" : "Sqlite"; });

}  // namespace
}  // namespace corvane::store::test
