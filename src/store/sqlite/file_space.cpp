// The file's size from its pages, and SQLite's incremental vacuum.
#include "store/sqlite/file_space.h"

#include <string>

namespace corvane::store::sqlite {

namespace {

std::uint64_t NumberOf(Connection& db, const char* pragma) {
  const Rows rows = db.Query(pragma);
  return rows.empty() || rows.front().empty() ? 0 : std::stoull(rows.front().front());
}

}  // namespace

// The setting is written with the file's first page: VACUUM writes it in a
// file that has none yet.
void KeepFreePagesApart(Connection& db) { db.ExecuteScript("PRAGMA auto_vacuum = INCREMENTAL; VACUUM;"); }

std::uint64_t FileBytes(Connection& db) {
  return NumberOf(db, "PRAGMA page_count;") * NumberOf(db, "PRAGMA page_size;");
}

void GiveFreePagesBack(Connection& db) { db.ExecuteScript("PRAGMA incremental_vacuum;"); }

}  // namespace corvane::store::sqlite
