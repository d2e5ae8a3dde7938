// Small text helpers shared by the decoders and the report builders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::decoding {

inline constexpr std::string_view kCrLf = "\r\n";

// Leading and trailing spaces removed (only the space character).
std::string_view TrimBlanks(std::string_view text);

// True when the text holds nothing but spaces.
inline bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

// The text cut at every separator; n separators give n + 1 parts, empty ones
// included. The parts point into text.
std::vector<std::string_view> SplitAll(std::string_view text, std::string_view separator);

// Characters `from` (counted from 1) to `from + count - 1`, as many as exist.
std::string_view Mid(std::string_view text, std::size_t from, std::size_t count);

// Appends the caption, the value and CR LF.
void AppendLine(std::string& block, std::string_view caption, std::string_view value = {});

// The text padded with spaces on the left to `width`; a longer text is kept.
std::string RightAligned(std::string_view text, std::size_t width);

}  // namespace corvane::decoding
