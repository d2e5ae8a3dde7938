// A small JSON writer for the one object built on every accepted message:
// written straight into one string, without a document tree, because it runs
// on the message path.
#include "livelink/live_json.h"

#include <array>
#include <charconv>
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

// Runs of plain ASCII go in whole; only the bytes between them are looked at
// one by one.
void AppendString(std::string_view bytes, std::string& out) {
  out += '"';
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = at;
    while (end < bytes.size() && IsPlain(static_cast<unsigned char>(bytes[end]))) {
      ++end;
    }
    out.append(bytes.data() + at, end - at);
    if (end < bytes.size()) {
      AppendEscapedByte(static_cast<unsigned char>(bytes[end]), out);
      ++end;
    }
    at = end;
  }
  out += '"';
}

void AppendNumber(double value, std::string& out) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), result.ptr);
}

void AppendMember(std::string_view name, std::string_view value, std::string& out) {
  AppendString(name, out);
  out += ':';
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
std::string IsoTime(const MessageRecord& record) {
  if (record.Date.size() != 6 || record.Hour.size() < 6) {
    return record.Date + " " + record.Hour;
  }
  std::string time = "20";
  time += record.Date.substr(0, 2);
  time += '-';
  time += record.Date.substr(2, 2);
  time += '-';
  time += record.Date.substr(4, 2);
  time += 'T';
  time += record.Hour.substr(0, 2);
  time += ':';
  time += record.Hour.substr(2, 2);
  time += ':';
  time += record.Hour.substr(4);
  time += 'Z';
  return time;
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
  out.reserve(256 + record.Data.size() + (decoding ? 2 * decoding->text.size() : 0));
  out += '{';
  AppendMember("mode", record.Mode, out);
  AppendMember("address", record.Address, out);
  AppendMember("label", record.Label, out);
  AppendMember("block", record.Bloc, out);
  AppendMember("msn", record.Msn, out);
  AppendMember("flight", record.Flight, out);
  AppendMember("text", record.Data, out);
  AppendString("time", out);
  out += ':';
  AppendString(IsoTime(record), out);
  if (decoding) {
    out += ",\"readable\":";
    AppendReadableJson(*decoding, out);
  }
  out += '}';
  return out;
}

std::optional<readable::Decoding> ReadableOf(const MessageRecord& record, const reference::ReferenceTables& tables) {
  return readable::Decode({record.Label, record.Mode, record.Data, {}}, tables);
}

std::string LiveJsonOfLast(const decoding::MessagePath& path, const reference::ReferenceTables& tables) {
  const auto& message = path.LastMessage();
  return message ? LiveJson(message->record, ReadableOf(message->record, tables)) : std::string();
}

}  // namespace corvane::livelink
