// Fields and their lines.
#include "readable/builder.h"

#include <cmath>
#include <cstdio>

#include "reference/reference_tables.h"

namespace corvane::readable {

namespace {

constexpr char kDegree = '\xB0';  // the degree sign, one Latin-1 byte like all card text

// 35000 -> "35,000"; fractions keep one decimal.
std::string Grouped(double value) {
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  const auto whole = static_cast<long long>(std::floor(magnitude));
  std::string digits = std::to_string(whole);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  const double fraction = magnitude - static_cast<double>(whole);
  if (fraction >= 0.05) {
    char decimal[8];
    std::snprintf(decimal, sizeof decimal, "%.1f", fraction);
    digits += std::string(decimal + 1);
  }
  return (negative ? "-" : "") + digits;
}

// 34.4283, 'N', 'S' -> "34°25.7'N"
std::string DegreesAndMinutes(double value, char positive, char negative) {
  const double magnitude = std::fabs(value);
  int degrees = static_cast<int>(magnitude);
  double minutes = std::round((magnitude - degrees) * 600.0) / 10.0;
  if (minutes >= 60.0) {  // 59.96' rounds up into the next degree
    minutes = 0;
    ++degrees;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%d%c%.1f'%c", degrees, kDegree, minutes, value < 0 ? negative : positive);
  return text;
}

std::string NameOf(const reference::ReferenceTables& tables, std::string_view code) {
  for (const reference::AirportRow& row : tables.Airports()) {
    if (row.code == code) {
      return row.name;
    }
  }
  return {};
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
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", mach);
  Line("Mach", text);
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
  const std::string name = NameOf(tables_, code);
  Line(caption, std::string(code) + (name.empty() ? "" : " (" + name + ")"));
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
