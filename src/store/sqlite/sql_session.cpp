// The writer's SQLite session: passing failures refuse the whole batch,
// a row the schema rejects is skipped.
#include "store/sqlite/sql_session.h"

#include <sqlite3.h>

#include "store/sqlite/file_space.h"
#include "store/sqlite/schema_version.h"

namespace corvane::store::sqlite {

namespace {

// Failures that come from the row itself and would recur at every retry.
bool RowIsRejected(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CONSTRAINT || primary == SQLITE_TOOBIG || primary == SQLITE_MISMATCH ||
         primary == SQLITE_RANGE;
}

// Beside the described tables: the identities of the messages stored, each
// under its Planes row, so that a message that comes again (a pending file
// replayed after its writes were taken but before it was cut) is stored once.
constexpr const char* kCreateIdentities =
    "CREATE TABLE IF NOT EXISTS MessageIdentity(MessageId TEXT PRIMARY KEY, Id INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS MessageIdentityById ON MessageIdentity(Id);";
constexpr const char* kFindIdentity = "SELECT 1 FROM MessageIdentity WHERE MessageId = ?1;";
constexpr const char* kKeepIdentity = "INSERT INTO MessageIdentity(MessageId, Id) VALUES (?1, ?2);";
constexpr const char* kForgetIdentities =
    "DELETE FROM MessageIdentity WHERE Id IN (SELECT rowid FROM Planes WHERE Address = ?1);";

// Retention, a step at a time: the oldest indexed messages past their time
// are noted, then leave the word index (which must be handed each text it
// indexed), the index, the identities and Planes together.
constexpr const char* kNotePruned =
    "CREATE TEMP TABLE IF NOT EXISTS Pruned(Id INTEGER PRIMARY KEY);"
    "DELETE FROM temp.Pruned;";
constexpr const char* kSelectPruned =
    "INSERT INTO temp.Pruned SELECT Id FROM MessageIndex WHERE Utc < CAST(?1 AS INTEGER)"
    " AND (Alerts IS NULL OR Utc < CAST(?2 AS INTEGER)) ORDER BY Utc LIMIT CAST(?3 AS INTEGER);";
constexpr const char* kRemovePruned =
    "INSERT INTO MessageWords(MessageWords, rowid, Data) SELECT 'delete', p.rowid, COALESCE(m.Words, p.Data)"
    " FROM Planes p JOIN MessageIndex m ON m.Id = p.rowid WHERE p.rowid IN (SELECT Id FROM temp.Pruned);"
    "DELETE FROM MessageIndex WHERE Id IN (SELECT Id FROM temp.Pruned);"
    "DELETE FROM MessageIdentity WHERE Id IN (SELECT Id FROM temp.Pruned);"
    "DELETE FROM MessageReception WHERE Id IN (SELECT Id FROM temp.Pruned);"
    "DELETE FROM Planes WHERE rowid IN (SELECT Id FROM temp.Pruned);";

}  // namespace

SqlSession::SqlSession(const std::string& path, WriteStatements statements) : statements_(statements) {
  try {
    db_ = std::make_unique<Connection>(path, Connection::OpenMode::Existing, kWriterBusyTimeoutMs);
    // A page cache that holds a whole batch with its word index: a smaller
    // one spills, and a spill takes the file's exclusive lock for the rest
    // of the transaction, shutting every reader (a search) out meanwhile.
    db_->ExecuteScript("PRAGMA cache_size = -32768;");
    // A store replaced meanwhile by a newer Corvane's is not upgraded
    // backwards: its messages wait in the pending file.
    RefuseNewerSchema(*db_);
    EnsureSearchTables(*db_);
    db_->ExecuteScript(kCreateIdentities);
    EnsureReceptionTable(*db_);
    index_ = std::make_unique<SearchIndexWriter>(*db_);
    MarkSchemaVersion(*db_);
  } catch (const Error& failure) {
    throw WriteRefused(failure.what());
  } catch (const StoreTooNew& tooNew) {
    throw WriteRefused(tooNew.what());
  }
}

void SqlSession::Begin() {
  // A connection whose file was deleted or replaced would write into the
  // void (or into someone else's file): refuse, and let the writer reopen.
  if (db_->FileHasMoved()) {
    throw WriteRefused("the store file was deleted or replaced");
  }
  try {
    db_->ExecuteScript("BEGIN IMMEDIATE;");
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

std::optional<std::string> SqlSession::Apply(const StoreOp& op) {
  const decoding::MessageRecord& r = op.record;
  try {
    if (op.kind == StoreOp::Kind::Delete) {
      if (!delete_) {
        delete_ = std::make_unique<Connection::Prepared>(*db_, statements_.deletePlane);
      }
      index_->Deleting(r.Address);
      db_->Execute(kForgetIdentities, {r.Address});
      delete_->Run({r.Address});
    } else if (!StoredAlready(op)) {
      if (!insert_) {
        insert_ = std::make_unique<Connection::Prepared>(*db_, statements_.insertMessage);
      }
      insert_->Run({r.Date, r.Hour, r.Mode, r.Address, r.Flight, r.Label, r.Bloc, r.Msn, r.Data});
      const std::string row = std::to_string(sqlite3_last_insert_rowid(db_->handle()));
      index_->Inserted(row, op);
      if (!op.messageId.empty()) {
        db_->Execute(kKeepIdentity, {op.messageId, row});
      }
    }
  } catch (const Error& failure) {
    if (!RowIsRejected(failure.code())) {
      Refuse(failure);
    }
    return failure.what();
  }
  return std::nullopt;
}

bool SqlSession::StoredAlready(const StoreOp& op) {
  return !op.messageId.empty() && !db_->Query(kFindIdentity, {op.messageId}).empty();
}

void SqlSession::Commit() {
  try {
    db_->ExecuteScript("COMMIT;");
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

void SqlSession::Rollback() noexcept {
  if (db_->InTransaction()) {
    sqlite3_exec(db_->handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
  }
}

std::optional<search::IndexProgress> SqlSession::IndexOlder(std::size_t rows) {
  try {
    return index_->IndexOlder(rows);
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

std::uint64_t SqlSession::Prune(const PruneStep& step) {
  try {
    db_->ExecuteScript(kNotePruned);
    db_->Execute(kSelectPruned,
                 {std::to_string(step.before), std::to_string(step.alertsBefore), std::to_string(step.rows)});
    const auto pruned = static_cast<std::uint64_t>(sqlite3_changes(db_->handle()));
    if (pruned > 0) {
      db_->ExecuteScript(kRemovePruned);
      MergeWordIndex(pruned);
      GiveFreePagesBack(*db_);
    }
    return pruned;
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

// The word index keeps a removed message's words, marked as removed, until
// the parts of the index that hold them are merged: a merge of about a page
// for each message removed, whatever the parts' sizes, purges them over the
// next steps, so the index shrinks with the store rather than growing.
void SqlSession::MergeWordIndex(std::uint64_t removed) {
  constexpr std::uint64_t kMostPages = 2000;
  const std::string pages = std::to_string(std::min(removed, kMostPages));
  db_->Execute("INSERT INTO MessageWords(MessageWords, rank) VALUES('merge', -CAST(?1 AS INTEGER));", {pages});
}

std::optional<std::uint64_t> SqlSession::StoredBytes() {
  try {
    return FileBytes(*db_);
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

std::uint64_t SqlSession::PrunableMessages() {
  try {
    const Rows rows = db_->Query("SELECT count(*) FROM MessageIndex;");
    return std::stoull(rows.at(0).at(0));
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

void SqlSession::Interrupt() noexcept { sqlite3_interrupt(db_->handle()); }

void SqlSession::Refuse(const Error& failure) {
  Rollback();
  throw WriteRefused(failure.what());
}

}  // namespace corvane::store::sqlite
