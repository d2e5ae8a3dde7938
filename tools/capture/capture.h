// Reading capture files: JSON Lines whose records each carry one card text
// record and the UTC time it was received. Text values hold the card's 8-bit
// bytes as the code points U+0000 to U+00FF, so every byte survives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decoding/utc_clock.h"

namespace corvane::capture {

// One record of a capture: when it arrived and the card text record.
struct CaptureRecord {
  decoding::UtcTime utc;
  std::string txt;  // bytes as the card sends them
};

// Bytes to UTF-8, each byte becoming the code point of the same value.
std::string Latin1ToUtf8(std::string_view bytes);

// UTF-8 back to bytes; nothing when a code point lies above U+00FF or the
// text is not valid UTF-8.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// "2026-12-07T21:00:05.005Z" (fractions optional, any number of digits,
// a final "Z" or none). Nothing when the text is not such a time.
std::optional<decoding::UtcTime> ParseUtc(std::string_view text);

// "2026-12-07T21:00:05.005Z"
std::string FormatUtc(const decoding::UtcTime& time);

// Parses one capture line {"utc": ..., "txt": ...}. On failure, returns
// nothing and says why in error.
std::optional<CaptureRecord> ParseCaptureLine(std::string_view line, std::string& error);

}  // namespace corvane::capture
