// The traffic log: one report per accepted message appended to Corvane.txt in
// the current directory, switched between three modes by clicks on the
// LogData check box. A click leaves the box checked (from unchecked) or
// unchecked (from checked or grayed); Click then moves the mode on:
//
//   no log --Click(Checked)--> log all --Click(Unchecked)--> log some
//     ^                                                          |
//     +-------------------- Click(Unchecked) -------------------+
//
// The file opens on entering "log all" and stays open through "log some";
// it closes on the return to "no log" (Close) or at shut-down. Each entry is
// flushed at once, so nothing written is lost if the process dies.
//
// Daily rotation (off unless asked for) keeps one UTC day in the file: the
// first entry stamped with a later day than the file's has the file renamed
// to its dated name first (Corvane-2026-12-09.txt for the entries of 9
// December 2026), and starts a new Corvane.txt. The day is the UTC day of the
// entry's own stamp, the clock reading its report carries.
#pragma once

#include <compare>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "decoding/utc_clock.h"

namespace corvane::decoding {

enum class LogBox { Unchecked, Checked, Grayed };

// What the LogData box shows after a click.
struct LogBoxView {
  LogBox state;
  std::string caption;  // with its access-key "&"
};

enum class LogWrite { Skipped, Written, Failed };

enum class LogRotation { None, Daily };

// A UTC day, as the log's files are named by.
struct LogDay {
  int year = 0;
  int month = 0;
  int day = 0;
  auto operator<=>(const LogDay&) const = default;
};

// The rotation a setting names: "" and "none" one file, "daily" a file each
// UTC day; nothing for any other name.
std::optional<LogRotation> LogRotationNamed(std::string_view name);

class TrafficLog {
 public:
  // The log file's name, relative to the current directory.
  static constexpr std::string_view kDefaultFileName = "Corvane.txt";
  static constexpr std::string_view kStartCaption = "&No data log";

  explicit TrafficLog(std::string fileName = std::string(kDefaultFileName));
  ~TrafficLog();
  TrafficLog(const TrafficLog&) = delete;
  TrafficLog& operator=(const TrafficLog&) = delete;

  // Handles a user's click; box is the state the click left the box in.
  LogBoxView Click(LogBox box);

  // Writes the report of an accepted message, as the mode and label allow:
  // link tests ("Q0") and uplink acknowledgements ("_ ") only in "log all".
  // stamp is the clock reading the report carries; its UTC day decides the
  // file under daily rotation. An entry without one stays in the current file.
  LogWrite Write(std::string_view report, std::string_view label, const UtcTime& stamp);
  LogWrite Write(std::string_view report, std::string_view label);

  void SetRotation(LogRotation rotation);
  [[nodiscard]] LogRotation Rotation() const { return rotation_; }

  // Closes the file if it is open; the mode is left as it is.
  void Close();

  [[nodiscard]] bool LogActive() const { return logActive_; }
  [[nodiscard]] bool LogAll() const { return logAll_; }
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
  [[nodiscard]] const LogBoxView& Box() const { return box_; }
  [[nodiscard]] const std::string& FileName() const { return fileName_; }
  // Why the last open, write or rename failed; empty after a success.
  [[nodiscard]] const std::string& LastError() const { return lastError_; }
  // The last error is a rename that failed: entries go on into the file.
  [[nodiscard]] bool RenameFailed() const { return !lastError_.empty() && lastError_ == renameError_; }
  // The name the file of the given UTC day gets: "-YYYY-MM-DD" before the
  // file name's extension, in the same directory.
  [[nodiscard]] std::string DatedFileName(const LogDay& day) const;

 private:
  [[nodiscard]] bool Takes(std::string_view label) const;
  void Open();
  void RotateBefore(const LogDay& day);
  bool WriteEntry(std::string_view report);

  std::string fileName_;
  std::FILE* file_ = nullptr;
  bool logActive_ = false;
  bool logAll_ = false;
  bool clickGuard_ = false;
  bool cameFromSome_ = false;
  LogBoxView box_{LogBox::Unchecked, std::string(kStartCaption)};
  std::string lastError_;
  LogRotation rotation_ = LogRotation::None;
  // The UTC day of the entries in the open file; nothing while not known.
  std::optional<LogDay> fileDay_;
  std::string renameError_;
};

}  // namespace corvane::decoding
