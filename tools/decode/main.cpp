// corvane-decode: runs a capture through the same message path as the window,
// with each record's own time stamp as the clock, and writes one JSON line per
// record with every output. Optionally writes the traffic log by the window's
// rules.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "decoding/message_path.h"
#include "livelink/live_json.h"
#include "readable/json.h"
#include "reference/reference_tables.h"
#include "store/store.h"

namespace {

using corvane::capture::Latin1ToUtf8;
using Json = nlohmann::ordered_json;
namespace decoding = corvane::decoding;

constexpr const char* kUsage =
    "Usage: corvane-decode [OPTIONS] [CAPTURE...]\n"
    "\n"
    "Runs every message of the captures (standard input when none is given, or\n"
    "for \"-\") through Corvane's message path and writes one JSON line per\n"
    "message to standard output. A capture line is a card text record\n"
    "{\"utc\": ..., \"txt\": ...} or an acarsdec, dumpvdl2 or dumphfdl JSON\n"
    "message. Each message's own time stamp serves as the clock, so the output\n"
    "is the same on every run.\n"
    "\n"
    "Options:\n"
    "  --reg-filter ADDRESS  show only messages from this padded address\n"
    "                        (e.g. .N123UA), as the window's filter does\n"
    "  --label-filter LABEL  show only messages with this label\n"
    "  --log all|some        append reports to Corvane.txt in the current\n"
    "                        directory: all messages, or all but link tests\n"
    "                        (Q0) and uplink acknowledgements\n"
    "  --store none|sqlite|jet\n"
    "                        open (or create) the message store in the current\n"
    "                        directory as Corvane does (Corvane.db or\n"
    "                        Corvane.mdb) and store every accepted message\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "A line that cannot be read is reported on standard error with its file\n"
    "and line number; decoding goes on. The exit status is 1 when any line\n"
    "could not be read or a file could not be opened, 2 for a usage error.\n";

struct Options {
  std::string regFilter;
  std::string labelFilter;
  std::string log;  // "", "all" or "some"
  std::int32_t store = corvane::decoding::kNoStore;
  std::vector<std::string> captures;
};

// The capture's time, handed to the message path as its clock.
struct CaptureClock {
  decoding::UtcTime now;
};

// What the message area shows: the visible panels with the captions and
// hidden rows of those panels, and the text panels' texts when visible.
Json PanelsJson(const decoding::PanelState& panels) {
  Json visible = Json::array();
  for (std::size_t p = 0; p < decoding::kPanelCount; ++p) {
    if (panels.visible[p]) {
      visible.push_back(decoding::PanelName(static_cast<decoding::Panel>(p)));
    }
  }
  Json captions = Json::object();
  for (std::size_t v = 0; v < decoding::kValueCount; ++v) {
    const auto value = static_cast<decoding::Value>(v);
    if (panels.Visible(decoding::PanelOf(value))) {
      captions[std::string(decoding::ValueName(value))] = Latin1ToUtf8(panels.captions[v]);
    }
  }
  Json hiddenRows = Json::array();
  for (std::size_t r = 0; r < decoding::kRowCount; ++r) {
    const auto row = static_cast<decoding::Row>(r);
    if (!panels.rowVisible[r] && panels.Visible(decoding::PanelOf(row))) {
      hiddenRows.push_back(decoding::RowValueName(row));
    }
  }
  Json out = {{"visible", visible}, {"captions", captions}, {"hiddenRows", hiddenRows}};
  if (panels.Visible(decoding::Panel::fINF)) {
    out["fINF"] = Latin1ToUtf8(panels.infText);
  }
  if (panels.Visible(decoding::Panel::fMSG)) {
    out["fMSG"] = Latin1ToUtf8(panels.msgText);
  }
  return out;
}

// A readable decoding as JSON: the object the one readable writer makes
// (the same as in LiveJSON), read back into the line's document; whole
// numbers stay integers.
Json ReadableJson(const corvane::readable::Decoding& decoding) {
  std::string text;
  corvane::readable::AppendJson(decoding, text);
  return Json::parse(text);
}

Json FieldsJson(const decoding::MessageRecord& record) {
  return {{"Date", record.Date},
          {"Hour", record.Hour},
          {"Mode", Latin1ToUtf8(record.Mode)},
          {"Address", Latin1ToUtf8(record.Address)},
          {"Flight", Latin1ToUtf8(record.Flight)},
          {"Label", Latin1ToUtf8(record.Label)},
          {"Bloc", Latin1ToUtf8(record.Bloc)},
          {"Msn", Latin1ToUtf8(record.Msn)},
          {"Data", Latin1ToUtf8(record.Data)}};
}

Json HeaderJson(const decoding::HeaderFields& header) {
  return {{"vMde", Latin1ToUtf8(header.vMde)}, {"vReg", Latin1ToUtf8(header.vReg)},
          {"vFId", Latin1ToUtf8(header.vFId)}, {"vMsn", Latin1ToUtf8(header.vMsn)},
          {"vLbl", Latin1ToUtf8(header.vLbl)}, {"flightVisible", header.flightVisible},
          {"msnVisible", header.msnVisible}};
}

const char* LogWriteName(decoding::LogWrite write) {
  switch (write) {
    case decoding::LogWrite::Written:
      return "written";
    case decoding::LogWrite::Failed:
      return "failed";
    case decoding::LogWrite::Skipped:
      break;
  }
  return "skipped";
}

class BatchDecoder {
 public:
  explicit BatchDecoder(const Options& options)
      : path_(corvane::reference::Global(), outputs_, [this] { return clock_.now; }) {
    path_.RegFilter = options.regFilter;
    path_.LabelFilter = options.labelFilter;
    if (options.store != decoding::kNoStore) {
      OpenStore(options.store);
    }
    if (!options.log.empty()) {
      log_.Click(decoding::LogBox::Checked);
      if (options.log == "some") {
        log_.Click(decoding::LogBox::Unchecked);
      }
      path_.SetTrafficLog(&log_);
      logging_ = true;
    }
  }

  // Decodes every line of the stream; false when any line could not be read.
  bool DecodeStream(std::istream& in, const std::string& name) {
    bool allRead = true;
    std::string line;
    long number = 0;
    while (std::getline(in, line)) {
      ++number;
      if (line.find_first_not_of(" \t\r") == std::string::npos) {
        continue;
      }
      std::string error;
      const auto capture = corvane::capture::ParseCaptureLine(line, error);
      if (!capture) {
        std::cerr << "corvane-decode: " << name << ":" << number << ": " << error << '\n';
        allRead = false;
        continue;
      }
      std::cout << DecodeRecord(*capture, number).dump() << '\n';
    }
    return allRead;
  }

 private:
  // Opens the store as the window does at start-up; the steps are reported on
  // standard error.
  void OpenStore(std::int32_t type) {
    struct Progress : corvane::store::StoreProgress {
      void SetProgressStep(const std::string& text) override { std::cerr << "corvane-decode: " << text << '\n'; }
    } progress;
    path_.DBType = type;
    path_.DBName = "Corvane";
    store_.OpenStore(path_.DBType, path_.DBName, progress);
    path_.SetStore(&store_);
  }

  Json DecodeRecord(const corvane::capture::CaptureRecord& capture, long number) {
    clock_.now = capture.utc;
    path_.HandleTextRecord(capture.txt);
    Json out;
    out["line"] = number;
    out["utc"] = corvane::capture::FormatUtc(capture.utc);
    out["record"] = Latin1ToUtf8(capture.txt);
    const corvane::decoding::ReadMessage* message = path_.LastMessage();
    out["accepted"] = message != nullptr;
    out["CurrentLabel"] = Latin1ToUtf8(path_.CurrentLabel());
    if (!message) {
      return out;
    }
    out["fields"] = FieldsJson(message->record);
    out["PaddedAddress"] = Latin1ToUtf8(message->PaddedAddress);
    out["LabelText"] = Latin1ToUtf8(message->LabelText);
    out["shown"] = path_.LastShown();
    out["header"] = HeaderJson(path_.Header());
    out["DecodedBlock"] = Latin1ToUtf8(path_.DecodedBlock());
    out["panels"] = PanelsJson(path_.Panels());
    out["statusStamp"] = path_.StatusStamp();
    out["MessageReport"] = Latin1ToUtf8(path_.MessageReport());
    out["LiveSummary"] = Latin1ToUtf8(path_.LiveData());
    if (logging_) {
      out["log"] = LogWriteName(path_.LastLogWrite());
    }
    if (const auto readable = corvane::livelink::ReadableOf(message->record, corvane::reference::Global())) {
      out["readable"] = ReadableJson(*readable);
    }
    return out;
  }

  decoding::MessageOutputs outputs_;
  CaptureClock clock_;
  decoding::MessagePath path_;
  corvane::store::Database store_{corvane::reference::Global(), [this] { return clock_.now; }};
  decoding::TrafficLog log_;
  bool logging_ = false;
};

// Parses the command line; nothing when it is wrong (after saying why).
std::optional<Options> ParseOptions(int argc, char** argv, bool& help) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "-h" || argument == "--help") {
      help = true;
      return options;
    }
    if (argument == "--reg-filter" || argument == "--label-filter" || argument == "--log" || argument == "--store") {
      if (!hasValue) {
        std::cerr << "corvane-decode: " << argument << " needs a value\n";
        return std::nullopt;
      }
      const std::string value = argv[++i];
      if (argument == "--reg-filter") {
        options.regFilter = value;
      } else if (argument == "--label-filter") {
        options.labelFilter = value;
      } else if (argument == "--store") {
        if (value == "none" || value == "sqlite" || value == "jet") {
          options.store = value == "sqlite" ? corvane::store::kSqliteStore
                          : value == "jet"  ? corvane::store::kJetStore
                                            : corvane::decoding::kNoStore;
        } else {
          std::cerr << "corvane-decode: --store takes none, sqlite or jet, not " << value << '\n';
          return std::nullopt;
        }
      } else if (value == "all" || value == "some") {
        options.log = value;
      } else {
        std::cerr << "corvane-decode: --log takes all or some, not " << value << '\n';
        return std::nullopt;
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::cerr << "corvane-decode: unknown option " << argument << '\n';
      return std::nullopt;
    } else {
      options.captures.push_back(argument);
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  bool help = false;
  const auto options = ParseOptions(argc, argv, help);
  if (help) {
    std::cout << kUsage;
    return 0;
  }
  if (!options) {
    std::cerr << "Try 'corvane-decode --help'.\n";
    return 2;
  }
  corvane::reference::FillBuiltinTables();
  BatchDecoder decoder(*options);
  bool allRead = true;
  if (options->captures.empty()) {
    allRead = decoder.DecodeStream(std::cin, "stdin");
  }
  for (const std::string& name : options->captures) {
    if (name == "-") {
      allRead = decoder.DecodeStream(std::cin, "stdin") && allRead;
      continue;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
      std::cerr << "corvane-decode: cannot open " << name << ": " << std::strerror(errno) << '\n';
      allRead = false;
      continue;
    }
    allRead = decoder.DecodeStream(file, name) && allRead;
  }
  std::cout.flush();
  return allRead ? 0 : 1;
}
