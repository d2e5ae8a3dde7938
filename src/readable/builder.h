// Building a decoding field by field: each call adds a named field and its
// line of plain text together, so the two never disagree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readable/kinds.h"
#include "readable/readable.h"

namespace corvane::readable {

// "34°25.7'N 77°41.5'W" (minutes in two digits, rounded to tenths), appended.
void AppendPosition(double latitude, double longitude, std::string& out);

// A day the text gives for a time: the day of the month, with the month
// (1-12) and the year (four digits) when the text gives them too; 0 for
// each part not given.
struct TextDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Seconds since 1970-01-01T00:00:00Z.
using UtcSeconds = long long;

// A time of day ("HH:MM" or "HH:MM:SS") on the day the text gives, the
// missing month and year completed from the receive time: the latest month
// (or year) that does not put it more than a day after the reception.
// Nothing when the day does not exist or the receive time is not known.
std::optional<UtcSeconds> OnTextDay(const TextDay& day, std::string_view timeOfDay, const ReceiveTime& received);
// A time of day nearest to anchor (the day before, of, or after it).
UtcSeconds NearestTo(UtcSeconds anchor, std::string_view timeOfDay);
// The receive time as seconds; nothing when it is not known.
std::optional<UtcSeconds> SecondsOf(const ReceiveTime& received);

class Builder {
 public:
  Builder(Kind kind, const reference::ReferenceTables& tables);

  // The kind, when what was read changes it.
  void SetKind(Kind kind);

  // Decimal degrees, north and east positive: "Position: 34°25.7'N 77°41.5'W".
  void Position(double latitude, double longitude);
  // Another point than the aircraft's: its latitude and longitude under
  // their own names (numbers), one line "Caption: 34°25.7'N 77°41.5'W".
  void Point(std::string_view latitudeField, std::string_view longitudeField, std::string_view caption, double latitude,
             double longitude);
  // Feet: "Altitude: 35,000 ft".
  void Altitude(double feet);
  // Outside (static) air, degrees Celsius: "Outside air temperature: -52 °C".
  void Temperature(double celsius);
  // Total (ram) air, degrees Celsius: "Total air temperature: 24.8 °C".
  void TotalAirTemperature(double celsius);
  // Mach number to three decimals: "Mach: 0.767".
  void Mach(double mach);
  // A Mach number under another name than the aircraft's ("entry_mach"),
  // its line to two decimals: "Mach at entry: 0.85".
  void MachAs(std::string_view field, std::string_view caption, double mach);
  // Direction in degrees and speed in knots: "Wind: 253° at 24 kt".
  void Wind(double directionDeg, double speedKt);
  // A time of day, "HH:MM" or "HH:MM:SS".
  void Time(std::string_view field, std::string_view caption, std::string time);
  // A full UTC time: field "<name>_utc" as "2026-12-07T21:53:00Z", its line
  // "Caption: 2026-12-07 21:53 UTC" (with seconds when withSeconds).
  void Stamp(std::string_view name, std::string_view caption, UtcSeconds seconds, bool withSeconds);
  // A time of day the text gives on a day it gives: a full UTC time when the
  // day can be completed, otherwise the time of day as field name.
  void TimeOnDay(std::string_view name, std::string_view caption, const TextDay& day, std::string time,
                 const ReceiveTime& received);
  // A time of day near a full UTC time the text gives (anchor): a full UTC
  // time itself; without an anchor the time of day as field name.
  void TimeNear(std::string_view name, std::string_view caption, std::optional<UtcSeconds> anchor, std::string time);
  // A VHF frequency given in kilohertz: "frequency_mhz" 136.975, its line
  // with all three decimals ("Frequency: 136.975 MHz").
  void Megahertz(int kilohertz);
  // An ICAO airport code, with its name when the tables know it.
  void Airport(std::string_view field, std::string_view caption, std::string_view code);
  // A number with its unit ("" for none).
  void Number(std::string_view field, std::string_view caption, double value, std::string_view unit);
  void Text(std::string_view field, std::string_view caption, std::string value);
  // A code under its field, its line in words: "Caption: Predicted winds (PWI)".
  void Code(std::string_view field, std::string_view caption, std::string code, std::string_view meaning);
  void Names(std::string_view field, std::string_view caption, std::vector<std::string> names);
  // Numbers a field gives more than once, in the order given.
  void Numbers(std::string_view field, std::string_view caption, std::vector<double> values);
  // Texts a field gives more than once, each on its own line "Caption: value".
  void Lines(std::string_view field, std::string_view caption, std::vector<std::string> values);

  // The decoding; nothing when no field was added.
  [[nodiscard]] std::optional<Decoding> Finish() &&;

 private:
  // "Caption: " appended to the text, which is returned for the value.
  std::string& BeginLine(std::string_view caption);
  void EndLine();
  void Line(std::string_view caption, std::string_view value);
  void CelsiusLine(std::string_view caption, double celsius);
  void AddNumber(std::string_view name, double value);

  const reference::ReferenceTables& tables_;
  Decoding result_;
};

}  // namespace corvane::readable
