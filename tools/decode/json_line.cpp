// The output line writer: punctuation, strings and numbers.
#include "json_line.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace corvane::decodetool {

namespace {

void AppendEscapedCardByte(unsigned char byte, std::string& out) {
  constexpr std::string_view kHex = "0123456789abcdef";
  switch (byte) {
    case '"':
      out.append("\\\"", 2);
      return;
    case '\\':
      out.append("\\\\", 2);
      return;
    case '\b':
      out.append("\\b", 2);
      return;
    case '\f':
      out.append("\\f", 2);
      return;
    case '\n':
      out.append("\\n", 2);
      return;
    case '\r':
      out.append("\\r", 2);
      return;
    case '\t':
      out.append("\\t", 2);
      return;
    default:
      break;
  }
  if (byte < 0x20) {
    const char code[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
    out.append(code, sizeof code);
  } else if (byte < 0x80) {
    out += static_cast<char>(byte);
  } else {
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
  }
}

bool IsPlain(unsigned char byte) { return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\'; }

// True when all eight bytes of the word are plain: none below 0x20, none
// from 0x80, no quote and no backslash (tested eight at a time, as texts
// run to kilobytes of plain bytes).
bool AllEightPlain(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const auto hasZeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  const std::uint64_t belowSpace = (word - 0x20 * kOnes) & ~word & kHighs;
  return ((word & kHighs) | belowSpace | hasZeroByte(word ^ ('"' * kOnes)) | hasZeroByte(word ^ ('\\' * kOnes))) == 0;
}

// How many bytes from the start are plain, counted eight at a time while
// the words are all plain.
std::size_t PlainPrefix(std::string_view bytes) {
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, 8);
    if (!AllEightPlain(word)) {
      break;
    }
  }
  while (at < bytes.size() && IsPlain(static_cast<unsigned char>(bytes[at]))) {
    ++at;
  }
  return at;
}

}  // namespace

void JsonLine::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) {
      out_ += ',';
    }
    first_.back() = false;
  }
}

void JsonLine::BeginObject() {
  Separate();
  out_ += '{';
  first_.push_back(true);
}

void JsonLine::EndObject() {
  out_ += '}';
  first_.pop_back();
}

void JsonLine::BeginArray() {
  Separate();
  out_ += '[';
  first_.push_back(true);
}

void JsonLine::EndArray() {
  out_ += ']';
  first_.pop_back();
}

void JsonLine::Key(std::string_view name) {
  Separate();
  out_ += '"';
  out_ += name;
  out_.append("\":", 2);
  afterKey_ = true;
}

void JsonLine::CardString(std::string_view bytes) {
  Separate();
  out_ += '"';
  // Runs of plain bytes are copied whole; most texts are all plain but
  // their line breaks.
  while (!bytes.empty()) {
    const std::size_t plain = PlainPrefix(bytes);
    out_.append(bytes.data(), plain);
    if (plain == bytes.size()) {
      break;
    }
    AppendEscapedCardByte(static_cast<unsigned char>(bytes[plain]), out_);
    bytes.remove_prefix(plain + 1);
  }
  out_ += '"';
}

void JsonLine::Integer(long long value) {
  Separate();
  std::array<char, 24> digits{};
  out_.append(digits.data(), std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr);
}

void JsonLine::Bool(bool value) {
  Separate();
  out_ += value ? "true" : "false";
}

void JsonLine::Raw(std::string_view json) {
  Separate();
  out_ += json;
}

}  // namespace corvane::decodetool
