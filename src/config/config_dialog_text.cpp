// The texts and numbers of the configuration dialog (see the header): kept
// apart from the widgets so that each rule can be checked on its own.
#include "config/config_dialog_text.h"

#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "cardlink/card_server.h"

namespace corvane::config {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Moves `at` past a run of digits; true when there was at least one.
bool SkipDigits(const std::string& text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) {
    ++at;
  }
  return at > start;
}

// Moves `at` past an exponent ("e", optional sign, digits) when a whole one
// follows; leaves it alone otherwise.
void SkipExponent(const std::string& text, std::size_t& at) {
  if (at >= text.size() || (text[at] != 'e' && text[at] != 'E')) {
    return;
  }
  std::size_t next = at + 1;
  if (next < text.size() && (text[next] == '+' || text[next] == '-')) {
    ++next;
  }
  if (SkipDigits(text, next)) {
    at = next;
  }
}

// The length of the decimal number at the start of `text`, 0 when none.
std::size_t LeadingNumberLength(const std::string& text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    ++at;
  }
  bool digits = SkipDigits(text, at);
  if (at < text.size() && text[at] == '.') {
    ++at;
    digits = SkipDigits(text, at) || digits;
  }
  if (!digits) {
    return 0;
  }
  SkipExponent(text, at);
  return at;
}

// What a number too large or too small for a double stands for: an infinity
// with its sign for a large exponent, zero for a negative one.
double OutOfRangeValue(const std::string& number) {
  const std::size_t e = number.find_first_of("eE");
  const bool tiny = e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-';
  const double sign = number[0] == '-' ? -1.0 : 1.0;
  return tiny ? 0.0 * sign : sign * std::numeric_limits<double>::infinity();
}

}  // namespace

QString CardStatusText(int status) { return QString::fromLatin1(cardlink::CardStatusText(status)); }

double LeadingNumber(const QString& text) {
  const std::string trimmed = text.trimmed().toStdString();
  const std::size_t length = LeadingNumberLength(trimmed);
  if (length == 0) {
    return 0.0;
  }
  // from_chars ignores the locale but takes no "+" sign, so that is skipped.
  const std::size_t start = trimmed[0] == '+' ? 1 : 0;
  double value = 0.0;
  const auto result = std::from_chars(trimmed.data() + start, trimmed.data() + length, value);
  if (result.ec == std::errc::result_out_of_range) {
    return OutOfRangeValue(trimmed.substr(0, length));
  }
  return value;
}

QString NumberText(double value) {
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  if (result.ec != std::errc{}) {
    return {};
  }
  return QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data()));
}

std::int32_t RoundHalfEven(double value) {
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) {
    return 0;
  }
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(mode);
  if (rounded <= kLow) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (rounded >= kHigh) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace corvane::config
