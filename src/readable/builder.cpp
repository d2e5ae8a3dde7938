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
void AppendGrouped(double value, std::string& out) {
  std::array<char, 32> text{};
  if (!(std::fabs(value) < 1e15)) {  // beyond what tenths in 64 bits hold (or not a number)
    out.append(text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr);
    return;
  }
  const auto tenths = std::llround(std::fabs(value) * 10.0);
  if (value < 0 && tenths != 0) {
    out += '-';
  }
  const char* const end = std::to_chars(text.data(), text.data() + text.size(), tenths / 10).ptr;
  const auto length = static_cast<int>(end - text.data());
  for (int at = 0; at < length; ++at) {
    if (at > 0 && (length - at) % 3 == 0) {
      out += ',';
    }
    out += text[static_cast<std::size_t>(at)];
  }
  if (tenths % 10 != 0) {
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
  }
}

// 34.4283, 'N', 'S' -> "34°25.7'N", 35.062 -> "35°03.7'N"; 59.96' rounds up
// into the next degree.
void AppendDegreesAndMinutes(double value, char positive, char negative, std::string& out) {
  const auto tenthsOfMinutes = std::llround(std::fabs(value) * 600.0);
  AppendInteger(tenthsOfMinutes / 600, out);
  out += kDegree;
  const auto minutes = tenthsOfMinutes % 600 / 10;
  if (minutes < 10) {
    out += '0';  // minutes in two digits, as charts and flight plans write them
  }
  AppendInteger(minutes, out);
  out += '.';
  out += static_cast<char>('0' + tenthsOfMinutes % 10);
  out += '\'';
  out += value < 0 ? negative : positive;
}

}  // namespace

void AppendPosition(double latitude, double longitude, std::string& out) {
  AppendDegreesAndMinutes(latitude, 'N', 'S', out);
  out += ' ';
  AppendDegreesAndMinutes(longitude, 'E', 'W', out);
}

Builder::Builder(std::string kind, const reference::ReferenceTables& tables) : tables_(tables) {
  result_.kind = std::move(kind);
  // Room for the usual decoding (a handful of fields, about 90 bytes of
  // lines) at once, rather than growing by doublings.
  result_.fields.reserve(8);
  result_.text.reserve(128);
}

std::string& Builder::BeginLine(const char* caption) {
  result_.text += caption;
  result_.text += ": ";
  return result_.text;
}

void Builder::EndLine() { result_.text += "\r\n"; }

void Builder::Line(const char* caption, std::string_view value) {
  BeginLine(caption) += value;
  EndLine();
}

void Builder::Position(double latitude, double longitude) {
  result_.fields.push_back({"latitude", latitude});
  result_.fields.push_back({"longitude", longitude});
  AppendPosition(latitude, longitude, BeginLine("Position"));
  EndLine();
}

void Builder::Altitude(double feet) {
  result_.fields.push_back({"altitude_ft", feet});
  AppendGrouped(feet, BeginLine("Altitude"));
  result_.text += " ft";
  EndLine();
}

void Builder::Temperature(double celsius) {
  result_.fields.push_back({"temperature_c", celsius});
  AppendGrouped(celsius, BeginLine("Outside air temperature"));
  result_.text += ' ';
  result_.text += kDegree;
  result_.text += 'C';
  EndLine();
}

void Builder::Mach(double mach) {
  result_.fields.push_back({"mach", mach});
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), mach, std::chars_format::fixed, 3).ptr;
  Line("Mach", std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

void Builder::Wind(double directionDeg, double speedKt) {
  result_.fields.push_back({"wind_dir_deg", directionDeg});
  result_.fields.push_back({"wind_speed_kt", speedKt});
  AppendGrouped(directionDeg, BeginLine("Wind"));
  result_.text += kDegree;
  result_.text += " at ";
  AppendGrouped(speedKt, result_.text);
  result_.text += " kt";
  EndLine();
}

void Builder::Time(const char* field, const char* caption, std::string time) {
  Line(caption, time);
  result_.fields.push_back({field, std::move(time)});
}

void Builder::Airport(const char* field, const char* caption, std::string_view code) {
  const std::string_view name = tables_.AirportName(code);
  std::string& line = BeginLine(caption);
  line += code;
  if (!name.empty()) {
    line += " (";
    line += name;
    line += ')';
  }
  EndLine();
  result_.fields.push_back({field, std::string(code)});
}

void Builder::Number(const char* field, const char* caption, double value, const char* unit) {
  AppendGrouped(value, BeginLine(caption));
  if (*unit != '\0') {
    result_.text += ' ';
    result_.text += unit;
  }
  EndLine();
  result_.fields.push_back({field, value});
}

void Builder::Text(const char* field, const char* caption, std::string value) {
  Line(caption, value);
  result_.fields.push_back({field, std::move(value)});
}

void Builder::Names(const char* field, const char* caption, std::vector<std::string> names) {
  std::string& line = BeginLine(caption);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      line += ' ';
    }
    line += names[i];
  }
  EndLine();
  result_.fields.push_back({field, std::move(names)});
}

std::optional<Decoding> Builder::Finish() && {
  if (result_.fields.empty()) {
    return std::nullopt;
  }
  return std::move(result_);
}

}  // namespace corvane::readable
