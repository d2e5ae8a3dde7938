// Reading and writing the pending file.
#include "store/pending_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "decoding/latin1_text.h"

namespace corvane::store {

namespace {

using Json = nlohmann::json;
using decoding::Latin1ToUtf8;

constexpr const char* kDeleteKey = "Delete";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The nine columns in their order, with the record field each comes from.
template <typename Record, typename Visit>
void ForEachColumn(Record& r, Visit visit) {
  visit("Date", r.Date);
  visit("Hour", r.Hour);
  visit("Mode", r.Mode);
  visit("Address", r.Address);
  visit("Flight", r.Flight);
  visit("Label", r.Label);
  visit("Bloc", r.Bloc);
  visit("Msn", r.Msn);
  visit("Data", r.Data);
}

std::optional<std::string> TextAt(const Json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) {
    return std::nullopt;
  }
  return decoding::Utf8ToLatin1(found->get_ref<const std::string&>());
}

// A file cut off inside a line (a crash while appending) gets its line
// ended first, so that the next write starts a line of its own.
bool EndsInsideALine(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in || in.tellg() <= 0) {
    return false;
  }
  in.seekg(-1, std::ios::end);
  return in.get() != '\n';
}

bool WriteAll(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool WriteOps(std::FILE* file, const std::deque<StoreOp>& ops) {
  for (const StoreOp& op : ops) {
    if (!WriteAll(file, PendingLine(op) + '\n')) {
      return false;
    }
  }
  return std::fflush(file) == 0;
}

}  // namespace

std::string PendingPathFor(const std::string& storeName) {
  std::filesystem::path path(storeName);
  path.replace_extension(".pending.jsonl");
  return path.string();
}

std::string PendingLine(const StoreOp& op) {
  Json line = Json::object();
  if (op.kind == StoreOp::Kind::Delete) {
    line[kDeleteKey] = Latin1ToUtf8(op.record.Address);
  } else {
    ForEachColumn(op.record, [&](const char* key, const std::string& value) { line[key] = Latin1ToUtf8(value); });
  }
  return line.dump();
}

std::optional<StoreOp> ParsePendingLine(std::string_view line) {
  const Json object = Json::parse(line, nullptr, false);
  if (!object.is_object()) {
    return std::nullopt;
  }
  StoreOp op;
  if (object.contains(kDeleteKey)) {
    const auto address = TextAt(object, kDeleteKey);
    if (!address) {
      return std::nullopt;
    }
    op.kind = StoreOp::Kind::Delete;
    op.record.Address = *address;
    return op;
  }
  bool whole = true;
  ForEachColumn(op.record, [&](const char* key, std::string& value) {
    const auto text = TextAt(object, key);
    whole = whole && text.has_value();
    value = text.value_or(std::string());
  });
  return whole ? std::optional<StoreOp>(std::move(op)) : std::nullopt;
}

bool PendingFile::Exists() const {
  std::error_code error;
  return std::filesystem::exists(path_, error);
}

// A file that took only part of the writes (the disk filling up) is cut
// back to where it was, so that the writes kept in memory are not in it twice.
bool PendingFile::Append(const std::deque<StoreOp>& ops, std::string& error) const {
  std::error_code sizeError;
  const auto sizeBefore = Exists() ? std::filesystem::file_size(path_, sizeError) : 0;
  const bool endLineFirst = EndsInsideALine(path_);
  bool written = false;
  {
    const File file(std::fopen(path_.c_str(), "ab"));
    written = file && (!endLineFirst || WriteAll(file.get(), "\n")) && WriteOps(file.get(), ops);
    if (!written) {
      error = "cannot write " + path_ + ": " + std::strerror(errno);
    }
  }
  if (!written && !sizeError) {
    std::error_code ignored;
    if (sizeBefore == 0) {
      std::filesystem::remove(path_, ignored);
    } else {
      std::filesystem::resize_file(path_, sizeBefore, ignored);
    }
  }
  return written;
}

std::size_t PendingFile::ForEach(const std::function<void(const StoreOp&)>& visit) const {
  std::ifstream in(path_, std::ios::binary);
  std::size_t unreadable = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) {
      continue;
    }
    if (const auto op = ParsePendingLine(line)) {
      visit(*op);
    } else {
      ++unreadable;
    }
  }
  return unreadable;
}

bool PendingFile::Remove() const {
  std::error_code error;
  std::filesystem::remove(path_, error);
  return !error;
}

}  // namespace corvane::store
