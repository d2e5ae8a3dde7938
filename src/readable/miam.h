// Compressed message envelopes, taken apart without Qt: the Base85 and
// Base64 armour, DEFLATE (zlib) inflation with a cap on the size, the
// CRC-32 a compressed message carries, and the two envelopes built on them:
// MIAM (ARINC 620/841, label MA) and Boeing's onboard health messages
// ("OHMA" then Base64 of a zlib stream). Every function refuses what does
// not check rather than returning a guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::readable {

// The most a compressed message may inflate to; a larger one is refused.
inline constexpr std::size_t kMaxInflatedSize = 64 * 1024;

// Base85 with the alphabet '!' to 'u' and 'z' for four zero bytes; a last
// group of 2 to 4 characters gives 1 to 3 bytes. Nothing for a character
// outside the alphabet, a group over 2^32 - 1, a lone last character, or an
// output over maxBytes.
std::optional<std::string> DecodeBase85(std::string_view text, std::size_t maxBytes);

// Base64 (A-Z a-z 0-9 + /), '=' padding optional. Nothing for any other
// character, a lone last character, or an output over maxBytes.
std::optional<std::string> DecodeBase64(std::string_view text, std::size_t maxBytes);

// Inflates a complete DEFLATE stream: raw, or wrapped in the zlib header and
// Adler-32 check (withZlibWrapper). Nothing when the stream is damaged, ends
// early, or would inflate to more than maxBytes.
std::optional<std::string> Inflate(std::string_view compressed, bool withZlibWrapper, std::size_t maxBytes);

// CRC-32 with the polynomial 0x04C11DB7 taken most significant bit first,
// starting from all ones and inverted at the end (the "BZIP2" variant).
std::uint32_t Crc32MsbFirst(std::string_view bytes);

// A MIAM frame of one ACARS text: a single transfer ('T', two characters,
// then the Base85 header, '|' and the Base85 body).
struct MiamFrame {
  enum class Type { kData, kAcknowledgement };
  Type type = Type::kData;
  int version = 0;           // the header's version number
  std::uint32_t length = 0;  // the frame's length in bytes, header and body
  std::string aircraft;      // the aircraft's registration the header carries
  int messageNumber = 0;     // the frame's number, echoed by its acknowledgement
  std::string label;         // data: the inner message's label
  std::string sublabel;      // data: its sublabel; empty when none
  std::string text;          // data: the inflated inner text, its CRC checked
};

// The frame of a label MA text; nothing unless the armour decodes, the
// header is whole, the body inflates completely and its CRC matches.
std::optional<MiamFrame> ParseMiam(std::string_view text);

// The inflated text of an OHMA message ("OHMA" then Base64 of a zlib
// stream, alone or after a terminal prefix such as "/RTNBOCR."); nothing
// unless the stream inflates completely and its Adler-32 matches.
std::optional<std::string> ParseOhma(std::string_view text);

}  // namespace corvane::readable
