// What a receiver says about its outputs' trouble: each report turns a
// status into lines said once when trouble begins and once when it ends, so
// a console or a window can print them as they come without repeating.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "decoding/traffic_log.h"
#include "store/store_writer.h"

namespace corvane::receiver {

// The traffic log stops taking entries, and takes them again: the log
// retries at every entry, so a folder made writable again brings it back
// without a restart. Under daily rotation, the file cannot be renamed to
// start a new day (entries go on into it), and the new day's file starts.
class LogTroubleReport {
 public:
  std::vector<std::string> Check(const decoding::TrafficLog& log);

 private:
  std::string reported_;
  bool reportedRename_ = false;
};

// The store stops taking writes and catches up again; the pending file
// cannot be written; lines of it were no message, messages the store can
// never take, or messages lost. The store writer keeps the messages
// meanwhile, and the lines say where.
class StoreTroubleReport {
 public:
  // Where the writer keeps what waits, cannot be read or is refused.
  void KnowFiles(const store::PendingFile& pending);
  std::vector<std::string> Check(const std::optional<store::WriterStatus>& status);
  // Said at the stop when messages wait in the pending file.
  [[nodiscard]] std::string WaitingAtStop() const;

 private:
  static std::optional<std::string> IndexingNews(const store::search::IndexProgress& now,
                                                 const store::search::IndexProgress& before);

  std::string pendingPath_;
  std::string unreadablePath_;
  std::string rejectedPath_;
  store::WriterStatus shown_;
};

}  // namespace corvane::receiver
