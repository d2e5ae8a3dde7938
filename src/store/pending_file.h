// The pending file: the writes a store could not take at once, kept on disk
// until it takes writes again. One JSON object a line: a message by its nine
// Planes column names (text as the card's bytes, code points U+0000 to
// U+00FF), with "Station" (UTF-8) when another receiver first heard it,
// "Alerts" when it matched the watch list and "MessageId" when it has an
// identity, or {"Delete": address}. The file is only ever appended to, cut at its front
// once the store has taken those writes, or rewritten with writes put back
// before it; a lock file beside it keeps a second process away for the run.
// Lines that cannot be read are kept in a file of their own beside it, and
// so are rows the store can never take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/backend.h"

namespace corvane::store {

// The pending file of a store file: "dir/Corvane.db" gives
// "dir/Corvane.pending.jsonl".
std::string PendingPathFor(const std::string& storeName);

// One line of the file, without its newline.
std::string PendingLine(const StoreOp& op);
// Nothing when the line is no pending write (a line cut short by a crash,
// a value of the wrong type, text outside the card's bytes).
std::optional<StoreOp> ParsePendingLine(std::string_view line);

// What a read of the file found.
struct PendingReading {
  std::size_t writes = 0;               // writes passed to the visitor
  std::vector<std::string> unreadable;  // lines that are no pending write
  std::uint64_t end = 0;                // the byte the read stopped at
};

class PendingFile {
 public:
  explicit PendingFile(std::string path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  [[nodiscard]] const std::string& Path() const { return path_; }
  // Beside the pending file: its lock, the lines it could not read, and the
  // rows the store refused for good.
  [[nodiscard]] std::string LockPath() const;
  [[nodiscard]] std::string UnreadablePath() const;
  [[nodiscard]] std::string RejectedPath() const;

  // Takes the lock beside the file for as long as this object holds it;
  // false, naming the process that holds it, when another one does.
  bool Lock(std::string& error);
  void Unlock();

  [[nodiscard]] bool Exists() const;
  [[nodiscard]] std::uint64_t Size() const;

  // Appends the writes in order and flushes them to the file; false with the
  // reason when the file does not take them all (it is then as before).
  bool Append(const std::deque<StoreOp>& ops, std::string& error) const;

  // Calls visit with every write between the bytes `start` and `end`, in
  // order; both lie at the start of a line.
  PendingReading Read(const std::function<void(const StoreOp&)>& visit, std::uint64_t end = UINT64_MAX,
                      std::uint64_t start = 0) const;
  // Calls visit with every write; returns how many lines were passed over.
  std::size_t ForEach(const std::function<void(const StoreOp&)>& visit) const;

  // Keeps only what follows the first `end` bytes (written meanwhile); the
  // file goes when nothing does. The rest is written to a new file that
  // replaces this one, so a crash leaves either the old or the new file.
  bool DropFront(std::uint64_t end, std::string& error) const;
  // Puts the writes before everything the file holds, the same way.
  bool Prepend(const std::deque<StoreOp>& ops, std::string& error) const;

  bool Remove() const;

  // Appends lines to the file of unreadable lines, or rows with the store's
  // reason to the file of refused rows.
  bool KeepUnreadable(const std::vector<std::string>& lines, std::string& error) const;
  bool KeepRejected(const StoreOp& op, const std::string& reason, std::string& error) const;

 private:
  std::string path_;
  int lockFd_ = -1;
};

}  // namespace corvane::store
