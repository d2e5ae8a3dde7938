// End-to-end tests of corvane-decode: the real program on the shipped demo
// capture, on the shared capture of real traffic, and on bad input.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "capture/capture.h"
#include "decoding/message_path.h"
#include "livelink/live_json.h"
#include "reference/reference_tables.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out;
};

// Runs a shell command line and collects its standard output.
ToolRun RunCommand(const std::string& command) {
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char buffer[65536];
  std::size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    run.out.append(buffer, got);
  }
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Tool() { return std::string("'") + CORVANE_DECODE_TOOL + "'"; }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<long, nlohmann::json> LinesByNumber(const std::string& out) {
  std::map<long, nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    auto json = nlohmann::json::parse(line);
    lines[json.at("line").get<long>()] = json;
  }
  return lines;
}

// The single number a counting query gives, or -1.
long CountRows(const fs::path& file, const char* query) {
  sqlite3* db = nullptr;
  long count = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
      count = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return count;
}

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("corvane-decode-test-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(DecodeTool, DemoCaptureGivesTheSameBytesOnEveryRun) {
  const std::string command = Tool() + " '" + CORVANE_DEMO_CAPTURE + "'";
  const ToolRun first = RunCommand(command);
  const ToolRun second = RunCommand(command);
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(second.status, 0);
  EXPECT_FALSE(first.out.empty());
  EXPECT_EQ(first.out, second.out);
}

TEST(DecodeTool, ChosenDemoRecordsMatchTheirExpectedOutput) {
  const ToolRun run = RunCommand(Tool() + " '" + CORVANE_DEMO_CAPTURE + "'");
  ASSERT_EQ(run.status, 0);
  const auto lines = LinesByNumber(run.out);
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(CORVANE_TEST_DATA) / "decode")) {
    const auto expected = nlohmann::json::parse(ReadFile(entry.path()));
    const long number = expected.at("line").get<long>();
    ASSERT_TRUE(lines.count(number)) << entry.path();
    // The readable decoding grows with every form learnt; its own tests check it.
    nlohmann::json actual = lines.at(number);
    actual.erase("readable");
    EXPECT_EQ(actual, expected) << entry.path() << "\nactual: " << lines.at(number).dump(2);
    ++compared;
  }
  EXPECT_GE(compared, 10);
}

TEST(DecodeTool, DemoCaptureCoversEveryDecoderAndSomeRejections) {
  const ToolRun run = RunCommand(Tool() + " '" + CORVANE_DEMO_CAPTURE + "'");
  ASSERT_EQ(run.status, 0);
  std::map<std::string, int> seen;
  for (const auto& [number, line] : LinesByNumber(run.out)) {
    if (!line.at("accepted").get<bool>()) {
      ++seen["rejected"];
      continue;
    }
    const auto& panels = line.at("panels").at("visible");
    if (line.at("shown").get<bool>()) {
      for (const auto& panel : panels) {
        ++seen[panel.get<std::string>()];
      }
    }
  }
  for (const char* panel : {"fPXX", "fETA", "fREL", "fMTR", "fWXR", "fINF", "fPQS", "fPB9", "fMSG", "rejected"}) {
    EXPECT_GT(seen[panel], 0) << panel;
  }
}

TEST(DecodeTool, EveryRealRecordDecodesWithoutError) {
  const std::string capture = std::string(CORVANE_CAPTURES_DIR) + "/real-acars.jsonl";
  if (!fs::exists(capture)) {
    FAIL() << "the shared capture of real traffic (../shared/captures) is not on this machine";
  }
  const ToolRun run = RunCommand(Tool() + " '" + capture + "' 2>&1");
  EXPECT_EQ(run.status, 0);
  const auto lines = LinesByNumber(run.out);
  EXPECT_EQ(lines.size(), 2174U);
  for (const auto& [number, line] : lines) {
    EXPECT_TRUE(line.at("accepted").get<bool>()) << number;
  }

  // The readable object is the same as the one LiveJSON publishes for the
  // same record received at the same time.
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  corvane::decoding::MessageOutputs outputs;
  corvane::decoding::UtcTime now;
  corvane::decoding::MessagePath path(tables, outputs, [&now] { return now; });
  corvane::livelink::LiveJsonWriter liveJson(tables);
  std::ifstream in(capture);
  long number = 0;
  int compared = 0;
  for (std::string text; std::getline(in, text);) {
    std::string error;
    const auto record = corvane::capture::ParseCaptureLine(text, error);
    ++number;
    ASSERT_TRUE(record) << error;
    now = record->utc;
    path.HandleTextRecord(record->txt);
    const auto live = nlohmann::json::parse(liveJson.OfLast(path));
    const nlohmann::json& tool = lines.at(number);
    ASSERT_EQ(live.contains("readable"), tool.contains("readable")) << number;
    if (tool.contains("readable")) {
      EXPECT_EQ(live.at("readable"), tool.at("readable")) << number;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1000);
}

TEST(DecodeTool, BadLinesAreReportedAndDecodingGoesOn) {
  TempDir dir;
  const fs::path input = dir.path() / "mixed.jsonl";
  std::ofstream(input, std::ios::binary)
      << "{\"utc\": \"2026-12-07T21:00:05.005Z\", \"txt\": \"M=2  ADDR=.N123UA TA=! ML=Q0 B=1\\r\\n\"}\n"
      << "this is not json\n"
      << "\n"
      << "{\"utc\": \"2026-12-07T21:00:06Z\", \"txt\": \"\\u20ac\"}\n"
      << "\xff\xfe{\"broken\n"
      << "{\"timestamp\": 1796677206.5, \"mode\": \"2\", \"label\": \"_d\", \"block_id\": \"A\", \"ack\": \"5\", "
         "\"tail\": \"N123UA\"}\n";
  const ToolRun run = RunCommand(Tool() + " '" + input.string() + "' 2>'" + (dir.path() / "err").string() + "'");
  EXPECT_EQ(run.status, 1);
  const auto lines = LinesByNumber(run.out);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines.at(1).at("fields").at("Label"), "Q0");
  EXPECT_EQ(lines.at(6).at("fields").at("Label"), "_ ");
  EXPECT_EQ(lines.at(6).at("PaddedAddress"), ".N123UA");
  EXPECT_EQ(lines.at(6).at("utc"), "2026-12-07T21:00:06.500Z");
  const std::string errors = ReadFile(dir.path() / "err");
  EXPECT_NE(errors.find("mixed.jsonl:2: not a JSON object"), std::string::npos) << errors;
  EXPECT_NE(errors.find("mixed.jsonl:4: \"txt\" holds a character above U+00FF"), std::string::npos) << errors;
  EXPECT_NE(errors.find("mixed.jsonl:5: "), std::string::npos) << errors;
}

TEST(DecodeTool, FiltersAndLogFollowTheWindowRules) {
  TempDir dir;
  const std::string command = "cd '" + dir.path().string() + "' && " + Tool() + " --reg-filter .D-AIPX --log some '" +
                              CORVANE_DEMO_CAPTURE + "'";
  const ToolRun run = RunCommand(command);
  ASSERT_EQ(run.status, 0);
  const std::string log = ReadFile(dir.path() / "Corvane.txt");
  std::string expectedLog;
  int shown = 0;
  for (const auto& [number, line] : LinesByNumber(run.out)) {
    if (!line.at("accepted").get<bool>()) {
      EXPECT_FALSE(line.contains("log"));
      continue;
    }
    const bool fromFilter = line.at("PaddedAddress") == ".D-AIPX";
    EXPECT_EQ(line.at("shown").get<bool>(), fromFilter) << number;
    shown += fromFilter ? 1 : 0;
    const std::string label = line.at("fields").at("Label");
    const bool written = label != "Q0" && label != "_ ";
    EXPECT_EQ(line.at("log"), written ? "written" : "skipped") << number;
    if (written) {
      // The JSON carries the report's bytes as Latin-1 code points.
      expectedLog += corvane::capture::Utf8ToLatin1(line.at("MessageReport").get<std::string>()).value() + "\r\n";
    }
  }
  EXPECT_GT(shown, 0);
  EXPECT_FALSE(log.empty());
  EXPECT_EQ(log, expectedLog);
}

TEST(DecodeTool, StoreOptionLoadsACaptureIntoTheDatabase) {
  TempDir dir;
  const std::string command = "cd '" + dir.path().string() + "' && " + Tool() + " --store sqlite '" +
                              CORVANE_DEMO_CAPTURE + "' 2>'" + (dir.path() / "err").string() + "'";
  const ToolRun first = RunCommand(command);
  ASSERT_EQ(first.status, 0);
  const std::string steps = ReadFile(dir.path() / "err");
  EXPECT_NE(steps.find("Create database"), std::string::npos) << steps;
  ASSERT_TRUE(fs::exists(dir.path() / "Corvane.db"));
  // The second run finds the file, loads its tables and appends to it.
  const ToolRun second = RunCommand(command);
  ASSERT_EQ(second.status, 0);
  EXPECT_NE(ReadFile(dir.path() / "err").find("Get data from tables"), std::string::npos);
  EXPECT_EQ(first.out, second.out);
  long accepted = 0;
  for (const auto& [number, line] : LinesByNumber(first.out)) {
    accepted += line.at("accepted").get<bool>() ? 1 : 0;
  }
  EXPECT_GT(accepted, 300);
  EXPECT_EQ(CountRows(dir.path() / "Corvane.db", "SELECT count(*) FROM Planes;"), 2 * accepted);
  EXPECT_EQ(CountRows(dir.path() / "Corvane.db", "SELECT count(*) FROM Labels;"), 132);
  const ToolRun jet =
      RunCommand("cd '" + dir.path().string() + "' && " + Tool() + " --store jet /dev/null 2>/dev/null");
  EXPECT_EQ(jet.status, 0);
  EXPECT_EQ(CountRows(dir.path() / "Corvane.mdb", "SELECT count(*) FROM Airports;"), 434);
  EXPECT_EQ(RunCommand(Tool() + " --store access /dev/null 2>/dev/null").status, 2);
}

// --fields writes the members asked for, in the line's own order, with the
// values the whole line has; one line a record all the same.
TEST(DecodeTool, FieldsWritesOnlyTheChosenMembers) {
  const std::string capture = std::string(" '") + CORVANE_DEMO_CAPTURE + "'";
  const ToolRun whole = RunCommand(Tool() + capture);
  const ToolRun chosen = RunCommand(Tool() + " --fields readable,line" + capture);
  ASSERT_EQ(whole.status, 0);
  ASSERT_EQ(chosen.status, 0);
  std::istringstream wholeLines(whole.out);
  std::istringstream chosenLines(chosen.out);
  std::string wholeLine;
  std::string chosenLine;
  int lines = 0;
  int readable = 0;
  while (std::getline(wholeLines, wholeLine) && std::getline(chosenLines, chosenLine)) {
    ++lines;
    const auto full = nlohmann::json::parse(wholeLine);
    nlohmann::json expected = {{"line", full.at("line")}};
    if (full.contains("readable")) {
      expected["readable"] = full.at("readable");
      ++readable;
    }
    EXPECT_EQ(nlohmann::json::parse(chosenLine), expected) << chosenLine;
    EXPECT_TRUE(chosenLine.starts_with("{\"line\":")) << chosenLine;
  }
  EXPECT_EQ(lines, 360);
  EXPECT_FALSE(std::getline(chosenLines, chosenLine));
  EXPECT_GT(readable, 50);
  for (const char* bad : {"bogus", "\"\"", "line,", "line,Readable"}) {
    EXPECT_EQ(RunCommand(Tool() + " --fields " + bad + " /dev/null 2>/dev/null").status, 2) << bad;
  }
}

// Control bytes, quotes and Latin-1 letters of a record come out as they
// always have: short escapes where JSON has them, \u00xx otherwise, DEL
// and letters as characters.
TEST(DecodeTool, EveryByteOfATextIsWrittenAsBefore) {
  TempDir dir;
  const fs::path capture = dir.path() / "bytes.jsonl";
  std::ofstream(capture) << R"({"utc": "2026-12-07T00:00:00Z", "txt": "M=2  ADDR=.N8560Z TA=! ML=H1 B=2 MSN=D50A )"
                         << R"(FID=WN4899\r\n\b\f\u0001\u001f\u007f\u00e9\"\\/\tx"})" << '\n';
  const ToolRun run = RunCommand(Tool() + " --fields record '" + capture.string() + "'");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"record\":\"M=2  ADDR=.N8560Z TA=! ML=H1 B=2 MSN=D50A FID=WN4899"
            "\\r\\n\\b\\f\\u0001\\u001f\x7F\xC3\xA9\\\"\\\\/\\tx\"}\n");
}

TEST(DecodeTool, HelpAndUsageErrors) {
  const ToolRun help = RunCommand(Tool() + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: corvane-decode"), std::string::npos);
  EXPECT_NE(help.out.find("--reg-filter"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool() + " --log never 2>/dev/null").status, 2);
  EXPECT_EQ(RunCommand(Tool() + " --bogus 2>/dev/null").status, 2);
  EXPECT_EQ(RunCommand(Tool() + " --reg-filter 2>/dev/null").status, 2);
  EXPECT_EQ(RunCommand(Tool() + " /nonexistent/capture.jsonl 2>/dev/null").status, 1);
}

}  // namespace
