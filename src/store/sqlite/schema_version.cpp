// Reading, checking and recording a store file's schema version.
#include "store/sqlite/schema_version.h"

#include <string>

#include "store/backend.h"

namespace corvane::store::sqlite {

int FileSchemaVersion(Connection& db) {
  const Rows rows = db.Query("PRAGMA user_version;");
  return rows.empty() || rows.front().empty() ? 0 : std::stoi(rows.front().front());
}

void RefuseNewerSchema(Connection& db) {
  if (const int found = FileSchemaVersion(db); found > kFileSchemaVersion) {
    throw StoreTooNew(found, kFileSchemaVersion);
  }
}

void MarkSchemaVersion(Connection& db) {
  if (FileSchemaVersion(db) != kFileSchemaVersion) {
    db.ExecuteScript("PRAGMA user_version = " + std::to_string(kFileSchemaVersion) + ";");
  }
}

}  // namespace corvane::store::sqlite
