// The usual capture line, {"utc": "...", "txt": "..."}, read without the
// JSON parser: captures run to millions of such lines, and building a
// document for each was most of what reading a capture cost.
#pragma once

#include <optional>
#include <string_view>

#include "capture/capture.h"

namespace corvane::capture {

// The record of a line that is exactly one object with "utc" then "txt",
// both strings, the time readable and every character of the text within
// Latin-1. Nothing for any other line, which the JSON parser then reads
// (and says what is wrong with it).
std::optional<CaptureRecord> QuickCardRecord(std::string_view line);

}  // namespace corvane::capture
