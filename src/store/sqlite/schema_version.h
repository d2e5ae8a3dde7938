// The schema version a store file carries (SQLite and Jet layout alike), in
// SQLite's PRAGMA user_version: 0 for every store made before versions were
// kept, each of which today's upgrade steps bring up to date (the history
// index when the tables are loaded; the search index, its state and the
// message identities when the writer opens the store).
#pragma once

#include "store/sqlite/sqlite_db.h"

namespace corvane::store::sqlite {

// 1: the described tables, the history index, the search index
// (MessageIndex, MessageWords, SearchState) and MessageIdentity.
// 2: MessageIndex gains Blocks, Words and PartOf (messages joined from
// their blocks), and MessageReception holds what the decoder knew of a
// message (made empty in a version 1 store: its messages came from the
// card); a Corvane that knows 1 would fill neither.
inline constexpr int kFileSchemaVersion = 2;

int FileSchemaVersion(Connection& db);

// Throws StoreTooNew when the file carries a version above
// kFileSchemaVersion; reads only.
void RefuseNewerSchema(Connection& db);

// Records that the upgrade steps are done; writes only when the version
// differs.
void MarkSchemaVersion(Connection& db);

}  // namespace corvane::store::sqlite
