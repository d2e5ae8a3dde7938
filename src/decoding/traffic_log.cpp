// The traffic log's mode cycle, its append-only file and the file's daily
// rotation.
#include "decoding/traffic_log.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace corvane::decoding {

namespace {

constexpr std::string_view kLinkTestLabel = "Q0";
constexpr std::string_view kUplinkAckLabel = "_ ";
constexpr std::string_view kEntryEnd = "\r\n";

// The two digits at text[at], or -1.
int TwoDigits(std::string_view text, std::size_t at) {
  const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1; };
  const int tens = digit(at);
  const int ones = digit(at + 1);
  return tens < 0 || ones < 0 ? -1 : tens * 10 + ones;
}

// The day, month and year of the stamp a report opens with,
// "= DD/MM/YYYY HH:MM:SSZ ...", read from the start of the file; nothing
// when the file is empty or does not start that way.
std::optional<LogDay> FirstEntryDay(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  char head[12] = {};
  if (!in.read(head, sizeof head)) {
    return std::nullopt;
  }
  const std::string_view text(head, sizeof head);
  const int day = TwoDigits(text, 2);
  const int month = TwoDigits(text, 5);
  const int century = TwoDigits(text, 8);
  const int year = TwoDigits(text, 10);
  if (!text.starts_with("= ") || text[4] != '/' || text[7] != '/' || day < 0 || month < 0 || century < 0 || year < 0) {
    return std::nullopt;
  }
  return LogDay{century * 100 + year, month, day};
}

}  // namespace

std::optional<LogRotation> LogRotationNamed(std::string_view name) {
  if (name.empty() || name == "none") {
    return LogRotation::None;
  }
  if (name == "daily") {
    return LogRotation::Daily;
  }
  return std::nullopt;
}

TrafficLog::TrafficLog(std::string fileName) : fileName_(std::move(fileName)) {}

TrafficLog::~TrafficLog() { Close(); }

LogBoxView TrafficLog::Click(LogBox box) {
  box_.state = box;
  // A click that arrives while the box is being set by this handler only
  // reopens the file below.
  if (!clickGuard_) {
    clickGuard_ = true;
    if (box == LogBox::Checked) {
      box_ = {LogBox::Checked, "&Log all data"};
      logAll_ = true;
    } else if (!cameFromSome_) {
      box_ = {LogBox::Grayed, "&Log some data"};
      logAll_ = false;
      cameFromSome_ = true;
    } else {
      box_ = {LogBox::Unchecked, "No data &log"};
      logActive_ = false;
      logAll_ = false;
      Close();
      cameFromSome_ = false;
    }
  }
  clickGuard_ = false;
  if (box_.state != LogBox::Unchecked) {
    logActive_ = true;
    Open();
  }
  return box_;
}

bool TrafficLog::Takes(std::string_view label) const {
  return logActive_ && (logAll_ || (label != kLinkTestLabel && label != kUplinkAckLabel));
}

LogWrite TrafficLog::Write(std::string_view report, std::string_view label) {
  if (!Takes(label)) {
    return LogWrite::Skipped;
  }
  return WriteEntry(report) ? LogWrite::Written : LogWrite::Failed;
}

LogWrite TrafficLog::Write(std::string_view report, std::string_view label, const UtcTime& stamp) {
  if (!Takes(label)) {
    return LogWrite::Skipped;
  }
  const LogDay day{stamp.year, stamp.month, stamp.day};
  if (rotation_ == LogRotation::Daily) {
    RotateBefore(day);
  }
  if (!WriteEntry(report)) {
    return LogWrite::Failed;
  }
  if (rotation_ == LogRotation::Daily && !fileDay_) {
    fileDay_ = day;  // the first entry of the file gives it its day
  }
  return LogWrite::Written;
}

void TrafficLog::SetRotation(LogRotation rotation) {
  rotation_ = rotation;
  fileDay_.reset();
  renameError_.clear();
}

std::string TrafficLog::DatedFileName(const LogDay& day) const {
  const std::filesystem::path file(fileName_);
  char date[40];
  std::snprintf(date, sizeof date, "-%04d-%02d-%02d", day.year, day.month, day.day);
  const std::string name = file.stem().string() + date + file.extension().string();
  return (file.parent_path() / name).string();
}

void TrafficLog::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  fileDay_.reset();  // read again from the file at the next entry
}

// Before an entry of the given day: the file's day is that of its first
// entry (read from the file when no entry went into it in this run). An entry
// of a later day has the file renamed to its dated name first, so that the
// entry starts a new file; a dated name that exists already is never
// replaced. When the rename fails, the entry goes into the current file and
// the next entry tries again. An entry of an earlier day (a clock set back)
// goes into the current file.
void TrafficLog::RotateBefore(const LogDay& day) {
  if (!fileDay_) {
    fileDay_ = FirstEntryDay(fileName_);
  }
  if (!fileDay_ || !(*fileDay_ < day)) {
    return;
  }
  const LogDay fileDay = *fileDay_;
  const std::string dated = DatedFileName(fileDay);
  Close();
  std::error_code error;
  if (!std::filesystem::exists(fileName_, error)) {
    // Taken away meanwhile: nothing to rename, the entry starts a new file.
  } else if (std::filesystem::exists(dated, error)) {
    error = std::make_error_code(std::errc::file_exists);
  } else if (!error) {
    std::filesystem::rename(fileName_, dated, error);
  }
  renameError_ = error ? "cannot rename " + fileName_ + " to " + dated + ": " + error.message() +
                             "; entries go on into " + fileName_
                       : std::string();
  if (error) {
    fileDay_ = fileDay;  // the file keeps its day, and the next entry tries again
  }
}

// Opening an open log does nothing; a failed open is remembered in LastError
// and tried again at the next entry.
void TrafficLog::Open() {
  if (file_ != nullptr) {
    return;
  }
  file_ = std::fopen(fileName_.c_str(), "ab");
  lastError_ = file_ == nullptr ? "cannot open " + fileName_ + ": " + std::strerror(errno) : std::string();
}

// One entry is the report and CR LF, written with one call and flushed. A
// failed write closes the file so that the next entry starts on a fresh open.
bool TrafficLog::WriteEntry(std::string_view report) {
  Open();
  if (file_ == nullptr) {
    return false;
  }
  std::string entry;
  entry.reserve(report.size() + kEntryEnd.size());
  entry += report;
  entry += kEntryEnd;
  const bool written = std::fwrite(entry.data(), 1, entry.size(), file_) == entry.size() && std::fflush(file_) == 0;
  if (!written) {
    lastError_ = "cannot write " + fileName_ + ": " + std::strerror(errno);
    Close();
    return false;
  }
  lastError_ = renameError_;
  return true;
}

}  // namespace corvane::decoding
