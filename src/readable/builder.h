// Building a decoding field by field: each call adds a named field and its
// line of plain text together, so the two never disagree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readable/readable.h"

namespace corvane::readable {

// "34°25.7'N 77°41.5'W" (minutes in two digits, rounded to tenths), appended.
void AppendPosition(double latitude, double longitude, std::string& out);

class Builder {
 public:
  Builder(std::string kind, const reference::ReferenceTables& tables);

  // Decimal degrees, north and east positive: "Position: 34°25.7'N 77°41.5'W".
  void Position(double latitude, double longitude);
  // Feet: "Altitude: 35,000 ft".
  void Altitude(double feet);
  // Outside air, degrees Celsius: "Outside air temperature: -52 °C".
  void Temperature(double celsius);
  // Mach number to three decimals: "Mach: 0.767".
  void Mach(double mach);
  // Direction in degrees and speed in knots: "Wind: 253° at 24 kt".
  void Wind(double directionDeg, double speedKt);
  // A time of day, "HH:MM" or "HH:MM:SS".
  void Time(const char* field, const char* caption, std::string time);
  // An ICAO airport code, with its name when the tables know it.
  void Airport(const char* field, const char* caption, std::string_view code);
  // A number with its unit ("" for none).
  void Number(const char* field, const char* caption, double value, const char* unit);
  void Text(const char* field, const char* caption, std::string value);
  void Names(const char* field, const char* caption, std::vector<std::string> names);

  // The decoding; nothing when no field was added.
  [[nodiscard]] std::optional<Decoding> Finish() &&;

 private:
  // "Caption: " appended to the text, which is returned for the value.
  std::string& BeginLine(const char* caption);
  void EndLine();
  void Line(const char* caption, std::string_view value);

  const reference::ReferenceTables& tables_;
  Decoding result_;
};

}  // namespace corvane::readable
