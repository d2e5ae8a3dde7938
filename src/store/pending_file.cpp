// Reading and writing the pending file, its lock, and the files beside it.
#include "store/pending_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
constexpr const char* kStationKey = "Station";
constexpr const char* kAlertsKey = "Alerts";
constexpr const char* kMessageIdKey = "MessageId";
constexpr const char* kBlocksKey = "Blocks";
constexpr const char* kWholeTextKey = "WholeText";
constexpr const char* kPartsKey = "Parts";
constexpr const char* kRepeatOfKey = "RepeatOf";
// The reception facts, as the card link's "name=value" items.
constexpr const char* kFactsKey = "Facts";
constexpr std::string_view kPendingSuffix = ".pending.jsonl";

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

bool WriteAll(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool WriteOps(std::FILE* file, const std::deque<StoreOp>& ops) {
  std::string lines;
  for (const StoreOp& op : ops) {
    lines += PendingLine(op);
    lines += '\n';
  }
  return WriteAll(file, lines) && std::fflush(file) == 0;
}

// Copies the bytes of `from` from `offset` to its end onto `to`.
bool CopyFrom(const std::string& from, std::uint64_t offset, std::FILE* to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) {
    return false;
  }
  in.seekg(static_cast<std::streamoff>(offset));
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(in.gcount())))) {
      return false;
    }
  }
  return true;
}

std::string CannotWrite(const std::string& path) { return "cannot write " + path + ": " + std::strerror(errno); }

// Writes a new file through `fill` and puts it in the place of `path`.
template <typename Fill>
bool ReplaceWith(const std::string& path, Fill fill, std::string& error) {
  const std::string temporary = path + ".new";
  bool written = false;
  {
    const File file(std::fopen(temporary.c_str(), "wb"));
    written = file && fill(file.get()) && std::fflush(file.get()) == 0;
  }
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = CannotWrite(path);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

// "dir/Corvane.pending.jsonl" and ".unreadable.jsonl" give
// "dir/Corvane.unreadable.jsonl".
std::string Beside(const std::string& path, std::string_view suffix) {
  std::string base = path;
  if (base.ends_with(kPendingSuffix)) {
    base.resize(base.size() - kPendingSuffix.size());
  }
  return base + std::string(suffix);
}

bool AppendText(const std::string& path, const std::string& text, std::string& error) {
  const File file(std::fopen(path.c_str(), "ab"));
  if (!file || !WriteAll(file.get(), text) || std::fflush(file.get()) != 0) {
    error = CannotWrite(path);
    return false;
  }
  return true;
}

// What the block joiner said, beside the columns; nothing when it said
// nothing.
void AddJoin(const decoding::BlockJoin& join, Json& line) {
  if (join.Joined()) {
    line[kBlocksKey] = join.blocks;
    line[kWholeTextKey] = Latin1ToUtf8(join.text);
  }
  if (!join.parts.empty()) {
    line[kPartsKey] = join.parts;
  }
  if (!join.repeatOf.empty()) {
    line[kRepeatOfKey] = join.repeatOf;
  }
}

// False when a member is there but not of its kind.
bool ReadJoin(const Json& object, decoding::BlockJoin& join) {
  bool whole = true;
  if (const auto blocks = object.find(kBlocksKey); blocks != object.end()) {
    whole = blocks->is_number_unsigned();
    join.blocks = whole ? blocks->get<std::size_t>() : 0;
    const auto text = TextAt(object, kWholeTextKey);
    whole = whole && text.has_value();
    join.text = text.value_or(std::string());
  }
  if (const auto parts = object.find(kPartsKey); parts != object.end()) {
    whole = whole && parts->is_array();
    for (const auto& entry : parts->is_array() ? *parts : Json::array()) {
      whole = whole && entry.is_string();
      if (entry.is_string()) {
        join.parts.push_back(entry.get<std::string>());
      }
    }
  }
  if (const auto repeatOf = object.find(kRepeatOfKey); repeatOf != object.end()) {
    whole = whole && repeatOf->is_string();
    join.repeatOf = repeatOf->is_string() ? repeatOf->get<std::string>() : std::string();
  }
  return whole;
}

}  // namespace

std::string PendingPathFor(const std::string& storeName) {
  std::filesystem::path path(storeName);
  path.replace_extension(kPendingSuffix);
  return path.string();
}

std::string PendingLine(const StoreOp& op) {
  Json line = Json::object();
  if (op.kind == StoreOp::Kind::Delete) {
    line[kDeleteKey] = Latin1ToUtf8(op.record.Address);
  } else {
    ForEachColumn(op.record, [&](const char* key, const std::string& value) { line[key] = Latin1ToUtf8(value); });
    if (!op.station.empty()) {
      line[kStationKey] = op.station;
    }
    if (!op.alerts.empty()) {
      line[kAlertsKey] = op.alerts;
    }
    if (!op.messageId.empty()) {
      line[kMessageIdKey] = op.messageId;
    }
    AddJoin(op.join, line);
    if (!op.facts.Empty()) {
      line[kFactsKey] = reception::FactItems(op.facts);
    }
  }
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
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
  if (const auto station = object.find(kStationKey); station != object.end()) {
    whole = whole && station->is_string();
    op.station = station->is_string() ? station->get<std::string>() : std::string();
  }
  if (const auto alerts = object.find(kAlertsKey); alerts != object.end()) {
    whole = whole && alerts->is_array();
    for (const auto& entry : alerts->is_array() ? *alerts : Json::array()) {
      whole = whole && entry.is_string();
      if (entry.is_string()) {
        op.alerts.push_back(entry.get<std::string>());
      }
    }
  }
  if (const auto id = object.find(kMessageIdKey); id != object.end()) {
    whole = whole && id->is_string();
    op.messageId = id->is_string() ? id->get<std::string>() : std::string();
  }
  whole = ReadJoin(object, op.join) && whole;
  if (const auto facts = object.find(kFactsKey); facts != object.end()) {
    whole = whole && facts->is_array();
    for (const auto& item : facts->is_array() ? *facts : Json::array()) {
      if (item.is_string()) {
        reception::ReadFactItem(item.get_ref<const std::string&>(), op.facts);
      }
    }
  }
  return whole ? std::optional<StoreOp>(std::move(op)) : std::nullopt;
}

PendingFile::PendingFile(std::string path) : path_(std::move(path)) {}

PendingFile::~PendingFile() { Unlock(); }

std::string PendingFile::LockPath() const { return Beside(path_, ".pending.lock"); }
std::string PendingFile::UnreadablePath() const { return Beside(path_, ".unreadable.jsonl"); }
std::string PendingFile::RejectedPath() const { return Beside(path_, ".rejected.jsonl"); }

// The lock file stays where it is (removing it would let a third process
// lock a new file while the second still holds the old one); it names the
// process holding it, for the message of the next one.
bool PendingFile::Lock(std::string& error) {
  if (lockFd_ >= 0) {
    return true;
  }
  const std::string lockPath = LockPath();
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot open " + lockPath + ": " + std::strerror(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    char holder[32] = {};
    const ssize_t got = ::pread(fd, holder, sizeof holder - 1, 0);
    const std::string pid = got > 0 ? std::string(holder, static_cast<std::size_t>(got)) : std::string("?");
    error = "the pending file " + path_ + " is in use by another Corvane process (pid " +
            pid.substr(0, pid.find_first_not_of("0123456789")) +
            "); each receiver of one store needs its own station name";
    ::close(fd);
    return false;
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // The lock holds all the same; only the next process's message is poorer.
  }
  lockFd_ = fd;
  return true;
}

void PendingFile::Unlock() {
  if (lockFd_ >= 0) {
    ::close(lockFd_);  // closing the descriptor releases the lock
    lockFd_ = -1;
  }
}

bool PendingFile::Exists() const {
  std::error_code error;
  return std::filesystem::exists(path_, error);
}

std::uint64_t PendingFile::Size() const {
  std::error_code error;
  const auto size = std::filesystem::file_size(path_, error);
  return error ? 0 : size;
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
      error = CannotWrite(path_);
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

// Reads whole lines only: a last line without its newline was cut short by
// a crash (appends always end in one), and counts as unreadable.
PendingReading PendingFile::Read(const std::function<void(const StoreOp&)>& visit, std::uint64_t end,
                                 std::uint64_t start) const {
  PendingReading reading;
  std::ifstream in(path_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(start));
  std::string line;
  std::uint64_t at = start;
  while (at < end && std::getline(in, line)) {
    at += line.size() + (in.eof() ? 0 : 1);
    if (line.empty()) {
      continue;
    }
    const auto op = in.eof() ? std::nullopt : ParsePendingLine(line);
    if (op) {
      visit(*op);
      ++reading.writes;
    } else {
      reading.unreadable.push_back(line);
    }
  }
  reading.end = at;
  return reading;
}

std::size_t PendingFile::ForEach(const std::function<void(const StoreOp&)>& visit) const {
  return Read(visit).unreadable.size();
}

bool PendingFile::DropFront(std::uint64_t end, std::string& error) const {
  if (Size() <= end) {
    if (!Remove()) {
      error = "cannot remove " + path_ + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }
  return ReplaceWith(
      path_, [&](std::FILE* file) { return CopyFrom(path_, end, file); }, error);
}

bool PendingFile::Prepend(const std::deque<StoreOp>& ops, std::string& error) const {
  if (!Exists()) {
    return Append(ops, error);
  }
  return ReplaceWith(
      path_, [&](std::FILE* file) { return WriteOps(file, ops) && CopyFrom(path_, 0, file); }, error);
}

bool PendingFile::Remove() const {
  std::error_code error;
  std::filesystem::remove(path_, error);
  return !error;
}

bool PendingFile::KeepUnreadable(const std::vector<std::string>& lines, std::string& error) const {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return AppendText(UnreadablePath(), text, error);
}

bool PendingFile::KeepRejected(const StoreOp& op, const std::string& reason, std::string& error) const {
  Json line = Json::parse(PendingLine(op));
  line["Reason"] = reason;
  return AppendText(RejectedPath(), line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n", error);
}

}  // namespace corvane::store
