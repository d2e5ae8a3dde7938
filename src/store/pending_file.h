// Corvane.pending.jsonl: the writes a store could not take in time, kept
// beside the store until it takes writes again. One JSON object a line: a
// message by its nine Planes column names, or {"Delete": address}. Text
// carries the card's bytes as code points U+0000 to U+00FF.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/backend.h"

namespace corvane::store {

// The pending file of a store file: "dir/Corvane.db" gives
// "dir/Corvane.pending.jsonl".
std::string PendingPathFor(const std::string& storeName);

// One line of the file, without its newline.
std::string PendingLine(const StoreOp& op);
// Nothing when the line is no pending write (a line cut short by a crash).
std::optional<StoreOp> ParsePendingLine(std::string_view line);

class PendingFile {
 public:
  explicit PendingFile(std::string path) : path_(std::move(path)) {}

  [[nodiscard]] const std::string& Path() const { return path_; }
  [[nodiscard]] bool Exists() const;

  // Appends the writes in order and flushes them to the file; false with the
  // reason when the file does not take them all.
  bool Append(const std::deque<StoreOp>& ops, std::string& error) const;

  // Calls visit with every write in the file, in order; lines that cannot be
  // read are passed over. Returns how many were passed over.
  std::size_t ForEach(const std::function<void(const StoreOp&)>& visit) const;

  bool Remove() const;

 private:
  std::string path_;
};

}  // namespace corvane::store
