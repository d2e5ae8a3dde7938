// corvane-decode: reads a capture and decodes every record in a batch, with
// each record's own time stamp as the clock, writing one JSON line per record.
#include <cstring>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "capture/capture.h"
#include "decoding/text_record.h"
#include "reference/reference_tables.h"

namespace {

using corvane::capture::Latin1ToUtf8;

constexpr const char* kUsage =
    "Usage: corvane-decode [CAPTURE]\n"
    "\n"
    "Decodes every card text record of a capture (JSON Lines, one\n"
    "{\"utc\": ..., \"txt\": ...} object per line) and writes one JSON line per\n"
    "record to standard output. Reads standard input when no file is given.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help and exit\n";

nlohmann::json FieldsJson(const corvane::decoding::MessageRecord& record) {
  return {{"Date", Latin1ToUtf8(record.Date)},     {"Hour", Latin1ToUtf8(record.Hour)},
          {"Mode", Latin1ToUtf8(record.Mode)},     {"Address", Latin1ToUtf8(record.Address)},
          {"Flight", Latin1ToUtf8(record.Flight)}, {"Label", Latin1ToUtf8(record.Label)},
          {"Bloc", Latin1ToUtf8(record.Bloc)},     {"Msn", Latin1ToUtf8(record.Msn)},
          {"Data", Latin1ToUtf8(record.Data)}};
}

nlohmann::json DecodeLine(const std::string& line, long number, std::string& currentLabel) {
  nlohmann::json out{{"line", number}};
  std::string error;
  const auto capture = corvane::capture::ParseCaptureLine(line, error);
  if (!capture) {
    out["error"] = error;
    return out;
  }
  out["utc"] = corvane::capture::FormatUtc(capture->utc);
  const auto message =
      corvane::decoding::ReadTextRecord(capture->txt, capture->utc, corvane::reference::Global(), currentLabel);
  out["accepted"] = message.has_value();
  out["CurrentLabel"] = Latin1ToUtf8(currentLabel);
  if (message) {
    out["fields"] = FieldsJson(message->record);
    out["PaddedAddress"] = Latin1ToUtf8(message->PaddedAddress);
    out["LabelText"] = Latin1ToUtf8(message->LabelText);
    out["reportStamp"] = message->reportStamp;
    out["statusStamp"] = message->statusStamp;
  }
  return out;
}

int DecodeStream(std::istream& in) {
  corvane::reference::FillBuiltinTables();
  std::string currentLabel;
  std::string line;
  long number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
      continue;
    }
    std::cout << DecodeLine(line, number, currentLabel).dump() << '\n';
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc > 2 || (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::cerr << "corvane-decode: unexpected arguments\n" << kUsage;
    return 2;
  }
  if (argc == 1 || std::strcmp(argv[1], "-") == 0) {
    return DecodeStream(std::cin);
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "corvane-decode: cannot open " << argv[1] << ": " << std::strerror(errno) << '\n';
    return 1;
  }
  return DecodeStream(file);
}
