// Fuzz target: arbitrary bytes through the whole message path. The first byte
// picks a label (every label with a decoder, and a few without), the second
// sets the display filters; the rest is the message text of a well-formed
// record. The raw input is also decoded as a record of its own. Nothing may
// crash, and every accepted message must give well-formed outputs.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "decoding/message_path.h"
#include "fuzz_support.h"
#include "reference/reference_tables.h"

namespace {

using corvane::decoding::MessagePath;

constexpr std::array<std::string_view, 24> kLabels = {"B9", "SQ", "23", "26", "2A",    "2T", "30", "31",
                                                      "41", "42", "43", "44", "46",    "47", "4H", "4G",
                                                      "5U", "80", "H1", "Q0", "_\x7f", "5Z", "",   "8"};

using corvane::fuzz::Require;

bool EveryLineEndsWithCrLf(std::string_view block) {
  return block.empty() || (block.size() >= 2 && block.substr(block.size() - 2) == "\r\n");
}

void CheckDecoded(MessagePath& path, std::string_view record) {
  const std::string summary = path.DecodeMessage(record);
  if (!path.LastMessage()) {
    Require(summary.empty());
    return;
  }
  Require(summary.rfind("0ACARS mode: ", 0) == 0);
  Require(path.MessageReport().rfind("= 07/12/2026 21:00:05Z ", 0) == 0);
  Require(EveryLineEndsWithCrLf(path.DecodedBlock()));
  // The report carries the decoded lines whenever the message has a text.
  const bool hasText = !path.LastMessage()->record.Data.empty();
  Require(!hasText || path.MessageReport().find(path.DecodedBlock()) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static corvane::decoding::MessageOutputs outputs;
  MessagePath path(corvane::fuzz::BuiltinTables(), outputs,
                   [] { return corvane::decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; });
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size >= 2) {
    const std::string_view label = kLabels[data[0] % kLabels.size()];
    if (data[1] & 1U) {
      path.RegFilter = ".N123UA";
    }
    if (data[1] & 2U) {
      path.LabelFilter = std::string(label);
    }
    std::string record = "M=2  ADDR=.N123UA TA=! ML=";
    record += label;
    record += " B=1 MSN=M01A FID=UA0123\r\n";
    record += input.substr(2);
    CheckDecoded(path, record);
  }
  CheckDecoded(path, input);
  return 0;
}
