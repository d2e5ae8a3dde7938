// Fields and their lines.
#include "readable/builder.h"

#include <array>
#include <charconv>
#include <cmath>

#include "reference/reference_tables.h"

namespace corvane::readable {

namespace {

constexpr char kDegree = '\xB0';  // the degree sign, one Latin-1 byte like all card text

void AppendInteger(long long value, std::string& out) {
  std::array<char, 24> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  out.append(digits.data(), end);
}

// 35000 -> "35,000"; fractions keep one decimal (rounded: 12.96 -> "13").
std::string Grouped(double value) {
  if (!(std::fabs(value) < 1e15)) {  // beyond what tenths in 64 bits hold (or not a number)
    std::array<char, 32> text{};
    return {text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr};
  }
  const bool negative = value < 0;
  const auto tenths = std::llround(std::fabs(value) * 10.0);
  std::string digits;
  AppendInteger(tenths / 10, digits);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  if (tenths % 10 != 0) {
    digits += '.';
    digits += static_cast<char>('0' + tenths % 10);
  }
  return (negative && tenths != 0 ? "-" : "") + digits;
}

// 34.4283, 'N', 'S' -> "34°25.7'N", 35.062 -> "35°03.7'N"; 59.96' rounds up
// into the next degree.
std::string DegreesAndMinutes(double value, char positive, char negative) {
  const auto tenthsOfMinutes = std::llround(std::fabs(value) * 600.0);
  std::string text;
  AppendInteger(tenthsOfMinutes / 600, text);
  text += kDegree;
  const auto minutes = tenthsOfMinutes % 600 / 10;
  if (minutes < 10) {
    text += '0';  // minutes in two digits, as charts and flight plans write them
  }
  AppendInteger(minutes, text);
  text += '.';
  text += static_cast<char>('0' + tenthsOfMinutes % 10);
  text += '\'';
  text += value < 0 ? negative : positive;
  return text;
}

}  // namespace

void Builder::Line(const char* caption, const std::string& value) {
  result_.text += caption;
  result_.text += ": ";
  result_.text += value;
  result_.text += "\r\n";
}

void Builder::Position(double latitude, double longitude) {
  result_.fields.push_back({"latitude", latitude});
  result_.fields.push_back({"longitude", longitude});
  Line("Position", DegreesAndMinutes(latitude, 'N', 'S') + " " + DegreesAndMinutes(longitude, 'E', 'W'));
}

void Builder::Altitude(double feet) {
  result_.fields.push_back({"altitude_ft", feet});
  Line("Altitude", Grouped(feet) + " ft");
}

void Builder::Temperature(double celsius) {
  result_.fields.push_back({"temperature_c", celsius});
  Line("Outside air temperature", Grouped(celsius) + " " + kDegree + "C");
}

void Builder::Mach(double mach) {
  result_.fields.push_back({"mach", mach});
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), mach, std::chars_format::fixed, 3).ptr;
  Line("Mach", std::string(text.data(), end));
}

void Builder::Wind(double directionDeg, double speedKt) {
  result_.fields.push_back({"wind_dir_deg", directionDeg});
  result_.fields.push_back({"wind_speed_kt", speedKt});
  Line("Wind", Grouped(directionDeg) + kDegree + " at " + Grouped(speedKt) + " kt");
}

void Builder::Time(const char* field, const char* caption, std::string time) {
  Line(caption, time);
  result_.fields.push_back({field, std::move(time)});
}

void Builder::Airport(const char* field, const char* caption, std::string_view code) {
  const std::string_view name = tables_.AirportName(code);
  std::string line(code);
  if (!name.empty()) {
    line += " (";
    line += name;
    line += ')';
  }
  Line(caption, line);
  result_.fields.push_back({field, std::string(code)});
}

void Builder::Number(const char* field, const char* caption, double value, const char* unit) {
  Line(caption, Grouped(value) + (*unit != '\0' ? std::string(" ") + unit : std::string()));
  result_.fields.push_back({field, value});
}

void Builder::Text(const char* field, const char* caption, std::string value) {
  Line(caption, value);
  result_.fields.push_back({field, std::move(value)});
}

void Builder::Names(const char* field, const char* caption, std::vector<std::string> names) {
  std::string joined;
  for (const std::string& name : names) {
    joined += (joined.empty() ? "" : " ") + name;
  }
  Line(caption, joined);
  result_.fields.push_back({field, std::move(names)});
}

std::optional<Decoding> Builder::Finish() && {
  if (result_.fields.empty()) {
    return std::nullopt;
  }
  return std::move(result_);
}

}  // namespace corvane::readable
