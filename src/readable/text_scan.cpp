// The piece readers.
#include "readable/text_scan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace corvane::readable {

namespace {

// A hemisphere letter, then spaces; the sign it gives, or 0 when none.
int Hemisphere(std::string_view& text, char positive, char negative) {
  if (text.empty() || (text.front() != positive && text.front() != negative)) {
    return 0;
  }
  const int sign = text.front() == positive ? 1 : -1;
  text = Trim(text.substr(1));
  return sign;
}

// The CRC-16 (X.25) of every byte value, for reading a byte at a time.
constexpr std::array<std::uint16_t, 256> kCrcTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    unsigned crc = byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    table[byte] = static_cast<std::uint16_t>(crc);
  }
  return table;
}();

}  // namespace

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

bool IsAlnum(char c) { return IsDigit(c) || IsUpper(c); }

bool AllOf(std::string_view text, bool (*test)(char)) {
  for (const char c : text) {
    if (!test(c)) {
      return false;
    }
  }
  return true;
}

bool IsFlight(std::string_view text) {
  return text.size() >= 3 && text.size() <= 8 && AllOf(text, IsAlnum) && std::any_of(text.begin(), text.end(), IsDigit);
}

std::optional<std::string> HoursMinutes(std::string_view text) {
  return text.size() == 4 ? TimeOfDay(text) : std::nullopt;
}

std::string_view ItemValue(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  // The pieces are gathered on the stack first, so that the vector takes
  // one allocation of the right size in one pass over the text.
  constexpr std::size_t kOnStack = 48;
  std::array<std::string_view, kOnStack> gathered;
  std::size_t count = 0;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos && count < kOnStack - 1;
       at = text.find(separator, start)) {
    gathered[count++] = text.substr(start, at - start);
    start = at + 1;
  }
  std::vector<std::string_view> pieces;
  if (count < kOnStack - 1) {
    pieces.reserve(count + 1);
    pieces.assign(gathered.begin(), gathered.begin() + static_cast<std::ptrdiff_t>(count));
    pieces.push_back(text.substr(start));
    return pieces;
  }
  // Longer lists: the rest piece by piece.
  pieces.assign(gathered.begin(), gathered.begin() + static_cast<std::ptrdiff_t>(count));
  for (std::size_t at = text.find(separator, start); at != std::string_view::npos; at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<double> Number(std::string_view text) {
  text = Trim(text);
  double sign = 1;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    sign = text.front() == '-' ? -1 : 1;
    text = Trim(text.substr(1));
  }
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '.')) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return sign * value;
}

std::optional<int> Digits(std::string_view text, std::size_t digits) {
  if (text.size() != digits || digits == 0 || digits > 9) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<double> DecimalDegrees(std::string_view text, char positive, char negative) {
  text = Trim(text);
  const int sign = Hemisphere(text, positive, negative);
  const auto degrees = Number(text);
  const double limit = positive == 'N' ? 90 : 180;
  if (sign == 0 || !degrees || *degrees < 0 || *degrees > limit || text.front() == '-' || text.front() == '+') {
    return std::nullopt;
  }
  return sign * *degrees;
}

std::optional<double> PackedCoordinate(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 4 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(1, degreeDigits), degreeDigits);
  const auto tenths = Digits(text.substr(1 + degreeDigits), 3);
  if (!degrees || !tenths || *tenths >= 600) {
    return std::nullopt;
  }
  const double value = *degrees + *tenths / 600.0;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

std::optional<std::string> TimeOfDay(std::string_view text) {
  if (text.size() != 4 && text.size() != 6) {
    return std::nullopt;
  }
  const auto hours = Digits(text.substr(0, 2), 2);
  const auto minutes = Digits(text.substr(2, 2), 2);
  const auto seconds = text.size() == 6 ? Digits(text.substr(4, 2), 2) : std::optional<int>(0);
  if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  std::string time(text.substr(0, 2));
  time += ':';
  time += text.substr(2, 2);
  if (text.size() == 6) {
    time += ':';
    time += text.substr(4, 2);
  }
  return time;
}

std::optional<double> LetterCelsius(std::string_view text) {
  const auto value = Digits(text.substr(text.empty() ? 0 : 1), 2);
  if (!value || (text[0] != 'M' && text[0] != 'P')) {
    return std::nullopt;
  }
  return text[0] == 'M' ? -*value : *value;
}

std::optional<double> FlightLevelFeet(std::string_view text) {
  const auto level = Digits(text, 3);
  return level && *level <= 600 ? std::optional<double>(*level * 100.0) : std::nullopt;
}

bool IsIcaoCode(std::string_view text) {
  if (text.size() != 4) {
    return false;
  }
  for (const char c : text) {
    if (c < 'A' || c > 'Z') {
      return false;
    }
  }
  return true;
}

std::optional<std::string> Runway(std::string_view text) {
  if (text.size() != 2 && text.size() != 3) {
    return std::nullopt;
  }
  const auto number = Digits(text.substr(0, 2), 2);
  if (!number || *number < 1 || *number > 36) {
    return std::nullopt;
  }
  if (text.size() == 3 && text[2] != 'L' && text[2] != 'R' && text[2] != 'C' && text[2] != 'O') {
    return std::nullopt;
  }
  return std::string(text.substr(0, text.size() == 3 && text[2] == 'O' ? 2 : 3));
}

std::optional<std::string> FlightNumber(std::string_view text) {
  text = Trim(text);
  if (text.size() < 3 || text.size() > 8 || !IsUpper(text[0]) || !IsAlnum(text[1])) {
    return std::nullopt;
  }
  bool digit = false;
  for (const char c : text.substr(2)) {
    if (!IsAlnum(c)) {
      return std::nullopt;
    }
    digit = digit || IsDigit(c);
  }
  return digit ? std::optional<std::string>(text) : std::nullopt;
}

bool IsAirport(std::string_view code) { return IsIcaoCode(code) && code != "XXXX" && code != "ZZZZ"; }

std::string_view TerminalBody(std::string_view text) {
  if (text.size() >= 4 && text[0] == '#' && text[3] == 'B') {
    return text.substr(4);
  }
  if (text.size() >= 5 && text.starts_with("- #")) {
    return text.substr(5);
  }
  if (text.starts_with("/.")) {
    return text.substr(2);
  }
  return text;
}

namespace {

// The four hex digits of a checksum, the highest nibble first or last.
bool HexDigitsAre(std::string_view sent, unsigned crc, bool highestFirst) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (std::size_t at = 0; at < 4; ++at) {
    const std::size_t nibble = highestFirst ? 3 - at : at;
    if (sent[at] != kHex[(crc >> (4 * nibble)) & 0xF]) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ChecksumHolds(std::string_view body) {
  if (body.size() < 5) {
    return false;
  }
  const std::string_view text = body.substr(0, body.size() - 4);
  const std::string_view sent = body.substr(body.size() - 4);
  unsigned crc = 0xFFFF;
  for (const char c : text) {
    crc = (crc >> 8) ^ kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF];
  }
  if (HexDigitsAre(sent, crc ^ 0xFFFF, false)) {
    return true;
  }
  // Some senders use the ARINC 622 envelope's CRC instead, highest digit
  // first.
  return CcittChecksumIs(text, sent);
}

bool CcittChecksumIs(std::string_view content, std::string_view sent) {
  if (sent.size() != 4) {
    return false;
  }
  std::uint16_t crc = 0xFFFF;
  for (const char c : content) {
    crc = CcittCrcStep(crc, static_cast<std::uint8_t>(c));
  }
  return HexDigitsAre(sent, static_cast<std::uint16_t>(~crc), true);
}

std::optional<int> MonthOfAbbreviation(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  for (std::size_t month = 0; month < kMonths.size(); ++month) {
    if (text == kMonths[month]) {
      return static_cast<int>(month) + 1;
    }
  }
  return std::nullopt;
}

std::optional<TextDay> DayMonthYear(std::string_view text) {
  const auto day = text.size() == 7 ? Digits(text.substr(0, 2), 2) : std::nullopt;
  const auto year = text.size() == 7 ? Digits(text.substr(5, 2), 2) : std::nullopt;
  const auto month = text.size() == 7 ? MonthOfAbbreviation(text.substr(2, 3)) : std::nullopt;
  if (!day || !year || !month) {
    return std::nullopt;
  }
  return TextDay{2000 + *year, *month, *day};
}

// "DDMMYY" or "MMDDYY" (the two are in use): the day, only when the digits
// allow one reading; all 0 otherwise.
TextDay SixDigitDate(std::string_view text) {
  const auto first = Digits(text.substr(0, 2), 2);
  const auto second = Digits(text.substr(2, 2), 2);
  const auto year = Digits(text.substr(4, 2), 2);
  if (text.size() != 6 || !first || !second || !year || *first < 1 || *second < 1 || *first > 31 || *second > 31) {
    return {};
  }
  if (*first == *second || (*first > 12 && *second <= 12)) {
    return {2000 + *year, *second, *first};
  }
  if (*second > 12 && *first <= 12) {
    return {2000 + *year, *first, *second};
  }
  return {};
}

}  // namespace corvane::readable
