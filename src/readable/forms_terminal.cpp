// The other terminal (label H1) forms, behind the sending terminal's prefix
// ("#M1B", "#DFB", "- #MD", "/."...):
//   flight management flight plans, progress and position items, checksummed:
//     "FPN/FNAAL2380/RP:DA:KPHX:AA:KABQ:R:07L(08O):D:FORPE1.SJN:...9D06"
//     "PRG/DTEHAM,18R,207,085235,041/FNDAL162/TS080747,090223AE30"
//     "POS/TS100316,210324/PSS35333W058220,,100316,250,...813E711"
//   flight data acquisition reports:
//     "++86501,N8719Q,B7378MAX,260202,WN2340,KMDW,KPHX,...\r\n6\r\nN3548.5,..."
//     "72740,8560,B737-800,260201,WN4899,KPHX,KSTL,...\r\n23.58.47,CR,..."
//     "76401\r\n02E02KPHXKSTL\r\nN34743W10790200073702M057248030G..."
//     "ABS001DA_N8719Q  KMDWKPHX287\r\n 35322-1078960003037993-585264034..."
//     "6342787,-1080968,350,01641,451,0229,1/C70000058,..." (a later block)
//   condition monitoring reports: "A38/A32138,1,1/C1TRP,000913,KPSP,KDFW,...",
//     "A02/A32102,1,1/CCN534UW,FEB01,235529,KCLT,KLAS,...",
//     "R04/A33004,1,1\r\nC1,.VH-EBR,25MAR16,02.01.30,YSSY,RPLL,QFA19 ,..."
//   fault and warning records: "FLR/FR24030411230034583106FWC2 :NO DATA...",
//     "WRN/WN24030400580028000006FUEL L TK PUMP 1 2 LO PR "
//   and positions: "YSSY,KSFO,101621,- 4.9985,-169.9820,35003,...",
//     "TRP 003451  33.9963 -109.5385 332 ..." and "*WOB...N35310W107519...".
#include <algorithm>
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kFlightData = Kind::kFlightDataReport;
constexpr Kind kConditionReport = Kind::kConditionReport;
constexpr Kind kPositionReport = Kind::kPositionReport;

bool AllDigits(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit); }

// The text's first four lines, the CR of each CR LF dropped: the forms read
// no further, and nothing is allocated.
class FirstLines {
 public:
  explicit FirstLines(std::string_view text) {
    while (count_ < lines_.size()) {
      const auto end = text.find('\n');
      std::string_view line = text.substr(0, end);
      if (line.ends_with('\r')) {
        line.remove_suffix(1);
      }
      lines_[count_++] = line;
      if (end == std::string_view::npos) {
        break;
      }
      text.remove_prefix(end + 1);
    }
  }
  [[nodiscard]] std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t at) const { return lines_[at]; }

 private:
  std::array<std::string_view, 4> lines_{};
  std::size_t count_ = 0;
};

// "N3421.9" or "W10912.9": degrees, then minutes with one decimal.
std::optional<double> DegreesAndMinutes(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 5 || (text[0] != positive && text[0] != negative) ||
      text[degreeDigits + 3] != '.') {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(1, degreeDigits), degreeDigits);
  const auto minutes = Digits(text.substr(degreeDigits + 1, 2), 2);
  const auto tenths = Digits(text.substr(degreeDigits + 4, 1), 1);
  if (!degrees || !minutes || !tenths || *minutes >= 60) {
    return std::nullopt;
  }
  const double value = *degrees + (*minutes + *tenths / 10.0) / 60.0;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// "N34743" or "W107902": degrees with three decimals and no point.
std::optional<double> ThousandthDegrees(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 4 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const auto value = Digits(text.substr(1), degreeDigits + 3);
  if (!value || *value > (positive == 'N' ? 90000 : 180000)) {
    return std::nullopt;
  }
  return (text[0] == positive ? 1 : -1) * (*value / 1000.0);
}

// "341606" or "-1099966": signed degrees with four decimals and no point.
std::optional<double> TenThousandthDegrees(std::string_view text, double limit) {
  const std::size_t digits = text.starts_with('-') ? text.size() - 1 : text.size();
  if (digits < 5 || digits > 7) {
    return std::nullopt;
  }
  const auto value = Digits(text.substr(text.size() - digits), digits);
  if (!value || *value > limit * 10000) {
    return std::nullopt;
  }
  return (text.starts_with('-') ? -1 : 1) * (*value / 10000.0);
}

// A whole number within [low, high].
std::optional<double> WholeIn(std::string_view text, double low, double high) {
  const auto value = Number(text);
  if (!value || *value < low || *value > high || *value != static_cast<double>(static_cast<long>(*value))) {
    return std::nullopt;
  }
  return value;
}

// "N8719Q": a registration with a digit in it, beginning with a letter.
bool IsRegistration(std::string_view text) {
  bool digit = false;
  for (const char c : text) {
    digit = digit || IsDigit(c);
    if (!IsAlnum(c) && c != '-') {
      return false;
    }
  }
  return text.size() >= 4 && text.size() <= 8 && IsUpper(text[0]) && digit;
}

// "VH-EBR", "7T-VJX": a registration where the form says one stands
// (letters, digits and "-", with a letter).
bool IsMarkedRegistration(std::string_view text) {
  const bool letter = std::any_of(text.begin(), text.end(), IsUpper);
  const bool allowed = std::all_of(text.begin(), text.end(), [](char c) { return IsAlnum(c) || c == '-'; });
  return text.size() >= 3 && text.size() <= 8 && letter && allowed;
}

// "HH.MM.SS" as "HH:MM:SS".
std::optional<std::string> DottedTime(std::string_view text) {
  if (text.size() != 8 || text[2] != '.' || text[5] != '.') {
    return std::nullopt;
  }
  std::string digits;
  digits += text.substr(0, 2);
  digits += text.substr(3, 2);
  digits += text.substr(6, 2);
  return TimeOfDay(digits);
}

void Route(Builder& out, std::string_view departure, std::string_view arrival) {
  if (IsAirport(departure)) {
    out.Airport("departure", "Departure", departure);
  }
  if (IsAirport(arrival)) {
    out.Airport("arrival", "Arrival", arrival);
  }
}

void FlightIfNumber(Builder& out, std::string_view text) {
  if (const auto flight = FlightNumber(text)) {
    out.Text("flight", "Flight", *flight);
  }
}

// --- The airline's flight data acquisition reports --------------------------

// "86501,N8719Q,B7378MAX,260202,WN2340,KMDW,KPHX,0106,SMX..." (the report's
// code, the tail or some of it, the type, the date YYMMDD, the flight and the
// route); the pieces, or nothing when the line is not such a heading.
std::optional<std::vector<std::string_view>> DataHeading(std::string_view line) {
  if (line.size() < 30 || line[5] != ',') {
    return std::nullopt;
  }
  for (const char c : line.substr(0, 5)) {
    if (!IsAlnum(c)) {
      return std::nullopt;
    }
  }
  auto pieces = Split(line, ',');
  if (pieces.size() < 7 || !Digits(pieces[3], 6) || !IsIcaoCode(pieces[5]) || !IsIcaoCode(pieces[6]) ||
      !FlightNumber(pieces[4])) {
    return std::nullopt;
  }
  return pieces;
}

void DataHeadingFields(Builder& out, const std::vector<std::string_view>& heading) {
  if (IsRegistration(heading[1])) {
    out.Text("tail", "Aircraft", std::string(heading[1]));
  }
  out.Text("flight", "Flight", *FlightNumber(heading[4]));
  Route(out, heading[5], heading[6]);
}

// "N3548.5,W10608.3,010000,37995,-60.5,270,037,ER,00000,0,": position,
// altitude (feet), outside air temperature, wind direction and speed.
bool TrackRow(std::string_view line, Builder& out) {
  const auto pieces = Split(line, ',');
  if (pieces.size() < 8) {
    return false;
  }
  const auto latitude = DegreesAndMinutes(pieces[0], 'N', 'S', 2);
  const auto longitude = DegreesAndMinutes(pieces[1], 'E', 'W', 3);
  const auto feet = Digits(pieces[3], 5);
  const auto celsius = Number(pieces[4]);
  const auto direction = WholeIn(pieces[5], 0, 360);
  const auto speed = WholeIn(pieces[6], 0, 300);
  if (!latitude || !longitude || !feet || !celsius || *celsius < -99 || *celsius > 60 || !direction || !speed) {
    return false;
  }
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  out.Temperature(*celsius);
  out.Wind(*direction, *speed);
  return true;
}

// "++86501,N8719Q,B7378MAX,260202,WN2340,KMDW,KPHX,0106,SMX34-2502-F320
//  6
//  N3548.5,W10608.3,010000,37995,-60.5,270,037,ER,00000,0,
//  ...": the heading, the count of rows, then rows; the first row is read.
std::optional<Decoding> FlightDataTrack(std::string_view body, const reference::ReferenceTables& tables) {
  const FirstLines lines(body.substr(2));
  const auto heading = DataHeading(lines[0]);
  if (!heading || lines.size() < 3 || !Digits(lines[1], lines[1].size()) || lines[1].size() > 2) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  DataHeadingFields(out, *heading);
  TrackRow(lines[2], out);
  return std::move(out).Finish();
}

// "0000,37999,-59.8,265,034,ER,00000,0,
//  N3529.3,W10718.2,010000,37997,-58.8,264,033,ER,00000,0,
//  ...": the later block of a samples report, its first line cut; the first
// whole sample (the second line) is read when it has its flight phase.
std::optional<Decoding> FlightDataTrackRest(std::string_view body, const reference::ReferenceTables& tables) {
  const auto lineEnd = body.find("\r\n");
  if (lineEnd == std::string_view::npos || body.size() < lineEnd + 2 + 45) {
    return std::nullopt;
  }
  const std::string_view rest = body.substr(lineEnd + 2);
  const std::string_view row = rest.substr(0, rest.find("\r\n"));
  const auto pieces = Split(row, ',');
  if (pieces.size() < 10 || pieces[7].size() != 2 || !IsUpper(pieces[7][0]) || !IsUpper(pieces[7][1])) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  if (!TrackRow(row, out)) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "72740,8560,B737-800,260201,WN4899,KPHX,KSTL,0994,SW2501
//  23.58.47,CR,1899,37026,255.0,.788,-57.5,-30.8,N3421.9,W10912.9,153920
//  ...": the heading, then the time, flight phase, altitude, airspeed,
// Mach, outside and total air temperature and the position; what follows
// (engine and system readings) is not read.
std::optional<Decoding> FlightDataSnapshot(std::string_view body, const reference::ReferenceTables& tables) {
  const FirstLines lines(body);
  const auto heading = DataHeading(lines[0]);
  if (!heading || lines.size() < 2) {
    return std::nullopt;
  }
  const auto pieces = Split(lines[1], ',');
  if (pieces.size() < 10) {
    return std::nullopt;
  }
  const auto time = DottedTime(pieces[0]);
  const auto feet = Digits(pieces[3], 5);
  const auto mach = Number(pieces[5]);
  const auto celsius = Number(pieces[6]);
  const auto latitude = DegreesAndMinutes(pieces[8], 'N', 'S', 2);
  const auto longitude = DegreesAndMinutes(pieces[9], 'E', 'W', 3);
  if (!time || !feet || !mach || *mach <= 0 || *mach >= 1 || !celsius || *celsius < -99 || *celsius > 60 || !latitude ||
      !longitude) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  DataHeadingFields(out, *heading);
  out.Time("report_time", "Time", *time);
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  out.Mach(*mach);
  out.Temperature(*celsius);
  return std::move(out).Finish();
}

// "76401
//  02E02KPHXKSTL
//  N34743W10790200073702M057248030G0000220030PSZ": the route, then rows of
// position (thousandths of a degree), time HHMM, altitude in tens of feet,
// outside air temperature (M minus, P plus), wind direction and speed; the
// first row is read.
std::optional<Decoding> PackedFlightData(std::string_view body, const reference::ReferenceTables& tables) {
  const FirstLines lines(body);
  if (lines.size() < 3 || !Digits(lines[0], 5) || lines[1].size() != 13 || lines[2].size() < 35) {
    return std::nullopt;
  }
  const std::string_view row = lines[2];
  const auto latitude = ThousandthDegrees(row.substr(0, 6), 'N', 'S', 2);
  const auto longitude = ThousandthDegrees(row.substr(6, 7), 'E', 'W', 3);
  const auto time = TimeOfDay(row.substr(13, 4));
  const auto tensOfFeet = Digits(row.substr(17, 4), 4);
  const auto celsius = Digits(row.substr(22, 3), 3);
  const auto direction = Digits(row.substr(25, 3), 3);
  const auto speed = Digits(row.substr(28, 3), 3);
  const char sign = row[21];
  if (!IsIcaoCode(lines[1].substr(5, 4)) || !IsIcaoCode(lines[1].substr(9, 4)) || !latitude || !longitude || !time ||
      !tensOfFeet || !celsius || (sign != 'M' && sign != 'P') || !direction || *direction > 360 || !speed) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  Route(out, lines[1].substr(5, 4), lines[1].substr(9, 4));
  out.Position(*latitude, *longitude);
  out.Time("report_time", "Time", *time);
  out.Altitude(*tensOfFeet * 10.0);
  out.Temperature(sign == 'M' ? -*celsius : *celsius);
  out.Wind(*direction, *speed);
  return std::move(out).Finish();
}

// "342787,-1080968,350,01641,451,0229,1/C70000058,...": the sixth record
// (tag "C6") of a flight data feed, whose first block is not at hand:
// latitude and longitude (ten-thousandths of a degree), then numbers not
// read. The record must run, piece by piece, up to the next record "/C7".
std::optional<Decoding> FeedPositionRecord(std::string_view record, const reference::ReferenceTables& tables) {
  const auto end = record.substr(0, 48).find("/C7");
  if (end == std::string_view::npos) {
    return std::nullopt;
  }
  const auto pieces = Split(record.substr(0, end), ',');
  constexpr std::array<std::size_t, 5> kWidths = {3, 5, 3, 4, 1};
  if (pieces.size() != 7) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < kWidths.size(); ++i) {
    if (pieces[i + 2].size() != kWidths[i] || !AllDigits(pieces[i + 2])) {
      return std::nullopt;
    }
  }
  const auto latitude = TenThousandthDegrees(pieces[0], 90);
  const auto longitude = TenThousandthDegrees(pieces[1], 180);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

// A block of the flight data feed that begins inside its position record
// ("6342787,-1080968,...", the record's tag "C" cut off before the "6") or
// holds "/C6" within its first line's start.
std::optional<Decoding> FeedPositionBlock(std::string_view body, const reference::ReferenceTables& tables) {
  if (body[0] == '6' && body.size() > 8 && (body[7] == ',' || body[8] == ',')) {
    return FeedPositionRecord(body.substr(1), tables);
  }
  const auto tag = body.substr(0, 48).find("/C6");
  if (tag != std::string_view::npos) {
    return FeedPositionRecord(body.substr(tag + 3), tables);
  }
  return std::nullopt;
}

// "ABS001DA_N8719Q  KMDWKPHX287
//   35322-1078960003037993-585264034X20W/X0100150000--": tail and route,
// then rows of latitude and longitude (thousandths of a degree), a time,
// altitude (feet), outside air temperature (whole degrees then tenths:
// "-585" is -58.5; "-54-" gives no tenths), wind direction and speed; the first row is read, but not its
// time, which does not always run with the others.
std::optional<Decoding> FlightDataBlock(std::string_view body, const reference::ReferenceTables& tables) {
  const FirstLines lines(body);
  const std::string_view heading = lines[0];
  if (lines.size() < 2 || heading.size() < 25 || heading[8] != '_' || heading[16] != ' ' || lines[1].size() < 33) {
    return std::nullopt;
  }
  const std::string_view tail = Trim(heading.substr(9, 8));
  const std::string_view row = lines[1];
  const auto latitude = Number(row.substr(0, 6));
  const auto longitude = Number(row.substr(6, 7));
  const auto feet = Number(row.substr(17, 6));
  const bool tenths = row[26] >= '0' && row[26] <= '9';
  const auto celsius = Number(row.substr(23, tenths ? 4 : 3));
  const auto direction = WholeIn(row.substr(27, 3), 0, 360);
  const auto speed = WholeIn(row.substr(30, 3), 0, 300);
  if (!IsRegistration(tail) || !IsAirport(heading.substr(17, 4)) || !IsAirport(heading.substr(21, 4)) ||
      row.substr(0, 13).find('.') != std::string_view::npos || !latitude || !longitude || !feet || !celsius ||
      !direction || !speed) {
    return std::nullopt;
  }
  Builder out(kFlightData, tables);
  out.Text("tail", "Aircraft", std::string(tail));
  Route(out, heading.substr(17, 4), heading.substr(21, 4));
  if (*latitude >= -90000 && *latitude <= 90000 && *longitude >= -180000 && *longitude <= 180000) {
    out.Position(*latitude / 1000, *longitude / 1000);
    out.Altitude(*feet);
    out.Temperature(tenths ? *celsius / 10 : *celsius);
    out.Wind(*direction, *speed);
  }
  return std::move(out).Finish();
}

// "*WOBLAXATL5100F 0102000502M308M58036979407N35310W107519236032:": the
// packed position (degrees and minutes in tenths) after the 42nd character;
// the rest is not read.
std::optional<Decoding> WobPosition(std::string_view body, const reference::ReferenceTables& tables) {
  if (body.size() < 55) {
    return std::nullopt;
  }
  const auto latitude = PackedCoordinate(body.substr(42, 6), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(body.substr(48, 7), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

// --- Condition monitoring reports ---------------------------------------------

// "A38/A32138,1,1/C1TRP,000913,KPSP,KDFW,08,8,75738/C2341606,-1099966,349,...":
// the trip item (time, route), then the first sample's position and flight
// level.
std::optional<Decoding> TripReport(const std::vector<std::string_view>& items,
                                   const reference::ReferenceTables& tables) {
  const auto trip = Split(items[2], ',');
  if (trip.size() < 4 || trip[0] != "C1TRP") {
    return std::nullopt;
  }
  const auto time = TimeOfDay(trip[1]);
  if (!time) {
    return std::nullopt;
  }
  Builder out(Kind::kTripReport, tables);
  out.Time("report_time", "Time", *time);
  Route(out, trip[2], trip[3]);
  if (items.size() > 3 && items[3].starts_with("C2")) {
    const auto sample = Split(items[3].substr(2), ',');
    const auto latitude = sample.size() >= 3 ? TenThousandthDegrees(sample[0], 90) : std::nullopt;
    const auto longitude = sample.size() >= 3 ? TenThousandthDegrees(sample[1], 180) : std::nullopt;
    const auto level = sample.size() >= 3 ? Digits(sample[2], 3) : std::nullopt;
    if (latitude && longitude && level) {
      out.Position(*latitude, *longitude);
      out.Altitude(*level * 100.0);
    }
  }
  return std::move(out).Finish();
}

// "CCN534UW,FEB01,235529,KCLT,KLAS,1454": tail, date (month and day), time
// and route.
std::optional<Decoding> ReportHeading(std::string_view item, const reference::ReferenceTables& tables,
                                      const ReceiveTime& received) {
  const auto pieces = Split(item.substr(2), ',');
  if (pieces.size() < 5 || !IsMarkedRegistration(pieces[0]) || pieces[1].size() != 5) {
    return std::nullopt;
  }
  const auto time = TimeOfDay(pieces[2]);
  if (!time || !IsIcaoCode(pieces[3]) || !IsIcaoCode(pieces[4])) {
    return std::nullopt;
  }
  const auto month = MonthOfAbbreviation(pieces[1].substr(0, 3));
  const auto day = Digits(pieces[1].substr(3), 2);
  Builder out(kConditionReport, tables);
  out.Text("tail", "Aircraft", std::string(pieces[0]));
  out.TimeOnDay("report_time", "Time", month && day ? TextDay{0, *month, *day} : TextDay{}, *time, received);
  Route(out, pieces[3], pieces[4]);
  return std::move(out).Finish();
}

// "A320,007071,1,1,TB000000/REP003,64,01,1/CCD-AINZ,AUG31,...": the
// aircraft type, a six-digit count, then the report number as its own item.
bool IsTypeFirstReport(std::string_view body, const std::vector<std::string_view>& items) {
  return body.size() > 12 && body[0] == 'A' && Digits(body.substr(1, 3), 3) && body[4] == ',' &&
         Digits(body.substr(5, 6), 6) && body[11] == ',' && items.size() >= 3 && items[1].starts_with("REP");
}

// "A38/A32138,1,1/C1TRP,..." and "A02/A32102,1,1/CCN534UW,...": the report
// number, the aircraft type, then "/"-separated items; or the type first.
std::optional<Decoding> NumberedReport(std::string_view body, const reference::ReferenceTables& tables,
                                       const ReceiveTime& received) {
  const auto items = Split(body, '/');
  if (IsTypeFirstReport(body, items)) {
    return items[2].starts_with("CC") ? ReportHeading(items[2], tables, received) : std::nullopt;
  }
  if (body.size() < 20 || body[0] != 'A' || !Digits(body.substr(1, 2), 2) || body[3] != '/' || body[4] != 'A') {
    return std::nullopt;
  }
  if (items.size() < 3) {
    return std::nullopt;
  }
  if (items[2].starts_with("CC")) {
    return ReportHeading(items[2], tables, received);
  }
  return TripReport(items, tables);
}

// "R04/A33004,1,1
//  C1,.VH-EBR,25MAR16,02.01.30,YSSY,RPLL,QFA19     ,4000,019
//  ...": tail, date, time, route and flight of an engine report.
std::optional<Decoding> EngineReport(std::string_view body, const reference::ReferenceTables& tables,
                                     const ReceiveTime& received) {
  if (body.size() < 40 || body[0] != 'R' || !Digits(body.substr(1, 2), 2) || body[3] != '/') {
    return std::nullopt;
  }
  const FirstLines lines(body);
  if (lines.size() < 2 || !lines[1].starts_with("C1,.")) {
    return std::nullopt;
  }
  const auto pieces = Split(lines[1].substr(4), ',');
  if (pieces.size() < 6 || !IsMarkedRegistration(pieces[0])) {
    return std::nullopt;
  }
  const auto time = DottedTime(pieces[2]);
  if (!time || !IsIcaoCode(pieces[3]) || !IsIcaoCode(pieces[4])) {
    return std::nullopt;
  }
  Builder out(kConditionReport, tables);
  out.Text("tail", "Aircraft", std::string(pieces[0]));
  out.TimeOnDay("report_time", "Time", DayMonthYear(pieces[1]).value_or(TextDay{}), *time, received);
  Route(out, pieces[3], pieces[4]);
  FlightIfNumber(out, pieces[5]);
  return std::move(out).Finish();
}

// --- Flight management flight plans and progress reports -----------------

// A waypoint's name: letters, digits and "-", not a number alone; the
// route's "VECTOR" and discontinuity ("DISCO") are no waypoints.
bool IsWaypointName(std::string_view text) {
  if (text.empty() || text.size() > 16 || Number(text) || text == "VECTOR" || text == "DISCO") {
    return false;
  }
  for (const char c : text) {
    if (!IsAlnum(c) && c != '-') {
      return false;
    }
  }
  return true;
}

// "AIR,N40010W080490.J110.BOWRR": waypoints (their coordinates dropped)
// joined by airways; the waypoints are added.
void RouteLeg(std::string_view leg, std::vector<std::string>& waypoints) {
  const auto pieces = Split(leg, '.');
  for (std::size_t at = 0; at < pieces.size(); at += 2) {
    const std::string_view name = pieces[at].substr(0, pieces[at].find(','));
    if (IsWaypointName(name)) {
      waypoints.emplace_back(name);
    }
  }
}

struct FlightPlan {
  std::string_view departure, arrival;
  std::optional<std::string> runwayDeparture, runwayArrival;
  std::vector<std::string> waypoints;
};

// "(18R)" at the end of a value: the arrival runway.
void ArrivalRunwayIn(std::string_view value, FlightPlan& plan) {
  const auto open = value.rfind('(');
  if (plan.runwayArrival || open == std::string_view::npos || !value.ends_with(')')) {
    return;
  }
  plan.runwayArrival = Runway(value.substr(open + 1, value.size() - open - 2));
}

// One "KEY:value" item of the route: airports, runways, procedures, and the
// route legs after "..".
void PlanItem(std::string_view key, std::string_view value, FlightPlan& plan) {
  const auto legs = value.find("..");
  const std::string_view head = value.substr(0, legs);
  if (key == "DA") {
    plan.departure = head;
  } else if (key == "AA") {
    plan.arrival = head;
  } else if (key == "R") {
    plan.runwayDeparture = Runway(head.substr(0, head.find('(')));
    ArrivalRunwayIn(head, plan);
  } else if (key == "CR" || key == "AP") {
    ArrivalRunwayIn(head, plan);
  } else if (key == "F") {
    RouteLeg(head, plan.waypoints);
  }
  if (legs == std::string_view::npos) {
    return;
  }
  std::string_view rest = value.substr(legs + 2);
  for (auto next = rest.find(".."); !rest.empty(); next = rest.find("..")) {
    RouteLeg(rest.substr(0, next), plan.waypoints);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 2);
  }
}

// "RP:DA:KPHX:AA:KABQ:CR:KPHXKABQ:R:07L(08O):D:FORPE1.SJN:A:BRRTO1.TMALE:...":
// the route's items; without a good checksum the last one may be cut short
// and is left out.
FlightPlan ReadPlan(std::string_view route, bool whole) {
  FlightPlan plan;
  const auto tokens = Split(route, ':');
  const std::size_t usable = whole ? tokens.size() : tokens.size() - 1;
  for (std::size_t at = 1; at + 1 < usable; at += 2) {
    PlanItem(tokens[at], tokens[at + 1], plan);
  }
  return plan;
}

bool IsRouteItem(std::string_view item) {
  return item.size() > 3 && item[0] == 'R' && IsUpper(item[1]) && item[2] == ':';
}

// "FPN/FNAAL2380/RP:DA:KPHX:AA:KABQ:CR:KPHXKABQ:R:07L(08O):D:FORPE1.SJN:
// A:BRRTO1.TMALE:AP:ILS08..TMALE,N34250W1083809D06": the flight, then the
// route with departure and arrival airports, runways and waypoints.
std::optional<Decoding> FlightPlanReport(std::string_view body, const reference::ReferenceTables& tables) {
  const bool whole = ChecksumHolds(body);
  const auto items = Split(whole ? body.substr(0, body.size() - 4) : body, '/');
  std::size_t route = 1;
  while (route < items.size() && !IsRouteItem(items[route])) {
    ++route;
  }
  if (route >= items.size()) {
    return std::nullopt;
  }
  const FlightPlan plan = ReadPlan(items[route], whole || route + 1 < items.size());
  Builder out(Kind::kFlightPlan, tables);
  for (std::size_t at = 1; at < route; ++at) {
    if (items[at].starts_with("FN")) {
      FlightIfNumber(out, items[at].substr(2));
    }
  }
  Route(out, plan.departure, plan.arrival);
  if (plan.runwayDeparture) {
    out.Text("runway_departure", "Departure runway", *plan.runwayDeparture);
  }
  if (plan.runwayArrival) {
    out.Text("runway_arrival", "Arrival runway", *plan.runwayArrival);
  }
  if (!plan.waypoints.empty()) {
    out.Names("waypoints", "Waypoints", plan.waypoints);
  }
  return std::move(out).Finish();
}

// "PSS35333W058220,,100316,250,S37131W059150,101916,S39387W060377,M23,27282,...":
// position, the waypoint reported (not read; some reports leave the piece
// out), time, flight level, the next waypoint and its time (not read), the
// one after (not read), outside air temperature (M minus, P plus) and wind
// (direction, then speed).
bool ReportedPosition(std::string_view item, Builder& out, const TextDay& day = {}, const ReceiveTime& received = {}) {
  const auto pieces = Split(item.substr(2), ',');
  const std::string_view position = pieces[0];
  const auto split = FindAnyOf(position, "EW");
  if (pieces.size() < 4 || split == std::string_view::npos) {
    return false;
  }
  const std::size_t at = Digits(pieces[1], 6) ? 1 : 2;  // where the time is
  const auto latitude = PackedCoordinate(position.substr(0, split), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(position.substr(split), 'E', 'W', 3);
  const auto time = TimeOfDay(pieces[at]);
  if (!latitude || !longitude || !time) {
    return false;
  }
  out.Position(*latitude, *longitude);
  out.TimeOnDay("report_time", "Time", day, *time, received);
  if (const auto level = Digits(pieces[at + 1], 3); level && *level > 0) {
    out.Altitude(*level * 100.0);
  }
  if (pieces.size() < at + 7) {
    return true;
  }
  const std::string_view temperature = pieces[at + 5];
  const auto celsius = temperature.size() >= 2 ? Digits(temperature.substr(1), temperature.size() - 1) : std::nullopt;
  if (celsius && *celsius <= 99 && (temperature[0] == 'M' || temperature[0] == 'P')) {
    out.Temperature(temperature[0] == 'M' ? -*celsius : *celsius);
  }
  const std::string_view wind = pieces[at + 6];
  const auto direction = Digits(wind.substr(0, 3), 3);
  const auto speed = wind.size() == 5 || wind.size() == 6 ? Digits(wind.substr(3), wind.size() - 3) : std::nullopt;
  if (direction && speed && *direction <= 360) {
    out.Wind(*direction, *speed);
  }
  return true;
}

// The "/"-separated items of the checksummed position and progress reports
// (their heading dropped): "DT" the destination and its runway, "FN" the
// flight, "TS" the time (HHMMSS, then the date), "PS" a position report, and
// the route ("RP:DA:...").
void ReportItems(const std::vector<std::string_view>& items, Builder& out, bool& position,
                 const ReceiveTime& received) {
  const bool hasPosition = std::any_of(items.begin(), items.end(), [](auto item) { return item.starts_with("PS"); });
  bool arrival = false;
  for (const std::string_view item : items) {
    std::string_view rest = item.substr(std::min<std::size_t>(2, item.size()));
    if (rest.starts_with(',')) {  // "DT,KMDW,31R,..."
      rest.remove_prefix(1);
    }
    const auto pieces = Split(rest, ',');
    if (item.starts_with("DT") && pieces.size() >= 2 && IsAirport(pieces[0]) && !arrival) {
      out.Airport("arrival", "Arrival", pieces[0]);
      arrival = true;
      if (const auto runway = Runway(pieces[1])) {
        out.Text("runway_arrival", "Arrival runway", *runway);
      }
    } else if (item.starts_with("FN")) {
      FlightIfNumber(out, item.substr(2));
    } else if (item.starts_with("TS") && !hasPosition && pieces.size() == 2 && Digits(pieces[1], 6)) {
      if (const auto time = TimeOfDay(pieces[0])) {
        out.TimeOnDay("report_time", "Time", SixDigitDate(pieces[1]), *time, received);
      }
    } else if (item.starts_with("PS")) {
      position = ReportedPosition(item, out) || position;
    } else if (item.starts_with("TS") && item.size() > 16 && item[8] == ',' && (item[15] == 'N' || item[15] == 'S')) {
      // "TS140122,141124N38321W078003,,140122,...": some reports write the
      // position right after the time stamp, without "/PS".
      // The time stamp's date then dates the position's time.
      position = ReportedPosition(item.substr(13), out, SixDigitDate(item.substr(9, 6)), received) || position;
    } else if (IsRouteItem(item)) {
      const FlightPlan plan = ReadPlan(item, true);
      Route(out, plan.departure, arrival ? std::string_view() : plan.arrival);
      if (plan.runwayDeparture) {
        out.Text("runway_departure", "Departure runway", *plan.runwayDeparture);
      }
      if (!plan.waypoints.empty()) {
        out.Names("waypoints", "Waypoints", plan.waypoints);
      }
    }
  }
}

// "PRG/DTEHAM,18R,207,085235,041/FNDAL162/TS080747,090223AE30" and
// "POS/ID746026,,/DC03032024,173207/MR1,/ET031846/PSN42579W108090,...":
// checksummed items (see ReportItems).
std::optional<Decoding> ItemReport(std::string_view body, const reference::ReferenceTables& tables,
                                   const ReceiveTime& received) {
  if (!ChecksumHolds(body)) {
    return std::nullopt;
  }
  const auto items = Split(body.substr(4, body.size() - 8), '/');
  Builder out(Kind::kProgressReport, tables);
  bool position = false;
  ReportItems(items, out, position, received);
  if (position) {
    out.SetKind(kPositionReport);
  }
  return std::move(out).Finish();
}

// --- Fault and warning reports ------------------------------------------------

// "FLR/FR24030411230034583106FWC2 :NO DATA FROM GPS1 /IDECAM 2 ,..." and
// "WRN/WN24030316250034000006NAV ADS-B RPTG 1 FAULT ", either perhaps
// behind ".1/" or a "PN..." item: the record ("FR" fault, "WN" warning)
// begins with its date YYMMDD and time HHMM; the rest is not read.
std::optional<Decoding> FaultReport(std::string_view body, const reference::ReferenceTables& tables,
                                    const ReceiveTime& received) {
  const bool fault = body.starts_with("FLR/");
  const std::string_view tag = fault ? "FR" : "WN";
  for (const std::string_view item : Split(body.substr(4), '/')) {
    if (item.size() < 12 || !item.starts_with(tag)) {
      continue;
    }
    const auto year = Digits(item.substr(2, 2), 2);
    const auto month = Digits(item.substr(4, 2), 2);
    const auto day = Digits(item.substr(6, 2), 2);
    const auto time = TimeOfDay(item.substr(8, 4));
    if (!year || !month || *month < 1 || *month > 12 || !day || *day < 1 || *day > 31 || !time) {
      return std::nullopt;
    }
    Builder out(fault ? Kind::kFaultReport : Kind::kWarningReport, tables);
    out.TimeOnDay("report_time", "Time", {2000 + *year, *month, *day}, *time, received);
    return std::move(out).Finish();
  }
  return std::nullopt;
}

// --- Position reports -------------------------------------------------------

// "YSSY,KSFO,101621,- 4.9985,-169.9820,35003,290,  35.1, 44100,S05W169,...":
// the route, position (signed decimal degrees) and altitude in feet.
std::optional<Decoding> RoutePosition(std::string_view body, const reference::ReferenceTables& tables) {
  if (!IsAirport(body.substr(0, 4)) || !IsAirport(body.substr(5, 4)) || body.size() > 200) {
    return std::nullopt;
  }
  const auto pieces = Split(body, ',');
  if (pieces.size() != 12) {
    return std::nullopt;
  }
  const auto latitude = Number(pieces[3]);
  const auto longitude = Number(pieces[4]);
  const auto feet = WholeIn(pieces[5], -2000, 60000);
  if (!latitude || !longitude || *latitude < -90 || *latitude > 90 || *longitude < -180 || *longitude > 180 || !feet) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  Route(out, pieces[0], pieces[1]);
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// "TRP 003451  33.9963 -109.5385 332 154.8 460 ...": time HHMMSS and
// position in signed decimal degrees.
std::optional<Decoding> TripPosition(std::string_view body, const reference::ReferenceTables& tables) {
  if (body.size() < 30) {
    return std::nullopt;
  }
  const auto time = TimeOfDay(body.substr(4, 6));
  const auto latitude = Number(body.substr(10, 9));
  const auto longitude = Number(body.substr(19, 10));
  if (!time || body[10] != ' ' || body[19] != ' ' || !latitude || !longitude || *latitude < -90 || *latitude > 90 ||
      *longitude < -180 || *longitude > 180) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Time("report_time", "Time", *time);
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

}  // namespace

std::optional<Decoding> TerminalReport(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view body = TerminalBody(message.text);
  if (body.size() > 3 && body[0] == '.' && IsDigit(body[1]) && body[2] == '/') {  // ".1/FLR/..."
    body.remove_prefix(3);
  }
  if (body.size() < 12) {
    return std::nullopt;
  }
  if (body.starts_with("FPN/")) {
    return FlightPlanReport(body, tables);
  }
  if (body.starts_with("PRG/") || body.starts_with("POS/")) {
    return ItemReport(body, tables, message.received);
  }
  if (body.starts_with("FLR/") || body.starts_with("WRN/")) {
    return FaultReport(body, tables, message.received);
  }
  if (body.starts_with("++")) {
    return FlightDataTrack(body, tables);
  }
  if (body.starts_with("TRP ")) {
    return TripPosition(body, tables);
  }
  if (body[5] == ',' && IsDigit(body[0])) {
    return FlightDataSnapshot(body, tables);
  }
  if (body[5] == '\r' && IsDigit(body[0])) {
    return PackedFlightData(body, tables);
  }
  if (body.starts_with("ABS") || body.starts_with("SB")) {
    return FlightDataBlock(body, tables);
  }
  if (body.starts_with("*WOB")) {
    return WobPosition(body, tables);
  }
  if (body[4] == ',' && body[9] == ',') {
    return RoutePosition(body, tables);
  }
  if (body[3] == '/' || (body[0] == 'A' && body[4] == ',')) {
    return body[0] == 'A' ? NumberedReport(body, tables, message.received)
                          : EngineReport(body, tables, message.received);
  }
  if (IsDigit(body[0]) || body[0] == ',') {
    // "001304400101010692066\r\nR01/A33001,1,1\r\nC1,...": an engine report
    // behind a line of digits.
    const auto lineEnd = body.find("\r\nR");
    if (lineEnd != std::string_view::npos && AllDigits(body.substr(0, lineEnd))) {
      return EngineReport(body.substr(lineEnd + 2), tables, message.received);
    }
    if (auto feed = FeedPositionBlock(body, tables)) {
      return feed;
    }
    return FlightDataTrackRest(body, tables);
  }
  return std::nullopt;
}

}  // namespace corvane::readable
