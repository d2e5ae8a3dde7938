// Card text in JSON: each 8-bit byte as the code point of the same value.
#include "decoding/latin1_text.h"

namespace corvane::decoding {

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
      continue;
    }
    // Only two-byte sequences for U+0080 to U+00FF (leads C2 and C3) map
    // onto a byte; anything else has no place in card text.
    if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size()) {
      return std::nullopt;
    }
    const auto trail = static_cast<unsigned char>(utf8[i + 1]);
    if ((trail & 0xC0) != 0x80) {
      return std::nullopt;
    }
    bytes += static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F));
    ++i;
  }
  return bytes;
}

}  // namespace corvane::decoding
