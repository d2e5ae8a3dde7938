// Forms of the labels 2x, 3x, 4x, 5x and 8x that the older forms files do not
// cover:
//   "POS/ID50007B,RCH4086,.../DC10022025,051804/.../PSN56012W013273,..."  (mission reports)
//   "AGFSR AC0620/07/08/YYZYHZ/0340Z/453/4435.1N07143.4W/350/..."           (flight status reports)
//   "/FB 0160/AD KORH/N 38.655,W 75.325,JBU2834,INA03,KORH,2043"           (fuel and destination lead)
//   "OS KDFW /WXRKOKC,M56KOKC,"                                             (coded station messages)
//   "DefaultRpt01/F-GSQD 081812" then the defects                           (cabin defect reports)
//   "71,J,1146,5,2,KTYS,37.35,-81.78,...,295052,-56,..."                    (weather position records)
// and shorter ones: departure clearances and load closeouts (40), weather
// position reports (4J), off report lines (22), in range lines (5Z), flight
// weather requests (5U), dispatch lines (4A), flight day routes (2N), flight
// date records (28) and lines of a position and little else (24, 58, 80).
// Each checks its fixed pieces before it reads anything and leaves out what
// the traffic does not show beyond doubt.
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

// The words of the text's lines after the first, each line trimmed, empty
// lines left out, joined by spaces (the lines are wrapped text); empty when
// there are none.
std::string LinesAfterFirst(std::string_view text) {
  const auto lineEnd = text.find('\n');
  std::string joined;
  if (lineEnd == std::string_view::npos) {
    return joined;
  }
  for (std::string_view line : Split(text.substr(lineEnd + 1), '\n')) {
    line = Trim(line.substr(0, line.find('\r')));
    if (!line.empty()) {
      joined.append(joined.empty() ? "" : " ").append(line);
    }
  }
  return joined;
}

// ---- Mission reports (labels 2A, 2P, 4J, 80) --------------------------------

struct MissionType {
  std::string_view code;
  Kind kind;
};

constexpr std::array<MissionType, 3> kMissionTypes = {{
    {"POS", Kind::kPositionReport},
    {"INR", Kind::kInRangeReport},
    {"SUM", Kind::kTripReport},
}};

// "DC10022025,051804": the date (DDMMYYYY) and time (HHMMSS) the report was
// made; nothing when either does not read.
struct MissionDate {
  TextDay day;
  std::string time;
};

std::optional<MissionDate> ReadMissionDate(std::string_view value) {
  if (value.size() != 17 || value[10] != ',') {
    return std::nullopt;
  }
  const auto day = Digits(value.substr(2, 2), 2);
  const auto month = Digits(value.substr(4, 2), 2);
  const auto year = Digits(value.substr(6, 4), 4);
  auto time = TimeOfDay(value.substr(11, 6));
  if (!day || !month || !year || !time || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
    return std::nullopt;
  }
  return MissionDate{{*year, *month, *day}, std::move(*time)};
}

// "PSN56012W013273,051804,350,...": the position (packed, tenths of
// minutes), the time there (near the report's date) and the flight level;
// the temperature ("M28") seventh when given.
void ReadMissionPosition(std::string_view value, std::optional<UtcSeconds> made, Builder& out) {
  const auto pieces = Split(value.substr(2), ',');
  if (pieces.size() < 3 || pieces[0].size() != 13) {
    return;
  }
  const auto latitude = PackedCoordinate(pieces[0].substr(0, 6), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(pieces[0].substr(6), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return;
  }
  out.Position(*latitude, *longitude);
  if (auto time = pieces[1].size() == 6 ? TimeOfDay(pieces[1]) : std::nullopt) {
    out.TimeNear("report_time", "Time", made, std::move(*time));
  }
  if (const auto feet = FlightLevelFeet(pieces[2])) {
    out.Altitude(*feet);
  }
  if (pieces.size() > 6) {
    if (const auto celsius = pieces[6].size() == 3 ? LetterCelsius(pieces[6]) : std::nullopt) {
      out.Temperature(*celsius);
    }
  }
}

// ---- Flight status reports (label 4T) ---------------------------------------

// "4435.1N" / "07143.4W": degrees (degreeDigits of them), minutes with one
// decimal, then the hemisphere.
std::optional<double> MinutesPointHemisphere(std::string_view text, std::size_t degreeDigits, char positive,
                                             char negative) {
  if (text.size() != degreeDigits + 5 || text[degreeDigits + 2] != '.') {
    return std::nullopt;
  }
  // As PackedCoordinate reads it: the hemisphere, then the digits ("N44351").
  std::array<char, 8> packed{};
  packed[0] = text.back();
  std::size_t size = 1;
  for (const char c : text.substr(0, text.size() - 1)) {
    if (c != '.') {
      packed[size++] = c;
    }
  }
  return PackedCoordinate(std::string_view(packed.data(), size), positive, negative, degreeDigits);
}

// "4435.1N07143.4W": a position, minutes with a point.
bool PointedPosition(std::string_view text, Builder& out) {
  if (text.size() != 15) {
    return false;
  }
  const auto latitude = MinutesPointHemisphere(text.substr(0, 7), 2, 'N', 'S');
  const auto longitude = MinutesPointHemisphere(text.substr(7), 3, 'E', 'W');
  if (!latitude || !longitude) {
    return false;
  }
  out.Position(*latitude, *longitude);
  return true;
}

// "0340Z": a time of day, UTC.
std::optional<std::string> ZuluTime(std::string_view text) {
  return text.size() == 5 && text[4] == 'Z' ? TimeOfDay(text.substr(0, 4)) : std::nullopt;
}

bool IsIataPair(std::string_view text) { return text.size() == 6 && AllOf(text, IsUpper); }

// "AC0620/07/08": "AGFSR " or "ETA ", the flight and two days of month.
bool FlightAndDays(std::string_view flight, std::string_view first, std::string_view second) {
  return IsFlight(flight) && Digits(first, 2) && Digits(second, 2);
}

// "281065": the wind's direction and speed, three digits each.
void WindIfRead(std::string_view text, Builder& out) {
  const auto direction = text.size() == 6 ? Digits(text.substr(0, 3), 3) : std::nullopt;
  const auto speed = text.size() == 6 ? Digits(text.substr(3), 3) : std::nullopt;
  if (direction && speed && *direction <= 360) {
    out.Wind(*direction, *speed);
  }
}

// "M52" or "-33": the outside air temperature.
void TemperatureIfRead(std::string_view text, Builder& out) {
  text = Trim(text);
  auto celsius = text.size() == 3 ? LetterCelsius(text) : std::nullopt;
  if (!celsius && text.size() == 3 && (text[0] == '-' || text[0] == '+') && Digits(text.substr(1), 2)) {
    celsius = Number(text);
  }
  if (celsius) {
    out.Temperature(*celsius);
  }
}

// ---- Fuel and destination lead (labels 44, 80) ------------------------------

struct FuelDestinationLead {
  std::string_view fuel;         // "0160" or "----"
  std::string_view destination;  // "KORH"
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::string_view rest;  // what follows the position's comma
};

// "N 38.655" (decimal degrees) or "N3950.1" (minutes with a point).
std::optional<double> LeadCoordinate(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  if (text.size() == degreeDigits + 5 && text.find('.') == degreeDigits + 3 &&
      text.find(' ') == std::string_view::npos) {
    std::array<char, 8> packed{};
    std::size_t size = 0;
    for (const char c : text) {
      if (c != '.') {
        packed[size++] = c;
      }
    }
    return PackedCoordinate(std::string_view(packed.data(), size), positive, negative, degreeDigits);
  }
  return DecimalDegrees(text, positive, negative);
}

// "/FB 0160/AD KORH/N 38.655,W 75.325,": nothing when the text does not lead so.
std::optional<FuelDestinationLead> ReadFuelDestinationLead(std::string_view text) {
  text = Trim(text);
  if (text.size() < 30 || !text.starts_with("/FB ") || text.substr(8, 4) != "/AD " || text[16] != '/' ||
      !IsIcaoCode(text.substr(12, 4))) {
    return std::nullopt;
  }
  const auto firstComma = text.find(',', 17);
  const auto secondComma = firstComma == std::string_view::npos ? firstComma : text.find(',', firstComma + 1);
  if (secondComma == std::string_view::npos) {
    return std::nullopt;
  }
  FuelDestinationLead lead;
  lead.fuel = text.substr(4, 4);
  lead.destination = text.substr(12, 4);
  lead.latitude = LeadCoordinate(text.substr(17, firstComma - 17), 'N', 'S', 2);
  lead.longitude = LeadCoordinate(text.substr(firstComma + 1, secondComma - firstComma - 1), 'E', 'W', 3);
  if (!lead.latitude || !lead.longitude) {
    return std::nullopt;
  }
  lead.rest = text.substr(secondComma + 1);
  return lead;
}

// ---- Coded station messages (labels 5U, 5Z) ---------------------------------

// The message's code, then what follows it up to the first comma.
struct StationCode {
  std::string_view code;
  Kind kind;
};

constexpr std::array<StationCode, 5> kStationCodes = {{
    {"FTM", Kind::kCrewMessageToStation},
    {"WXR", Kind::kWeatherRequest},
    {"WXA", Kind::kWeatherRequest},
    {"IR", Kind::kInRangeReport},
    {"WX", Kind::kWeatherRequest},
}};

const StationCode* StationCodeOf(std::string_view word) {
  for (const StationCode& known : kStationCodes) {
    if (word.starts_with(known.code)) {
      return &known;
    }
  }
  return nullptr;
}

}  // namespace

// "POS/ID50007B,RCH4086,ABB02R70E037/DC10022025,051804/MR103,/ET090738/
// PSN56012W013273,051804,350,,,,,084081,/CG,,/FB0857/VR0322B89" (labels 2P,
// 4J; "INR/ID..." in range, label 80; "SUM/ID..." summary, label 2A): the
// flight (the second piece of ID), the date and time the report was made,
// and in position reports the position, its time, the flight level and the
// temperature. The aircraft's and mission's numbers, MR, ET, CG, FB, SM, NR
// and VR are not read.
std::optional<Decoding> MissionReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (text.size() < 30 || text.substr(3, 3) != "/ID") {
    return std::nullopt;
  }
  const MissionType* type = nullptr;
  for (const MissionType& known : kMissionTypes) {
    if (text.starts_with(known.code)) {
      type = &known;
    }
  }
  const auto items = Split(text.substr(4), '/');
  if (type == nullptr || items.size() < 3 || !items[1].starts_with("DC")) {
    return std::nullopt;
  }
  const auto date = ReadMissionDate(items[1]);
  const auto ids = Split(items[0], ',');
  if (ids.size() != 3 || !AllOf(ids[0].substr(2), IsAlnum) || (!ids[1].empty() && !IsFlight(ids[1])) || !date) {
    return std::nullopt;
  }
  const auto made = OnTextDay(date->day, date->time, message.received);
  Builder out(type->kind, tables);
  if (!ids[1].empty()) {
    out.Text("flight", "Flight", std::string(ids[1]));
  }
  out.TimeOnDay("sent_time", "Sent", date->day, date->time, message.received);
  for (const std::string_view item : items) {
    if (type->kind == Kind::kPositionReport && item.starts_with("PS")) {
      ReadMissionPosition(item, made, out);
    }
  }
  return std::move(out).Finish();
}

// "AGFSR AC0841/21/21/FRAYYZ/1011Z/731/5331.2N00249.6W/320/CRUISE/0595/0124/
// M52/092055/0302/---/535/0853/0910/----/----" (label 4T): the flight, two
// days of month, the route (IATA), the time, a number, the position, the
// flight level, the phase, two numbers, the temperature, the wind, three
// numbers, then out, off, on and in ("----" before they happen). When the
// two days are one, the times are on it (the others the nearest to the
// report's); otherwise they stay times of day, as which of the two days each
// falls on is not sure. The phase and the numbers are not read.
std::optional<Decoding> FlightStatusLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (!text.starts_with("AGFSR ")) {
    return std::nullopt;
  }
  const auto pieces = Split(text.substr(6), '/');
  if (pieces.size() != 20 || !FlightAndDays(pieces[0], pieces[1], pieces[2]) || !IsIataPair(pieces[3])) {
    return std::nullopt;
  }
  auto time = ZuluTime(pieces[4]);
  Builder out(Kind::kPositionReport, tables);
  if (!time || !PointedPosition(pieces[6], out)) {
    return std::nullopt;
  }
  out.Text("flight", "Flight", std::string(pieces[0]));
  out.Text("departure_iata", "Departure (IATA)", std::string(pieces[3].substr(0, 3)));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(pieces[3].substr(3)));
  const auto day = pieces[1] == pieces[2] ? Digits(pieces[1], 2) : std::nullopt;
  const auto dated = day ? OnTextDay({0, 0, *day}, *time, message.received) : std::nullopt;
  if (dated) {
    out.Stamp("report_time", "Time", *dated, false);
  } else {
    out.Time("report_time", "Time", std::move(*time));
  }
  if (const auto feet = FlightLevelFeet(pieces[7])) {
    out.Altitude(*feet);
  }
  TemperatureIfRead(pieces[11], out);
  WindIfRead(pieces[12], out);
  static constexpr std::array<std::array<const char*, 2>, 4> kTimes = {
      {{"out", "Out"}, {"off", "Off"}, {"on", "On"}, {"in", "In"}}};
  for (std::size_t i = 0; i < kTimes.size(); ++i) {
    if (auto at = TimeOfDay(pieces[16 + i]); at && pieces[16 + i].size() == 4) {
      out.TimeNear(kTimes[i][0], kTimes[i][1], dated, std::move(*at));
    }
  }
  return std::move(out).Finish();
}

// "ETA AC7221/13/14 YYZ 0902Z" (label 4T): the flight, two days of month (not
// read), the arrival (IATA) and the estimated arrival.
std::optional<Decoding> FlightEstimateLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = Trim(FirstLine(message.text));
  if (!text.starts_with("ETA ") || text.size() < 24) {
    return std::nullopt;
  }
  const auto words = Split(text.substr(4), ' ');
  if (words.size() != 3) {
    return std::nullopt;
  }
  const auto days = Split(words[0], '/');
  auto eta = ZuluTime(words[2]);
  if (days.size() != 3 || !FlightAndDays(days[0], days[1], days[2]) || words[1].size() != 3 ||
      !AllOf(words[1], IsUpper) || !eta) {
    return std::nullopt;
  }
  Builder out(Kind::kEstimatedArrival, tables);
  out.Text("flight", "Flight", std::string(days[0]));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(words[1]));
  out.Time("eta", "Estimated arrival", std::move(*eta));
  return std::move(out).Finish();
}

// "/FB 0105/AD KCHS/N3950.1,W07548.3,3P01 POSRPT ..." (label 80) and
// "/FB 0160/AD KORH/N 38.655,W 75.325,JBU2834,INA03,KORH,2043" (label 44): a
// lead of the fuel on board, the destination and the position before the
// report itself. Behind it an airline report is read as such; otherwise the
// lead is read with the flight that follows it (the rest is not read).
std::optional<Decoding> FuelDestinationReport(const Message& message, const reference::ReferenceTables& tables) {
  const auto lead = ReadFuelDestinationLead(message.text);
  if (!lead) {
    return std::nullopt;
  }
  Message behind = message;
  behind.text = lead->rest;
  if (auto report = AirlineReport(behind, tables)) {
    return report;
  }
  const std::string_view flight = lead->rest.substr(0, lead->rest.find(','));
  if (!IsFlight(flight) || !IsUpper(flight[0])) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  if (const auto fuel = Digits(lead->fuel, 4)) {
    out.Number("fuel", "Fuel on board", *fuel, "");
  }
  out.Airport("arrival", "Arrival", lead->destination);
  out.Position(*lead->latitude, *lead->longitude);
  out.Text("flight", "Flight", std::string(flight));
  return std::move(out).Finish();
}

// "OS KDFW /WXRKOKC,M56KOKC," and "OS KAUS /FTM" then lines (labels 5U, 5Z):
// the station the message goes to and a code: FTM free text to the station
// (its lines read as the message), WXR, WXA and WX a weather request (the
// airport asked for, when it follows the code), IR in range. Other codes
// ("ALT", "LIF", "CLR") and the figures after them are not read: the message
// then only names its station.
std::optional<Decoding> CodedStationMessage(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view first = Trim(FirstLine(text));
  if (first.size() < 10 || !first.starts_with("OS ") || first.substr(7, 2) != " /" || !IsIcaoCode(first.substr(3, 4))) {
    return std::nullopt;
  }
  const std::string_view word = first.substr(9);
  if (word.size() < 2 || !AllOf(word.substr(0, 2), IsUpper)) {
    return std::nullopt;
  }
  const StationCode* code = StationCodeOf(word);
  Builder out(code != nullptr ? code->kind : Kind::kAirlineMessage, tables);
  out.Airport("station", "Station", first.substr(3, 4));
  if (code != nullptr && code->kind == Kind::kWeatherRequest) {
    const std::string_view asked = word.substr(code->code.size(), 4);
    if (IsIcaoCode(asked)) {
      out.Airport("airport", "Airport", asked);
    }
  } else if (code != nullptr && code->kind == Kind::kCrewMessageToStation) {
    if (std::string lines = LinesAfterFirst(text); !lines.empty()) {
      out.Text("message", "Message", std::move(lines));
    }
  }
  return std::move(out).Finish();
}

// "/TXT" then lines (label 5Z): free text, its lines read as the message.
std::optional<Decoding> FreeTextLines(const Message& message, const reference::ReferenceTables& tables) {
  if (Trim(FirstLine(message.text)) != "/TXT") {
    return std::nullopt;
  }
  std::string lines = LinesAfterFirst(message.text);
  if (lines.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kFreeText, tables);
  out.Text("message", "Message", std::move(lines));
  return std::move(out).Finish();
}

// "DefaultRpt01/F-GSQD 081812" or "CabinDef01/F-GSPS 311128", then the
// defects, a line each (label 2M): the report's name, the aircraft, the day
// and time sent (DDHHMM), and the lines as the message ("AIRCRAFT:" and
// "CABIN:" head their groups).
std::optional<Decoding> CabinDefectReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view first = Trim(FirstLine(message.text));
  const auto slash = first.find("01/");
  if (slash == std::string_view::npos || slash < 6 || first.size() < slash + 11 || first[first.size() - 7] != ' ') {
    return std::nullopt;
  }
  const std::string_view name = first.substr(0, slash);
  const std::string_view tail = first.substr(slash + 3, first.size() - 7 - slash - 3);
  const std::string_view when = first.substr(first.size() - 6);
  const auto day = Digits(when.substr(0, 2), 2);
  const auto time = TimeOfDay(when.substr(2));
  if (!(name == "DefaultRpt" || name == "CabinDef") || tail.size() < 4 || tail.size() > 7 || !day || *day < 1 ||
      *day > 31 || !time || tail.find(' ') != std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(Kind::kMaintenanceMessage, tables);
  out.Text("tail", "Aircraft", std::string(tail));
  out.TimeOnDay("sent_time", "Sent", {0, 0, *day}, *time, message.received);
  if (std::string lines = LinesAfterFirst(message.text); !lines.empty()) {
    out.Text("message", "Message", std::move(lines));
  }
  return std::move(out).Finish();
}

// "71,J,1146,5,2,KTYS,37.35,-81.78,37.34,-81.78,35,295052,-56,71.1,7528,17,35,
// 445,426,74215EB" (label 36): two digits and a letter, the time (HHMM), two
// digits, an airport, two positions a few hundred metres apart (signed
// decimal degrees), a number, the wind, the temperature, numbers and a check
// code. The first position is read with the time, wind and temperature; the
// airport (ahead or behind is not sure), the second position and the numbers
// are not.
std::optional<Decoding> WeatherPositionRecord(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), ',');
  if (pieces.size() != 20 || !Digits(pieces[0], 2) || pieces[1].size() != 1 || !IsUpper(pieces[1][0]) ||
      !IsIcaoCode(pieces[5]) || !Digits(pieces[3], 1) || !Digits(pieces[4], 1)) {
    return std::nullopt;
  }
  auto time = TimeOfDay(pieces[2]);
  const auto latitude = Number(pieces[6]);
  const auto longitude = Number(pieces[7]);
  if (!time || pieces[2].size() != 4 || !latitude || !longitude || *latitude < -90 || *latitude > 90 ||
      *longitude < -180 || *longitude > 180) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Time("report_time", "Time", std::move(*time));
  WindIfRead(pieces[11], out);
  if (const auto celsius = Number(pieces[12]); celsius && *celsius >= -99 && *celsius <= 60) {
    out.Temperature(*celsius);
  }
  return std::move(out).Finish();
}

// "H,H,09DEC19 14:11:49,14357414,09DEC,5120,KSCK,KLAX,4620," and
// "D,H3,1912081232,08DEC,4292,KGSO,KEWR,5500,FF04,Y,..." (label 28): two
// codes, a time stamp, (in "H") a number, the flight's date (DDMMM), the
// flight number and the route. The stamp, the date and the numbers after
// the route are not read.
std::optional<Decoding> FlightDateRecord(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), ',');
  if (pieces.size() < 8 || (pieces[0] != "H" && pieces[0] != "D")) {
    return std::nullopt;
  }
  const std::size_t date = pieces[0] == "H" ? 4 : 3;
  const std::string_view flight = pieces[date + 1];
  if (pieces[date].size() != 5 || !Digits(pieces[date].substr(0, 2), 2) || !AllOf(pieces[date].substr(2), IsUpper) ||
      flight.empty() || flight.size() > 5 || !AllOf(flight, IsDigit) || !IsIcaoCode(pieces[date + 2]) ||
      !IsIcaoCode(pieces[date + 3])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(flight));
  out.Airport("departure", "Departure", pieces[date + 2]);
  out.Airport("arrival", "Arrival", pieces[date + 3]);
  return std::move(out).Finish();
}

// "DIS01,191620,WEN3195,MORNING! YQU LOOKS" then lines (label 4A): a
// dispatch message, six digits (a day and time or a time with seconds: not
// read), the flight and the message.
std::optional<Decoding> DispatchLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (!text.starts_with("DIS01,") || text.size() < 16 || !Digits(text.substr(6, 6), 6) || text[12] != ',') {
    return std::nullopt;
  }
  const auto comma = text.find(',', 13);
  const std::string_view flight = comma == std::string_view::npos ? std::string_view() : text.substr(13, comma - 13);
  if (!IsFlight(flight) || !IsUpper(flight[0])) {
    return std::nullopt;
  }
  std::string words(Trim(FirstLine(text.substr(comma + 1))));
  if (std::string lines = LinesAfterFirst(text); !lines.empty()) {
    words.append(words.empty() ? "" : " ").append(lines);
  }
  Builder out(Kind::kDispatchMessage, tables);
  out.Text("flight", "Flight", std::string(flight));
  if (!words.empty()) {
    out.Text("message", "Message", std::move(words));
  }
  return std::move(out).Finish();
}

// "AF0083/08082356KSFOLFPG" then "23182350" (label 2N): the flight, the day
// of month written twice, the time sent and the route; the second line is
// not read.
std::optional<Decoding> FlightDayRoute(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view first = Trim(FirstLine(message.text));
  const auto slash = first.find('/');
  if (slash == std::string_view::npos || first.size() != slash + 17) {
    return std::nullopt;
  }
  const std::string_view flight = first.substr(0, slash);
  const std::string_view when = first.substr(slash + 1, 8);
  const auto time = TimeOfDay(when.substr(4));
  const auto day = Digits(when.substr(0, 2), 2);
  if (!IsFlight(flight) || !IsUpper(flight[0]) || !Digits(when.substr(0, 4), 4) || !time ||
      !IsIcaoCode(first.substr(slash + 9, 4)) || !IsIcaoCode(first.substr(slash + 13, 4))) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(flight));
  if (when.substr(0, 2) == when.substr(2, 2) && *day >= 1 && *day <= 31) {
    out.TimeOnDay("sent_time", "Sent", {0, 0, *day}, *time, message.received);
  } else {
    out.Time("sent_time", "Sent", *time);
  }
  out.Airport("departure", "Departure", first.substr(slash + 9, 4));
  out.Airport("arrival", "Arrival", first.substr(slash + 13, 4));
  return std::move(out).Finish();
}

// ---- More short forms --------------------------------------------------------

namespace {

// The text's lines, each without its CR and the spaces around it.
std::vector<std::string_view> TrimmedLines(std::string_view text) {
  auto lines = Split(text, '\n');
  for (std::string_view& line : lines) {
    line = Trim(line.substr(0, line.find('\r')));
  }
  return lines;
}

// The words of a line, however many spaces part them.
std::vector<std::string_view> WordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  for (const std::string_view word : Split(line, ' ')) {
    if (!word.empty()) {
      words.push_back(word);
    }
  }
  return words;
}

bool IsIataCode(std::string_view text) { return text.size() == 3 && AllOf(text, IsUpper); }

// "4202": a transponder code, four octal digits.
bool IsTransponderCode(std::string_view text) {
  return text.size() == 4 && AllOf(text, [](char c) { return c >= '0' && c <= '7'; });
}

// "N5043.5E01121.8": a position with minutes and a point, the hemisphere first.
bool HemisphereFirstPosition(std::string_view text, Builder& out) {
  const auto split = FindAnyOf(text, "EW");
  if (split == std::string_view::npos) {
    return false;
  }
  const auto latitude = LeadCoordinate(text.substr(0, split), 'N', 'S', 2);
  const auto longitude = LeadCoordinate(text.substr(split), 'E', 'W', 3);
  if (!latitude || !longitude || text.find(' ') != std::string_view::npos) {
    return false;
  }
  out.Position(*latitude, *longitude);
  return true;
}

// What a weather position report's "/POS" and "/OVR" items give: the
// aircraft's position and time, then the next and the following waypoints.
struct WeatherReportPoints {
  bool positionRead = false;
  int waypointsSeen = 0;
};

void ReadWeatherReportItem(std::string_view tag, std::string_view value, WeatherReportPoints& points, Builder& out) {
  if (tag == "POS") {
    if (!points.positionRead) {
      points.positionRead = HemisphereFirstPosition(value, out);
      return;
    }
    if (!value.empty() && value.size() <= 8 && IsUpper(value[0]) && AllOf(value, IsAlnum) && points.waypointsSeen < 2) {
      out.Text(points.waypointsSeen == 0 ? "next_waypoint" : "following_waypoint",
               points.waypointsSeen == 0 ? "Next waypoint" : "Following waypoint", std::string(value));
      ++points.waypointsSeen;
    }
  } else if (tag == "OVR") {
    auto time = value.size() == 4 ? TimeOfDay(value) : std::nullopt;
    if (time && points.positionRead && points.waypointsSeen == 0) {
      out.Time("report_time", "Time", std::move(*time));
    } else if (time && points.waypointsSeen == 1) {
      out.Time("next_waypoint_eta", "Next waypoint at", std::move(*time));
    }
  } else if (tag == "ALT") {
    if (const auto feet = FlightLevelFeet(value)) {
      out.Altitude(*feet);
    }
  } else if (tag == "TAS") {
    if (const auto knots = Digits(value, 3)) {
      out.Number("true_airspeed_kt", "True airspeed", *knots, "kt");
    }
  } else if (tag == "SAT") {
    if (const auto celsius = Number(value); celsius && value.size() == 4 && *celsius >= -99 && *celsius <= 60) {
      out.Temperature(*celsius);
    }
  } else if (tag == "WND") {
    WindIfRead(value, out);
  }
}

}  // namespace

// "FLIGHT 2380/01 ABQ - PHX" / "PDC" / "AAL2380 XPNDR 4202" / the route
// (label 40): a pre-departure clearance: the flight (the call sign of the
// third line when it ends in the flight's number), the route (IATA) and the
// transponder code. The day, the aircraft line and the route are not read.
std::optional<Decoding> DepartureClearance(const Message& message, const reference::ReferenceTables& tables) {
  const auto lines = TrimmedLines(message.text);
  if (lines.size() < 3 || !lines[0].starts_with("FLIGHT ") || lines[1] != "PDC") {
    return std::nullopt;
  }
  const auto heading = WordsOf(lines[0]);
  const auto assigned = WordsOf(lines[2]);
  if (heading.size() != 5 || heading[3] != "-" || !IsIataCode(heading[2]) || !IsIataCode(heading[4]) ||
      assigned.size() != 3 || assigned[1] != "XPNDR" || !IsTransponderCode(assigned[2])) {
    return std::nullopt;
  }
  const std::string_view number = heading[1].substr(0, heading[1].find('/'));
  if (number.empty() || number.size() > 4 || !AllOf(number, IsDigit)) {
    return std::nullopt;
  }
  Builder out(Kind::kDepartureClearance, tables);
  const bool callSign = IsFlight(assigned[0]) && IsUpper(assigned[0][0]) && assigned[0].ends_with(number);
  out.Text("flight", "Flight", std::string(callSign ? assigned[0] : number));
  out.Text("departure_iata", "Departure (IATA)", std::string(heading[2]));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(heading[4]));
  out.Text("transponder_code", "Transponder code", std::string(assigned[2]));
  return std::move(out).Finish();
}

// "LOAD CLOSEOUT RVSN 00 1800L" / "2380 ABQ-PHX N758" / "TOW 114533" / ...
// (label 40): the load closeout: the flight number and the route (IATA).
// The revision, the aircraft, the weights (no unit given), fuel, balance and
// the passenger counts are not read.
std::optional<Decoding> LoadCloseout(const Message& message, const reference::ReferenceTables& tables) {
  const auto lines = TrimmedLines(message.text);
  if (lines.size() < 2 || !lines[0].starts_with("LOAD CLOSEOUT ")) {
    return std::nullopt;
  }
  const auto words = WordsOf(lines[1]);
  if (words.size() < 2 || words[0].size() > 4 || !AllOf(words[0], IsDigit) || words[1].size() != 7 ||
      words[1][3] != '-' || !IsIataCode(words[1].substr(0, 3)) || !IsIataCode(words[1].substr(4))) {
    return std::nullopt;
  }
  Builder out(Kind::kLoadsheet, tables);
  out.Text("flight", "Flight", std::string(words[0]));
  out.Text("departure_iata", "Departure (IATA)", std::string(words[1].substr(0, 3)));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(words[1].substr(4)));
  return std::move(out).Finish();
}

// "10,WX,131318,DHK3998,13,EGNX,BIKF,7333168,EGPH,EGPD,EGPO,1,0," (label 5U):
// a weather request for a flight: the flight and its route. The numbers and
// the airports after the route are not read.
std::optional<Decoding> FlightWeatherRequest(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), ',');
  if (pieces.size() < 8 || !Digits(pieces[0], 2) || pieces[1] != "WX" || !Digits(pieces[2], 6) ||
      !IsFlight(pieces[3]) || !IsUpper(pieces[3][0]) || !IsIcaoCode(pieces[5]) || !IsIcaoCode(pieces[6])) {
    return std::nullopt;
  }
  Builder out(Kind::kWeatherRequest, tables);
  out.Text("flight", "Flight", std::string(pieces[3]));
  out.Airport("departure", "Departure", pieces[5]);
  out.Airport("arrival", "Arrival", pieces[6]);
  return std::move(out).Finish();
}

// "4J01 POSWX 0318/20 ETAD/ETAD .00318S" then "/POS N5043.5E01121.8/OVR 0817",
// "/ALT 270/TFW 1342/TAS 490/SAT -032", "/POS GOVEN /OVR 0835", "/POS DILVI",
// "/WND 334060/TRB /SKY DCC3" (label 4J): a position report with weather:
// the route, the position and its time, the flight level, true airspeed,
// temperature and wind, the next waypoint and its time and the one after.
// The flight, the aircraft, TFW, turbulence and sky are not read.
std::optional<Decoding> WeatherPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  const auto lines = TrimmedLines(message.text);
  const auto heading = WordsOf(lines[0]);
  if (heading.size() < 4 || heading[0].size() != 4 || !AllOf(heading[0], IsAlnum) || heading[1] != "POSWX") {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  for (const std::string_view word : heading) {
    if (word.size() == 9 && word[4] == '/' && IsIcaoCode(word.substr(0, 4)) && IsIcaoCode(word.substr(5))) {
      out.Airport("departure", "Departure", word.substr(0, 4));
      out.Airport("arrival", "Arrival", word.substr(5));
      break;
    }
  }
  WeatherReportPoints points;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].starts_with('/')) {
      continue;
    }
    for (const std::string_view item : Split(lines[i].substr(1), '/')) {
      const auto space = item.find(' ');
      if (space != std::string_view::npos) {
        ReadWeatherReportItem(item.substr(0, space), Trim(item.substr(space)), points, out);
      }
    }
  }
  if (!points.positionRead) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "3C01 POS N39328W077307  ,,143700,               ,      ,      ,P47,124,0069"
// (label 80): the position (packed, tenths of minutes) and its time; the
// empty pieces and the numbers after are not read.
std::optional<Decoding> CommaPositionLine(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), ',');
  if (pieces.size() < 4 || pieces[0].size() < 22 || pieces[0].substr(4, 5) != " POS " ||
      !AllOf(pieces[0].substr(0, 4), IsAlnum) || !Trim(pieces[0].substr(22)).empty() || !pieces[1].empty() ||
      pieces[2].size() != 6) {
    return std::nullopt;
  }
  const std::string_view position = pieces[0].substr(9, 13);
  const auto latitude = PackedCoordinate(position.substr(0, 6), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(position.substr(6), 'E', 'W', 3);
  auto time = TimeOfDay(pieces[2]);
  if (!latitude || !longitude || !time) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Time("report_time", "Time", std::move(*time));
  return std::move(out).Finish();
}

// " /190812/1522/05RB/32937/N 50.569/E 15.460/46/1551/" (label 24): six
// digits, four digits, a code, the altitude (feet), the position (decimal
// degrees), two numbers. Only the altitude and the position are read.
std::optional<Decoding> SlashAltitudePosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), '/');
  if (pieces.size() != 10 || !pieces[0].empty() || !pieces[9].empty() || !Digits(pieces[1], 6) ||
      !Digits(pieces[2], 4) || pieces[3].size() != 4 || !AllOf(pieces[3], IsAlnum) || !Digits(pieces[4], 5)) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(pieces[5], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[6], 'E', 'W');
  const auto feet = Digits(pieces[4], 5);
  if (!latitude || !longitude || *feet > 60000) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// "OFF02XA0000/N38568 W077261251152KIADEPRZ1152****1958" and "OFF02" then
// "KBWI,KIND,1237,18.4" (label 22): an off report. The first: six places
// (not read), the position (degrees and minutes in tenths), the day and time
// (DDHHMM), the route and the off time (on that day); "****" and the last
// four digits are not read. The second: the route and the off time; the
// last number is not read.
std::optional<Decoding> OffReportLines(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (!text.starts_with("OFF02")) {
    return std::nullopt;
  }
  Builder out(Kind::kOffReport, tables);
  const std::string_view first = Trim(FirstLine(text));
  if (first.size() == 5) {
    const auto lines = TrimmedLines(text);
    const auto pieces = lines.size() > 1 ? Split(lines[1], ',') : std::vector<std::string_view>{};
    auto off = pieces.size() == 4 && pieces[2].size() == 4 ? TimeOfDay(pieces[2]) : std::nullopt;
    if (!off || !IsIcaoCode(pieces[0]) || !IsIcaoCode(pieces[1])) {
      return std::nullopt;
    }
    out.Airport("departure", "Departure", pieces[0]);
    out.Airport("arrival", "Arrival", pieces[1]);
    out.Time("off", "Off", std::move(*off));
    return std::move(out).Finish();
  }
  if (first.size() < 49 || first[11] != '/' || first[18] != ' ') {
    return std::nullopt;
  }
  const auto latitude = PackedCoordinate(first.substr(12, 6), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(first.substr(19, 7), 'E', 'W', 3);
  const auto day = Digits(first.substr(26, 2), 2);
  const auto sent = TimeOfDay(first.substr(28, 4));
  auto off = TimeOfDay(first.substr(40, 4));
  if (!latitude || !longitude || !day || !sent || !off || !IsIcaoCode(first.substr(32, 4)) ||
      !IsIcaoCode(first.substr(36, 4))) {
    return std::nullopt;
  }
  out.Position(*latitude, *longitude);
  out.Airport("departure", "Departure", first.substr(32, 4));
  out.Airport("arrival", "Arrival", first.substr(36, 4));
  out.TimeOnDay("off", "Off", {0, 0, *day}, std::move(*off), message.received);
  return std::move(out).Finish();
}

// "/IR CLT0100011/UM /WC 01/IB /ETA 2228" then lines (label 5Z): in range:
// the station (IATA) and seven digits (not read), service items ("UM",
// "WC 01", "IB": not read), the estimated arrival, and the lines after as
// the message.
std::optional<Decoding> InRangeLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view first = Trim(FirstLine(message.text));
  if (!first.starts_with("/IR ") || first.size() < 14 || !IsIataCode(first.substr(4, 3)) ||
      !Digits(first.substr(7, 7), 7)) {
    return std::nullopt;
  }
  Builder out(Kind::kInRangeReport, tables);
  out.Text("station_iata", "Station (IATA)", std::string(first.substr(4, 3)));
  for (const std::string_view item : Split(first.substr(1), '/')) {
    if (item.starts_with("ETA ")) {
      if (auto eta = item.size() == 8 ? TimeOfDay(item.substr(4)) : std::nullopt) {
        out.Time("eta", "Estimated arrival", std::move(*eta));
      }
    }
  }
  if (std::string lines = LinesAfterFirst(message.text); !lines.empty()) {
    out.Text("message", "Message", std::move(lines));
  }
  return std::move(out).Finish();
}

// "OG0704/06/230942/N39.214/W76.106/22683/N/" (label 58): the flight and the
// position (decimal degrees); the two numbers before the position, the one
// after and the letter are not read.
std::optional<Decoding> SlashFlightPosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(Trim(FirstLine(message.text)), '/');
  if (pieces.size() != 8 || !IsFlight(pieces[0]) || !IsUpper(pieces[0][0]) || !Digits(pieces[1], 2) ||
      !Digits(pieces[2], 6) || !pieces[7].empty()) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(pieces[3], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[4], 'E', 'W');
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Text("flight", "Flight", std::string(pieces[0]));
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
