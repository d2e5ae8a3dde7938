// Forms of the numbered and lettered labels that several airlines share:
//   "/14 OFF EVENT      / KIAD KDEN 08 124438/TIME 1244"    (event reports)
//   "FTX01YX4687/04042233KJFKKDCA"                          (flight headers)
//   "N50412E005316KON39 ,084417370GUBAX ,085553,M57,..."     (waypoint reports)
//   "02XAABQKABQ13502N10637WV136975/ARINC"                  (squitters)
//   "/KLAX.TI2/040KLAXA3625"                                (ATIS requests)
//   "010394/AUTPOS/LLD N350447 W1070026 ..."                (automatic positions)
//   "TOD01,ASL27E,LYBE,EKCH,18DEC19,0741,EKCH22L"           (top of descent)
//   "LOG C-FDBD00121/DA CYQB/DS CYBG/FN SWG419/..."          (flight logs)
// and a few single-label forms. Each checks its fixed pieces before it reads
// anything and leaves out what the traffic does not show beyond doubt.
#include <algorithm>
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

// ---- Event reports ---------------------------------------------------------

struct EventTitle {
  std::string_view title;
  Kind kind;
  const char* timeField;  // what "/TIME" gives, or nullptr
  const char* timeCaption;
};

constexpr std::array<EventTitle, 17> kEventTitles = {{
    {"OUT EVENT", Kind::kOutReport, "out", "Out"},
    {"OFF EVENT", Kind::kOffReport, "off", "Off"},
    {"ON EVENT", Kind::kOnReport, "on", "On"},
    {"IN EVENT", Kind::kInReport, "in", "In"},
    {"EXP TIME", Kind::kExpectedOnTime, nullptr, nullptr},
    {"DISP MSG", Kind::kDispatchMessage, nullptr, nullptr},
    {"GATE REQ", Kind::kGateRequest, nullptr, nullptr},
    {"GATE RTN", Kind::kGateReturn, nullptr, nullptr},
    {"HOWGOZIT REQ", Kind::kFlightProgressRequest, nullptr, nullptr},
    {"LDG DATA REQ", Kind::kLandingDataRequest, nullptr, nullptr},
    {"TO DATA REQ", Kind::kTakeoffDataRequest, nullptr, nullptr},
    {"METAR", Kind::kWeatherRequest, nullptr, nullptr},
    {"RESET", Kind::kResetReport, nullptr, nullptr},
    {"POST RPT", Kind::kPostFlightReport, "in", "In"},
    {"POST TIMES SECS", Kind::kPostFlightReport, nullptr, nullptr},
    {"1ST PDOOR OPEN", Kind::kDoorOpened, "event_time", "Door opened"},
    {"IN FUEL FOB RPT", Kind::kFuelReport, nullptr, nullptr},
}};

const EventTitle* TitleOf(std::string_view title) {
  for (const EventTitle& known : kEventTitles) {
    if (known.title == title) {
      return &known;
    }
  }
  return nullptr;
}

// "/LOC +38.9603,-077.4595": signed decimal degrees.
void ReadSignedLocation(std::string_view value, Builder& out) {
  const auto comma = value.find(',');
  if (comma == std::string_view::npos || value.empty() || (value[0] != '+' && value[0] != '-')) {
    return;
  }
  const auto latitude = Number(value.substr(0, comma));
  const auto longitude = Number(value.substr(comma + 1));
  if (latitude && longitude && *latitude >= -90 && *latitude <= 90 && *longitude >= -180 && *longitude <= 180) {
    out.Position(*latitude, *longitude);
  }
}

// The "/TAG value" items after an event report's heading.
void ReadEventItems(std::string_view rest, const EventTitle& title, std::optional<UtcSeconds> sent, Builder& out) {
  for (std::string_view item : Split(rest, '/')) {
    item = Trim(item.substr(0, item.find_first_of("\r\n")));
    if (item.starts_with("TIME ") && title.timeField != nullptr) {
      if (const auto time = HoursMinutes(item.substr(5))) {
        out.TimeNear(title.timeField, title.timeCaption, sent, *time);
      }
    } else if (item.starts_with("EON ")) {
      if (const auto time = HoursMinutes(item.substr(4, 4))) {
        out.TimeNear("estimated_on", "Estimated on", sent, *time);
      }
    } else if (item.starts_with("FLT ") && Digits(item.substr(4), 4)) {
      out.Text("flight", "Flight", std::string(item.substr(4)));
    } else if (item.starts_with("LOC ")) {
      ReadSignedLocation(item.substr(4), out);
    }
  }
}

// The words after a request's heading: the flight number of gate and
// progress requests, the airport and runway of landing data requests.
void ReadRequestWords(std::string_view rest, Kind kind, Builder& out) {
  std::vector<std::string_view> words;
  for (const std::string_view word : Split(FirstLine(rest), ' ')) {
    if (!word.empty()) {
      words.push_back(word);
    }
  }
  if (words.empty()) {
    return;
  }
  if ((kind == Kind::kGateRequest || kind == Kind::kFlightProgressRequest) && Digits(words[0], 4)) {
    out.Text("flight", "Flight", std::string(words[0]));
  } else if (kind == Kind::kLandingDataRequest && words.size() >= 2 && words[1].size() >= 2 && words[1].size() <= 4 &&
             words[1][0] == 'R' && IsDigit(words[1][1])) {
    out.Text("runway_arrival", "Arrival runway", std::string(words[1].substr(1)));
  }
}

// ---- Flight headers ---------------------------------------------------------

struct HeaderCode {
  std::string_view code;
  Kind kind;
};

constexpr std::array<HeaderCode, 10> kHeaderCodes = {{
    {"FTX", Kind::kFreeText},
    {"OUT", Kind::kOutReport},
    {"OFF", Kind::kOffReport},
    {"ONN", Kind::kOnReport},
    {"INN", Kind::kInReport},
    {"TKO", Kind::kTakeoffReport},
    {"WXR", Kind::kWeatherRequest},
    {"ETA", Kind::kEstimatedArrival},
    {"POS", kPositionReport},
    {"MNT", Kind::kMaintenanceMessage},
}};

Kind HeaderKind(std::string_view code) {
  for (const HeaderCode& known : kHeaderCodes) {
    if (known.code == code) {
      return known.kind;
    }
  }
  return Kind::kAirlineMessage;
}

// "LATN 41.264" / "LONE 28.750" and "ALT36000" lines of the headers' bodies.
// True when they gave a position.
bool ReadLatLonLines(std::string_view body, Builder& out) {
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::optional<double> altitude;
  for (std::string_view line : Split(body, '\n')) {
    line = Trim(line.substr(0, line.find('\r')));
    if (line.starts_with("ALT")) {
      const auto feet = Digits(line.substr(3), 5);
      altitude = feet && *feet <= 60000 ? std::optional<double>(*feet) : std::nullopt;
    } else if (line.size() > 4 && line.starts_with("LAT")) {
      latitude = DecimalDegrees(line.substr(3), 'N', 'S');
    } else if (line.size() > 4 && line.starts_with("LON")) {
      longitude = DecimalDegrees(line.substr(3), 'E', 'W');
    }
  }
  if (latitude && longitude) {
    out.Position(*latitude, *longitude);
  }
  if (altitude) {
    out.Altitude(*altitude);
  }
  return latitude && longitude;
}

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

// ---- Squitters ------------------------------------------------------------

// "3502N" / "10637W": degrees and whole minutes, then the hemisphere.
std::optional<double> MinutesThenHemisphere(std::string_view text, std::size_t degreeDigits, char positive,
                                            char negative) {
  if (text.size() != degreeDigits + 3) {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(0, degreeDigits), degreeDigits);
  const auto minutes = Digits(text.substr(degreeDigits, 2), 2);
  const char hemisphere = text.back();
  if (!degrees || !minutes || *minutes > 59 || (hemisphere != positive && hemisphere != negative)) {
    return std::nullopt;
  }
  const double value = *degrees + *minutes / 60.0;
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return hemisphere == positive ? value : -value;
}

const char* NetworkName(char letter) {
  switch (letter) {
    case 'A':
      return "ARINC";
    case 'S':
      return "SITA";
    default:
      return nullptr;
  }
}

// ---- Tagged reports (label 1L) ---------------------------------------------

// One "TAG value" item of the 1L and 2B reports; tags not known for sure are passed
// over.
struct TaggedTime {
  const char* field;
  const char* caption;
  std::string time;
};

// What the tagged items give beyond the fields they add at once: the
// position (both halves needed), and the times, written at the end because
// a date may come after them ("OT 2153/.../10MAR20/UTC 023216").
struct TaggedItems {
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::vector<TaggedTime> times;
  std::optional<TextDay> date;
  std::optional<std::string> sent;  // "UTC": when the report was sent
  std::optional<double> windDirection;
  std::optional<double> windSpeed;
};

// "37998" or "37000FT": an altitude in feet.
std::optional<double> TaggedFeet(std::string_view value) {
  if (value.ends_with("FT")) {
    value.remove_suffix(2);
  }
  const auto feet = Digits(value, value.size());
  return feet && value.size() >= 3 && *feet <= 60000 ? std::optional<double>(*feet) : std::nullopt;
}

void ReadTaggedItem(std::string_view item, Builder& out, TaggedItems& state) {
  std::optional<double>& latitude = state.latitude;
  std::optional<double>& longitude = state.longitude;
  const auto space = item.find(' ');
  const std::string_view tag = item.substr(0, space);
  const std::string_view value = space == std::string_view::npos ? std::string_view() : Trim(item.substr(space));
  if (tag == "LAT") {
    latitude = DecimalDegrees(value, 'N', 'S');
  } else if (tag == "LON") {
    longitude = DecimalDegrees(value, 'E', 'W');
  } else if (tag == "ALT") {
    if (const auto feet = TaggedFeet(value)) {
      out.Altitude(*feet);
    }
  } else if (tag == "WD" || tag == "WS") {
    const auto number = Digits(value, value.size());
    const bool inRange = number && (tag == "WD" ? *number <= 360 : *number <= 300);
    (tag == "WD" ? state.windDirection : state.windSpeed) = inRange ? std::optional<double>(*number) : std::nullopt;
  } else if (tag == "TAT") {
    if (const auto celsius = Number(value); celsius && *celsius >= -99 && *celsius <= 60) {
      out.TotalAirTemperature(*celsius);
    }
  } else if ((tag == "DEP" || tag == "DA") && IsIcaoCode(value)) {
    out.Airport("departure", "Departure", value);
  } else if ((tag == "DES" || tag == "DS") && IsIcaoCode(value)) {
    out.Airport("arrival", "Arrival", value);
  } else if (tag == "ETA") {
    if (const auto time = HoursMinutes(value)) {
      state.times.push_back({"eta", "Estimated arrival", *time});
    }
  } else if (tag == "OT" || tag == "OF") {
    if (const auto time = HoursMinutes(value)) {
      state.times.push_back({tag == "OT" ? "out" : "off", tag == "OT" ? "Out" : "Off", *time});
    }
  } else if (tag == "ON" || tag == "IN") {
    if (const auto time = HoursMinutes(value)) {
      state.times.push_back({tag == "ON" ? "on" : "in", tag == "ON" ? "On" : "In", *time});
    }
  } else if (tag == "UTC") {
    if (auto time = TimeOfDay(value)) {
      state.sent = std::move(*time);
    }
  } else if (const auto date = value.empty() ? DayMonthYear(tag) : std::nullopt) {
    state.date = date;
  } else if (tag == "DAY" && DayMonthYear(value)) {
    state.date = DayMonthYear(value);
  } else if (tag == "FN" && IsFlight(value)) {
    out.Text("flight", "Flight", std::string(value));
  }
}

// The tagged items' times: with a date, the time sent on that date and the
// others the nearest to it (out 21:53 before a log sent at 02:32 is the
// evening before).
void EndTaggedItems(TaggedItems& state, const ReceiveTime& received, Builder& out) {
  std::optional<UtcSeconds> sent;
  if (state.sent && state.date) {
    sent = OnTextDay(*state.date, *state.sent, received);
  }
  for (TaggedTime& item : state.times) {
    out.TimeNear(item.field, item.caption, sent, std::move(item.time));
  }
  if (sent) {
    out.Stamp("sent_time", "Sent", *sent, true);
  } else if (state.sent) {
    out.Time("sent_time", "Sent", std::move(*state.sent));
  }
  if (state.windDirection && state.windSpeed) {
    out.Wind(*state.windDirection, *state.windSpeed);
  }
}

// "N 22.027" or "+ 39.126": a coordinate with its hemisphere or its sign.
std::optional<double> LeadCoordinate(std::string_view text, char positive, char negative, double limit) {
  text = Trim(text);
  if (!text.empty() && (text[0] == positive || text[0] == negative)) {
    return DecimalDegrees(text, positive, negative);
  }
  const auto value = Number(text);
  if (text.empty() || (text[0] != '+' && text[0] != '-') || !value || *value < -limit || *value > limit) {
    return std::nullopt;
  }
  return value;
}

// "N366221" / "W1089766": a hemisphere letter, the whole degrees
// (wholeDigits of them), then the decimals without their point.
std::optional<double> PointlessDegrees(std::string_view text, std::size_t wholeDigits, char positive, char negative) {
  if (text.size() < wholeDigits + 3 || text.size() > wholeDigits + 5 || (text[0] != positive && text[0] != negative) ||
      !AllOf(text.substr(1), IsDigit)) {
    return std::nullopt;
  }
  double value = 0;
  for (const char c : text.substr(1, wholeDigits)) {
    value = value * 10 + (c - '0');
  }
  double scale = 0.1;
  for (const char c : text.substr(1 + wholeDigits)) {
    value += (c - '0') * scale;
    scale /= 10;
  }
  if (value > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? value : -value;
}

// ---- Route headings (labels 24, 39, 4N) ------------------------------------

bool IsStation(std::string_view text) { return (text.size() == 3 || text.size() == 4) && AllOf(text, IsUpper); }

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
  const double value = *degrees + *minutes / 60.0 + *seconds / 3600.0;
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

}  // namespace

// "/14 OFF EVENT      / KIAD KDEN 08 124438/TIME 1244": the report's
// title, the route, the day and time it was sent, and the items that follow.
std::optional<Decoding> EventReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 40 || text[0] != '/' || text[3] != ' ') {
    return std::nullopt;
  }
  const auto slash = text.find('/', 4);
  if (slash == std::string_view::npos || slash + 22 > text.size() || text[slash + 1] != ' ') {
    return std::nullopt;
  }
  const std::string_view route = text.substr(slash + 2, 20);  // "KIAD KDEN 08 124438"
  const auto time = TimeOfDay(route.substr(13, 6));
  if (!IsIcaoCode(route.substr(0, 4)) || route[4] != ' ' || !IsIcaoCode(route.substr(5, 4)) || route[9] != ' ' ||
      !Digits(route.substr(10, 2), 2) || route[12] != ' ' || !time) {
    return std::nullopt;
  }
  const EventTitle* title = TitleOf(Trim(text.substr(4, slash - 4)));
  if (title == nullptr) {
    return std::nullopt;
  }
  Builder out(title->kind, tables);
  out.Airport("departure", "Departure", route.substr(0, 4));
  out.Airport("arrival", "Arrival", route.substr(5, 4));
  const auto sent = OnTextDay({0, 0, *Digits(route.substr(10, 2), 2)}, *time, message.received);
  if (sent) {
    out.Stamp("sent_time", "Sent", *sent, true);
  } else {
    out.Time("sent_time", "Sent", *time);
  }
  const std::string_view rest = text.substr(slash + 21);
  if (!rest.empty() && rest[0] == ' ') {
    ReadRequestWords(rest.substr(1), title->kind, out);
  }
  ReadEventItems(rest, *title, sent, out);
  return std::move(out).Finish();
}

// "FTX01YX4687/04042233KJFKKDCA" and "PBS01AFL2137   /13131406LTFMUUEE":
// the message's code, the flight, two days of month and the time (HHMM),
// and the route; for some codes a body with "LATN"/"LONE" lines follows.
std::optional<Decoding> FlightHeader(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 26 || !AllOf(text.substr(0, 3), IsUpper) || !Digits(text.substr(3, 2), 2)) {
    return std::nullopt;
  }
  const auto slash = text.find('/', 5);
  if (slash == std::string_view::npos || slash > 15 || slash + 17 > text.size()) {
    return std::nullopt;
  }
  const std::string_view flight = Trim(text.substr(5, slash - 5));
  const std::string_view when = text.substr(slash + 1, 8);
  const auto time = HoursMinutes(when.substr(4));
  const std::string_view departure = text.substr(slash + 9, 4);
  const std::string_view arrival = text.substr(slash + 13, 4);
  // Some airlines write "--" for the first of the two days ("--090959").
  const bool firstDayDashed = when.starts_with("--");
  if (!IsFlight(flight) ||
      !Digits(when.substr(firstDayDashed ? 2 : 0, firstDayDashed ? 2 : 4), firstDayDashed ? 2 : 4) || !time ||
      !IsIcaoCode(departure) || !IsIcaoCode(arrival)) {
    return std::nullopt;
  }
  Builder out(HeaderKind(text.substr(0, 3)), tables);
  out.Text("flight", "Flight", std::string(flight));
  // The day of the month, written twice ("0404"); a pair that disagrees
  // gives no day.
  const int day = firstDayDashed || when.substr(0, 2) == when.substr(2, 2) ? *Digits(when.substr(2, 2), 2) : 0;
  if (day != 0) {
    out.TimeOnDay("sent_time", "Sent", {0, 0, day}, *time, message.received);
  } else {
    out.Time("sent_time", "Sent", *time);
  }
  out.Airport("departure", "Departure", departure);
  out.Airport("arrival", "Arrival", arrival);
  // A position report's header whose body gives no position says only the
  // flight and its route.
  if (!ReadLatLonLines(text.substr(slash + 17), out) && HeaderKind(text.substr(0, 3)) == kPositionReport) {
    out.SetKind(Kind::kFlightRoute);
  }
  return std::move(out).Finish();
}

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

// "02XAABQKABQ13502N10637WV136975/ARINC": version, "X", the network's
// letter, the ground station (IATA then ICAO), a digit, its position to the
// minute and its frequency; "01XAABQKABQ1ARINC" names the station only.
std::optional<Decoding> Squitter(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 12 || !Digits(text.substr(0, 2), 2) || text[2] != 'X') {
    return std::nullopt;
  }
  const char* network = NetworkName(text[3]);
  const std::string_view iata = text.substr(4, 3);
  const std::string_view icao = text.substr(7, 4);
  if (network == nullptr || !AllOf(iata, IsUpper) || !IsIcaoCode(icao) || !IsDigit(text[11])) {
    return std::nullopt;
  }
  Builder out(Kind::kSquitter, tables);
  out.Text("network", "Network", network);
  out.Text("station_iata", "Station (IATA)", std::string(iata));
  out.Airport("station", "Station", icao);
  if (text.size() >= 30 && text[0] == '0' && text[1] == '2') {
    const auto latitude = MinutesThenHemisphere(text.substr(12, 5), 2, 'N', 'S');
    const auto longitude = MinutesThenHemisphere(text.substr(17, 6), 3, 'E', 'W');
    if (latitude && longitude) {
      out.Position(*latitude, *longitude);
    }
    const auto kilohertz = Digits(text.substr(24, 6), 6);
    if (text[23] == 'V' && kilohertz && *kilohertz >= 118000 && *kilohertz <= 137000) {
      out.Megahertz(*kilohertz);
    }
  }
  return std::move(out).Finish();
}

// "/KLAX.TI2/040KLAXA3625": a request for the airport's ATIS.
std::optional<Decoding> AtisRequest(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 18 || text[0] != '/' || text.substr(5, 5) != ".TI2/" || !IsIcaoCode(text.substr(1, 4)) ||
      !Digits(text.substr(10, 3), 3) || text.substr(13, 4) != text.substr(1, 4)) {
    return std::nullopt;
  }
  Builder out(Kind::kAtisRequest, tables);
  out.Airport("airport", "Airport", text.substr(1, 4));
  return std::move(out).Finish();
}

// "01CLER VIR141/191334EGLLKLAX" then "+35764282.3- 17.8", or
// "01ERDCBOX487    /041214KLAXEDDF" then "35002 274.8 -19.6": the flight
// phases left and entered, the flight, day and time, the route, then the
// altitude and the total air temperature (the middle number not read).
std::optional<Decoding> FlightPhaseChange(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto lineEnd = text.find("\r\n");
  const bool spaced = lineEnd == 28;  // " VIR141/": the flight behind a space, in six places
  if ((lineEnd != 28 && lineEnd != 31) || text.size() < lineEnd + 19 || text.substr(0, 2) != "01" ||
      !AllOf(text.substr(2, 4), IsUpper) || (spaced && text[6] != ' ') || text[lineEnd - 15] != '/') {
    return std::nullopt;
  }
  const std::string_view flight = Trim(text.substr(spaced ? 7 : 6, spaced ? 6 : 10));
  const std::string_view stamp = text.substr(lineEnd - 14, 14);  // "191334EGLLKLAX"
  const auto time = HoursMinutes(stamp.substr(2, 4));
  const std::string_view values = text.substr(lineEnd + 2, 17);
  // "+35764282.3- 17.8" in fixed places, or "35002 274.8 -19.6" parted by spaces.
  const bool parted = values[5] == ' ' && values[11] == ' ';
  const auto feet = Number(values.substr(0, parted ? 5 : 6));
  const std::string_view temperature = values.substr(parted ? 12 : 11, parted ? 5 : 6);
  const auto celsius = Number(temperature);
  if (!IsFlight(flight) || !Digits(stamp.substr(0, 2), 2) || !time || !IsIcaoCode(stamp.substr(6, 4)) ||
      !IsIcaoCode(stamp.substr(10, 4)) || !feet || !celsius || *feet < -2000 || *feet > 60000 ||
      (temperature[0] != '+' && temperature[0] != '-')) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightPhaseChange, tables);
  out.Text("flight", "Flight", std::string(flight));
  out.TimeOnDay("event_time", "Time", {0, 0, *Digits(stamp.substr(0, 2), 2)}, *time, message.received);
  out.Airport("departure", "Departure", stamp.substr(6, 4));
  out.Airport("arrival", "Arrival", stamp.substr(10, 4));
  out.Altitude(*feet);
  if (*celsius >= -99 && *celsius <= 60) {
    out.TotalAirTemperature(*celsius);  // the probe's reading, ram rise included
  }
  return std::move(out).Finish();
}

// "063200,1910,.N343FR,FFT2028,KSLC,KORD,1,0632,RT0,LT0,": time, day and
// month, the aircraft, the flight and the route.
std::optional<Decoding> FleetStatus(const Message& message, const reference::ReferenceTables& tables) {
  if (message.text.size() < 40 || message.text[6] != ',') {
    return std::nullopt;
  }
  const auto pieces = Split(message.text, ',');
  if (pieces.size() != 11 || !pieces[2].starts_with('.') || !Digits(pieces[1], 4) || !pieces[8].starts_with("RT") ||
      !pieces[9].starts_with("LT")) {
    return std::nullopt;
  }
  const auto time = TimeOfDay(pieces[0]);
  const std::string_view tail = pieces[2].substr(1);
  if (!time || tail.size() < 3 || tail.size() > 7 || !IsIcaoCode(pieces[4])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightIdentification, tables);
  const int day = *Digits(pieces[1].substr(0, 2), 2);
  const int month = *Digits(pieces[1].substr(2, 2), 2);
  out.TimeOnDay("report_time", "Time", {0, month, day}, *time, message.received);
  out.Text("tail", "Aircraft", std::string(tail));
  if (IsFlight(pieces[3])) {
    out.Text("flight", "Flight", std::string(pieces[3]));
  }
  out.Airport("departure", "Departure", pieces[4]);
  if (IsIcaoCode(pieces[5])) {
    out.Airport("arrival", "Arrival", pieces[5]);
  }
  return std::move(out).Finish();
}

// "DOOR/CARGO CLSD 1413": which door, its state and the time.
std::optional<Decoding> DoorEvent(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (!text.starts_with("DOOR/") || text.size() < 15) {
    return std::nullopt;
  }
  const auto time = HoursMinutes(text.substr(text.size() - 4));
  const std::string_view rest = text.substr(5, text.size() - 9);  // "CARGO CLSD "
  const bool open = rest.ends_with(" OPEN ");
  if (!time || (!open && !rest.ends_with(" CLSD "))) {
    return std::nullopt;
  }
  const std::string_view door = rest.substr(0, rest.size() - 6);
  if (door.empty() || !AllOf(door, IsUpper)) {
    return std::nullopt;
  }
  Builder out(open ? Kind::kDoorOpened : Kind::kDoorClosed, tables);
  out.Text("door", "Door", std::string(door));
  out.Time("event_time", "Time", *time);
  return std::move(out).Finish();
}

// "00018213200/GS 411500/DEP MDPC/DES CYYZ/ETA 0120/GW 479/ALT 39002" and
// "LON W 78.289/LAT N 39.556/WD  20/WS  13", or "N 22.027/E 20.426/UTC
// 2122/FOB 6.2/ALT  41000/...": route, estimate, altitude, time, flight and
// position, each read from its tag.
std::optional<Decoding> TaggedReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto first = text.find('/');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view lead = text.substr(0, first);
  if (lead.size() >= 11 && AllOf(lead.substr(0, 11), IsDigit)) {  // the report's own numbering
    lead = Trim(lead.substr(11));
  }
  std::string_view items = text.substr(first + 1);
  // "036327/INRANG/DS LFPG/ETA 2251/...": a six-digit number, then what the
  // report is (in range of the arrival, or a message to operations control).
  const bool inRange = items.starts_with("INRANG/");
  const bool coded = lead.size() == 6 && AllOf(lead, IsDigit) && (inRange || items.starts_with("OPSCTL/"));
  if (coded) {
    lead = {};
    items.remove_prefix(7);
  }
  // Reports with no position ("/TX .../FN TUI84X/..." of label 1X) are named
  // for what they carry.
  const bool placed = !lead.empty() || text.find("LAT ") != std::string_view::npos;
  Builder out(coded    ? (inRange ? Kind::kInRangeReport : Kind::kAirlineMessage)
              : placed ? kPositionReport
                       : Kind::kProgressReport,
              tables);
  TaggedItems state;
  std::optional<double>& latitude = state.latitude;
  std::optional<double>& longitude = state.longitude;
  if (!lead.empty()) {  // "N 22.027/E 20.426/..." or "+ 39.126/- 77.358/..."
    const auto second = items.find('/');
    if (second == std::string_view::npos) {
      return std::nullopt;
    }
    latitude = LeadCoordinate(lead, 'N', 'S', 90);
    longitude = LeadCoordinate(items.substr(0, second), 'E', 'W', 180);
    if (!latitude || !longitude) {
      return std::nullopt;
    }
    items.remove_prefix(second + 1);
  } else if (first != 11 && !coded) {
    return std::nullopt;
  }
  for (std::string_view line : Split(items, '\n')) {
    line = line.substr(0, line.find('\r'));
    for (const std::string_view item : Split(line, '/')) {
      ReadTaggedItem(Trim(item), out, state);
    }
  }
  EndTaggedItems(state, message.received, out);
  if (latitude && longitude) {
    out.Position(*latitude, *longitude);
  }
  return std::move(out).Finish();
}

// "POS" then "CAS 261,LAT N 58.698,LON E 23.968,ALT 37998,...,UTC 121847,
// WD 263,WS   29,TAT - 28", or the route "MKJS-CYYZ" then one "TAG value"
// a line ("LAT N 33.917", "ALT 37000FT", ...): the tagged items of a
// position report parted by commas or line breaks. Both halves of the
// position are needed; speeds, fuel and unsigned temperatures are not read.
std::optional<Decoding> TaggedLines(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view heading = FirstLine(text);
  const bool route =
      heading.size() == 9 && heading[4] == '-' && IsIcaoCode(heading.substr(0, 4)) && IsIcaoCode(heading.substr(5));
  if ((heading != "POS" && !route) || heading.size() == text.size() || text.find('/') != std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (route) {
    out.Airport("departure", "Departure", heading.substr(0, 4));
    out.Airport("arrival", "Arrival", heading.substr(5));
  }
  TaggedItems state;
  for (std::string_view line : Split(text.substr(heading.size()), '\n')) {
    line = line.substr(0, line.find('\r'));
    for (const std::string_view item : Split(line, ',')) {
      ReadTaggedItem(Trim(item), out, state);
    }
  }
  if (!state.latitude || !state.longitude) {
    return std::nullopt;
  }
  EndTaggedItems(state, message.received, out);
  out.Position(*state.latitude, *state.longitude);
  return std::move(out).Finish();
}

// "081224 KGSO KATL6" then "/FN 0796": the time and label, the route (ICAO
// or IATA codes) and a digit; the flight number on its own line.
std::optional<Decoding> RouteHeading(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view heading = FirstLine(text);
  if (heading.size() < 15 || heading.size() > 19 || !Digits(heading.substr(0, 4), 4) ||
      heading.substr(4, 2) != message.label || !IsDigit(heading.back())) {
    return std::nullopt;
  }
  std::vector<std::string_view> words;
  for (const std::string_view word : Split(heading.substr(6, heading.size() - 7), ' ')) {
    if (!word.empty()) {
      words.push_back(word);
    }
  }
  if (words.size() != 2 || !IsStation(words[0]) || !IsStation(words[1])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  if (IsIcaoCode(words[0]) && IsIcaoCode(words[1])) {
    out.Airport("departure", "Departure", words[0]);
    out.Airport("arrival", "Arrival", words[1]);
  } else {
    out.Text("departure_iata", "Departure (IATA)", std::string(words[0]));
    out.Text("arrival_iata", "Arrival (IATA)", std::string(words[1]));
  }
  const auto flight = text.find("\n/FN ");
  if (flight != std::string_view::npos && flight + 9 <= text.size() && Digits(text.substr(flight + 5, 4), 4)) {
    out.Text("flight", "Flight", std::string(text.substr(flight + 5, 4)));
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
  const auto split = text.find_first_of("EW", 14);
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

// "02E20HEGNLKPRN40359E02208116253601M627...": weather observations along
// the route; only the route is read.
std::optional<Decoding> RouteWeatherReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 20 || !text.starts_with("02E") || !Digits(text.substr(3, 2), 2) || !IsIcaoCode(text.substr(5, 4)) ||
      !IsIcaoCode(text.substr(9, 4)) || !PackedCoordinate(text.substr(13, 6), 'N', 'S', 2)) {
    return std::nullopt;
  }
  Builder out(Kind::kWeatherReport, tables);
  out.Airport("departure", "Departure", text.substr(5, 4));
  out.Airport("arrival", "Arrival", text.substr(9, 4));
  return std::move(out).Finish();
}

// "/DA EGLL/DS OLBA/OT 1338/OF 1353/FB 167/ETA 1832": departure,
// destination, out and off times and the estimated arrival.
// "FI FI0521/DA EDDF/DS BIKF/OT 1241/FB 0317/UTC 1202208041241" (labels 18
// and 19): the same items behind the flight.
std::optional<Decoding> DepartureTimes(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = FirstLine(message.text);
  std::string_view flight;
  if (text.starts_with("FI ")) {
    const auto slash = text.find('/');
    flight = text.substr(3, slash == std::string_view::npos ? 0 : slash - 3);
    if (!IsFlight(flight)) {
      return std::nullopt;
    }
    text.remove_prefix(slash);
  }
  if (text.size() < 16 || !text.starts_with("/DA ") || !IsIcaoCode(text.substr(4, 4)) || text.substr(8, 4) != "/DS ") {
    return std::nullopt;
  }
  Builder out(Kind::kOutOffTimes, tables);
  if (!flight.empty()) {
    out.Text("flight", "Flight", std::string(flight));
  }
  TaggedItems state;
  for (const std::string_view item : Split(text.substr(1), '/')) {
    ReadTaggedItem(Trim(item), out, state);
  }
  EndTaggedItems(state, message.received, out);
  return std::move(out).Finish();
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

// Label 16's decimal positions: "N 44.203,W 86.546,31965,6, 290" (also
// after a fix's name), "N 28.177/W 96.055", "LAT N 47.176/LON E  2.943",
// " /N 59.196/E 18.010/07072/...", and "005236,36787,0135,  97,N 38.364
// W 75.226" or "PC0397/04AUG22 12:08:30,12239,1527, 244,N 59.822 E 29.693"
// with the altitude second; "001415,20274,0047, 3740,N3835.95 W07858.88"
// with the position in degrees and minutes.
std::optional<Decoding> DecimalPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = FirstLine(message.text);
  if (text.starts_with(" /")) {
    text.remove_prefix(2);
  }
  if (text.size() < 15) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  if (text.find(',') == std::string_view::npos) {  // slash-separated, position only
    const auto slash = text.find('/');
    std::string_view north = text.substr(0, slash);
    std::string_view east = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
    east = east.substr(0, east.find('/'));
    north = north.starts_with("LAT ") ? north.substr(4) : north;
    east = east.starts_with("LON ") ? east.substr(4) : east;
    const auto latitude = DecimalDegrees(north, 'N', 'S');
    const auto longitude = DecimalDegrees(east, 'E', 'W');
    if (!latitude || !longitude) {
      return std::nullopt;
    }
    out.Position(*latitude, *longitude);
    return std::move(out).Finish();
  }
  const auto pieces = Split(text, ',');
  std::size_t at = DecimalDegrees(pieces[0], 'N', 'S') ? 0 : 1;
  if (pieces.size() >= 3 && at < pieces.size() - 2) {
    const auto latitude = DecimalDegrees(pieces[at], 'N', 'S');
    const auto longitude = DecimalDegrees(pieces[at + 1], 'E', 'W');
    if (latitude && longitude) {
      out.Position(*latitude, *longitude);
      if (const auto feet = Digits(Trim(pieces[at + 2]), 5); feet && *feet <= 60000) {
        out.Altitude(*feet);
      }
      return std::move(out).Finish();
    }
  }
  if (pieces.size() != 5) {
    return std::nullopt;
  }
  const std::string_view position = pieces[4].substr(0, pieces[4].find('/'));
  const auto split = position.find_first_of("EW");
  if (split == std::string_view::npos) {
    return std::nullopt;
  }
  auto latitude = DecimalDegrees(position.substr(0, split), 'N', 'S');
  auto longitude = DecimalDegrees(position.substr(split), 'E', 'W');
  if (!latitude && !longitude) {  // "N3835.95 W07858.88": degrees and minutes
    latitude = DegreesAndMinutes(position.substr(0, split), 'N', 'S', 2);
    longitude = DegreesAndMinutes(position.substr(split), 'E', 'W', 3);
  }
  const std::string_view first = pieces[0];
  const bool stamped =
      first.size() == 23 && first[6] == '/' && first[14] == ' ' && first[17] == ':' && first[20] == ':';
  if (!latitude || !longitude || (!Digits(first, 6) && !stamped)) {
    return std::nullopt;
  }
  out.Position(*latitude, *longitude);
  if (stamped) {
    std::string clock(first.substr(15, 2));
    clock += first.substr(18, 2);
    clock += first.substr(21, 2);
    if (const auto time = TimeOfDay(clock)) {
      if (const auto date = DayMonthYear(first.substr(7, 7))) {
        out.TimeOnDay("report_time", "Time", *date, *time, message.received);
      } else {
        out.Time("report_time", "Time", *time);
      }
    }
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
  return std::move(out).Finish();
}

// "/B6 ORDLGA LGA R22", "/C3 IADDFW": the short airline messages of label
// 5Z: a sub-code (the same as the long event reports use: B3 takeoff data,
// B6 landing data, C3 gate), the route as IATA codes and free text; for
// landing data the airport and "R" + runway.
std::optional<Decoding> ShortRouteMessage(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (text.size() < 10 || text[0] != '/' || text[3] != ' ' || !AllOf(text.substr(4, 6), IsUpper) ||
      (text.size() > 10 && text[10] != ' ') || !IsAlnum(text[1]) || !IsAlnum(text[2])) {
    return std::nullopt;
  }
  const std::string_view code = text.substr(1, 2);
  const Kind kind = code == "B3"   ? Kind::kTakeoffDataRequest
                    : code == "B6" ? Kind::kLandingDataRequest
                    : code == "C3" ? Kind::kGateRequest
                                   : Kind::kAirlineMessage;
  Builder out(kind, tables);
  out.Text("departure_iata", "Departure (IATA)", std::string(text.substr(4, 3)));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(text.substr(7, 3)));
  const std::string_view rest = text.size() > 11 ? text.substr(11) : std::string_view();
  if (code == "B6" && rest.size() >= 6 && rest.substr(0, 3) == text.substr(7, 3) && rest[3] == ' ' && rest[4] == 'R' &&
      IsDigit(rest[5]) && rest.size() <= 9) {
    out.Text("runway_arrival", "Arrival runway", std::string(rest.substr(5)));
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

// "3,,,Y,N,Y,KCLT,224636,7937,WE ARE SHOWING 35 MIN,EARLY.,,": a crew
// message to a station (label 14): a digit, three Y/N answers, the station,
// the time sent, a number not read, then the message's lines.
std::optional<Decoding> StationMessage(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 25 || !IsDigit(text[0]) || text[1] != ',' || text.find(",Y,N,Y,") == std::string_view::npos) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() < 10 || pieces[3] != "Y" || pieces[4] != "N" || pieces[5] != "Y" || !IsIcaoCode(pieces[6]) ||
      pieces[7].size() != 6 || !AllOf(pieces[8], IsDigit)) {
    return std::nullopt;
  }
  auto time = TimeOfDay(pieces[7]);
  if (!time) {
    return std::nullopt;
  }
  Builder out(Kind::kCrewMessageToStation, tables);
  out.Airport("station", "Station", pieces[6]);
  out.Time("sent_time", "Sent", std::move(*time));
  std::string words;
  for (std::size_t i = 9; i < pieces.size(); ++i) {
    const std::string_view line = Trim(ItemValue(pieces[i]));
    if (!line.empty()) {
      words.append(words.empty() ? "" : " ").append(line);
    }
  }
  if (!words.empty()) {
    out.Text("message", "Message", std::move(words));
  }
  return std::move(out).Finish();
}

// "RST23A08095255KLM1385 EHAMUKBB" (label 20): eleven letters and digits
// not read, the flight (eight places) and the route.
std::optional<Decoding> FlightRouteRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() != 30 || !text.starts_with("RST") || !AllOf(text.substr(3, 11), IsAlnum)) {
    return std::nullopt;
  }
  const std::string_view flight = Trim(text.substr(14, 8));
  if (!IsFlight(flight) || !IsUpper(flight[0]) || !IsIcaoCode(text.substr(22, 4)) || !IsIcaoCode(text.substr(26, 4))) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(flight));
  out.Airport("departure", "Departure", text.substr(22, 4));
  out.Airport("arrival", "Arrival", text.substr(26, 4));
  return std::move(out).Finish();
}

// "LOG C-FDBD00121/DA CYQB/DS CYBG/FN SWG419/TAH 00371:12
//  OT 0224/ROT 0224/OF 0238/ON 0301/IN 0309/RIT 0309/BT 0045
//  26FEB20/UTC 031916/LFB 152/...": the flight log (label 2G): the
// registration and a five-digit count, then tagged items: the route, the
// flight, out/off/on/in and the time sent. Other items are not read.
std::optional<Decoding> FlightLog(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view first = FirstLine(text);
  const auto slash = first.find('/');
  if (!first.starts_with("LOG ") || slash == std::string_view::npos || slash < 12 || slash > 16 ||
      !AllOf(first.substr(slash - 5, 5), IsDigit) || first.substr(slash, 4) != "/DA ") {
    return std::nullopt;
  }
  const std::string_view tail = first.substr(4, slash - 9);
  if (tail.find('-') == std::string_view::npos || !IsUpper(tail[0])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightLog, tables);
  out.Text("tail", "Aircraft", std::string(tail));
  TaggedItems state;
  for (const std::string_view line : Split(text.substr(slash + 1), '\n')) {
    for (const std::string_view item : Split(ItemValue(line), '/')) {
      ReadTaggedItem(Trim(item), out, state);
    }
  }
  EndTaggedItems(state, message.received, out);
  return std::move(out).Finish();
}

// "AF0074/11111851LFPGCYVR" (label 2O): the flight, two days of the month
// and a time (not read), then the route. The next line is not read.
std::optional<Decoding> FlightRouteLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  const auto slash = text.find('/');
  if (slash == std::string_view::npos || slash < 3 || text.size() != slash + 17 ||
      !AllOf(text.substr(slash + 1, 8), IsDigit) || !IsIcaoCode(text.substr(slash + 9, 4)) ||
      !IsIcaoCode(text.substr(slash + 13, 4)) || !TimeOfDay(text.substr(slash + 5, 4))) {
    return std::nullopt;
  }
  const std::string_view flight = text.substr(0, slash);
  if (!IsFlight(flight) || !IsUpper(flight[0])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(flight));
  out.Airport("departure", "Departure", text.substr(slash + 9, 4));
  out.Airport("arrival", "Arrival", text.substr(slash + 13, 4));
  return std::move(out).Finish();
}

// "EKCH22L": the arrival's code, then its runway.
void ArrivalRunway(std::string_view text, std::string_view arrival, Builder& out) {
  const std::string_view runway = Trim(text);
  if (runway.size() >= 6 && runway.size() <= 7 && runway.substr(0, 4) == arrival && Digits(runway.substr(4, 2), 2) &&
      (runway.size() == 6 || runway[6] == 'L' || runway[6] == 'R' || runway[6] == 'C')) {
    out.Text("runway_arrival", "Arrival runway", std::string(runway.substr(4)));
  }
}

// "TOD01,ASL27E,LYBE,EKCH,18DEC19,0741,EKCH22L",
// "TOC10,ETD078    ,EHAM,OMAA,19DEC19,0159,OMAA31L ,47,52400," (label 2D)
// and "ET301,ASL70E,LYBE,ESSA,12DEC19,0752,ESSA19R" (label 2H): top of
// descent, top of climb or another flight event, the flight, the route, a
// date and time (not read) and the arrival runway behind the arrival's
// code. "TOD14DEC19,LOT9004,.9H-SUN,LPBJ,EPWA,1624,00163,..." (label 3R):
// the date first, then flight, registration and route; the rest not read.
std::optional<Decoding> TopOfClimbOrDescent(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  const bool dated = text.size() >= 11 && text[10] == ',';
  const bool event = text.starts_with("ET") && text.size() > 5 && text[5] == ',' && Digits(text.substr(2, 3), 3);
  if (text.size() < 30 || (!event && !text.starts_with("TOD") && !text.starts_with("TOC")) ||
      (!event && !dated && (!Digits(text.substr(3, 2), 2) || text[5] != ','))) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  const std::size_t route = dated && !event ? 3 : 2;
  if (pieces.size() < 7 || !IsFlight(Trim(pieces[1])) || !IsIcaoCode(pieces[route]) || !IsIcaoCode(pieces[route + 1])) {
    return std::nullopt;
  }
  const std::string_view tail = route == 3 ? pieces[2] : std::string_view();
  if (route == 3 && (tail.size() < 4 || tail[0] != '.' || tail.find('-') == std::string_view::npos)) {
    return std::nullopt;
  }
  Builder out(event            ? Kind::kFlightRoute
              : text[2] == 'D' ? Kind::kTopOfDescentReport
                               : Kind::kTopOfClimbReport,
              tables);
  out.Text("flight", "Flight", std::string(Trim(pieces[1])));
  if (route == 3) {
    out.Text("tail", "Aircraft", std::string(tail.substr(1)));
  }
  out.Airport("departure", "Departure", pieces[route]);
  out.Airport("arrival", "Arrival", pieces[route + 1]);
  if (route == 2) {
    ArrivalRunway(pieces[6], pieces[3], out);
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
  out.Position((text[4] == '-' ? -1 : 1) * *latitude / 100.0, (text[9] == '-' ? -1 : 1) * *longitude / 100.0);
  out.Time("report_time", "Time", *time);
  out.Altitude(*feet);
  return std::move(out).Finish();
}

// "ECD/F-GSPA
//  LOADSHEET FINAL EDN01
//  AF0379/10/10MAR20/2114
//  YVRCDG
//  ..." (label 2U): the registration, then the flight (with its day, date
// and a time not read) and the route as IATA codes; the weights not read.
std::optional<Decoding> Loadsheet(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto first = text.find("\r\nLOADSHEET ");
  if (!text.starts_with("ECD/") || first == std::string_view::npos || first > 14) {
    return std::nullopt;
  }
  const std::string_view tail = text.substr(4, first - 4);
  const auto lines = Split(text.substr(first + 2), '\n');
  if (lines.size() < 3 || tail.find('-') == std::string_view::npos || !IsUpper(tail[0])) {
    return std::nullopt;
  }
  const std::string_view flightLine = ItemValue(lines[1]);
  const std::string_view flight = flightLine.substr(0, flightLine.find('/'));
  const std::string_view route = ItemValue(lines[2]);
  if (!IsFlight(flight) || flight.size() == flightLine.size() || route.size() != 6 || !AllOf(route, IsUpper)) {
    return std::nullopt;
  }
  Builder out(Kind::kLoadsheet, tables);
  out.Text("tail", "Aircraft", std::string(tail));
  out.Text("flight", "Flight", std::string(flight));
  out.Text("departure_iata", "Departure (IATA)", std::string(route.substr(0, 3)));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(route.substr(3)));
  return std::move(out).Finish();
}

// "N3349.8": a hemisphere letter, degrees, then minutes with one decimal.
std::optional<double> DegreesDecimalMinutes(std::string_view text, char positive, char negative,
                                            std::size_t degreeDigits) {
  if (text.size() != degreeDigits + 5 || degreeDigits > 3 || text[degreeDigits + 3] != '.') {
    return std::nullopt;
  }
  std::array<char, 8> packed{};
  std::copy_n(text.begin(), degreeDigits + 3, packed.begin());
  packed[degreeDigits + 3] = text[degreeDigits + 4];
  return PackedCoordinate(std::string_view(packed.data(), degreeDigits + 4), positive, negative, degreeDigits);
}

struct TimedPosition {
  double latitude;
  double longitude;
  int day;  // of the month
  std::string time;
};

// "001FE27212415N4049.2W07423.5...": three digits, two letters, the day and
// time (DDHHMMSS) and the position in degrees and minutes; nothing when a
// piece does not fit.
std::optional<TimedPosition> ReadTimedPosition(std::string_view text) {
  if (text.size() < 28 || !AllOf(text.substr(0, 3), IsDigit) || !AllOf(text.substr(3, 2), IsUpper) ||
      !AllOf(text.substr(5, 8), IsDigit)) {
    return std::nullopt;
  }
  const auto latitude = DegreesDecimalMinutes(text.substr(13, 7), 'N', 'S', 2);
  const auto longitude = DegreesDecimalMinutes(text.substr(20, 8), 'E', 'W', 3);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  auto time = TimeOfDay(text.substr(7, 6));
  if (!time) {
    return std::nullopt;
  }
  const auto day = Digits(text.substr(5, 2), 2);
  if (!day || *day < 1 || *day > 31) {
    return std::nullopt;
  }
  return TimedPosition{*latitude, *longitude, *day, std::move(*time)};
}

void AddTimedPosition(TimedPosition& place, const ReceiveTime& received, Builder& out) {
  out.Position(place.latitude, place.longitude);
  out.TimeOnDay("report_time", "Time", {0, 0, place.day}, std::move(place.time), received);
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

// The out/off/on/in reports of labels QP, QQ, QR and QS, one event each:
// "KMMUKCLT2124001FE27212415N4049.2W07423.50141940067",
// "KLGBKLAX0004\r\n001FE07000444N3349.8W11810.1---0200009",
// "KEWRKBED15581531", "KEWRCYOW183529SEP24": the route, the event's time
// (HHMM), then in some the timed position (whose day of the month dates
// the event too) or the date. The other pieces are not read.
struct OooiEvent {
  std::string_view label;
  const char* field;
  const char* caption;
};
constexpr std::array<OooiEvent, 4> kOooiEvents = {{
    {"QP", "out", "Out"},
    {"QQ", "off", "Off"},
    {"QR", "on", "On"},
    {"QS", "in", "In"},
}};

std::optional<Decoding> RouteLeadReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto event = std::find_if(kOooiEvents.begin(), kOooiEvents.end(),
                                  [&message](const OooiEvent& known) { return known.label == message.label; });
  if (event == kOooiEvents.end() || text.size() < 12 || !IsIcaoCode(text.substr(0, 4)) ||
      !IsIcaoCode(text.substr(4, 4))) {
    return std::nullopt;
  }
  auto time = HoursMinutes(text.substr(8, 4));
  if (!time) {
    return std::nullopt;
  }
  std::string_view rest = text.substr(12);
  if (rest.starts_with("\r\n")) {
    rest.remove_prefix(2);
  }
  auto place = rest.size() >= 5 && rest.substr(3, 2) == "FE" ? ReadTimedPosition(rest) : std::nullopt;
  Builder out(Kind::kOooiReport, tables);
  out.Airport("departure", "Departure", text.substr(0, 4));
  out.Airport("arrival", "Arrival", text.substr(4, 4));
  std::optional<TextDay> day = DayMonthYear(rest.substr(0, 7));
  if (place) {
    day = TextDay{0, 0, place->day};
  }
  if (day) {
    out.TimeOnDay(event->field, event->caption, *day, std::move(*time), message.received);
  } else {
    out.Time(event->field, event->caption, std::move(*time));
  }
  if (place) {
    AddTimedPosition(*place, message.received, out);
  }
  return std::move(out).Finish();
}

// "4DH3 ETAT2  0903/29 ESSA/KEWR .LN-RKS
//  /ETA 1727" (label 83) and "  01 WXRQ   029P/09 GCFV/EGCC .G-JZBJ
//  /TYP 1/STA LPPR/..." (label 5U): the estimated arrival or a weather
// request, with the route and the registration; the estimated arrival time
// on the next line. The station list is not read.
std::optional<Decoding> RouteRegistrationLine(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view first = FirstLine(text);
  const bool eta = first.find(" ETAT2 ") != std::string_view::npos;
  const bool weather = first.find(" WXRQ ") != std::string_view::npos;
  const auto dot = first.find(" .");
  if ((!eta && !weather) || dot == std::string_view::npos || dot < 20 || first[dot - 10] != ' ' ||
      first[dot - 5] != '/' || !IsIcaoCode(first.substr(dot - 9, 4)) || !IsIcaoCode(first.substr(dot - 4, 4))) {
    return std::nullopt;
  }
  const std::string_view tail = Trim(first.substr(dot + 2));
  if (tail.size() < 4 || tail.size() > 8 || tail.find('-') == std::string_view::npos || !IsAlnum(tail[0])) {
    return std::nullopt;
  }
  Builder out(eta ? Kind::kEstimatedArrival : Kind::kWeatherRequest, tables);
  out.Airport("departure", "Departure", first.substr(dot - 9, 4));
  out.Airport("arrival", "Arrival", first.substr(dot - 4, 4));
  out.Text("tail", "Aircraft", std::string(tail));
  const auto next = text.find("\n/ETA ");
  if (eta && next != std::string_view::npos) {
    if (const auto time = HoursMinutes(text.substr(next + 6, 4))) {
      out.Time("eta", "Estimated arrival", *time);
    }
  }
  return std::move(out).Finish();
}

// "D,H3,1912081250,08DEC,4292,KGSO,KEWR,4320,--,01,Y,N,..." (label 29):
// a date and time, a four-digit number (the flight's, it seems: not read)
// and the route.
std::optional<Decoding> DispatchRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = FirstLine(message.text);
  if (text.size() < 40 || !text.starts_with("D,") || text[4] != ',' || !AllOf(text.substr(5, 10), IsDigit)) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() < 8 || pieces[4].empty() || pieces[4].size() > 4 || !AllOf(pieces[4], IsDigit) ||
      !IsIcaoCode(pieces[5]) || !IsIcaoCode(pieces[6])) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Airport("departure", "Departure", pieces[5]);
  out.Airport("arrival", "Arrival", pieces[6]);
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
  const auto split = place.find_first_of("+-", 1);
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
  out.Position(*latitude, *longitude);
  out.Time("report_time", "Time", *time);
  out.Altitude(*feet);
  out.Temperature(*celsius);
  return std::move(out).Finish();
}

// "DAT 16MAR25
//  UTC 0041
//  REG VHVGZ
//  FLT JST952
//  ..." (label 2L): the date (not read), the time, registration and flight.
std::optional<Decoding> DatedFlightLines(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 40 || !text.starts_with("DAT ") || text.substr(11, 6) != "\r\nUTC " ||
      text.substr(21, 6) != "\r\nREG ") {
    return std::nullopt;
  }
  const auto time = HoursMinutes(text.substr(17, 4));
  const std::string_view rest = text.substr(27);
  const auto lineEnd = rest.find("\r\n");
  if (!time || lineEnd == std::string_view::npos || rest.substr(lineEnd, 6) != "\r\nFLT ") {
    return std::nullopt;
  }
  const std::string_view tail = rest.substr(0, lineEnd);
  const std::string_view flight = FirstLine(rest.substr(lineEnd + 6));
  if (tail.size() < 4 || tail.size() > 7 || !AllOf(tail, IsAlnum) || !IsFlight(flight)) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightIdentification, tables);
  if (const auto date = DayMonthYear(text.substr(4, 7))) {
    out.TimeOnDay("report_time", "Time", *date, *time, message.received);
  } else {
    out.Time("report_time", "Time", *time);
  }
  out.Text("tail", "Aircraft", std::string(tail));
  out.Text("flight", "Flight", std::string(flight));
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

// "3868ORDGSO11447" (label 3L): four digits (the flight's number, it seems:
// not read), the route as IATA codes and five digits not read.
std::optional<Decoding> FlightCityPair(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() != 15 || !AllOf(text.substr(0, 4), IsDigit) || !AllOf(text.substr(4, 6), IsUpper) ||
      !AllOf(text.substr(10), IsDigit) || text.substr(4, 3) == text.substr(7, 3)) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("departure_iata", "Departure (IATA)", std::string(text.substr(4, 3)));
  out.Text("arrival_iata", "Arrival (IATA)", std::string(text.substr(7, 3)));
  return std::move(out).Finish();
}

// "EIN159,26JUL21,EI-DEP,EGLL,EIDW" on the third line (label 1W): the
// flight, the date (not read), the registration and the route.
std::optional<Decoding> FlightDateRoute(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  for (int line = 0; line < 2; ++line) {
    const auto end = text.find('\n');
    if (end == std::string_view::npos || end > 4) {
      return std::nullopt;
    }
    text.remove_prefix(end + 1);
  }
  const std::string_view row = ItemValue(FirstLine(text));
  if (row.size() < 28 || row.size() > 34 || std::count(row.begin(), row.end(), ',') != 4) {
    return std::nullopt;
  }
  const auto pieces = Split(row, ',');
  if (!IsFlight(pieces[0]) || pieces[1].size() != 7 || !IsIcaoCode(pieces[3]) || !IsIcaoCode(pieces[4]) ||
      pieces[2].find('-') == std::string_view::npos) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  out.Text("flight", "Flight", std::string(pieces[0]));
  out.Text("tail", "Aircraft", std::string(pieces[2]));
  out.Airport("departure", "Departure", pieces[3]);
  out.Airport("arrival", "Arrival", pieces[4]);
  return std::move(out).Finish();
}

// "EBBR,LGKO,04AUG22,042;0030;,082;0053;,0123,SN3243" (label 1G) and
// "HEGN,EBBR,03AUG22,2316,233612
//  N 49.695,E  5.721,30963
//  EBBR25L,SN3326" (labels 12 and 13): the route and a date, then in the
// first the flight last (its other pieces not read), in the second the
// position, altitude, the arrival runway behind the arrival's code and the
// flight. The times are not read.
std::optional<Decoding> RouteDateRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 20 || text[4] != ',' || text[9] != ',' || !IsIcaoCode(text.substr(0, 4)) ||
      !IsIcaoCode(text.substr(5, 4)) || (text[10] != ',' && (text.size() < 18 || text[17] != ','))) {
    return std::nullopt;
  }
  const auto lines = Split(text, '\n');
  const std::string_view arrival = text.substr(5, 4);
  if (lines.size() == 1) {
    const auto pieces = Split(text, ',');
    if (pieces.size() < 7) {
      return std::nullopt;
    }
    Builder out(Kind::kFlightRoute, tables);
    out.Airport("departure", "Departure", text.substr(0, 4));
    out.Airport("arrival", "Arrival", arrival);
    const std::string_view flight = ItemValue(pieces.back());
    if (IsFlight(flight) && IsUpper(flight[0]) && IsUpper(flight[1])) {
      out.Text("flight", "Flight", std::string(flight));
    }
    return std::move(out).Finish();
  }
  const auto place = Split(ItemValue(lines[1]), ',');
  const auto last = Split(ItemValue(lines.size() > 2 ? lines[2] : std::string_view()), ',');
  if (lines.size() != 3 || place.size() != 3 || last.size() != 2) {
    return std::nullopt;
  }
  const auto latitude = LeadCoordinate(place[0], 'N', 'S', 90);
  const auto longitude = LeadCoordinate(place[1], 'E', 'W', 180);
  const auto feet = Digits(place[2], 5);
  if (!latitude || !longitude || !feet || *feet > 60000 || !IsFlight(last[1])) {
    return std::nullopt;
  }
  Builder out(kPositionReport, tables);
  out.Position(*latitude, *longitude);
  out.Altitude(*feet);
  out.Airport("departure", "Departure", text.substr(0, 4));
  out.Airport("arrival", "Arrival", arrival);
  ArrivalRunway(last[0], arrival, out);
  out.Text("flight", "Flight", std::string(last[1]));
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
  if (pieces.size() < 8) {
    return std::nullopt;
  }
  const std::string_view clock = pieces[2].substr(11);
  const std::string_view place = pieces[5];
  const auto split = place.find_first_of("EW");
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
  out.Position(*latitude, *longitude);
  const std::string_view date = pieces[2].substr(0, 10);  // "2026-02-02"
  const auto year = Digits(date.substr(0, 4), 4);
  const auto month = Digits(date.substr(5, 2), 2);
  const auto day = Digits(date.substr(8, 2), 2);
  if (year && month && day && date[4] == '-' && date[7] == '-') {
    out.TimeOnDay("report_time", "Time", {*year, *month, *day}, *time, message.received);
  } else {
    out.Time("report_time", "Time", *time);
  }
  if (feet && pieces[6].size() >= 3 && pieces[6].size() <= 5 && *feet <= 60000) {
    out.Altitude(*feet);
  }
  return std::move(out).Finish();
}

// "U003,,,,YMEK,YPPH,0241,040822,0241,EOF," (labels 1A, 1B) and
// "U003,EW9731\r\n,9731,,EPWR,EDDL,1357,091219," (label 2J): the flight
// (when on the first line), the route, then times and a date not read.
std::optional<Decoding> RouteUpload(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 20 || !text.starts_with("U003,")) {
    return std::nullopt;
  }
  const std::string_view flight = text[5] == ',' ? std::string_view() : FirstLine(text).substr(5);
  const auto pieces = Split(ItemValue(text.substr(5)), ',');
  std::size_t route = 3;
  if (!flight.empty()) {
    // "EW9731" alone on the first line; the next line starts with ",".
    const auto next = text.find('\n');
    if (!IsFlight(flight) || next == std::string_view::npos) {
      return std::nullopt;
    }
    const auto rest = Split(text.substr(next + 1), ',');
    if (rest.size() < 6 || !IsIcaoCode(rest[3]) || !IsIcaoCode(rest[4])) {
      return std::nullopt;
    }
    Builder out(Kind::kRouteUpload, tables);
    out.Text("flight", "Flight", std::string(flight));
    out.Airport("departure", "Departure", rest[3]);
    out.Airport("arrival", "Arrival", rest[4]);
    return std::move(out).Finish();
  }
  if (pieces.size() < 6 || !IsIcaoCode(pieces[route]) || !IsIcaoCode(pieces[route + 1])) {
    return std::nullopt;
  }
  Builder out(Kind::kRouteUpload, tables);
  out.Airport("departure", "Departure", pieces[route]);
  out.Airport("arrival", "Arrival", pieces[route + 1]);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
