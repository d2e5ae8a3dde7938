// corvane-decode: runs a capture through the same message path as the window,
// with each record's own time stamp as the clock, and writes one JSON line per
// record with every output. Optionally writes the traffic log by the window's
// rules.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "decoding/message_path.h"
#include "json_line.h"
#include "livelink/live_json.h"
#include "output_members.h"
#include "readable/json.h"
#include "reference/reference_tables.h"
#include "store/store.h"

namespace {

using corvane::decodetool::JsonLine;
using corvane::decodetool::Member;
using corvane::decodetool::MemberSet;
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
    "  --fields LIST         write only these members of each line, in the\n"
    "                        line's own order (comma-separated; default all):\n"
    "                        line, utc, record, accepted, CurrentLabel, fields,\n"
    "                        PaddedAddress, LabelText, shown, header,\n"
    "                        DecodedBlock, panels, statusStamp, MessageReport,\n"
    "                        LiveSummary, log, readable. Each record still gives\n"
    "                        one line; --fields readable is the fastest way to\n"
    "                        read a capture in words\n"
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
  MemberSet members = MemberSet::All();
  std::vector<std::string> captures;
};

// The capture's time, handed to the message path as its clock.
struct CaptureClock {
  decoding::UtcTime now;
};

// What the message area shows: the visible panels with the captions and
// hidden rows of those panels, and the text panels' texts when visible.
void WritePanels(const decoding::PanelState& panels, JsonLine& out) {
  out.BeginObject();
  out.Key("visible");
  out.BeginArray();
  for (std::size_t p = 0; p < decoding::kPanelCount; ++p) {
    if (panels.visible[p]) {
      out.CardString(decoding::PanelName(static_cast<decoding::Panel>(p)));
    }
  }
  out.EndArray();
  out.Key("captions");
  out.BeginObject();
  for (std::size_t v = 0; v < decoding::kValueCount; ++v) {
    const auto value = static_cast<decoding::Value>(v);
    if (panels.Visible(decoding::PanelOf(value))) {
      out.CardMember(decoding::ValueName(value), panels.captions[v]);
    }
  }
  out.EndObject();
  out.Key("hiddenRows");
  out.BeginArray();
  for (std::size_t r = 0; r < decoding::kRowCount; ++r) {
    const auto row = static_cast<decoding::Row>(r);
    if (!panels.rowVisible[r] && panels.Visible(decoding::PanelOf(row))) {
      out.CardString(decoding::RowValueName(row));
    }
  }
  out.EndArray();
  if (panels.Visible(decoding::Panel::fINF)) {
    out.CardMember("fINF", panels.infText);
  }
  if (panels.Visible(decoding::Panel::fMSG)) {
    out.CardMember("fMSG", panels.msgText);
  }
  out.EndObject();
}

void WriteFields(const decoding::MessageRecord& record, JsonLine& out) {
  const std::pair<const char*, const std::string*> members[] = {
      {"Date", &record.Date},       {"Hour", &record.Hour},     {"Mode", &record.Mode},
      {"Address", &record.Address}, {"Flight", &record.Flight}, {"Label", &record.Label},
      {"Bloc", &record.Bloc},       {"Msn", &record.Msn},       {"Data", &record.Data}};
  out.BeginObject();
  for (const auto& [name, value] : members) {
    out.CardMember(name, *value);
  }
  out.EndObject();
}

void WriteHeader(const decoding::HeaderFields& header, JsonLine& out) {
  out.BeginObject();
  out.CardMember("vMde", header.vMde);
  out.CardMember("vReg", header.vReg);
  out.CardMember("vFId", header.vFId);
  out.CardMember("vMsn", header.vMsn);
  out.CardMember("vLbl", header.vLbl);
  out.BoolMember("flightVisible", header.flightVisible);
  out.BoolMember("msnVisible", header.msnVisible);
  out.EndObject();
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
      : path_(corvane::reference::Global(), outputs_, [this] { return clock_.now; }), members_(options.members) {
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
      DecodeRecord(*capture, number);
      if (batch_.size() >= kBatchBytes) {
        Flush();
      }
    }
    return allRead;
  }

  // Writes what is left of the output; false when standard output failed.
  bool Flush() {
    if (!batch_.empty() && std::fwrite(batch_.data(), 1, batch_.size(), stdout) != batch_.size()) {
      writeFailed_ = true;
    }
    batch_.clear();
    return !writeFailed_ && std::fflush(stdout) == 0;
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

  // Runs the record through the message path and writes its line.
  void DecodeRecord(const corvane::capture::CaptureRecord& capture, long number) {
    clock_.now = capture.utc;
    path_.HandleTextRecord(capture.txt);
    JsonLine out(batch_);
    out.BeginObject();
    if (Wants(Member::line)) {
      out.Key("line");
      out.Integer(number);
    }
    if (Wants(Member::utc)) {
      out.CardMember("utc", corvane::capture::FormatUtc(capture.utc));
    }
    WriteText(Member::record, capture.txt, out);
    const corvane::decoding::ReadMessage* message = path_.LastMessage();
    if (Wants(Member::accepted)) {
      out.BoolMember("accepted", message != nullptr);
    }
    WriteText(Member::CurrentLabel, path_.CurrentLabel(), out);
    if (message != nullptr) {
      WriteAccepted(*message, out);
    }
    out.EndObject();
    batch_ += '\n';
  }

  // The members only an accepted message has.
  void WriteAccepted(const corvane::decoding::ReadMessage& message, JsonLine& out) {
    if (Wants(Member::fields)) {
      out.Key("fields");
      WriteFields(message.record, out);
    }
    WriteText(Member::PaddedAddress, message.PaddedAddress, out);
    WriteText(Member::LabelText, message.LabelText, out);
    if (Wants(Member::shown)) {
      out.BoolMember("shown", path_.LastShown());
    }
    if (Wants(Member::header)) {
      out.Key("header");
      WriteHeader(path_.Header(), out);
    }
    WriteText(Member::DecodedBlock, path_.DecodedBlock(), out);
    if (Wants(Member::panels)) {
      out.Key("panels");
      WritePanels(path_.Panels(), out);
    }
    WriteText(Member::statusStamp, path_.StatusStamp(), out);
    WriteText(Member::MessageReport, path_.MessageReport(), out);
    WriteText(Member::LiveSummary, path_.LiveData(), out);
    if (logging_) {
      WriteText(Member::log, LogWriteName(path_.LastLogWrite()), out);
    }
    if (Wants(Member::readable)) {
      if (const auto readable = corvane::livelink::ReadableOf(message.record, corvane::reference::Global())) {
        // The object the one readable writer makes, as LiveJSON carries it.
        readable_.clear();
        corvane::readable::AppendJson(*readable, readable_);
        out.Key("readable");
        out.Raw(readable_);
      }
    }
  }

  void WriteText(Member member, std::string_view text, JsonLine& out) {
    if (Wants(member)) {
      out.CardMember(corvane::decodetool::kMemberNames[static_cast<std::size_t>(member)], text);
    }
  }

  [[nodiscard]] bool Wants(Member member) const { return members_.Has(member); }

  // Output is written in batches of about this many bytes.
  static constexpr std::size_t kBatchBytes = 1 << 20;

  decoding::MessageOutputs outputs_;
  CaptureClock clock_;
  decoding::MessagePath path_;
  corvane::store::Database store_{corvane::reference::Global(), [this] { return clock_.now; }};
  decoding::TrafficLog log_;
  bool logging_ = false;
  MemberSet members_;
  std::string batch_;
  std::string readable_;
  bool writeFailed_ = false;
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
    if (argument == "--reg-filter" || argument == "--label-filter" || argument == "--log" || argument == "--store" ||
        argument == "--fields") {
      if (!hasValue) {
        std::cerr << "corvane-decode: " << argument << " needs a value\n";
        return std::nullopt;
      }
      const std::string value = argv[++i];
      if (argument == "--reg-filter") {
        options.regFilter = value;
      } else if (argument == "--label-filter") {
        options.labelFilter = value;
      } else if (argument == "--fields") {
        std::string error;
        const auto members = corvane::decodetool::ParseMembers(value, error);
        if (!members) {
          std::cerr << "corvane-decode: " << error << " (members: " << corvane::decodetool::MemberNameList() << ")\n";
          return std::nullopt;
        }
        options.members = *members;
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
  if (!decoder.Flush()) {
    std::cerr << "corvane-decode: cannot write the output: " << std::strerror(errno) << '\n';
    return 1;
  }
  return allRead ? 0 : 1;
}
