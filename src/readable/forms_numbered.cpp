// More position and event forms of the numbered labels: 44's out/off/on/in
// and position events, 2P's and 83's comma-separated reports, 15's packed
// position, 4A's report ending in the position, 10's load and position
// reports, 36's and 4N's route data records. Each reads only what its
// pieces show beyond doubt.
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

// "N33522W084181" or "N036339W106577": a packed latitude (2 or 3 degree
// digits) and longitude (3).
// "W078409" or, padded with a space, "W 78409": a packed longitude.
std::optional<double> PackedLongitude(std::string_view text) {
  if (text.size() == 7 && text[1] == ' ') {
    const std::array<char, 7> zeroed = {text[0], '0', text[2], text[3], text[4], text[5], text[6]};
    return PackedCoordinate(std::string_view(zeroed.data(), zeroed.size()), 'E', 'W', 3);
  }
  return PackedCoordinate(text, 'E', 'W', 3);
}

bool PackedPosition(std::string_view text, Builder& out) {
  const auto split = FindAnyOf(text, "EW");
  if (split == std::string_view::npos) {
    return false;
  }
  const std::string_view north = text.substr(0, split);
  const auto latitude = PackedCoordinate(north, 'N', 'S', north.size() == 7 ? 3 : 2);
  const auto longitude = PackedLongitude(text.substr(split));
  if (!latitude || !longitude) {
    return false;
  }
  out.Position(*latitude, *longitude);
  return true;
}

// A signed decimal coordinate ("+ 43.77", "-175.10") or one with its
// hemisphere letter ("N 45.206").
std::optional<double> Coordinate(std::string_view text, char positive, char negative) {
  text = Trim(text);
  if (!text.empty() && (text[0] == positive || text[0] == negative)) {
    return DecimalDegrees(text, positive, negative);
  }
  const auto value = Number(text);
  const double limit = positive == 'N' ? 90 : 180;
  return value && *value >= -limit && *value <= limit ? value : std::nullopt;
}

bool DecimalPosition(std::string_view latitude, std::string_view longitude, Builder& out) {
  const auto north = Coordinate(latitude, 'N', 'S');
  const auto east = Coordinate(longitude, 'E', 'W');
  if (!north || !east) {
    return false;
  }
  out.Position(*north, *east);
  return true;
}

void AltitudeIfFeet(std::string_view text, Builder& out) {
  const auto feet = Number(text);
  if (feet && *feet >= -2000 && *feet <= 60000 && *feet == static_cast<double>(static_cast<long>(*feet))) {
    out.Altitude(*feet);
  }
}

bool IsUpperLetters(std::string_view text, std::size_t count) {
  if (text.size() != count) {
    return false;
  }
  for (const char c : text) {
    if (c < 'A' || c > 'Z') {
      return false;
    }
  }
  return true;
}

// The estimate's date (MMDD), the time of the report and the estimated
// arrival after the route: "1107,0123,0208" (the estimate is the one
// nearest the report, which may be past midnight).
void ReadEstimate(const std::vector<std::string_view>& pieces, std::size_t at, const ReceiveTime& received,
                  Builder& out) {
  if (at + 2 >= pieces.size() || !Digits(pieces[at], 4) || pieces[at + 1].size() != 4 || pieces[at + 2].size() != 4) {
    return;
  }
  const auto reported = TimeOfDay(pieces[at + 1]);
  const auto estimate = TimeOfDay(pieces[at + 2]);
  if (!reported || !estimate) {
    return;
  }
  const TextDay day{0, *Digits(pieces[at].substr(0, 2), 2), *Digits(pieces[at].substr(2, 2), 2)};
  const auto reportedAt = day.month >= 1 && day.month <= 12 ? OnTextDay(day, *reported, received) : std::nullopt;
  if (reportedAt) {
    out.Stamp("report_time", "Time", *reportedAt, false);
  } else {
    out.Time("report_time", "Time", *reported);
  }
  out.TimeNear("eta", "Estimated arrival", reportedAt, *estimate);
}

}  // namespace

// "ON01,N33522W084181,KCLT,KPDK,1106,004023,---.-,": the event, where, the
// route (the first two airport codes), and for out/off/on/in the date (MMDD)
// and time; "00ETA03,N38241W081357,330,KBNA,KBWI,1107,0123,0208,008.1" adds
// the flight level, the time of the report and the estimated arrival (the
// last number is not read).
std::optional<Decoding> FlightEvent(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() < 6 || pieces[0].size() < 4) {
    return std::nullopt;
  }
  std::string_view event = pieces[0].substr(0, pieces[0].size() - 2);
  if (!Digits(pieces[0].substr(pieces[0].size() - 2), 2)) {
    return std::nullopt;
  }
  // The estimate comes with two digits before its name ("00ETA03").
  const bool eta = event.size() == 5 && Digits(event.substr(0, 2), 2) && event.substr(2) == "ETA";
  const bool oooi = event == "OUT" || event == "OFF" || event == "ON" || event == "IN";
  if (!oooi && !eta && event != "POS") {
    return std::nullopt;
  }
  Builder out(oooi ? Kind::kOooiReport : eta ? Kind::kEstimatedArrival : kPositionReport, tables);
  if (!PackedPosition(pieces[1], out)) {
    return std::nullopt;
  }
  std::size_t route = 2;
  while (route + 1 < pieces.size() && !(IsIcaoCode(pieces[route]) && IsIcaoCode(pieces[route + 1]))) {
    ++route;
  }
  if (route + 1 >= pieces.size()) {
    return std::move(out).Finish();
  }
  if (eta && route == 3) {
    if (const auto feet = FlightLevelFeet(pieces[2])) {
      out.Altitude(*feet);
    }
  }
  out.Airport("departure", "Departure", pieces[route]);
  out.Airport("arrival", "Arrival", pieces[route + 1]);
  if (eta) {
    ReadEstimate(pieces, route + 2, message.received, out);
  }
  if (oooi && route + 3 < pieces.size() && Digits(pieces[route + 2], 4)) {
    if (const auto time = TimeOfDay(pieces[route + 3])) {
      const bool isOut = event == "OUT";
      const bool off = event == "OFF";
      const bool on = event == "ON";
      const char* field = isOut ? "out" : off ? "off" : on ? "on" : "in";
      const char* caption = isOut ? "Out" : off ? "Off" : on ? "On" : "In";
      const int month = *Digits(pieces[route + 2].substr(0, 2), 2);  // the date, MMDD
      const int day = *Digits(pieces[route + 2].substr(2, 2), 2);
      out.TimeOnDay(field, caption, {0, month, day}, *time, message.received);
    }
  }
  return std::move(out).Finish();
}

// "FM3 1217,1312,+ 43.77,- 70.18, 39981, 426, 25" and
// "FM4KIAD,OMAA,140256,1448, 39.43,- 75.62,23228,...": position and altitude,
// and the route where the form gives it.
std::optional<Decoding> FlightMonitor(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (!text.starts_with("FM3") && !text.starts_with("FM4") && !text.starts_with("FM5")) {
    return std::nullopt;
  }
  const auto pieces = Split(text.substr(3), ',');
  Builder out(kPositionReport, tables);
  if (text[2] == '3' && pieces.size() >= 5) {
    if (!DecimalPosition(pieces[2], pieces[3], out)) {
      return std::nullopt;
    }
    AltitudeIfFeet(pieces[4], out);
    return std::move(out).Finish();
  }
  if (pieces.size() >= 7 && IsIcaoCode(Trim(pieces[0])) && IsIcaoCode(Trim(pieces[1]))) {
    out.Airport("departure", "Departure", Trim(pieces[0]));
    out.Airport("arrival", "Arrival", Trim(pieces[1]));
    if (!DecimalPosition(pieces[4], pieces[5], out)) {
      return std::nullopt;
    }
    AltitudeIfFeet(pieces[6], out);
    return std::move(out).Finish();
  }
  return std::nullopt;
}

// "KIAH,RJAA,110012, 39.12,-175.10,39001,265,-107.6, 64900": the route,
// position and altitude.
std::optional<Decoding> RoutePositionReport(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 9 || !IsIcaoCode(pieces[0]) || !IsIcaoCode(pieces[1])) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Airport("departure", "Departure", pieces[0]);
  out.Airport("arrival", "Arrival", pieces[1]);
  if (!DecimalPosition(pieces[3], pieces[4], out)) {
    return std::nullopt;
  }
  AltitudeIfFeet(pieces[5], out);
  return std::move(out).Finish();
}

// "(2N34496W107267287 44429-55(Z" or "(2N35583W 78409---  8 23 26(Z": the
// packed position after "(" and a digit; in the business aircraft's texts
// ("(2AAABN39211W 77144KTEBMMTO-/A(Z") four letters "AAA?" come first.
std::optional<Decoding> BracketPosition(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  if (text.size() < 16 || text[0] != '(' || !Digits(text.substr(1, 1), 1)) {
    return std::nullopt;
  }
  text.remove_prefix(2);
  if (text.starts_with("AAA") && text.size() >= 18 && text[3] >= 'A' && text[3] <= 'Z') {
    text.remove_prefix(4);
  }
  Builder out(kPositionReport, tables);
  if (!PackedPosition(text.substr(0, 13), out)) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "124442,1320, 138,33467,N 41.093,W 72.677": altitude, then the position.
std::optional<Decoding> AltitudeThenPosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 6 || !Digits(pieces[0], 6)) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (!DecimalPosition(pieces[4], pieces[5], out)) {
    return std::nullopt;
  }
  AltitudeIfFeet(pieces[3], out);
  return std::move(out).Finish();
}

// "LDR01,189,C,SWA-2600-016,0,N 38.151,W 76.623,37003, 10.2,KATL,KLGA,...":
// position, altitude and the route; "/N39.182/W077.217/10/...": position.
std::optional<Decoding> LoadOrSlashPosition(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  Builder out(kPositionReport, tables);
  if (text.starts_with("LDR")) {
    const auto pieces = Split(text, ',');
    if (pieces.size() < 11 || !DecimalPosition(pieces[5], pieces[6], out)) {
      return std::nullopt;
    }
    AltitudeIfFeet(pieces[7], out);
    if (IsIcaoCode(pieces[9]) && IsIcaoCode(pieces[10])) {
      out.Airport("departure", "Departure", pieces[9]);
      out.Airport("arrival", "Arrival", pieces[10]);
    }
    return std::move(out).Finish();
  }
  if (text.starts_with("/N") || text.starts_with("/S")) {
    const auto pieces = Split(text.substr(1), '/');
    if (pieces.size() >= 2 && DecimalPosition(pieces[0], pieces[1], out)) {
      return std::move(out).Finish();
    }
  }
  return std::nullopt;
}

// "28,E,08DEC19,090218,N 37.985,W 79.875,36997, 10160,KBUR,KJFK,KJFK,31L/,..."
// (label 36: the time on its date) and "285,B,69005074-507,10/12,+36.081,-094.810,35014,002.3,ELP,
// SDF,SDF,17R/,17L/,..." (label 4N, the airports as IATA codes, the position
// often empty): the time (36), position, altitude and the route; the third
// airport, the runways and the numbers after are not read.
std::optional<Decoding> RouteDataRecord(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  // C-band copies start with a ten character prefix ("M85AUP0109").
  if (text.size() > 16 && text[0] == 'M' && Digits(text.substr(1, 2), 2) && IsUpperLetters(text.substr(3, 3), 3) &&
      Digits(text.substr(6, 4), 4) && text.substr(10, 4) == "285,") {
    text.remove_prefix(10);
  }
  const bool icao = text.starts_with("28,E,");
  if (!icao && !text.starts_with("285,B,") && !text.starts_with("285,C,")) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() < 13 || pieces[9] != pieces[10]) {
    return std::nullopt;
  }
  const bool route = icao ? IsIcaoCode(pieces[8]) && IsIcaoCode(pieces[9])
                          : IsUpperLetters(pieces[8], 3) && IsUpperLetters(pieces[9], 3);
  const auto time = icao ? TimeOfDay(pieces[3]) : std::nullopt;
  if (!route || (icao && (!time || pieces[3].size() != 6))) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  if (!pieces[4].empty() || !pieces[5].empty()) {
    if (!DecimalPosition(pieces[4], pieces[5], out)) {
      return std::nullopt;
    }
    out.SetKind(Kind::kPositionReport);
    AltitudeIfFeet(pieces[6], out);
  }
  if (time) {
    // "08DEC19": the day the time is on.
    out.TimeOnDay("report_time", "Time", DayMonthYear(pieces[2]).value_or(TextDay{}), *time, message.received);
  }
  if (icao) {
    out.Airport("departure", "Departure", pieces[8]);
    out.Airport("arrival", "Arrival", pieces[9]);
  } else {
    out.Text("departure_iata", "Departure (IATA)", std::string(pieces[8]));
    out.Text("arrival_iata", "Arrival (IATA)", std::string(pieces[9]));
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
