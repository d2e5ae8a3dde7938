// The pieces several label families read alike (label_pieces.h): lead
// coordinates and timed positions.
#include "readable/label_pieces.h"

#include <algorithm>
#include <array>

#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

// "N3349.8": a hemisphere letter, degrees, then minutes with one decimal.
std::optional<double> DegreesDecimalMinutes(std::string_view text, char positive, char negative,
                                            std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 5 || degreeDigits > 3 || text[degreeDigits + 3] != '.') {
    return std::nullopt;
  }
  std::array<char, 8> packed{};
  std::copy_n(text.begin(), degreeDigits + 3, packed.begin());
  packed[degreeDigits + 3] = text[degreeDigits + 4];
  return PackedCoordinate(std::string_view(packed.data(), degreeDigits + 4), positive, negative, degreeDigits);
}

}  // namespace

std::optional<double> LeadCoordinate(std::string_view text, char positive, char negative, double limit) {
  text = Trim(text);
  if (!text.empty() && (text[0] == positive || text[0] == negative)) {
    return DecimalDegrees(text, positive, negative);
  }
  const auto value = Number(text);
  if (text.empty() || (text[0] != '+' && text[0] != '-') || !value || *value < -limit || *value > limit) {
    return std::nullopt;
  }
  return value;
}

std::optional<TimedPosition> ReadTimedPosition(std::string_view text) {
  if (text.size() < 28 || !AllOf(text.substr(0, 3), IsDigit) || !AllOf(text.substr(3, 2), IsUpper) ||
      !AllOf(text.substr(5, 8), IsDigit)) {
    return std::nullopt;
  }
  const auto latitude = DegreesDecimalMinutes(text.substr(13, 7), 'N', 'S', 2);
  const auto longitude = DegreesDecimalMinutes(text.substr(20, 8), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  auto time = TimeOfDay(text.substr(7, 6));
  if (!time) {
    return std::nullopt;
  }
  const auto day = Digits(text.substr(5, 2), 2);
  if (!day || *day < 1 || *day > 31) {
    return std::nullopt;
  }
  return TimedPosition{*latitude, *longitude, *day, std::move(*time)};
}

void AddTimedPosition(TimedPosition& place, const ReceiveTime& received, Builder& out) {
  out.Position(place.latitude, place.longitude);
  out.TimeOnDay("report_time", "Time", {0, 0, place.day}, std::move(place.time), received);
}

}  // namespace corvane::readable
