// Tests of the traffic log: the three modes of the LogData box, which labels
// each mode writes, and the file the entries are appended to.
#include "decoding/traffic_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "decoding/message_texts.h"
#include "scratch_dir.h"

namespace corvane::decoding {
namespace {

using namespace std::string_literals;
using test_support::CurrentDirectory;
using test_support::ReadBytes;
using test_support::ScratchDir;
using test_support::WriteBytes;

constexpr std::string_view kCrLf = "\r\n";

// How many of this process's file descriptors refer to the file; -1 where
// the system does not list them.
int DescriptorsOn(const std::filesystem::path& file) {
  const std::filesystem::path list = "/proc/self/fd";
  std::error_code error;
  if (!std::filesystem::is_directory(list, error)) {
    return -1;
  }
  const auto target = std::filesystem::weakly_canonical(file, error);
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(list, error)) {
    std::error_code ignored;
    if (std::filesystem::read_symlink(entry.path(), ignored) == target) {
      ++count;
    }
  }
  return count;
}

void ExpectBox(const LogBoxView& view, LogBox state, const std::string& caption) {
  EXPECT_EQ(view.state, state) << caption;
  EXPECT_EQ(view.caption, caption);
}

TEST(TrafficLog, ClicksCycleThroughTheThreeModes) {
  ScratchDir scratch;
  CurrentDirectory inScratch(scratch.path());
  const auto file = scratch / "Corvane.txt";

  TrafficLog log;
  EXPECT_EQ(log.FileName(), "Corvane.txt");
  ExpectBox(log.Box(), LogBox::Unchecked, "&No data log");
  EXPECT_FALSE(log.LogActive());
  EXPECT_FALSE(log.LogAll());
  EXPECT_FALSE(log.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(file));

  for (int round = 0; round < 2; ++round) {
    // The click checks the unchecked box: log all data, file opened.
    ExpectBox(log.Click(LogBox::Checked), LogBox::Checked, "&Log all data");
    ExpectBox(log.Box(), LogBox::Checked, "&Log all data");
    EXPECT_TRUE(log.LogActive());
    EXPECT_TRUE(log.LogAll());
    EXPECT_TRUE(log.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(file));
    const int openAtStart = DescriptorsOn(file);
    if (openAtStart >= 0) {
      EXPECT_EQ(openAtStart, 1);
    }

    // The click unchecks the checked box: log some data, file still open.
    ExpectBox(log.Click(LogBox::Unchecked), LogBox::Grayed, "&Log some data");
    EXPECT_TRUE(log.LogActive());
    EXPECT_FALSE(log.LogAll());
    EXPECT_TRUE(log.IsOpen());
    if (openAtStart >= 0) {
      EXPECT_EQ(DescriptorsOn(file), 1);
    }

    // The click unchecks the grayed box: no log, file closed.
    ExpectBox(log.Click(LogBox::Unchecked), LogBox::Unchecked, "No data &log");
    EXPECT_FALSE(log.LogActive());
    EXPECT_FALSE(log.LogAll());
    EXPECT_FALSE(log.IsOpen());
    if (openAtStart >= 0) {
      EXPECT_EQ(DescriptorsOn(file), 0);
    }
    EXPECT_EQ(log.Write("= report", "H1"), LogWrite::Skipped);
  }
  EXPECT_EQ(ReadBytes(file), "");
}

TEST(TrafficLog, EachModeWritesItsLabels) {
  ScratchDir scratch;
  const auto file = scratch / "Corvane.txt";
  TrafficLog log(file.string());

  // No log: nothing is written and no file is made.
  EXPECT_EQ(log.Write("none", "H1"), LogWrite::Skipped);
  EXPECT_FALSE(std::filesystem::exists(file));

  // Log all data writes every label.
  log.Click(LogBox::Checked);
  EXPECT_EQ(log.Write("all H1", "H1"), LogWrite::Written);
  EXPECT_EQ(log.Write("all Q0", "Q0"), LogWrite::Written);
  EXPECT_EQ(log.Write("all ack", "_ "), LogWrite::Written);

  // Log some data leaves out link tests and uplink acknowledgements only;
  // labels are compared exactly.
  log.Click(LogBox::Unchecked);
  EXPECT_EQ(log.Write("some Q0", "Q0"), LogWrite::Skipped);
  EXPECT_EQ(log.Write("some ack", "_ "), LogWrite::Skipped);
  EXPECT_EQ(log.Write("some H1", "H1"), LogWrite::Written);
  EXPECT_EQ(log.Write("some q0", "q0"), LogWrite::Written);
  EXPECT_EQ(log.Write("some _", "_"), LogWrite::Written);
  EXPECT_EQ(log.Write("some Q1", "Q1"), LogWrite::Written);

  // Back to no log.
  log.Click(LogBox::Unchecked);
  EXPECT_EQ(log.Write("off H1", "H1"), LogWrite::Skipped);

  EXPECT_EQ(ReadBytes(file), "all H1\r\nall Q0\r\nall ack\r\nsome H1\r\nsome q0\r\nsome _\r\nsome Q1\r\n");
}

TEST(TrafficLog, EntriesAreAppendedAfterExistingContent) {
  ScratchDir scratch;
  CurrentDirectory inScratch(scratch.path());
  WriteBytes(scratch / "Corvane.txt", "earlier run\r\n");

  {
    TrafficLog log;
    log.Click(LogBox::Checked);
    EXPECT_EQ(log.Write("first", "H1"), LogWrite::Written);
    // Each entry is on disk as soon as it is written.
    EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), "earlier run\r\nfirst\r\n");
    EXPECT_EQ(log.Write("second\r\nline", "H1"), LogWrite::Written);
  }
  // A later run appends as well.
  TrafficLog later;
  later.Click(LogBox::Checked);
  EXPECT_EQ(later.Write("third", "5Z"), LogWrite::Written);
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), "earlier run\r\nfirst\r\nsecond\r\nline\r\nthird\r\n");

  // Reopening after a return to no log appends too.
  later.Click(LogBox::Unchecked);
  later.Click(LogBox::Unchecked);
  ASSERT_FALSE(later.IsOpen());
  later.Click(LogBox::Checked);
  EXPECT_EQ(later.Write("fourth", "H1"), LogWrite::Written);
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), "earlier run\r\nfirst\r\nsecond\r\nline\r\nthird\r\nfourth\r\n");
}

TEST(TrafficLog, BytesAreWrittenAsTheyAre) {
  ScratchDir scratch;
  const auto file = scratch / "Corvane.txt";
  TrafficLog log(file.string());
  log.Click(LogBox::Checked);
  const std::string report = "caf\xE9 \x00\xFF\x80\x7f lone\n lone\r end"s;
  EXPECT_EQ(log.Write(report, "H1"), LogWrite::Written);
  EXPECT_EQ(ReadBytes(file), report + "\r\n");
}

TEST(TrafficLog, ReportWithoutTextEndsItsEntryWithAnEmptyLine) {
  ScratchDir scratch;
  const auto file = scratch / "Corvane.txt";
  TrafficLog log(file.string());
  log.Click(LogBox::Checked);

  ReadMessage message;
  message.record = {"261207", "210005.005", "2", "N123UA", "", "Q0", "5", "", ""};
  message.PaddedAddress = ".N123UA";
  message.LabelText = "ACARS Link Test";
  message.reportStamp = "07/12/2026 21:00:05";
  EXPECT_EQ(log.Write(BuildMessageReport(message, ""), "Q0"), LogWrite::Written);
  const std::string expected = "= 07/12/2026 21:00:05Z " + std::string(33, '=') + std::string(kCrLf) +
                               "Mode: 2 Label:Q0 MSN: Aircraft:.N123UA" + std::string(kCrLf) + "ACARS Link Test" +
                               std::string(kCrLf) + std::string(kCrLf);
  EXPECT_EQ(ReadBytes(file), expected);
}

TEST(TrafficLog, FileInAMissingDirectoryFailsQuietlyUntilTheDirectoryExists) {
  ScratchDir scratch;
  const auto directory = scratch / "missing";
  const auto file = directory / "Corvane.txt";
  TrafficLog log(file.string());

  LogBoxView view{LogBox::Unchecked, ""};
  EXPECT_NO_THROW(view = log.Click(LogBox::Checked));
  ExpectBox(view, LogBox::Checked, "&Log all data");
  EXPECT_TRUE(log.LogActive());
  EXPECT_FALSE(log.IsOpen());
  EXPECT_FALSE(log.LastError().empty());

  LogWrite result = LogWrite::Written;
  EXPECT_NO_THROW(result = log.Write("lost", "H1"));
  EXPECT_EQ(result, LogWrite::Failed);
  EXPECT_TRUE(log.LogActive());
  // A label this mode leaves out is skipped, not failed.
  log.Click(LogBox::Unchecked);
  EXPECT_EQ(log.Write("link test", "Q0"), LogWrite::Skipped);
  EXPECT_EQ(log.Write("lost too", "H1"), LogWrite::Failed);

  std::filesystem::create_directory(directory);
  EXPECT_EQ(log.Write("kept", "H1"), LogWrite::Written);
  EXPECT_TRUE(log.IsOpen());
  EXPECT_TRUE(log.LastError().empty());
  EXPECT_EQ(ReadBytes(file), "kept\r\n");
}

TEST(TrafficLog, DirectoryInPlaceOfTheFileFailsQuietlyUntilItIsGone) {
  ScratchDir scratch;
  CurrentDirectory inScratch(scratch.path());
  std::filesystem::create_directory(scratch / "Corvane.txt");

  TrafficLog log;
  EXPECT_NO_THROW(log.Click(LogBox::Checked));
  EXPECT_TRUE(log.LogActive());
  EXPECT_FALSE(log.IsOpen());
  LogWrite result = LogWrite::Written;
  EXPECT_NO_THROW(result = log.Write("lost", "H1"));
  EXPECT_EQ(result, LogWrite::Failed);

  std::filesystem::remove(scratch / "Corvane.txt");
  EXPECT_EQ(log.Write("kept", "H1"), LogWrite::Written);
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), "kept\r\n");

  // Switching off closes the file and stops writing.
  log.Click(LogBox::Unchecked);
  log.Click(LogBox::Unchecked);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(log.Write("after", "H1"), LogWrite::Skipped);
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), "kept\r\n");
}

// A report of the given December 2026 day, at a time of that day, with the
// stamp line reports open with.
std::string ReportOn(int day, const std::string& time, const std::string& text) {
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "= %02d/12/2026 %sZ ", day, time.c_str());
  return stamp + std::string(33, '=') + "\r\n" + text;
}

UtcTime December(int day) {
  UtcTime time;
  time.year = 2026;
  time.month = 12;
  time.day = day;
  return time;
}

// Writes the report of that day through a log taking every label.
void WriteOn(TrafficLog& log, int day, const std::string& time, const std::string& text) {
  EXPECT_EQ(log.Write(ReportOn(day, time, text), "H1", December(day)), LogWrite::Written) << text;
}

TEST(TrafficLogRotation, NamesAreReadAsTheSettingWritesThem) {
  EXPECT_EQ(LogRotationNamed(""), LogRotation::None);
  EXPECT_EQ(LogRotationNamed("none"), LogRotation::None);
  EXPECT_EQ(LogRotationNamed("daily"), LogRotation::Daily);
  EXPECT_EQ(LogRotationNamed("Daily"), std::nullopt);
  EXPECT_EQ(LogRotationNamed("weekly"), std::nullopt);
}

TEST(TrafficLogRotation, EachUtcDayGetsItsOwnFileWithEveryEntryOnceInOrder) {
  ScratchDir scratch;
  CurrentDirectory inScratch(scratch.path());
  const std::string day9 = ReportOn(9, "23:59:58", "a") + "\r\n" + ReportOn(9, "23:59:59", "b") + "\r\n";
  {
    TrafficLog log;
    log.SetRotation(LogRotation::Daily);
    log.Click(LogBox::Checked);
    WriteOn(log, 9, "23:59:58", "a");
    WriteOn(log, 9, "23:59:59", "b");
    EXPECT_FALSE(std::filesystem::exists(scratch / "Corvane-2026-12-09.txt"));
    WriteOn(log, 10, "00:00:00", "c");
    WriteOn(log, 9, "23:59:59", "clock set back");  // stays with the day's file
    EXPECT_TRUE(log.LastError().empty());
  }
  EXPECT_EQ(ReadBytes(scratch / "Corvane-2026-12-09.txt"), day9);
  const std::string day10 = ReportOn(10, "00:00:00", "c") + "\r\n" + ReportOn(9, "23:59:59", "clock set back") + "\r\n";
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), day10);

  // A later run takes the file's day from its first entry.
  TrafficLog later;
  later.SetRotation(LogRotation::Daily);
  later.Click(LogBox::Checked);
  WriteOn(later, 10, "08:00:00", "d");
  EXPECT_FALSE(std::filesystem::exists(scratch / "Corvane-2026-12-10.txt"));
  WriteOn(later, 12, "08:00:00", "e");
  EXPECT_EQ(ReadBytes(scratch / "Corvane-2026-12-10.txt"), day10 + ReportOn(10, "08:00:00", "d") + "\r\n");
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), ReportOn(12, "08:00:00", "e") + "\r\n");
  EXPECT_EQ(ReadBytes(scratch / "Corvane-2026-12-09.txt"), day9);
}

TEST(TrafficLogRotation, AFailedRenameIsReportedAndTheEntriesGoOnIntoTheFile) {
  ScratchDir scratch;
  const auto file = scratch / "Corvane.txt";
  const auto dated = scratch / "Corvane-2026-12-09.txt";
  std::filesystem::create_directory(dated);
  TrafficLog log(file.string());
  log.SetRotation(LogRotation::Daily);
  log.Click(LogBox::Checked);
  EXPECT_EQ(log.DatedFileName({2026, 12, 9}), dated.string());

  WriteOn(log, 9, "12:00:00", "a");
  WriteOn(log, 10, "00:00:01", "b");
  EXPECT_TRUE(log.RenameFailed());
  EXPECT_NE(log.LastError().find("cannot rename " + file.string() + " to " + dated.string()), std::string::npos)
      << log.LastError();
  WriteOn(log, 10, "00:00:02", "c");
  EXPECT_TRUE(log.RenameFailed());
  const std::string all = ReportOn(9, "12:00:00", "a") + "\r\n" + ReportOn(10, "00:00:01", "b") + "\r\n" +
                          ReportOn(10, "00:00:02", "c") + "\r\n";
  EXPECT_EQ(ReadBytes(file), all);
  EXPECT_TRUE(std::filesystem::is_directory(dated));

  // Once the name is free the next entry starts the new file.
  std::filesystem::remove(dated);
  WriteOn(log, 10, "00:00:03", "d");
  EXPECT_TRUE(log.LastError().empty());
  EXPECT_FALSE(log.RenameFailed());
  EXPECT_EQ(ReadBytes(dated), all);
  EXPECT_EQ(ReadBytes(file), ReportOn(10, "00:00:03", "d") + "\r\n");
}

TEST(TrafficLogRotation, OffKeepsOneFileAsBefore) {
  ScratchDir scratch;
  CurrentDirectory inScratch(scratch.path());
  WriteBytes(scratch / "Corvane.txt", ReportOn(8, "10:00:00", "earlier run") + "\r\n");
  TrafficLog log;
  log.Click(LogBox::Checked);
  WriteOn(log, 9, "23:59:59", "a");
  WriteOn(log, 10, "00:00:00", "b");
  log.Close();
  EXPECT_EQ(ReadBytes(scratch / "Corvane.txt"), ReportOn(8, "10:00:00", "earlier run") + "\r\n" +
                                                    ReportOn(9, "23:59:59", "a") + "\r\n" +
                                                    ReportOn(10, "00:00:00", "b") + "\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 1);
}

}  // namespace
}  // namespace corvane::decoding
