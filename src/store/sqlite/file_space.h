// The space a store file takes, and giving back what removed messages held.
// A file made by this version keeps its free pages apart (SQLite's
// incremental auto-vacuum) so that retention can shrink it; a file made
// before reuses its free pages for new messages instead.
#pragma once

#include <cstdint>

#include "store/sqlite/sqlite_db.h"

namespace corvane::store::sqlite {

// For a file just created, before its first table: free pages are kept
// apart, to be given back later.
void KeepFreePagesApart(Connection& db);

// The bytes the file's pages take.
std::uint64_t FileBytes(Connection& db);

// Hands the free pages back to the file system; does nothing in a file
// made before free pages were kept apart.
void GiveFreePagesBack(Connection& db);

}  // namespace corvane::store::sqlite
