// The JSON text writer: escaping card bytes eight at a time, numbers,
// identifiers and UTF-8 names.
#include "readable/json_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

namespace corvane::readable::json {

namespace {

// What each byte becomes in a JSON string: the short escapes, "\\u00XX" for
// the other control bytes and DEL, the byte itself for plain ASCII, and two
// UTF-8 bytes (its code point) for 0x80 and above.
struct Escape {
  std::array<char, 8> text{};
  std::size_t length = 0;
};

constexpr Escape EscapeOf(unsigned char byte) {
  constexpr std::string_view kHex = "0123456789abcdef";
  Escape escape;
  const auto set = [&escape](std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      escape.text[i] = text[i];
    }
    escape.length = text.size();
  };
  switch (byte) {
    case '"':
      set("\\\"");
      return escape;
    case '\\':
      set("\\\\");
      return escape;
    case '\n':
      set("\\n");
      return escape;
    case '\r':
      set("\\r");
      return escape;
    case '\t':
      set("\\t");
      return escape;
    default:
      break;
  }
  if (byte < 0x20 || byte == 0x7F) {
    const char code[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
    set({code, sizeof code});
  } else if (byte < 0x80) {
    const char plain[] = {static_cast<char>(byte)};
    set({plain, 1});
  } else {
    const char twoBytes[] = {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
    set({twoBytes, 2});
  }
  return escape;
}

constexpr std::array<Escape, 256> EscapeTable() {
  std::array<Escape, 256> table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) {
    table[byte] = EscapeOf(static_cast<unsigned char>(byte));
  }
  return table;
}
constexpr std::array<Escape, 256> kEscapes = EscapeTable();

// Writes all eight bytes of the entry, so it needs 8 bytes of room, but
// moves on by the escape's own length.
char* PutEscapedByte(char* at, unsigned char byte) {
  const Escape& escape = kEscapes[byte];
  std::memcpy(at, escape.text.data(), escape.text.size());
  return at + escape.length;
}

// The high bit of each byte of the word that is not plain: below 0x20, the
// quote, the backslash, DEL, or 0x80 and above. Each test is exact per byte:
// the additions only touch the low seven bits, so no carry crosses a byte.
std::uint64_t SpecialBytes(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const std::uint64_t low = word & kLow7;
  // A byte whose low seven bits equal c (c below 0x80); x has no high bits.
  const auto equalTo = [&](unsigned char c) {
    const std::uint64_t x = low ^ (kOnes * c);
    return ~((x + kLow7) | x);
  };
  const std::uint64_t control = ~(low + kOnes * 0x60);
  const std::uint64_t special = control | equalTo('"') | equalTo('\\') | equalTo(0x7F);
  return (special & ~word & kHighs) | (word & kHighs);
}

// Bytes that go into a JSON string as they are: printable ASCII but the quote
// and the backslash. A table, for the few bytes at the end of each text.
constexpr std::array<bool, 256> PlainBytes() {
  std::array<bool, 256> plain{};
  for (std::size_t byte = 0x20; byte < 0x7F; ++byte) {
    plain[byte] = byte != '"' && byte != '\\';
  }
  return plain;
}
constexpr std::array<bool, 256> kPlain = PlainBytes();

bool IsPlain(unsigned char byte) { return kPlain[byte]; }

// The length of the UTF-8 sequence that starts text (its first byte 0x80 or
// above); 0 when it is not a well-formed one (stray continuation, overlong
// form, surrogate, beyond U+10FFFF, cut short).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  }
  if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) {
      return 0;
    }
  }
  return length;
}

// How many bytes at the start of text go into a JSON string as they are,
// tested eight at a time as PutEscaped does.
std::size_t PlainPrefix(std::string_view text) {
  std::size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; text.size() - at >= 8; at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, sizeof word);
      if (const std::uint64_t special = SpecialBytes(word); special != 0) {
        return at + static_cast<std::size_t>(std::countr_zero(special) / 8);
      }
    }
  }
  while (at < text.size() && IsPlain(static_cast<unsigned char>(text[at]))) {
    ++at;
  }
  return at;
}

// The characters of our own field names: lower-case letters, digits, "_".
constexpr std::array<bool, 256> NameCharacters() {
  std::array<bool, 256> name{};
  for (std::size_t c = 0; c < name.size(); ++c) {
    name[c] = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  }
  return name;
}
constexpr std::array<bool, 256> kNameCharacters = NameCharacters();

}  // namespace

bool AllPlain(std::string_view bytes) {
  for (const char c : bytes) {
    if (!IsPlain(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// The bytes as the inside of a JSON string. Eight bytes are tested at a time
// and copied as they are when all are plain; needs 6 * size + 8 bytes of room.
char* PutEscaped(char* at, std::string_view bytes) {
  const char* from = bytes.data();
  const char* const end = from + bytes.size();
  while (from < end) {
    if constexpr (std::endian::native == std::endian::little) {
      if (end - from >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, from, sizeof word);
        const std::uint64_t special = SpecialBytes(word);
        if (special == 0) {
          std::memcpy(at, &word, sizeof word);
          at += 8;
          from += 8;
          continue;
        }
        // The plain bytes before the first special one, then that one.
        const auto plain = static_cast<std::size_t>(std::countr_zero(special) / 8);
        std::memcpy(at, &word, sizeof word);  // all eight; the escape overwrites the rest
        at += plain;
        from += plain;
        at = PutEscapedByte(at, static_cast<unsigned char>(*from++));
        continue;
      }
    }
    at = PutEscapedByte(at, static_cast<unsigned char>(*from++));  // a plain byte is its own escape
  }
  return at;
}

// The bytes as a quoted JSON string.
char* PutString(char* at, std::string_view bytes) {
  *at++ = '"';
  at = PutEscaped(at, bytes);
  *at++ = '"';
  return at;
}

// A UTF-8 name (a station) as a quoted JSON string: its characters as they
// are, control bytes, quote and backslash escaped, and a byte that is not
// UTF-8 as U+FFFD, so the object stays valid whatever a peer sent. Needs
// StringRoom(text).
char* PutUtf8String(char* at, std::string_view text) {
  *at++ = '"';
  for (;;) {
    const std::size_t plain = PlainPrefix(text);
    at = Put(at, text.substr(0, plain));
    text.remove_prefix(plain);
    if (text.empty()) {
      break;
    }
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80) {
      at = PutEscapedByte(at, lead);
      text.remove_prefix(1);
    } else if (const std::size_t length = Utf8SequenceLength(text); length > 0) {
      at = Put(at, text.substr(0, length));
      text.remove_prefix(length);
    } else {
      at = PutLiteral(at, "\\ufffd");
      text.remove_prefix(1);
    }
  }
  *at++ = '"';
  return at;
}

// A field name: our own identifiers are copied as they are; anything else
// is escaped like any text.
char* PutName(char* at, std::string_view name) {
  char* const start = at;
  *at++ = '"';
  for (const char c : name) {
    if (!kNameCharacters[static_cast<unsigned char>(c)]) {
      return PutString(start, name);
    }
    *at++ = c;
  }
  *at++ = '"';
  return at;
}

// Whole numbers (the usual altitudes, speeds, temperatures, counts) as
// integers, whatever their size: std::to_chars would write a large one as
// "1e+05". Others as the shortest text that reads back the same value.
char* PutNumber(char* at, double value) {
  if (!std::isfinite(value)) {
    return PutLiteral(at, "null");
  }
  if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return std::to_chars(at, at + kNumberRoom, static_cast<long long>(value)).ptr;
  }
  return std::to_chars(at, at + kNumberRoom, value).ptr;
}

// A whole number; the usual hop counts are one digit.
char* PutCount(char* at, long long count) {
  if (count >= 0 && count < 10) {
    *at++ = static_cast<char>('0' + count);
    return at;
  }
  return std::to_chars(at, at + kNumberRoom, count).ptr;
}

char* ScratchBuffer(std::size_t room) {
  thread_local std::vector<char> buffer;
  if (buffer.size() < room) {
    buffer.resize(room);
  }
  return buffer.data();
}

}  // namespace corvane::readable::json
