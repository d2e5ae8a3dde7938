// Position reports of the numbered labels, comma-separated, as airlines'
// avionics send them. Only the fields whose meaning the traffic shows
// beyond doubt are read; the others are left out.
#include <cmath>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

// "N 350343" / "W1094445": hemisphere, degrees (up to 2 or 3 digits),
// minutes and seconds.
std::optional<double> DegreesMinutesSeconds(std::string_view text, char positive, char negative, int degreeDigits) {
  text = Trim(text);
  if (text.empty() || (text.front() != positive && text.front() != negative)) {
    return std::nullopt;
  }
  const double sign = text.front() == positive ? 1 : -1;
  text = Trim(text.substr(1));
  // Spaces may pad the degrees: "W 760010" is 76°00'10"W.
  const auto maxWidth = static_cast<std::size_t>(degreeDigits);
  if (text.size() < 5 || text.size() > maxWidth + 4) {
    return std::nullopt;
  }
  const std::size_t width = text.size() - 4;
  const auto degrees = Digits(text.substr(0, width), width);
  const auto minutes = Digits(text.substr(width, 2), 2);
  const auto seconds = Digits(text.substr(width + 2, 2), 2);
  if (!degrees || !minutes || !seconds || *minutes > 59 || *seconds > 59) {
    return std::nullopt;
  }
  // In seconds first and divided once: 77°54'36" is 77.91, not 77.91000000000001.
  const double value = (*degrees * 3600.0 + *minutes * 60.0 + *seconds) / 3600.0;
  return value > (positive == 'N' ? 90 : 180) ? std::nullopt : std::optional<double>(sign * value);
}

// "M 58" or "P 5": a temperature with a letter for its sign.
std::optional<double> LetterSigned(std::string_view text) {
  text = Trim(text);
  if (text.empty() || (text.front() != 'M' && text.front() != 'P')) {
    return std::nullopt;
  }
  const auto value = Number(text.substr(1));
  if (!value || *value < 0) {
    return std::nullopt;
  }
  return text.front() == 'M' ? -*value : *value;
}

// An altitude in feet as the reports write it: a whole number in flight's range.
std::optional<double> Feet(std::string_view text) {
  const auto feet = Number(text);
  if (!feet || *feet < -2000 || *feet > 60000 || std::floor(*feet) != *feet) {
    return std::nullopt;
  }
  return feet;
}

// A temperature in flight's range.
std::optional<double> Celsius(std::optional<double> value) {
  return value && *value >= -99 && *value <= 60 ? value : std::nullopt;
}

// How the comma-separated reports begin: the position (latitude, then
// longitude from its E or W on, each read by its own reader), the report
// time and the altitude. Nothing when the position cannot be read.
template <typename ReadLatitude, typename ReadLongitude>
std::optional<Builder> StartReport(std::string_view position, ReadLatitude readLatitude, ReadLongitude readLongitude,
                                   std::string_view time, std::string_view altitude,
                                   const reference::ReferenceTables& tables) {
  const auto split = FindAnyOf(position, "EW");
  const auto latitude = split == std::string_view::npos ? std::nullopt : readLatitude(position.substr(0, split));
  const auto longitude = split == std::string_view::npos ? std::nullopt : readLongitude(position.substr(split));
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  std::optional<Builder> out(std::in_place, kPositionReport, tables);
  out->Position(*latitude, *longitude);
  if (const auto reportTime = TimeOfDay(Trim(time))) {
    out->Time("report_time", "Time", *reportTime);
  }
  if (const auto feet = Feet(altitude)) {
    out->Altitude(*feet);
  }
  return out;
}

}  // namespace

// "000118,34986,0154, 184,N 35.975,W109.384": altitude, and the position at
// the end.
std::optional<Decoding> PositionCsvDecimal(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 6) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(pieces[4], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[5], 'E', 'W');
  if (!latitude || !longitude || !Digits(pieces[0], 6)) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  if (const auto feet = Feet(pieces[1])) {
    out.Altitude(*feet);
  }
  return std::move(out).Finish();
}

// "POSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH":
// position, report time, altitude, temperature, estimated arrival and the
// destination.
std::optional<Decoding> PositionWithDestination(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 9 || !pieces[0].starts_with("POS")) {
    return std::nullopt;
  }
  auto out = StartReport(
      pieces[0].substr(3), [](std::string_view t) { return DecimalDegrees(t, 'N', 'S'); },
      [](std::string_view t) { return DecimalDegrees(t, 'E', 'W'); }, pieces[2], pieces[3], tables);
  if (!out) {
    return std::nullopt;
  }
  if (const auto celsius = Celsius(Number(pieces[6]))) {
    out->Temperature(*celsius);
  }
  if (const auto eta = TimeOfDay(Trim(pieces[7]))) {
    out->Time("eta", "Estimated arrival", *eta);
  }
  if (IsIcaoCode(Trim(pieces[8]))) {
    out->Airport("arrival", "Arrival", Trim(pieces[8]));
  }
  return std::move(*out).Finish();
}

// "N 350343W1094445,-------,005530,37015, ,      , ,M 58,23566  29, 148,":
// position to the second, report time, altitude, temperature.
std::optional<Decoding> PositionDegreesMinutesSeconds(const Message& message,
                                                      const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() < 8) {
    return std::nullopt;
  }
  auto out = StartReport(
      pieces[0], [](std::string_view t) { return DegreesMinutesSeconds(t, 'N', 'S', 2); },
      [](std::string_view t) { return DegreesMinutesSeconds(t, 'E', 'W', 3); }, pieces[2], pieces[3], tables);
  if (!out) {
    return std::nullopt;
  }
  if (const auto celsius = Celsius(LetterSigned(pieces[7]))) {
    out->Temperature(*celsius);
  }
  return std::move(*out).Finish();
}

// "N 34.076,W107.484,38000,001217, 204,.C-GWBT,0242": position, altitude,
// report time and the aircraft's registration.
std::optional<Decoding> PositionAltitudeTimeTail(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 7) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(pieces[0], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[1], 'E', 'W');
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  if (const auto feet = Feet(pieces[2])) {
    out.Altitude(*feet);
  }
  if (const auto time = TimeOfDay(Trim(pieces[3]))) {
    out.Time("report_time", "Time", *time);
  }
  const std::string_view tail = Trim(pieces[5]);
  const auto registration = tail.find_first_not_of('.');
  if (registration != std::string_view::npos && tail.size() <= 7) {
    out.Text("tail", "Aircraft", std::string(tail.substr(registration)));
  }
  return std::move(out).Finish();
}

// "POSN 295743W 953932,-------,1139,1040,,   8,15992   9,FOB  208,ETA 1409,KIAH,KLAS,"
// (label 12): position to the second (degrees padded with spaces), then
// numbers not read, fuel on board (not read: no unit), the estimated
// arrival and the route.
std::optional<Decoding> PositionEtaRoute(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (!text.starts_with("POS") || text.find(",ETA ") == std::string_view::npos) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() < 11 || !pieces[7].starts_with("FOB") || !pieces[8].starts_with("ETA ") || !IsIcaoCode(pieces[9]) ||
      !IsIcaoCode(pieces[10])) {
    return std::nullopt;
  }
  const std::string_view position = pieces[0].substr(3);
  const auto split = FindAnyOf(position, "EW");
  const auto latitude =
      split == std::string_view::npos ? std::nullopt : DegreesMinutesSeconds(position.substr(0, split), 'N', 'S', 2);
  const auto longitude =
      split == std::string_view::npos ? std::nullopt : DegreesMinutesSeconds(position.substr(split), 'E', 'W', 3);
  const std::string_view eta = pieces[8].substr(4);
  const auto etaTime = eta.size() == 4 ? TimeOfDay(eta) : std::nullopt;
  if (!latitude || !longitude || !etaTime) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Time("eta", "Estimated arrival", *etaTime);
  out.Airport("departure", "Departure", pieces[9]);
  out.Airport("arrival", "Arrival", pieces[10]);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
