// Forms of the labels 10 to 1Z that the shared forms do not cover, e.g.
//   "OS KALB /QSL1940"                                   (in range, label 11)
//   "/BA0843/ETA01/230822/LDSP/EGLL/EGSS/2JK0" + "1940/EGLL27L/10" (1M, 1R)
//   "KLAX,KPDX,03AUG22,...,/OU2104/FI  72/OF2122/ON2309/IN2313..."  (19)
//   "121611,N 52.622,E  8.601,32000,...", "POS082150, N 3885,W 7841,..."
//   "POX,CSN433    ,04AUG22,121839,PANC,KORD,N048.89,E0-99.14,..."  (18)
//   "N,E,2022-06-18 22:37:37,12930,METAR,KMAF,"  (the dated airline records)
//   "/P1 1204,N  3.807/E101.294,  28068,   97/P2 1206,..."           (16)
//   "(2AALT" / "03-AUG-22 23:25Z)" / ... / "(Z"    (business aviation, 14)
// and the smaller ones below, each with its example.
// Each checks the whole shape of its text before it reads anything and
// leaves out the pieces whose meaning the traffic does not show.
#include <algorithm>
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsDigitChar); }

// "27L", "09", "22C": a runway's number and its optional side letter.
bool IsRunway(std::string_view text) {
  const auto number = text.size() >= 2 ? Digits(text.substr(0, 2), 2) : std::nullopt;
  return number && *number >= 1 && *number <= 36 &&
         (text.size() == 2 || (text.size() == 3 && (text[2] == 'L' || text[2] == 'R' || text[2] == 'C')));
}

// "230822": day, month and two-digit year; nothing for a day that is no date.
std::optional<TextDay> DayMonthYearDigits(std::string_view text) {
  const auto day = text.size() == 6 ? Digits(text.substr(0, 2), 2) : std::nullopt;
  const auto month = text.size() == 6 ? Digits(text.substr(2, 2), 2) : std::nullopt;
  const auto year = text.size() == 6 ? Digits(text.substr(4, 2), 2) : std::nullopt;
  if (!day || !month || !year || *day < 1 || *day > 31 || *month < 1 || *month > 12) {
    return std::nullopt;
  }
  return TextDay{2000 + *year, *month, *day};
}

// "N 3885" or "W 7841": a hemisphere letter, then hundredths of a degree
// without their point (the same airline's reports elsewhere give them
// signed: "+3835-7847").
std::optional<double> HundredthsDegrees(std::string_view text, char positive, char negative) {
  text = Trim(text);
  if (text.empty() || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const std::string_view digits = Trim(text.substr(1));
  if (digits.size() < 4 || digits.size() > 5 || !AllDigits(digits)) {
    return std::nullopt;
  }
  const double value = *Digits(digits, digits.size()) / 100.0;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// A coordinate with a point ("N 52.622", "E032.009") or in hundredths
// without one ("N 3885").
std::optional<double> PointOrHundredths(std::string_view text, char positive, char negative) {
  return text.find('.') != std::string_view::npos ? DecimalDegrees(text, positive, negative)
                                                  : HundredthsDegrees(text, positive, negative);
}

// "E0-99.14" or "E-149.99": the east longitude as a signed number, padded
// with zeros in front of its sign; "N048.89" the north latitude so. The
// other hemisphere's letter ("S048.89", "W099.14") makes the value negative;
// a sign behind it as well would contradict the letter, so it reads nothing.
std::optional<double> SignedAfterLetter(std::string_view text, char positive, char negative, double limit) {
  if (text.size() < 2 || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  const bool flipped = text[0] == negative;
  text.remove_prefix(1);
  const auto sign = text.find('-');
  if (sign != std::string_view::npos &&
      (flipped || text.substr(0, sign).find_first_not_of('0') != std::string_view::npos)) {
    return std::nullopt;
  }
  if (sign != std::string_view::npos) {
    text.remove_prefix(sign);
  }
  const auto value = Number(text);
  if (!value || *value < -limit || *value > limit) {
    return std::nullopt;
  }
  return flipped ? -*value : *value;
}

// A message's lines without their line ends.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::string_view line : Split(text, '\n')) {
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    lines.push_back(line);
  }
  return lines;
}

// "2022-08-04 12:20:52" or "04AUG22 11:57:17": a date and a time of day
// ("HH:MM:SS").
struct DateAndTime {
  TextDay day;
  std::string time;
};

std::optional<DateAndTime> ReadDateAndTime(std::string_view text) {
  const auto space = text.find(' ');
  if (space == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view date = text.substr(0, space);
  const std::string_view clock = text.substr(space + 1);
  if (clock.size() != 8 || clock[2] != ':' || clock[5] != ':') {
    return std::nullopt;
  }
  const std::array<char, 6> packed = {clock[0], clock[1], clock[3], clock[4], clock[6], clock[7]};
  auto time = TimeOfDay(std::string_view(packed.data(), packed.size()));
  std::optional<TextDay> day = DayMonthYear(date);
  if (!day && date.size() == 10 && date[4] == '-' && date[7] == '-') {
    const auto year = Digits(date.substr(0, 4), 4);
    const auto month = Digits(date.substr(5, 2), 2);
    const auto dayOfMonth = Digits(date.substr(8, 2), 2);
    if (year && month && dayOfMonth && *month >= 1 && *month <= 12 && *dayOfMonth >= 1 && *dayOfMonth <= 31) {
      day = TextDay{*year, *month, *dayOfMonth};
    }
  }
  if (!time || !day) {
    return std::nullopt;
  }
  return DateAndTime{*day, std::move(*time)};
}

// "04AUG": a day of the month and a month.
bool IsDayMonth(std::string_view text) {
  if (text.size() != 5) {
    return false;
  }
  const std::array<char, 7> withYear = {text[0], text[1], text[2], text[3], text[4], '0', '0'};
  return DayMonthYear(std::string_view(withYear.data(), withYear.size())).has_value();
}

}  // namespace

// "OS KALB /QSL1940": the arrival, then the time the report was sent, a
// little before the descent.
std::optional<Decoding> InRangeArrival(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = Trim(FirstLine(message.text));
  if (text.size() != 16 || !text.starts_with("OS ") || text.substr(7, 5) != " /QSL" || !IsIcaoCode(text.substr(3, 4))) {
    return std::nullopt;
  }
  auto time = HoursMinutes(text.substr(12));
  if (!time) {
    return std::nullopt;
  }
  Builder out(Kind::kInRangeReport, tables);
  out.Airport("arrival", "Arrival", text.substr(3, 4));
  out.Time("sent_time", "Sent", std::move(*time));
  return std::move(out).Finish();
}

// "/AY0071/INT01/260521/EFHK/RJAA/RJTT/0854/2JKO" and
// "/BA0843/ETA01/230822/LDSP/EGLL/EGSS/2JK0" then "1940/EGLL27L/10": the
// flight, what the message is (INT: the flight's route, ETA: its estimated
// arrival), the flight's date, departure and arrival; a third airport, a
// time and the closing code are not read. Under ETA the next line gives the
// estimate and the arrival runway behind the arrival's code.
std::optional<Decoding> FlightDateSlashRoute(const Message& message, const reference::ReferenceTables& tables) {
  const auto lines = Lines(message.text);
  const auto pieces = Split(lines[0], '/');
  if (pieces.size() < 8 || pieces.size() > 9 || !pieces[0].empty() || !IsFlight(pieces[1]) || !IsIcaoCode(pieces[4]) ||
      !IsIcaoCode(pieces[5]) || (!pieces[6].empty() && !IsIcaoCode(pieces[6])) ||
      (pieces.size() == 9 && !HoursMinutes(pieces[7]))) {
    return std::nullopt;
  }
  const std::string_view code = pieces[2];
  const bool estimate = code == "ETA01";
  const auto date = DayMonthYearDigits(pieces[3]);
  if ((!estimate && code != "INT01") || !date) {
    return std::nullopt;
  }
  Builder out(estimate ? Kind::kEstimatedArrival : Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(pieces[1]));
  out.Airport("departure", "Departure", pieces[4]);
  out.Airport("arrival", "Arrival", pieces[5]);
  if (estimate && lines.size() > 1) {
    const auto items = Split(lines[1], '/');
    const auto eta = items.size() == 3 ? HoursMinutes(items[0]) : std::nullopt;
    if (eta) {
      out.TimeOnDay("eta", "Estimated arrival", *date, *eta, message.received);
      const std::string_view runway = items[1].size() > 4 ? items[1].substr(4) : std::string_view();
      if (items[1].starts_with(pieces[5]) && IsRunway(runway)) {
        out.Text("runway_arrival", "Arrival runway", std::string(runway));
      }
    }
  }
  return std::move(out).Finish();
}

// "KLAX,KPDX,03AUG22,03,F/O,KPDX28L,---,,77378,FO  ,93868,/OU2104/FI  72/
// OF2122/ON2309/IN2313  C7,Y,Y,N,,,,IN,": the route, the flight's date, the
// arrival runway behind the arrival's code, then out, off, on and in; the
// out time dated, the others the nearest to it. The other pieces are not
// read.
std::optional<Decoding> OooiRecord(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() < 12 || !IsIcaoCode(pieces[0]) || !IsIcaoCode(pieces[1]) || !pieces[11].starts_with("/OU")) {
    return std::nullopt;
  }
  const auto date = DayMonthYear(pieces[2]);
  if (!date) {
    return std::nullopt;
  }
  struct Event {
    std::string_view tag;
    const char* field;
    const char* caption;
  };
  static constexpr std::array<Event, 4> kEvents = {
      {{"OU", "out", "Out"}, {"OF", "off", "Off"}, {"ON", "on", "On"}, {"IN", "in", "In"}}};
  std::array<std::optional<std::string>, 4> times;
  for (const std::string_view item : Split(pieces[11].substr(1), '/')) {
    for (std::size_t i = 0; i < kEvents.size(); ++i) {
      if (item.starts_with(kEvents[i].tag) && item.size() >= 6) {
        times[i] = HoursMinutes(item.substr(2, 4));
      }
    }
  }
  if (!times[0]) {
    return std::nullopt;
  }
  Builder out(Kind::kOooiReport, tables);
  out.Airport("departure", "Departure", pieces[0]);
  out.Airport("arrival", "Arrival", pieces[1]);
  const std::string_view runway = pieces[5].size() > 4 ? pieces[5].substr(4) : std::string_view();
  if (pieces[5].starts_with(pieces[1]) && IsRunway(runway)) {
    out.Text("runway_arrival", "Arrival runway", std::string(runway));
  }
  const auto outTime = OnTextDay(*date, *times[0], message.received);
  out.TimeOnDay("out", "Out", *date, *times[0], message.received);
  for (std::size_t i = 1; i < kEvents.size(); ++i) {
    if (times[i]) {
      out.TimeNear(kEvents[i].field, kEvents[i].caption, outTime, *times[i]);
    }
  }
  return std::move(out).Finish();
}

// "121611,N 52.622,E  8.601,32000,301,506,2301,91.90T" (label 1P): the time,
// the position and the altitude in feet; and "POS041216,N59.544,E032.009,
// 1903,..." or "POS082150, N 3885,W 7841,---,308,..." (label 10) and
// "POS041216/N  3.234/E102.727/46240/A26846/M 734" (label 17): the time
// and the position, "N 3885" in hundredths of a degree. The other numbers
// are not read.
std::optional<Decoding> TimedPositionLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view line = FirstLine(message.text);
  const bool slashes = line.find(',') == std::string_view::npos;  // "POS041216/N  3.234/E102.727/..."
  const auto pieces = Split(line, slashes ? '/' : ',');
  if (pieces.size() < 4) {
    return std::nullopt;
  }
  const bool tagged = pieces[0].starts_with("POS");
  const std::string_view clock = tagged ? pieces[0].substr(3) : pieces[0];
  auto time = clock.size() == 6 ? TimeOfDay(clock) : std::nullopt;
  const auto latitude = PointOrHundredths(pieces[1], 'N', 'S');
  const auto longitude = PointOrHundredths(pieces[2], 'E', 'W');
  if (!time || !latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Time("report_time", "Time", std::move(*time));
  out.Position(*latitude, *longitude);
  if (!tagged && pieces.size() == 8 && pieces[7].ends_with('T')) {
    const auto feet = Digits(pieces[3], 5);
    if (feet && *feet <= 60000) {
      out.Altitude(*feet);
    }
  }
  return std::move(out).Finish();
}

// "POX,CSN433    ,04AUG22,121839,PANC,KORD,N048.89,E0-99.14,309, 247,...":
// the flight, the date and time of the position, the route and the
// position: a sign behind "N" or "E", or the letter "S" or "W". The rest
// is not read.
std::optional<Decoding> DatedFlightPosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() < 9 || pieces[0] != "POX") {
    return std::nullopt;
  }
  const std::string_view flight = Trim(pieces[1]);
  const auto date = DayMonthYear(pieces[2]);
  auto time = pieces[3].size() == 6 ? TimeOfDay(pieces[3]) : std::nullopt;
  const auto latitude = SignedAfterLetter(pieces[6], 'N', 'S', 90);
  const auto longitude = SignedAfterLetter(pieces[7], 'E', 'W', 180);
  if (!IsFlight(flight) || !date || !time || !IsIcaoCode(pieces[4]) || !IsIcaoCode(pieces[5]) || !latitude ||
      !longitude) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Text("flight", "Flight", std::string(flight));
  out.Airport("departure", "Departure", pieces[4]);
  out.Airport("arrival", "Arrival", pieces[5]);
  out.TimeOnDay("report_time", "Time", *date, std::move(*time), message.received);
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

// "ARR GATE REQ /AIR ID AS,/DEST KPDX,/ETA 2312": a request for an arrival
// gate, with the arrival and the estimate; the airline's code not read.
std::optional<Decoding> ArrivalGateRequest(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (!text.starts_with("ARR GATE REQ /")) {
    return std::nullopt;
  }
  Builder out(Kind::kGateRequest, tables);
  for (std::string_view item : Split(text.substr(14), '/')) {
    item = Trim(item.ends_with(',') ? item.substr(0, item.size() - 1) : item);
    if (item.starts_with("DEST ") && IsIcaoCode(item.substr(5))) {
      out.Airport("arrival", "Arrival", item.substr(5));
    } else if (item.starts_with("ETA ")) {
      if (auto eta = HoursMinutes(item.substr(4))) {
        out.Time("eta", "Estimated arrival", std::move(*eta));
      }
    }
  }
  return std::move(out).Finish();
}

// "FFT2286,KPHL,1049,    ,OVERNIGHT MX KEPT A/C OUT OF SVC. ...": a crew
// note to a station: the flight, the station and the note (commas in it
// kept); the four digits and the blank piece are not read.
std::optional<Decoding> FlightStationNote(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto pieces = Split(FirstLine(text), ',');
  if (pieces.size() < 5 || !IsFlight(pieces[0]) || !IsIcaoCode(pieces[1]) || !Digits(pieces[2], 4) ||
      (!Trim(pieces[3]).empty() && !AllDigits(Trim(pieces[3])))) {
    return std::nullopt;
  }
  const std::size_t noteStart = pieces[4].data() - text.data();
  std::string note;
  for (const std::string_view line : Lines(text.substr(noteStart))) {
    if (!Trim(line).empty()) {
      note.append(note.empty() ? "" : " ").append(Trim(line));
    }
  }
  if (note.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kCrewMessageToStation, tables);
  out.Text("flight", "Flight", std::string(pieces[0]));
  out.Airport("station", "Station", pieces[1]);
  out.Text("message", "Message", std::move(note));
  return std::move(out).Finish();
}

// "/P1 1204,N  3.807/E101.294,  28068,   97/P2 1206,N  3.689/E101.484,
// 25047,   96/...": points numbered from 1, each a time, a position and the
// altitude in feet; the latest point is the aircraft's. The last number of
// each point is not read.
std::optional<Decoding> NumberedPoints(const Message& message, const reference::ReferenceTables& tables) {
  const auto items = Split(FirstLine(message.text), '/');
  if (items.size() < 3 || items.size() % 2 == 0 || !items[0].empty()) {
    return std::nullopt;
  }
  struct Point {
    std::string time;
    double latitude;
    double longitude;
    double feet;
  };
  std::optional<Point> latest;
  for (std::size_t i = 1; i + 1 < items.size(); i += 2) {
    const auto head = Split(items[i], ',');      // "P1 1204", "N  3.807"
    const auto tail = Split(items[i + 1], ',');  // "E101.294", "  28068", "   97"
    std::string number = "P";                    // appended, as GCC 12 at -O3 warns of a false overlap in "P" + ...
    number += std::to_string((i + 1) / 2);
    number += ' ';
    if (head.size() != 2 || tail.size() != 3 || !head[0].starts_with(number)) {
      return std::nullopt;
    }
    auto time = HoursMinutes(head[0].substr(number.size()));
    const auto latitude = DecimalDegrees(head[1], 'N', 'S');
    const auto longitude = DecimalDegrees(tail[0], 'E', 'W');
    const std::string_view feetText = Trim(tail[1]);
    const auto feet = Digits(feetText, feetText.size());
    if (!time || !latitude || !longitude || !feet || *feet > 60000) {
      return std::nullopt;
    }
    latest = Point{std::move(*time), *latitude, *longitude, static_cast<double>(*feet)};
  }
  Builder out(Kind::kPositionReport, tables);
  out.Time("report_time", "Time", std::move(latest->time));
  out.Position(latest->latitude, latest->longitude);
  out.Altitude(latest->feet);
  return std::move(out).Finish();
}

// "N,E,2022-06-18 22:37:37,12930,METAR,KMAF," and "N,R,2022-08-04 12:20:52,
//   17432799,04AUG,5291,KCOS,KDEN,3520,AGT,,,," (labels 10, 11, 13, 17, 1B;
// sometimes behind "1,", the date sometimes "04AUG22"): two letters, the
// date and time the message was sent, then a weather request's airport or,
// behind a number and a day, a four-digit number and the route. Other
// contents are not read; the message then gives its time only.
std::optional<Decoding> DatedAirlineRecord(const Message& message, const reference::ReferenceTables& tables) {
  auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() >= 4 && pieces[0].size() == 1 && IsDigitChar(pieces[0][0])) {
    pieces.erase(pieces.begin());
  }
  if (pieces.size() < 4) {
    return std::nullopt;
  }
  const std::string_view first = Trim(pieces[0]);
  const std::string_view second = pieces[1];
  auto sent = ReadDateAndTime(pieces[2]);
  if (first.size() != 1 || std::string_view("NPH").find(first[0]) == std::string_view::npos || second.size() != 1 ||
      std::string_view("REH").find(second[0]) == std::string_view::npos || !sent) {
    return std::nullopt;
  }
  const bool weather = pieces.size() >= 6 && pieces[4] == "METAR" && IsIcaoCode(pieces[5]);
  const bool route = pieces.size() >= 8 && IsDayMonth(pieces[4]) && Digits(pieces[5], 4) && IsIcaoCode(pieces[6]) &&
                     IsIcaoCode(pieces[7]);
  Builder out(weather ? Kind::kWeatherRequest : route ? Kind::kFlightRoute : Kind::kAirlineMessage, tables);
  out.TimeOnDay("sent_time", "Sent", sent->day, std::move(sent->time), message.received);
  if (weather) {
    out.Airport("airport", "Airport", pieces[5]);
  } else if (route) {
    out.Airport("departure", "Departure", pieces[6]);
    out.Airport("arrival", "Arrival", pieces[7]);
  }
  return std::move(out).Finish();
}

// "0,KFLLKAUS2108" (label 17): a digit, the route and the estimated arrival.
std::optional<Decoding> RouteEstimate(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = Trim(FirstLine(message.text));
  if (text.size() != 14 || !IsDigitChar(text[0]) || text[1] != ',' || !IsIcaoCode(text.substr(2, 4)) ||
      !IsIcaoCode(text.substr(6, 4))) {
    return std::nullopt;
  }
  auto eta = HoursMinutes(text.substr(10));
  if (!eta) {
    return std::nullopt;
  }
  Builder out(Kind::kEstimatedArrival, tables);
  out.Airport("departure", "Departure", text.substr(2, 4));
  out.Airport("arrival", "Arrival", text.substr(6, 4));
  out.Time("eta", "Estimated arrival", std::move(*eta));
  return std::move(out).Finish();
}

// "ERDCN 50.168E  9.277,37998,  9.1,433" (label 19): the flight phases left
// and entered (as the phase changes of label 4A name them), the position,
// the altitude in feet; the last two numbers are not read.
std::optional<Decoding> PhaseChangePosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() != 4 || pieces[0].size() < 12 ||
      !std::all_of(pieces[0].begin(), pieces[0].begin() + 4, [](char c) { return c >= 'A' && c <= 'Z'; })) {
    return std::nullopt;
  }
  const std::string_view place = pieces[0].substr(4);  // "N 50.168E  9.277"
  const auto split = FindAnyOf(place, "EW", 1);
  const auto latitude =
      split == std::string_view::npos ? std::nullopt : DecimalDegrees(place.substr(0, split), 'N', 'S');
  const auto longitude = split == std::string_view::npos ? std::nullopt : DecimalDegrees(place.substr(split), 'E', 'W');
  const auto feet = Digits(pieces[1], 5);
  if (!latitude || !longitude || !feet || *feet > 60000 || !Number(pieces[2]) || !Number(pieces[3])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightPhaseChange, tables);
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// "000000070LOWW,KEWR,0932,1744,N 49.223,E 12.038,0659" (label 1L): nine
// digits, the route, two times not read, the position, four digits not
// read; or "000000660N50442E005566,100444359SOG-06 ,,..." nine digits and
// the position in degrees and tenths of minutes, the rest not read.
std::optional<Decoding> NumberedRoutePosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() >= 2 && pieces[0].size() == 22 && AllDigits(pieces[0].substr(0, 9))) {  // "...N50442E005566"
    const auto latitude = PackedCoordinate(pieces[0].substr(9, 6), 'N', 'S', 2);
    const auto longitude = PackedCoordinate(pieces[0].substr(15), 'E', 'W', 3);
    if (!latitude || !longitude) {
      return std::nullopt;
    }
    Builder out(Kind::kPositionReport, tables);
    out.Position(*latitude, *longitude);
    return std::move(out).Finish();
  }
  if (pieces.size() != 7 || pieces[0].size() != 13 || !AllDigits(pieces[0].substr(0, 9)) ||
      !IsIcaoCode(pieces[0].substr(9)) || !IsIcaoCode(pieces[1]) || !HoursMinutes(pieces[2]) ||
      !HoursMinutes(pieces[3]) || !Digits(pieces[6], 4)) {
    return std::nullopt;
  }
  const auto latitude = DecimalDegrees(pieces[4], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[5], 'E', 'W');
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Airport("departure", "Departure", pieces[0].substr(9));
  out.Airport("arrival", "Arrival", pieces[1]);
  out.Position(*latitude, *longitude);
  return std::move(out).Finish();
}

// "DE1570,1217,1222,LPMA,1613,EDDF,,,.D-AIAC04AUG22122248      ----" (label
// 1B): the flight, three times not read around the departure, the arrival,
// then the registration run together with the date and time it was sent.
std::optional<Decoding> FlightTimesRegistration(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() != 9 || !IsFlight(pieces[0]) || !HoursMinutes(pieces[1]) || !HoursMinutes(pieces[2]) ||
      !IsIcaoCode(pieces[3]) || !HoursMinutes(pieces[4]) || !IsIcaoCode(pieces[5]) || !pieces[8].starts_with('.')) {
    return std::nullopt;
  }
  const std::string_view stamped = pieces[8].substr(1, pieces[8].find(' ') - 1);  // "D-AIAC04AUG22122248"
  if (stamped.size() < 16 || stamped.size() > 20) {
    return std::nullopt;
  }
  const std::string_view tail = stamped.substr(0, stamped.size() - 13);
  const auto date = DayMonthYear(stamped.substr(tail.size(), 7));
  auto time = TimeOfDay(stamped.substr(tail.size() + 7));
  if (!date || !time || tail.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") != std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(pieces[0]));
  out.Airport("departure", "Departure", pieces[3]);
  out.Airport("arrival", "Arrival", pieces[5]);
  out.Text("tail", "Aircraft", std::string(tail));
  out.TimeOnDay("sent_time", "Sent", *date, std::move(*time), message.received);
  return std::move(out).Finish();
}

// "RPVM/RPLL LOADSHEET FINAL  RCVD 84  04" (label 11): the route, then the
// word that the final loadsheet was received; the numbers are not read.
std::optional<Decoding> LoadsheetReceived(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = Trim(FirstLine(message.text));
  if (text.size() < 30 || text[4] != '/' || !IsIcaoCode(text.substr(0, 4)) || !IsIcaoCode(text.substr(5, 4)) ||
      !text.substr(9).starts_with(" LOADSHEET FINAL ") || text.find(" RCVD ", 25) == std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(Kind::kLoadsheet, tables);
  out.Airport("departure", "Departure", text.substr(0, 4));
  out.Airport("arrival", "Arrival", text.substr(5, 4));
  return std::move(out).Finish();
}

// "GSO1000000000GATE AGENT TRIED TO     BOARD 51PAX & ..." (label 1W): an
// airport's IATA code and ten flags (neither read: what the code stands for
// is not shown), then the crew's free text, its padding closed up.
std::optional<Decoding> FlaggedFreeText(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 16 || !std::all_of(text.begin(), text.begin() + 3, [](char c) { return c >= 'A' && c <= 'Z'; }) ||
      text.substr(3, 10).find_first_not_of("01") != std::string_view::npos) {
    return std::nullopt;
  }
  std::string words;
  for (const std::string_view line : Lines(text.substr(13))) {
    for (const std::string_view word : Split(line, ' ')) {
      if (!word.empty()) {
        words.append(words.empty() ? "" : " ").append(word);
      }
    }
  }
  if (std::none_of(words.begin(), words.end(), IsUpper)) {
    return std::nullopt;
  }
  Builder out(Kind::kFreeText, tables);
  out.Text("message", "Message", std::move(words));
  return std::move(out).Finish();
}

// "----,----,04AUG22,1442" then "N 59.377,E 17.945,22,1,136975," and
// "WIII,WIMM,03AUG22,0750" then "7,131550," (label 1X): the route (dashes
// when not known), a date and time not read, then on the next line the
// position when given and, last, the VHF frequency in kilohertz. The other
// numbers are not read.
std::optional<Decoding> RouteFrequency(const Message& message, const reference::ReferenceTables& tables) {
  const auto lines = Lines(message.text);
  const auto head = Split(lines[0], ',');
  const auto isAirport = [](std::string_view code) { return code == "----" || IsIcaoCode(code); };
  if (lines.size() < 2 || head.size() != 4 || !isAirport(head[0]) || !isAirport(head[1]) || !DayMonthYear(head[2]) ||
      !HoursMinutes(head[3])) {
    return std::nullopt;
  }
  auto body = Split(lines[1], ',');
  if (body.size() >= 2 && body.back().empty()) {
    body.pop_back();
  }
  const auto kilohertz = Digits(body.back(), 6);
  if (!kilohertz || *kilohertz < 118000 || *kilohertz > 136999) {
    return std::nullopt;
  }
  const auto latitude = body.size() >= 3 ? DecimalDegrees(body[0], 'N', 'S') : std::nullopt;
  const auto longitude = body.size() >= 3 ? DecimalDegrees(body[1], 'E', 'W') : std::nullopt;
  Builder out(latitude && longitude ? Kind::kPositionReport : Kind::kFlightRoute, tables);
  if (head[0] != "----") {
    out.Airport("departure", "Departure", head[0]);
  }
  if (head[1] != "----") {
    out.Airport("arrival", "Arrival", head[1]);
  }
  if (latitude && longitude) {
    out.Position(*latitude, *longitude);
  }
  out.Megahertz(*kilohertz);
  return std::move(out).Finish();
}

// "0002022120000325114AUG22    KBWIEDDFDE2075    .D-ABUC,10582,,0800,..."
// (label 1L): digits not read, a date not read, the route, the flight in ten
// places, the registration behind a point; the rest not read.
std::optional<Decoding> DatedRouteFlightRegistration(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view line = FirstLine(message.text);
  const auto comma = line.find(',');
  const auto route = FindFirstFailing(line, IsDigit);
  if (comma == std::string_view::npos || route == std::string_view::npos || route < 11 ||
      !DayMonthYear(line.substr(route - 2, 7))) {
    return std::nullopt;
  }
  // The date's day is the last two digits of the run; the route follows
  // the date and its padding.
  const auto codes = line.find_first_not_of(' ', route + 5);
  if (codes == std::string_view::npos || codes + 19 > comma || line[codes + 18] != '.') {
    return std::nullopt;
  }
  const std::string_view flight = Trim(line.substr(codes + 8, 10));
  const std::string_view tail = line.substr(codes + 19, comma - codes - 19);
  if (!IsIcaoCode(line.substr(codes, 4)) || !IsIcaoCode(line.substr(codes + 4, 4)) || !IsFlight(flight) ||
      tail.size() < 3 || tail.size() > 7 ||
      tail.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") != std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Airport("departure", "Departure", line.substr(codes, 4));
  out.Airport("arrival", "Arrival", line.substr(codes + 4, 4));
  out.Text("flight", "Flight", std::string(flight));
  out.Text("tail", "Aircraft", std::string(tail));
  return std::move(out).Finish();
}

// "(2AAAA03-AUG-22 22:34Z)DATALINK SERVICE SUSPENDED ... IS N790Z.(Z" and
// "(2AALT" / "03-AUG-22 23:25Z)" / "FROM: GDFS)" / "  TO: N689QS)" /
// "FLIGHT PLAN (CE7872, ...)" / "(Z" (label 14): the business aircraft
// service's messages, each line closed by ")" (beyond the text's own
// parentheses), the whole by "(Z": the time
// sent, the aircraft it goes to ("TO:") and the text; the four letters
// after "(2" and the sender are not read.
std::optional<Decoding> BracketedDatedText(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  while (text.ends_with('\r') || text.ends_with('\n')) {
    text.remove_suffix(1);
  }
  if (text.size() < 26 || !text.starts_with("(2") || !text.ends_with("(Z") ||
      !std::all_of(text.begin() + 2, text.begin() + 6, [](char c) { return c >= 'A' && c <= 'Z'; })) {
    return std::nullopt;
  }
  std::string_view body = text.substr(6, text.size() - 8);
  if (body.starts_with("\r\n")) {
    body.remove_prefix(2);
  }
  // "03-AUG-22 23:25Z)"
  if (body.size() < 17 || body[2] != '-' || body[6] != '-' || body[9] != ' ' || body[12] != ':' ||
      body.substr(15, 2) != "Z)") {
    return std::nullopt;
  }
  const std::string date =
      std::string(body.substr(0, 2)) + std::string(body.substr(3, 3)) + std::string(body.substr(7, 2));
  const std::string clock = std::string(body.substr(10, 2)) + std::string(body.substr(13, 2));
  const auto day = DayMonthYear(date);
  auto time = HoursMinutes(clock);
  if (!day || !time) {
    return std::nullopt;
  }
  Builder out(Kind::kFreeText, tables);
  out.TimeOnDay("sent_time", "Sent", *day, std::move(*time), message.received);
  std::string words;
  for (std::string_view line : Lines(body.substr(17))) {
    // The closing ")" of a line, unless it closes the line's own "(".
    const bool closed = std::count(line.begin(), line.end(), ')') > std::count(line.begin(), line.end(), '(');
    line = Trim(closed && line.ends_with(')') ? line.substr(0, line.size() - 1) : line);
    if (line.starts_with("TO: ")) {
      const std::string_view tail = Trim(line.substr(4));
      if (tail.size() >= 3 && tail.size() <= 7 && tail[0] >= 'A' && tail[0] <= 'Z' &&
          tail.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") == std::string_view::npos) {
        out.Text("tail", "Aircraft", std::string(tail));
      }
    } else if (!line.empty() && !line.starts_with("FROM: ")) {
      words.append(words.empty() ? "" : " ").append(line);
    }
  }
  if (!words.empty()) {
    out.Text("message", "Message", std::move(words));
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
