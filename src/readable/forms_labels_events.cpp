// Event reports and flight headers of the numbered and lettered labels
// that several airlines share:
//   "/14 OFF EVENT      / KIAD KDEN 08 124438/TIME 1244"    (event reports)
//   "FTX01YX4687/04042233KJFKKDCA"                          (flight headers)
//   "/B6 ORDLGA LGA R22"                                    (short messages, 5Z)
//   "KMMUKCLT2124001FE27212415N4049.2W07423.5..."           (out/off/on/in, QP-QS)
// and the flight phase, fleet status, door and station messages. Each checks
// its fixed pieces before it reads anything and leaves out what the traffic
// does not show beyond doubt.

#include <algorithm>
#include <array>

#include "readable/forms.h"
#include "readable/label_pieces.h"
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
    item = Trim(item.substr(0, FindAnyOf(item, "\r\n")));
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

}  // namespace corvane::readable
