// The traffic log's mode cycle and its append-only file.
#include "decoding/traffic_log.h"

#include <cerrno>
#include <cstring>

namespace corvane::decoding {

namespace {

constexpr std::string_view kLinkTestLabel = "Q0";
constexpr std::string_view kUplinkAckLabel = "_ ";
constexpr std::string_view kEntryEnd = "\r\n";

}  // namespace

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

LogWrite TrafficLog::Write(std::string_view report, std::string_view label) {
  if (!logActive_) {
    return LogWrite::Skipped;
  }
  if (!logAll_ && (label == kLinkTestLabel || label == kUplinkAckLabel)) {
    return LogWrite::Skipped;
  }
  return WriteEntry(report) ? LogWrite::Written : LogWrite::Failed;
}

void TrafficLog::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
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
  lastError_.clear();
  return true;
}

}  // namespace corvane::decoding
