// Position reports of the numbered and lettered labels that several
// airlines share:
//   "N50412E005316KON39 ,084417370GUBAX ,085553,M57,..."     (waypoint reports)
//   "FST01KLAXEGLLN366221W1089766330 671 ..."                (flight status)
//   "N 44.203,W 86.546,31965,6, 290"                         (decimal positions)
//   "010394/AUTPOS/LLD N350447 W1070026 ..."                 (automatic positions)
//   "1804+3835-7847/36162", "P/0027/310-/..."                (short positions)
// Each checks its fixed pieces before it reads anything and leaves out what
// the traffic does not show beyond doubt.

#include <array>

#include "readable/forms.h"
#include "readable/label_pieces.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

// ---- Waypoint reports -------------------------------------------------------

// The reports' positions: packed to tenths of minutes ("N50412E005316") or,
// in the POSA1 reports, thousandths of degrees ("N46956W160289",
// "N37358W 77279").
std::optional<double> ThousandthsCoordinate(std::string_view text, char positive, char negative, std::size_t width) {
  if (text.size() != width + 1 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  int value = 0;
  bool digitSeen = false;
  for (const char c : text.substr(1)) {
    if (c == ' ' && !digitSeen) {
      continue;
    }
    if (!IsDigit(c)) {
      return std::nullopt;
    }
    digitSeen = true;
    value = value * 10 + (c - '0');
  }
  const double degrees = value / 1000.0;
  if (!digitSeen || degrees > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? degrees : -degrees;
}

bool PackedPositionAt(std::string_view text, Builder& out) {
  if (text.size() < 13) {
    return false;
  }
  const auto latitude = PackedCoordinate(text.substr(0, 6), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(text.substr(6, 7), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return false;
  }
  out.Position(*latitude, *longitude);
  return true;
}

// A waypoint's name: letters and digits ("ROUKE", "N45W170"), not a number.
bool IsWaypointName(std::string_view text) {
  return !text.empty() && text.size() <= 8 && AllOf(text, IsAlnum) && IsUpper(text[0]);
}

// "N366221" / "W1089766": a hemisphere letter, the whole degrees
// (wholeDigits of them), then the decimals without their point.
std::optional<double> PointlessDegrees(std::string_view text, std::size_t wholeDigits, char positive, char negative) {
  if (text.size() < wholeDigits + 3 || text.size() > wholeDigits + 5 || (text[0] != positive && text[0] != negative) ||
      !AllOf(text.substr(1), IsDigit)) {
    return std::nullopt;
  }
  // All digits as one whole number divided once, so that "N531282" is
  // 53.1282 as written (adding the decimals one by one gives 53.12820000000001).
  long long digits = 0;
  long long divisor = 1;
  for (const char c : text.substr(1)) {
    digits = digits * 10 + (c - '0');
  }
  for (std::size_t decimals = text.size() - 1 - wholeDigits; decimals > 0; --decimals) {
    divisor *= 10;
  }
  const double value = static_cast<double>(digits) / static_cast<double>(divisor);
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// ---- Automatic position reports (label 16) ---------------------------------

// "N350447" or "W1070026": a hemisphere letter, degrees, minutes and seconds.
std::optional<double> DegreesMinutesSeconds(std::string_view text, char positive, char negative,
                                            std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 5 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(1, degreeDigits), degreeDigits);
  const auto minutes = Digits(text.substr(1 + degreeDigits, 2), 2);
  const auto seconds = Digits(text.substr(3 + degreeDigits, 2), 2);
  if (!degrees || !minutes || !seconds || *minutes >= 60 || *seconds >= 60) {
    return std::nullopt;
  }
  // In seconds first and divided once: 77°54'36" is 77.91, not 77.91000000000001.
  const double value = (*degrees * 3600.0 + *minutes * 60.0 + *seconds) / 3600.0;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// "260202": the date of an automatic position report, YYMMDD.
TextDay YearMonthDay(std::string_view text) {
  const auto year = Digits(text.substr(0, 2), 2);
  const auto month = text.size() == 6 ? Digits(text.substr(2, 2), 2) : std::nullopt;
  const auto day = text.size() == 6 ? Digits(text.substr(4, 2), 2) : std::nullopt;
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
    return {};
  }
  return {2000 + *year, *month, *day};
}

// One "/TAG value" item of an automatic position report; "****" (no value)
// and values out of range are left out. The time is dated by the "DAT"
// item before it.
void ReadAutoPositionItem(std::string_view tag, std::string_view value, Builder& out, TextDay& date,
                          const ReceiveTime& received) {
  if (tag == "ALT") {
    const auto feet = Number(value);
    if (feet && value.size() == 5 && *feet <= 60000) {
      out.Altitude(*feet);
    }
  } else if (tag == "SAT") {
    const auto celsius = Number(value);
    if (celsius && value.size() == 4 && *celsius >= -99 && *celsius <= 60) {
      out.Temperature(*celsius);
    }
  } else if (tag == "WND") {
    const auto direction = Digits(value.substr(0, 3), 3);
    const auto speed = value.size() == 6 ? Digits(value.substr(3), 3) : std::nullopt;
    if (direction && speed && *direction <= 360) {
      out.Wind(*direction, *speed);
    }
  } else if (tag == "TAS") {
    if (const auto knots = Digits(value, 3)) {
      out.Number("true_airspeed_kt", "True airspeed", *knots, "kt");
    }
  } else if (tag == "FOB") {
    if (const auto fuel = Digits(value, 6)) {
      out.Number("fuel", "Fuel on board", *fuel, "");
    }
  } else if (tag == "DAT") {
    date = YearMonthDay(value);
  } else if (tag == "TIM") {
    if (auto time = value.size() == 6 ? TimeOfDay(value) : std::nullopt) {
      out.TimeOnDay("report_time", "Time", date, std::move(*time), received);
    }
  }
}

// "N3835.95" or "W07858.88": a hemisphere letter, degrees (degreeDigits of
// them), then minutes with their decimals.
std::optional<double> DegreesAndMinutes(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  text = Trim(text);
  const auto point = text.find('.');
  if (point != degreeDigits + 3 || text.size() < point + 2 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(1, degreeDigits), degreeDigits);
  const auto minutes = Number(text.substr(1 + degreeDigits));
  if (!degrees || !minutes || *minutes >= 60 || !Digits(text.substr(1 + degreeDigits, 2), 2) ||
      !Digits(text.substr(point + 1), text.size() - point - 1)) {
    return std::nullopt;
  }
  const double value = *degrees + *minutes / 60;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// "N 28.177/W 96.055", "LAT N 47.176/LON E  2.943": the position alone,
// its halves parted by a slash. True when both halves read.
bool ReadSlashPosition(std::string_view text, Builder& out) {
  const auto slash = text.find('/');
  std::string_view north = text.substr(0, slash);
  std::string_view east = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
  east = east.substr(0, east.find('/'));
  north = north.starts_with("LAT ") ? north.substr(4) : north;
  east = east.starts_with("LON ") ? east.substr(4) : east;
  const auto latitude = DecimalDegrees(north, 'N', 'S');
  const auto longitude = DecimalDegrees(east, 'E', 'W');
  if (!latitude || !longitude) {
    return false;
  }
  out.Position(*latitude, *longitude);
  return true;
}

// "N 44.203,W 86.546,31965,..." (also after a fix's name): the position
// first, then the altitude. True when the position read.
bool ReadPositionFirst(const std::vector<std::string_view>& pieces, Builder& out) {
  std::size_t at = DecimalDegrees(pieces[0], 'N', 'S') ? 0 : 1;
  if (pieces.size() < 3 || at >= pieces.size() - 2) {
    return false;
  }
  const auto latitude = DecimalDegrees(pieces[at], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[at + 1], 'E', 'W');
  if (!latitude || !longitude) {
    return false;
  }
  out.Position(*latitude, *longitude);
  if (const auto feet = Digits(Trim(pieces[at + 2]), 5); feet && *feet <= 60000) {
    out.Altitude(*feet);
  }
  return true;
}

struct LatitudeLongitude {
  double latitude;
  double longitude;
};

// The last piece's position: "N 38.364 W 75.226" in decimal degrees or
// "N3835.95 W07858.88" in degrees and minutes.
std::optional<LatitudeLongitude> LastPiecePosition(std::string_view piece) {
  const std::string_view position = piece.substr(0, piece.find('/'));
  const auto split = FindAnyOf(position, "EW");
  if (split == std::string_view::npos) {
    return std::nullopt;
  }
  auto latitude = DecimalDegrees(position.substr(0, split), 'N', 'S');
  auto longitude = DecimalDegrees(position.substr(split), 'E', 'W');
  if (!latitude && !longitude) {  // "N3835.95 W07858.88": degrees and minutes
    latitude = DegreesAndMinutes(position.substr(0, split), 'N', 'S', 2);
    longitude = DegreesAndMinutes(position.substr(split), 'E', 'W', 3);
  }
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  return LatitudeLongitude{*latitude, *longitude};
}

// "PC0397/04AUG22 12:08:30": the lead piece that carries its date and time.
bool IsStampedLead(std::string_view first) {
  return first.size() == 23 && first[6] == '/' && first[14] == ' ' && first[17] == ':' && first[20] == ':';
}

// The stamped lead piece's time, on its date when that reads.
void AddStampedTime(std::string_view first, const ReceiveTime& received, Builder& out) {
  std::string clock(first.substr(15, 2));
  clock += first.substr(18, 2);
  clock += first.substr(21, 2);
  if (const auto time = TimeOfDay(clock)) {
    if (const auto date = DayMonthYear(first.substr(7, 7))) {
      out.TimeOnDay("report_time", "Time", *date, *time, received);
    } else {
      out.Time("report_time", "Time", *time);
    }
  }
}

// "005236,36787,0135,  97,N 38.364 W 75.226" and the stamped
// "PC0397/04AUG22 12:08:30,12239,1527, 244,N 59.822 E 29.693": the
// position last, the altitude second. True when the report reads.
bool ReadPositionLast(const std::vector<std::string_view>& pieces, const ReceiveTime& received, Builder& out) {
  if (pieces.size() != 5) {
    return false;
  }
  const auto position = LastPiecePosition(pieces[4]);
  const std::string_view first = pieces[0];
  const bool stamped = IsStampedLead(first);
  if (!position || (!Digits(first, 6) && !stamped)) {
    return false;
  }
  if (stamped) {
    AddStampedTime(first, received, out);
  }
  // The stamped reports are sent in flight, on a track (the fourth piece):
  // under 1,000 ft the figure contradicts its own report ("25" at a point
  // 5 km from the runway, on a track, is below the airport itself; the
  // same flight's next report gives 12,239 ft), so it is left out.
  const double lowest = stamped ? 1000 : 0;
  const auto feet = Number(pieces[1]);
  if (feet && *feet >= lowest && *feet <= 60000 && Trim(pieces[1]).find('.') == std::string_view::npos) {
    out.Altitude(*feet);
  }
  out.Position(position->latitude, position->longitude);  // the last piece
  return true;
}

}  // namespace

// "N50412E005316KON39 ,084417370GUBAX ,085553,M57,159003254,85609571": the
// position and the fix there, the time, flight level and next fix, the
// estimate for it, the temperature. C-band copies start with a ten
// character prefix ("M60ALH0752").
std::optional<Decoding> WaypointReport(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  if (text.empty() || (text[0] != 'N' && text[0] != 'S' && text[0] != 'M')) {
    return std::nullopt;
  }
  if (text.size() > 10 && text[0] == 'M' && IsDigit(text[1]) && IsDigit(text[2]) && text[10] != ',' &&
      (text[10] == 'N' || text[10] == 'S')) {
    text.remove_prefix(10);
  }
  const auto pieces = Split(FirstLine(text), ',');
  if (pieces.size() != 6 || pieces[1].size() < 9 || (pieces[2].size() != 6 && !pieces[2].empty())) {
    return std::nullopt;
  }
  const auto time = TimeOfDay(pieces[1].substr(0, 6));
  const auto feet = FlightLevelFeet(pieces[1].substr(6, 3));
  if (!time || !feet || !(pieces[2].empty() || TimeOfDay(pieces[2]))) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (!PackedPositionAt(pieces[0], out)) {
    return std::nullopt;
  }
  out.Time("report_time", "Time", *time);
  out.Altitude(*feet);
  if (const auto celsius = LetterCelsius(pieces[3])) {
    out.Temperature(*celsius);
  }
  return std::move(out).Finish();
}

// "POSN38160W077075,,211733,360,OTT,212041,,N42,19689,40,544" (label 20,
// sometimes cut after the next waypoint) and "POSA1N46956W160289,N45W170,083018,309,N47W160,091905,,-50, ..."
// (label 16, thousandths of degrees): position, time, flight level and, in
// the second, the temperature.
std::optional<Decoding> PosWaypointReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  const bool thousandths = text.starts_with("POSA1");
  if (!thousandths && !text.starts_with("POSN") && !text.starts_with("POSS")) {
    return std::nullopt;
  }
  const auto pieces = Split(text.substr(thousandths ? 5 : 3), ',');
  if (pieces.size() < 4 || pieces[0].size() != 13) {
    return std::nullopt;
  }
  const auto time = TimeOfDay(pieces[2]);
  const auto feet = FlightLevelFeet(pieces[3]);
  if (!time || !feet) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (thousandths) {
    const auto latitude = ThousandthsCoordinate(pieces[0].substr(0, 6), 'N', 'S', 5);
    const auto longitude = ThousandthsCoordinate(pieces[0].substr(6), 'E', 'W', 6);
    if (!latitude || !longitude) {
      return std::nullopt;
    }
    out.Position(*latitude, *longitude);
  } else if (!PackedPositionAt(pieces[0], out)) {
    return std::nullopt;
  }
  // The time is when the aircraft passed the waypoint reported, not when it
  // was at the position: with that waypoint named, it goes with it.
  const std::string_view waypoint = Trim(pieces[1]);
  if (IsWaypointName(waypoint)) {
    out.Text("position_waypoint", "Over", std::string(waypoint));
    out.Time("waypoint_time", "Over it at", *time);
  } else if (waypoint.empty()) {
    out.Time("report_time", "Time", *time);
  }
  out.Altitude(*feet);
  if (thousandths && pieces.size() > 7) {
    if (const auto celsius = Number(pieces[7]); celsius && *celsius >= -99 && *celsius <= 60) {
      out.Temperature(*celsius);
    }
  }
  return std::move(out).Finish();
}

// "FST01KLAXEGLLN366221W1089766330 671 ...": the route, the position in
// decimal degrees without their point (two and three whole digits) and the
// flight level.
std::optional<Decoding> FlightStatusReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 34 || !text.starts_with("FST01") || !IsIcaoCode(text.substr(5, 4)) ||
      !IsIcaoCode(text.substr(9, 4))) {
    return std::nullopt;
  }
  const auto split = FindAnyOf(text, "EW", 14);
  if (split == std::string_view::npos || split < 19 || split > 20 || split + 12 > text.size()) {
    return std::nullopt;
  }
  const auto latitude = PointlessDegrees(text.substr(13, split - 13), 2, 'N', 'S');
  const auto longitude = PointlessDegrees(text.substr(split, 8), 3, 'E', 'W');
  const auto feet = FlightLevelFeet(text.substr(split + 8, 3));
  if (!latitude || !longitude || !feet || text[split + 11] != ' ') {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Airport("departure", "Departure", text.substr(5, 4));
  out.Airport("arrival", "Arrival", text.substr(9, 4));
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// Label 16's decimal positions: "N 44.203,W 86.546,31965,6, 290" (also
// after a fix's name), "N 28.177/W 96.055", "LAT N 47.176/LON E  2.943",
// " /N 59.196/E 18.010/07072/...", and "005236,36787,0135,  97,N 38.364
// W 75.226" or "PC0397/04AUG22 12:08:30,12239,1527, 244,N 59.822 E 29.693"
// with the altitude second; "001415,20274,0047, 3740,N3835.95 W07858.88"
// with the position in degrees and minutes.
std::optional<Decoding> DecimalPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = FirstLine(message.text);
  // " /N 59.196/...": the card's record drops the leading space, so the
  // text may begin with the slash itself.
  if (text.starts_with(" /")) {
    text.remove_prefix(2);
  } else if (text.starts_with("/N ") || text.starts_with("/S ")) {
    text.remove_prefix(1);
  }
  if (text.size() < 15) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (text.find(',') == std::string_view::npos) {  // slash-separated, position only
    if (!ReadSlashPosition(text, out)) {
      return std::nullopt;
    }
    return std::move(out).Finish();
  }
  const auto pieces = Split(text, ',');
  if (!ReadPositionFirst(pieces, out) && !ReadPositionLast(pieces, message.received, out)) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "010394/AUTPOS/LLD N350447 W1070026
//  /ALT 32400/SAT -048
//  /WND 227027/TAT ****/TAS 467/CRZ 080
//  /FOB 034840
//  /DAT 260202/TIM 010133": position (degrees, minutes, seconds), altitude,
// outside air temperature, wind, true airspeed, fuel on board and the time
// on its date (YYMMDD). The leading number, total air temperature and "CRZ"
// are not read.
std::optional<Decoding> AutoPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 34 || !Digits(text.substr(0, 6), 6) || text.substr(6, 12) != "/AUTPOS/LLD " || text[25] != ' ') {
    return std::nullopt;
  }
  const auto latitude = DegreesMinutesSeconds(text.substr(18, 7), 'N', 'S', 2);
  const auto longitude = DegreesMinutesSeconds(text.substr(26, 8), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  TextDay date;
  for (const std::string_view item : Split(text.substr(34), '/')) {
    if (item.size() > 4 && item[3] == ' ') {
      ReadAutoPositionItem(item.substr(0, 3), ItemValue(item.substr(4)), out, date, message.received);
    }
  }
  return std::move(out).Finish();
}

// "1804+3835-7847/36162" (label 2F): time HHMM, latitude and longitude in
// signed hundredths of a degree, altitude in feet.
std::optional<Decoding> HundredthsPosition(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() != 20 || text[14] != '/' || (text[4] != '+' && text[4] != '-') ||
      (text[9] != '+' && text[9] != '-')) {
    return std::nullopt;
  }
  const auto time = HoursMinutes(text.substr(0, 4));
  const auto latitude = Digits(text.substr(5, 4), 4);
  const auto longitude = Digits(text.substr(10, 4), 4);
  const auto feet = Digits(text.substr(15, 5), 5);
  if (!time || !latitude || !longitude || !feet || *latitude > 9000 || *feet > 60000) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Time("report_time", "Time", *time);
  out.Position((text[4] == '-' ? -1 : 1) * *latitude / 100.0, (text[9] == '-' ? -1 : 1) * *longitude / 100.0);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// "001PR19113523N2947.7W09536.51273750177" (label 83): the timed position;
// the digits after it are not read.
std::optional<Decoding> TimedPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  if (!message.text.starts_with("001PR")) {
    return std::nullopt;
  }
  auto place = ReadTimedPosition(message.text);
  if (!place) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  AddTimedPosition(*place, message.received, out);
  return std::move(out).Finish();
}

// "P/0027/310-/
//  +53.4+18.7/-47/2/5" (label 2L): the time, the flight level, then the
// position in signed tenths of a degree and the outside air temperature.
// The last two numbers are not read.
std::optional<Decoding> ShortPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 26 || !text.starts_with("P/") || text[6] != '/' || text[11] != '/' ||
      text.substr(12, 2) != "\r\n") {
    return std::nullopt;
  }
  const auto time = HoursMinutes(text.substr(2, 4));
  const auto feet = FlightLevelFeet(text.substr(7, 3));
  const std::string_view place = text.substr(14);
  const auto split = FindAnyOf(place, "+-", 1);
  const auto end = place.find('/');
  if (!time || !feet || (place[0] != '+' && place[0] != '-') || split == std::string_view::npos ||
      end == std::string_view::npos || split > end) {
    return std::nullopt;
  }
  const auto latitude = LeadCoordinate(place.substr(0, split), 'N', 'S', 90);
  const auto longitude = LeadCoordinate(place.substr(split, end - split), 'E', 'W', 180);
  const std::string_view rest = place.substr(end + 1);
  const auto slash = rest.find('/');
  const auto celsius = Number(rest.substr(0, slash));
  if (!latitude || !longitude || slash == std::string_view::npos || !celsius || *celsius < -99 || *celsius > 60) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Time("report_time", "Time", *time);
  out.Altitude(*feet);
  out.Position(*latitude, *longitude);
  out.Temperature(*celsius);
  return std::move(out).Finish();
}

// "S 33.889/E151.177 /UTC 0438" (label 3L): position and time.
std::optional<Decoding> PositionAndTime(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() != 27 || text[8] != '/' || text.substr(18, 5) != "/UTC ") {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(text.substr(0, 8), 'N', 'S');
  const auto longitude = DecimalDegrees(Trim(text.substr(9, 9)), 'E', 'W');
  const auto time = HoursMinutes(text.substr(23, 4));
  if (!latitude || !longitude || !time) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Time("report_time", "Time", *time);
  return std::move(out).Finish();
}

// "P,R,2026-02-02 00:55:09,7688,68300,N36.795 W107.615,20717,256,22,-20,..."
// and "N,E,2022-06-18 15:30:15,4240,66554,N 29.798 W 095.666,9340,109,..."
// (label 32): the date (not read) and time, two numbers not read, the
// position and the altitude in feet; the rest is not read.
std::optional<Decoding> DatedPositionRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 40 || text[1] != ',' || text[3] != ',' || text[8] != '-' || text[14] != ' ' || text[23] != ',') {
    return std::nullopt;
  }
  const auto pieces = Split(FirstLine(text), ',');
  if (pieces.size() < 8 || pieces[2].size() < 19) {  // "2026-02-02 00:55:09"
    return std::nullopt;
  }
  const std::string_view clock = pieces[2].substr(11);
  const std::string_view place = pieces[5];
  const auto split = FindAnyOf(place, "EW");
  if (clock.size() != 8 || clock[2] != ':' || clock[5] != ':' || split == std::string_view::npos || split == 0 ||
      place[split - 1] != ' ') {
    return std::nullopt;
  }
  const std::array<char, 6> packed = {clock[0], clock[1], clock[3], clock[4], clock[6], clock[7]};
  const auto time = TimeOfDay(std::string_view(packed.data(), packed.size()));
  if (!time) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(place.substr(0, split - 1), 'N', 'S');
  const auto longitude = DecimalDegrees(place.substr(split), 'E', 'W');
  const auto feet = Digits(pieces[6], pieces[6].size());
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  const std::string_view date = pieces[2].substr(0, 10);  // "2026-02-02"
  const auto year = Digits(date.substr(0, 4), 4);
  const auto month = Digits(date.substr(5, 2), 2);
  const auto day = Digits(date.substr(8, 2), 2);
  if (year && month && day && date[4] == '-' && date[7] == '-') {
    out.TimeOnDay("report_time", "Time", {*year, *month, *day}, *time, message.received);
  } else {
    out.Time("report_time", "Time", *time);
  }
  out.Position(*latitude, *longitude);
  if (feet && pieces[6].size() >= 3 && pieces[6].size() <= 5 && *feet <= 60000) {
    out.Altitude(*feet);
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
