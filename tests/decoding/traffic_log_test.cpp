// Tests of the traffic log: the three modes of the LogData box, which labels
// each mode writes, and the file the entries are appended to.
#include "decoding/traffic_log.h"

#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
}  // namespace corvane::decoding
