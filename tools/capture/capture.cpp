// Capture lines: Latin-1 text values, UTC time stamps and the card-record line.
#include "capture/capture.h"

#include <nlohmann/json.hpp>

namespace corvane::capture {

namespace {

// Reads exactly `count` decimal digits at text[at]; nothing if any is missing.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) {
    return std::nullopt;
  }
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool CharAt(std::string_view text, std::size_t at, char expected) { return at < text.size() && text[at] == expected; }

void AppendTwo(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

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

std::optional<decoding::UtcTime> ParseUtc(std::string_view text) {
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  const auto second = Digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second || !CharAt(text, 4, '-') || !CharAt(text, 7, '-') ||
      !CharAt(text, 10, 'T') || !CharAt(text, 13, ':') || !CharAt(text, 16, ':')) {
    return std::nullopt;
  }
  if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60) {
    return std::nullopt;
  }
  decoding::UtcTime time{*year, *month, *day, *hour, *minute, *second, 0};
  std::size_t at = 19;
  if (CharAt(text, at, '.')) {
    ++at;
    int scale = 100;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      time.millisecond += (text[at] - '0') * scale;
      scale /= 10;
      ++at;
    }
    if (at == start) {
      return std::nullopt;
    }
  }
  if (CharAt(text, at, 'Z')) {
    ++at;
  }
  if (at != text.size()) {
    return std::nullopt;
  }
  return time;
}

std::string FormatUtc(const decoding::UtcTime& time) {
  std::string text = std::to_string(time.year);
  text += '-';
  AppendTwo(text, time.month);
  text += '-';
  AppendTwo(text, time.day);
  text += 'T';
  AppendTwo(text, time.hour);
  text += ':';
  AppendTwo(text, time.minute);
  text += ':';
  AppendTwo(text, time.second);
  text += '.';
  text += static_cast<char>('0' + time.millisecond / 100 % 10);
  AppendTwo(text, time.millisecond % 100);
  text += 'Z';
  return text;
}

std::optional<CaptureRecord> ParseCaptureLine(std::string_view line, std::string& error) {
  const auto json = nlohmann::json::parse(line, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    error = "not a JSON object";
    return std::nullopt;
  }
  const auto utc = json.find("utc");
  const auto txt = json.find("txt");
  if (utc == json.end() || !utc->is_string() || txt == json.end() || !txt->is_string()) {
    error = "needs the text values \"utc\" and \"txt\"";
    return std::nullopt;
  }
  auto time = ParseUtc(utc->get_ref<const std::string&>());
  if (!time) {
    error = "\"utc\" is not a time like 2026-12-07T21:00:05.005Z";
    return std::nullopt;
  }
  auto bytes = Utf8ToLatin1(txt->get_ref<const std::string&>());
  if (!bytes) {
    error = "\"txt\" holds a character above U+00FF";
    return std::nullopt;
  }
  return CaptureRecord{*time, std::move(*bytes)};
}

}  // namespace corvane::capture
