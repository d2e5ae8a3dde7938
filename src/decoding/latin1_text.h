// Card text is 8-bit bytes; JSON text is UTF-8. Every JSON this project reads
// or writes carries a byte as the code point of the same value (U+0000 to
// U+00FF), so any byte survives the round trip.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::decoding {

// Bytes to UTF-8, each byte becoming the code point of the same value.
std::string Latin1ToUtf8(std::string_view bytes);

// UTF-8 back to bytes; nothing when a code point lies above U+00FF or the
// text is not valid UTF-8.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

}  // namespace corvane::decoding
