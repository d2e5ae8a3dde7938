// Compressed message envelopes: armour, inflation and the MIAM and OHMA
// layouts (see miam.h; the MIAM header as docs/readable-formats.md gives it).
#include "readable/miam.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace corvane::readable {

namespace {

// ---- Armour -----------------------------------------------------------------

constexpr char kBase85First = '!';
constexpr char kBase85Last = 'u';
constexpr char kBase85Zeros = 'z';

// One group of 2 to 5 Base85 characters as its 1 to 4 bytes, appended;
// false when a character is not a digit or the value overflows.
bool AppendBase85Group(std::string_view group, std::string& out) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    // A short last group is padded with the highest digit.
    const char c = i < group.size() ? group[i] : kBase85Last;
    if (c < kBase85First || c > kBase85Last) {
      return false;
    }
    value = value * 85 + static_cast<std::uint64_t>(c - kBase85First);
  }
  if (value > 0xFFFFFFFFu) {
    return false;
  }
  for (std::size_t i = 0; i + 1 < group.size(); ++i) {
    out.push_back(static_cast<char>((value >> (24 - 8 * i)) & 0xFF));
  }
  return true;
}

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') {
    return c - 'A';
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 26;
  }
  if (c >= '0' && c <= '9') {
    return c - '0' + 52;
  }
  if (c == '+') {
    return 62;
  }
  return c == '/' ? 63 : -1;
}

// ---- MIAM header --------------------------------------------------------------

// Header bytes: type and version, length (3), aircraft (7), message number;
// then for data a byte zero in every frame seen, the application type, the
// label (2), the sublabel (2, when the application type says so) and the
// CRC (4); for an acknowledgement four zero bytes and four bytes naming what
// it acknowledges.
constexpr std::size_t kAircraftAt = 4;
constexpr std::size_t kAircraftSize = 7;
constexpr std::size_t kMessageNumberAt = 11;
constexpr std::size_t kReservedAt = 12;
constexpr std::size_t kApplicationAt = 13;
constexpr std::size_t kLabelAt = 14;
constexpr std::size_t kAcknowledgementSize = 20;
constexpr int kSupportedVersion = 1;
constexpr unsigned char kApplicationLabel = 0x40;
constexpr unsigned char kApplicationLabelSublabel = 0x41;
// The Base85 armour pads the header and the body to whole groups of four
// bytes with zeros.
constexpr std::size_t kMostPadding = 3;

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = value << 8 | Byte(bytes, at + i);
  }
  return value;
}

bool IsUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// An ACARS address: a registration of letters, digits and dashes, padded in
// front with dots to seven characters.
bool IsAircraftAddress(std::string_view text) {
  const std::size_t start = text.find_first_not_of('.');
  if (start == std::string_view::npos) {
    return false;
  }
  for (const char c : text.substr(start)) {
    if (!IsUpperOrDigit(c) && c != '-') {
      return false;
    }
  }
  return true;
}

// A label or sublabel: two letters or digits (the few labels with other
// characters are not carried compressed).
bool IsLabel(std::string_view text) { return text.size() == 2 && IsUpperOrDigit(text[0]) && IsUpperOrDigit(text[1]); }

bool IsZeroPadding(std::string_view bytes) {
  return bytes.size() <= kMostPadding && bytes.find_first_not_of('\0') == std::string_view::npos;
}

std::string_view WithoutLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  return text;
}

// The inflated body of a data frame, its length and CRC checked.
std::optional<MiamFrame> DataFrame(std::string_view header, std::string_view bodyArmour, MiamFrame frame) {
  if (header.size() < kLabelAt) {
    return std::nullopt;
  }
  // The byte before the application type is zero in every frame seen; a
  // frame with another value there is left unread rather than guessed at.
  const unsigned application = Byte(header, kApplicationAt);
  if (Byte(header, kReservedAt) != 0 ||
      (application != kApplicationLabel && application != kApplicationLabelSublabel)) {
    return std::nullopt;
  }
  const std::size_t crcAt = kLabelAt + (application == kApplicationLabelSublabel ? 4 : 2);
  const std::size_t headerSize = crcAt + 4;
  if (header.size() < headerSize || !IsZeroPadding(header.substr(headerSize)) || frame.length < headerSize) {
    return std::nullopt;
  }
  frame.label = std::string(header.substr(kLabelAt, 2));
  frame.sublabel = std::string(header.substr(kLabelAt + 2, crcAt - kLabelAt - 2));
  if (!IsLabel(frame.label) || (!frame.sublabel.empty() && !IsLabel(frame.sublabel))) {
    return std::nullopt;
  }
  const std::size_t bodySize = frame.length - headerSize;
  if (bodySize > kMaxInflatedSize) {
    return std::nullopt;
  }
  // A body shorter than the header says is a frame continued in later texts.
  const auto body = DecodeBase85(bodyArmour, bodySize + kMostPadding);
  if (!body || body->size() < bodySize || !IsZeroPadding(std::string_view(*body).substr(bodySize))) {
    return std::nullopt;
  }
  auto text = Inflate(std::string_view(*body).substr(0, bodySize), false, kMaxInflatedSize);
  if (!text || Crc32MsbFirst(*text) != BigEndian(header, crcAt, 4)) {
    return std::nullopt;
  }
  frame.text = std::move(*text);
  return frame;
}

std::optional<MiamFrame> AcknowledgementFrame(std::string_view header, std::string_view bodyArmour, MiamFrame frame) {
  if (header.size() != kAcknowledgementSize || frame.length != kAcknowledgementSize || !bodyArmour.empty() ||
      BigEndian(header, kMessageNumberAt + 1, 4) != 0) {
    return std::nullopt;
  }
  return frame;
}

}  // namespace

std::optional<std::string> DecodeBase85(std::string_view text, std::size_t maxBytes) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == kBase85Zeros) {
      out.append(4, '\0');
      ++at;
    } else {
      const std::string_view group = text.substr(at, 5);
      if (group.size() < 2 || group.find(kBase85Zeros) != std::string_view::npos || !AppendBase85Group(group, out)) {
        return std::nullopt;
      }
      at += group.size();
    }
    if (out.size() > maxBytes) {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::string> DecodeBase64(std::string_view text, std::size_t maxBytes) {
  while (!text.empty() && text.back() == '=') {
    text.remove_suffix(1);
  }
  if (text.size() % 4 == 1 || text.size() / 4 * 3 > maxBytes) {
    return std::nullopt;
  }
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const int digit = Base64Digit(c);
    if (digit < 0) {
      return std::nullopt;
    }
    bits = (bits << 6 | static_cast<std::uint32_t>(digit)) & 0xFFFFFF;
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  if (out.size() > maxBytes) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> Inflate(std::string_view compressed, bool withZlibWrapper, std::size_t maxBytes) {
  z_stream stream{};
  if (inflateInit2(&stream, withZlibWrapper ? MAX_WBITS : -MAX_WBITS) != Z_OK) {
    return std::nullopt;
  }
  // zlib's interface takes non-const input; it does not write to it.
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  // The output grows a step at a time (most texts inflate to a few hundred
  // bytes), to one byte more than allowed: that byte tells a stream at the
  // limit from one over it.
  constexpr std::size_t kStep = 4096;
  std::string out;
  int result = Z_OK;
  while (result == Z_OK && out.size() <= maxBytes) {
    const std::size_t produced = out.size();
    out.resize(std::min(produced + kStep, maxBytes + 1));
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    stream.avail_out = static_cast<uInt>(out.size() - produced);
    result = inflate(&stream, Z_NO_FLUSH);
    out.resize(out.size() - stream.avail_out);
    if (result == Z_BUF_ERROR && stream.avail_out != 0) {
      break;  // the input ended before the stream did
    }
    if (result == Z_BUF_ERROR) {
      result = Z_OK;  // no room was left: grow and go on
    }
  }
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0 && out.size() <= maxBytes;
  inflateEnd(&stream);
  if (!whole) {
    return std::nullopt;
  }
  return out;
}

std::uint32_t Crc32MsbFirst(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t value = i << 24;
      for (int bit = 0; bit < 8; ++bit) {
        value = (value & 0x80000000u) != 0 ? (value << 1) ^ 0x04C11DB7u : value << 1;
      }
      entries[i] = value;
    }
    return entries;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc = (crc << 8) ^ table[((crc >> 24) ^ static_cast<unsigned char>(c)) & 0xFF];
  }
  return ~crc;
}

std::optional<MiamFrame> ParseMiam(std::string_view text) {
  text = WithoutLineEnds(text);
  const std::size_t bar = text.find('|');
  // 'T' (a single transfer) and two characters before the header.
  if (text.size() < 4 || text[0] != 'T' || bar == std::string_view::npos || bar < 3) {
    return std::nullopt;
  }
  const auto header = DecodeBase85(text.substr(3, bar - 3), kAcknowledgementSize + 8);
  if (!header || header->size() < kMessageNumberAt + 1) {
    return std::nullopt;
  }
  MiamFrame frame;
  const unsigned first = Byte(*header, 0);
  frame.version = static_cast<int>(first & 0x0F);
  frame.length = BigEndian(*header, 1, 3);
  frame.aircraft = header->substr(kAircraftAt, kAircraftSize);
  frame.messageNumber = static_cast<int>(Byte(*header, kMessageNumberAt));
  if (frame.version != kSupportedVersion || !IsAircraftAddress(frame.aircraft)) {
    return std::nullopt;
  }
  const std::string_view bodyArmour = text.substr(bar + 1);
  switch (first >> 4) {
    case 0:
      return DataFrame(*header, bodyArmour, std::move(frame));
    case 1:
      frame.type = MiamFrame::Type::kAcknowledgement;
      return AcknowledgementFrame(*header, bodyArmour, std::move(frame));
    default:
      return std::nullopt;
  }
}

std::optional<std::string> ParseOhma(std::string_view text) {
  constexpr std::string_view kMarker = "OHMA";
  const std::size_t at = text.find(kMarker);
  // The marker opens the text or follows a terminal prefix ending in '.'.
  if (at == std::string_view::npos || (at != 0 && text[at - 1] != '.')) {
    return std::nullopt;
  }
  const std::string_view armour = WithoutLineEnds(text.substr(at + kMarker.size()));
  // A compressed stream is never longer than the inflated limit here.
  const auto compressed = DecodeBase64(armour, kMaxInflatedSize);
  if (!compressed) {
    return std::nullopt;
  }
  return Inflate(*compressed, true, kMaxInflatedSize);
}

}  // namespace corvane::readable
