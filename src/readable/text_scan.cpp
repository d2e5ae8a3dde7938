// The piece readers.
#include "readable/text_scan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace corvane::readable {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A hemisphere letter, then spaces; the sign it gives, or 0 when none.
int Hemisphere(std::string_view& text, char positive, char negative) {
  if (text.empty() || (text.front() != positive && text.front() != negative)) {
    return 0;
  }
  const int sign = text.front() == positive ? 1 : -1;
  text = Trim(text.substr(1));
  return sign;
}

}  // namespace

std::vector<std::string_view> Split(std::string_view text, char separator) {
  // Counted first so that the pieces take one allocation, not one per doubling.
  std::vector<std::string_view> pieces;
  pieces.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), separator)) + 1);
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
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

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

std::optional<std::string> HoursMinutes(std::string_view text) {
  return text.size() == 4 ? TimeOfDay(text) : std::nullopt;
}

bool IsFlight(std::string_view text) {
  const auto isAlnum = [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); };
  return text.size() >= 3 && text.size() <= 8 && std::all_of(text.begin(), text.end(), isAlnum) &&
         text.find_first_of("0123456789") != std::string_view::npos;
}

std::optional<TextDay> DayMonthYear(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const auto day = text.size() == 7 ? Digits(text.substr(0, 2), 2) : std::nullopt;
  const auto year = text.size() == 7 ? Digits(text.substr(5, 2), 2) : std::nullopt;
  if (!day || !year) {
    return std::nullopt;
  }
  for (std::size_t month = 0; month < kMonths.size(); ++month) {
    if (text.substr(2, 3) == kMonths[month]) {
      return TextDay{2000 + *year, static_cast<int>(month) + 1, *day};
    }
  }
  return std::nullopt;
}

}  // namespace corvane::readable
