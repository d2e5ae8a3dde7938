// A consistent copy of a store file (SQLite or Jet layout) while its writer
// keeps writing: SQLite's online backup copies a few pages at a time with a
// pause between steps, into a temporary file beside the destination that is
// renamed into place only once it is complete.
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvane::store {

// The copy could not be made; nothing was left under the destination.
class BackupFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How the copy shares the file with its writer.
struct BackupPacing {
  int pagesPerStep = 128;                       // pages copied under one read lock
  std::chrono::milliseconds pause{5};           // between two steps, for the writer
  std::chrono::milliseconds busyWait{5};        // after the writer held the file
  std::chrono::milliseconds busyGiveUp{30000};  // held that long in all: give up
};

struct BackupResult {
  std::uint64_t messages = 0;  // rows of Planes in the copy
  std::uint64_t pages = 0;     // pages of the copy
};

// The file that holds the copy until it is complete: "dir/copy.db" gives
// "dir/copy.db.partial".
std::string PartialBackupPath(const std::string& destination);

// Copies the store file at source to destination, replacing what is there
// only once the copy is complete. The source is opened read-only and must
// hold the Planes table. Throws BackupFailed.
BackupResult BackUpStoreFile(const std::string& source, const std::string& destination,
                             const BackupPacing& pacing = {});

}  // namespace corvane::store
