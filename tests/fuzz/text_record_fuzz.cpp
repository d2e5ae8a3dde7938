// Fuzz target: any bytes as a card text record. The reader must never crash or
// read out of bounds, whatever it accepts must keep the field widths and the
// address rule, and its one-pass tag search must agree with searching for
// each tag on its own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "decoding/text_record.h"
#include "fuzz_support.h"
#include "reference/reference_tables.h"

namespace {

using corvane::fuzz::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view record(reinterpret_cast<const char*>(data), size);
  std::string currentLabel;
  const auto message = corvane::decoding::ReadTextRecord(record, {2026, 12, 7, 21, 0, 5, 5},
                                                         corvane::fuzz::BuiltinTables(), currentLabel);
  Require(currentLabel.size() <= 2);

  using corvane::decoding::TagValue;
  const auto mode = TagValue(record, "M=", 2);
  const auto address = TagValue(record, "ADDR=", 7);
  const auto label = TagValue(record, "ML=", 2);
  const auto block = TagValue(record, "B=", 1);
  const bool acknowledged = record.find("TA=") != std::string_view::npos;
  Require(message.has_value() ==
          (mode && address && corvane::decoding::IsValidAddress(*address) && acknowledged && label && block));
  if (message) {
    const auto& r = message->record;
    Require(r.Mode == *mode && r.Address == *address && currentLabel == *label && r.Bloc == *block);
    Require(r.Msn == TagValue(record, "MSN=", 4).value_or("") && r.Flight == TagValue(record, "FID=", 6).value_or(""));
  }
  if (message) {
    const auto& r = message->record;
    Require(r.Mode.size() <= 2 && r.Address.size() <= 7 && r.Label.size() <= 2 && r.Bloc.size() <= 1);
    Require(r.Msn.size() <= 4 && r.Flight.size() <= 6 && r.Data.size() <= size);
    Require(corvane::decoding::IsValidAddress(r.Address));
    Require(message->PaddedAddress.size() == (r.Address.empty() ? 6U : 7U));
    Require(!message->LabelText.empty() || r.Label.empty());
    Require(r.Data.empty() || (r.Data.front() != ' ' && r.Data.back() != ' '));
  }
  return 0;
}
