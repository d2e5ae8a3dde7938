// A small JSON writer for the one object built on every accepted message:
// written straight into one string, without a document tree, because it runs
// on the message path.
#include "livelink/live_json.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::livelink {

using decoding::MessageRecord;

namespace {

void AppendEscapedByte(unsigned char byte, std::string& out) {
  switch (byte) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (byte < 0x20 || byte == 0x7F) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  } else if (byte < 0x80) {
    out += static_cast<char>(byte);
  } else {
    // The byte as its code point in UTF-8: two bytes for U+0080 to U+00FF.
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
  }
}

// Bytes that go into a JSON string as they are: printable ASCII but the quote
// and the backslash. A table, because every byte of every message passes here.
constexpr std::array<bool, 256> PlainBytes() {
  std::array<bool, 256> plain{};
  for (std::size_t byte = 0x20; byte < 0x7F; ++byte) {
    plain[byte] = byte != '"' && byte != '\\';
  }
  return plain;
}
constexpr std::array<bool, 256> kPlain = PlainBytes();

bool IsPlain(unsigned char byte) { return kPlain[byte]; }

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

// Runs of plain ASCII go in whole, eight bytes tested at a time; only the
// bytes that need escaping are written one by one.
void AppendString(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size() + 2);
  out += '"';
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  const char* run = at;
  while (at < end) {
    if constexpr (std::endian::native == std::endian::little) {
      if (end - at >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, sizeof word);
        const std::uint64_t special = SpecialBytes(word);
        if (special == 0) {
          at += 8;
          continue;
        }
        at += std::countr_zero(special) / 8;  // the first byte that needs escaping
      }
    }
    const auto byte = static_cast<unsigned char>(*at);
    if (IsPlain(byte)) {
      ++at;
      continue;
    }
    out.append(run, static_cast<std::size_t>(at - run));
    AppendEscapedByte(byte, out);
    run = ++at;
  }
  out.append(run, static_cast<std::size_t>(at - run));
  out += '"';
}

void AppendNumber(double value, std::string& out) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), result.ptr);
}

// A member whose name needs no escaping.
void AppendMember(std::string_view name, std::string_view value, std::string& out) {
  out += '"';
  out += name;
  out += "\":";
  AppendString(value, out);
  out += ',';
}

void AppendValue(const readable::Value& value, std::string& out) {
  if (const auto* number = std::get_if<double>(&value)) {
    AppendNumber(*number, out);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    AppendString(*text, out);
  } else {
    out += '[';
    for (const std::string& name : std::get<std::vector<std::string>>(value)) {
      AppendString(name, out);
      out += ',';
    }
    if (out.back() == ',') {
      out.back() = ']';
    } else {
      out += ']';
    }
  }
}

// "261207" and "001514.716" as "2026-12-07T00:15:14.716Z".
void AppendIsoTime(const MessageRecord& record, std::string& out) {
  if (record.Date.size() != 6 || record.Hour.size() < 6) {
    AppendString(record.Date + " " + record.Hour, out);
    return;
  }
  const std::string_view date = record.Date;
  const std::string_view hour = record.Hour;
  std::string time;
  time.reserve(16 + hour.size());
  time += "20";
  time += date.substr(0, 2);
  time += '-';
  time += date.substr(2, 2);
  time += '-';
  time += date.substr(4, 2);
  time += 'T';
  time += hour.substr(0, 2);
  time += ':';
  time += hour.substr(2, 2);
  time += ':';
  time += hour.substr(4);
  time += 'Z';
  AppendString(time, out);
}

}  // namespace

void AppendReadableJson(const readable::Decoding& decoding, std::string& out) {
  out += '{';
  AppendMember("kind", decoding.kind, out);
  out += "\"fields\":{";
  for (const readable::Field& field : decoding.fields) {
    AppendString(field.name, out);
    out += ':';
    AppendValue(field.value, out);
    out += ',';
  }
  if (out.back() == ',') {
    out.pop_back();
  }
  out += "},";
  AppendString("text", out);
  out += ':';
  AppendString(decoding.text, out);
  out += '}';
}

std::string LiveJson(const MessageRecord& record, const std::optional<readable::Decoding>& decoding) {
  std::string out;
  AppendLiveJson(record, decoding ? &*decoding : nullptr, out);
  return out;
}

void AppendLiveJson(const MessageRecord& record, const readable::Decoding* decoding, std::string& out) {
  out.reserve(out.size() + 256 + record.Data.size() + (decoding != nullptr ? 2 * decoding->text.size() : 0));
  out += '{';
  AppendMember("mode", record.Mode, out);
  AppendMember("address", record.Address, out);
  AppendMember("label", record.Label, out);
  AppendMember("block", record.Bloc, out);
  AppendMember("msn", record.Msn, out);
  AppendMember("flight", record.Flight, out);
  AppendMember("text", record.Data, out);
  out += "\"time\":";
  AppendIsoTime(record, out);
  if (decoding != nullptr) {
    out += ",\"readable\":";
    AppendReadableJson(*decoding, out);
  }
  out += '}';
}

std::optional<readable::Decoding> ReadableOf(const MessageRecord& record, const reference::ReferenceTables& tables) {
  return readable::Decode({record.Label, record.Mode, record.Data, {}}, tables);
}

std::string LiveJsonOfLast(const decoding::MessagePath& path, const reference::ReferenceTables& tables) {
  const decoding::ReadMessage* message = path.LastMessage();
  return message != nullptr ? LiveJson(message->record, ReadableOf(message->record, tables)) : std::string();
}

}  // namespace corvane::livelink
