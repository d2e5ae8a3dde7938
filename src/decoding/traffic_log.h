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
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvane::decoding {

enum class LogBox { Unchecked, Checked, Grayed };

// What the LogData box shows after a click.
struct LogBoxView {
  LogBox state;
  std::string caption;  // with its access-key "&"
};

enum class LogWrite { Skipped, Written, Failed };

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
  LogWrite Write(std::string_view report, std::string_view label);

  // Closes the file if it is open; the mode is left as it is.
  void Close();

  [[nodiscard]] bool LogActive() const { return logActive_; }
  [[nodiscard]] bool LogAll() const { return logAll_; }
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
  [[nodiscard]] const LogBoxView& Box() const { return box_; }
  [[nodiscard]] const std::string& FileName() const { return fileName_; }
  // Why the last open or write failed; empty after a success.
  [[nodiscard]] const std::string& LastError() const { return lastError_; }

 private:
  void Open();
  bool WriteEntry(std::string_view report);

  std::string fileName_;
  std::FILE* file_ = nullptr;
  bool logActive_ = false;
  bool logAll_ = false;
  bool clickGuard_ = false;
  bool cameFromSome_ = false;
  LogBoxView box_{LogBox::Unchecked, std::string(kStartCaption)};
  std::string lastError_;
};

}  // namespace corvane::decoding
