// Fuzz target: any bytes as a message for readable decoding, the first two
// as its label and the rest as its text. The decoder must never crash or
// read out of bounds, and whatever it gives must hold together: at least one
// field, lines ending in CR LF, coordinates on the globe. The same bytes go
// straight to the CPDLC bit reader too, which the envelope's checksum would
// otherwise keep almost every mutation from.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "fuzz_support.h"
#include "readable/cpdlc.h"
#include "readable/readable.h"
#include "reference/reference_tables.h"

namespace {

using corvane::fuzz::Require;

void CheckField(const corvane::readable::Field& field) {
  if (field.name == "latitude" || field.name == "longitude") {
    Require(std::holds_alternative<double>(field.value));
    const double limit = field.name == "latitude" ? 90 : 180;
    const double value = std::get<double>(field.value);
    Require(value >= -limit && value <= limit);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view label = bytes.substr(0, 2);
  const std::string_view text = size > 2 ? bytes.substr(2) : std::string_view();
  const auto decoding = corvane::readable::Decode({label, "2", text, {}}, corvane::fuzz::BuiltinTables());
  if (decoding) {
    Require(!decoding->kind.empty() && !decoding->fields.empty());
    Require(decoding->text.size() >= 2 && decoding->text.ends_with("\r\n"));
    for (const auto& field : decoding->fields) {
      CheckField(field);
    }
  }
  const std::span<const std::uint8_t> packed(data, size);
  for (const auto link : {corvane::readable::cpdlc::Link::kUplink, corvane::readable::cpdlc::Link::kDownlink}) {
    if (const auto reading = corvane::readable::cpdlc::ReadMessage(packed, link)) {
      Require(reading->elementIds.size() == reading->elementTexts.size() && reading->elementIds.size() <= 5);
    }
  }
  return 0;
}
