// Fuzz target: arbitrary bytes as a capture line (card record, acarsdec,
// dumpvdl2 or dumphfdl JSON). The reader either refuses the line with a reason
// or gives a record whose time is a real time of day. A line the quick reader
// of card records takes gives the record the JSON parser gives.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "capture/capture.h"
#include "capture/quick_card_record.h"
#include "fuzz_support.h"

namespace {

using corvane::fuzz::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto record = corvane::capture::ParseCaptureLine(line, error);
  if (!record) {
    Require(!error.empty());
    return 0;
  }
  const auto& t = record->utc;
  Require(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0 && t.hour < 24);
  Require(t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60 && t.millisecond >= 0 &&
          t.millisecond < 1000);
  // Whatever was read must survive the trip back into JSON text.
  Require(corvane::capture::Utf8ToLatin1(corvane::capture::Latin1ToUtf8(record->txt)) == record->txt);
  if (const auto quick = corvane::capture::QuickCardRecord(line)) {
    const auto json = nlohmann::json::parse(line, nullptr, false);
    Require(json.is_object() && json.size() == 2 && json.at("txt").is_string() && json.at("utc").is_string());
    Require(corvane::capture::Utf8ToLatin1(json.at("txt").get<std::string>()) == quick->txt);
    Require(corvane::capture::FormatUtc(quick->utc) == corvane::capture::FormatUtc(record->utc));
  }
  return 0;
}
