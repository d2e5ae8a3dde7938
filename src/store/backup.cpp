// The online copy of a store file: a read-only connection to the store, the
// copy's own connection on the partial file, sqlite3_backup stepping between
// them, and the rename that puts the finished copy in place.
#include "store/backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <thread>

namespace corvane::store {

namespace {

// One connection, closed on every way out.
class Handle {
 public:
  Handle(const std::string& path, int flags) {
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
      const std::string why = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
      sqlite3_close(db_);
      throw BackupFailed("cannot open " + path + ": " + why);
    }
  }
  ~Handle() { sqlite3_close(db_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  [[nodiscard]] sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// The first column of a one-row query as a number; throws on failure.
std::int64_t QueryNumber(sqlite3* db, const char* sql, const std::string& file) {
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (code == SQLITE_OK) {
    code = sqlite3_step(statement);
  }
  const std::int64_t value = code == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
  const std::string why = sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  if (code != SQLITE_ROW) {
    throw BackupFailed(file + ": " + why);
  }
  return value;
}

void RequireStore(sqlite3* db, const std::string& source) {
  sqlite3_busy_timeout(db, 5000);
  if (QueryNumber(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'Planes';", source) == 0) {
    throw BackupFailed(source + " is not a Corvane store (it has no Planes table)");
  }
  sqlite3_busy_timeout(db, 0);  // from here the copy waits between its own steps
}

// The partial file needs no journal and no flush at each step: a copy cut
// short is thrown away. It is flushed once, when complete.
void CopyWithoutFlushing(sqlite3* db) {
  sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr, nullptr, nullptr);
}

void FlushToDisk(const std::string& file) {
  const int descriptor = ::open(file.c_str(), O_RDONLY);
  const bool flushed = descriptor >= 0 && ::fsync(descriptor) == 0;
  if (descriptor >= 0) {
    ::close(descriptor);
  }
  if (!flushed) {
    throw BackupFailed("cannot write the copy " + file + " to disk");
  }
}

// Runs the backup to its end. A writer's commit from another connection
// makes SQLite start the copy again: each such restart doubles the pages a
// step takes, so that a busy store is still copied in the end.
void CopyPages(sqlite3* from, sqlite3* to, const BackupPacing& pacing) {
  sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
  if (backup == nullptr) {
    throw BackupFailed(sqlite3_errmsg(to));
  }
  int pages = pacing.pagesPerStep;
  int lastRemaining = -1;
  std::chrono::milliseconds heldFor{0};
  int code = SQLITE_OK;
  while (code == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED) {
    code = sqlite3_backup_step(backup, pages);
    if (code == SQLITE_OK) {
      const int remaining = sqlite3_backup_remaining(backup);
      if (lastRemaining >= 0 && remaining > lastRemaining && pages > 0) {
        pages = pages > (1 << 20) ? -1 : pages * 2;
      }
      lastRemaining = remaining;
      std::this_thread::sleep_for(pacing.pause);
    } else if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
      heldFor += pacing.busyWait;
      if (heldFor > pacing.busyGiveUp) {
        break;
      }
      std::this_thread::sleep_for(pacing.busyWait);
    }
  }
  sqlite3_backup_finish(backup);
  if (code != SQLITE_DONE) {
    throw BackupFailed(code == SQLITE_BUSY || code == SQLITE_LOCKED ? "the store stayed locked too long"
                                                                    : std::string(sqlite3_errstr(code)));
  }
}

BackupResult CopyInto(const std::string& source, const std::string& partial, const BackupPacing& pacing) {
  const Handle from(source, SQLITE_OPEN_READONLY);
  RequireStore(from.get(), source);
  BackupResult result;
  {
    const Handle to(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CopyWithoutFlushing(to.get());
    CopyPages(from.get(), to.get(), pacing);
    result.messages = static_cast<std::uint64_t>(QueryNumber(to.get(), "SELECT COUNT(*) FROM Planes;", partial));
    result.pages = static_cast<std::uint64_t>(QueryNumber(to.get(), "PRAGMA page_count;", partial));
  }
  FlushToDisk(partial);
  return result;
}

}  // namespace

std::string PartialBackupPath(const std::string& destination) { return destination + ".partial"; }

BackupResult BackUpStoreFile(const std::string& source, const std::string& destination, const BackupPacing& pacing) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  if (!fs::is_regular_file(source, ignored)) {
    throw BackupFailed("no store file " + source);
  }
  const std::string partial = PartialBackupPath(destination);
  fs::remove(partial, ignored);  // left by a copy that was stopped
  try {
    const BackupResult result = CopyInto(source, partial, pacing);
    std::error_code renameError;
    fs::rename(partial, destination, renameError);
    if (renameError) {
      throw BackupFailed("cannot put the copy at " + destination + ": " + renameError.message());
    }
    return result;
  } catch (...) {
    fs::remove(partial, ignored);
    fs::remove(partial + "-journal", ignored);
    throw;
  }
}

}  // namespace corvane::store
