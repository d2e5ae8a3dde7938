// Route-and-time records. Most of labels 3B to 3W come from one cargo
// airline's fleet and share one heading:
//   "101413 10MHR 1400////14131435RNO 0277/D"   (off report, label 3B)
//   "261231 26EWR PHL 1255N"                    (estimated arrival, label 3F)
//   "080715 08MHR SDF 0715075203596"            (out report, label 3K)
// the day and time sent (DDHHMM), a space, the flight's day, the departure
// and (most labels) a space and the arrival, both IATA codes; what follows
// depends on the label, and a text whose rest is not what its label carries
// is refused. A few other labels' short records are read here too: off
// records "OFF01,KRDU,KFLL,1215,155", estimated arrivals
// "/EA1719/DSKSFO/SK23", coded free text "NOC01,ASL1417,ESGG,LYNI,06NOV19",
// weather replies, dispatch replies, the first part of "CS REPORT"s,
// "CHIMES,..." records and numbered records "4,F,OAJ,ATL,10,9R,...".
#include <algorithm>
#include <array>
#include <utility>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

bool IsItemCharacter(char c) { return IsAlnum(c) || c == '/'; }

// Three capital letters: an IATA airport code.
bool IsIataCode(std::string_view text) { return text.size() == 3 && AllOf(text, IsUpper); }

// "DDHHMM" with a real day of month and time: the day, and "HH:MM".
std::optional<std::pair<int, std::string>> DayAndTime(std::string_view text) {
  const auto day = text.size() == 6 ? Digits(text.substr(0, 2), 2) : std::nullopt;
  auto time = text.size() == 6 ? HoursMinutes(text.substr(2)) : std::nullopt;
  if (!day || !time || *day < 1 || *day > 31) {
    return std::nullopt;
  }
  return std::pair{*day, std::move(*time)};
}

// Two days of month at most one day apart, across a month's end too.
bool NextToEachOther(int a, int b) {
  const int gap = a > b ? a - b : b - a;
  return gap <= 1 || (a == 1 && b >= 28) || (b == 1 && a >= 28);
}

// The free text of the lines of a body, each trimmed, joined by spaces.
std::string JoinedLines(std::string_view body) {
  std::string words;
  for (std::string_view line : Split(body, '\n')) {
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    line = Trim(line);
    if (!line.empty()) {
      words.append(words.empty() ? "" : " ").append(line);
    }
  }
  return words;
}

// ---- The shared heading -----------------------------------------------------

// What the heading gave: the time sent as a full UTC time when the receive
// time completes it, and the rest of the text after the departure.
struct Heading {
  std::optional<UtcSeconds> sent;
  std::string_view body;
};

// The body after the departure: " SDF ...", the arrival and what follows it.
struct Arrival {
  std::string_view code;
  std::string_view rest;  // after the arrival's code
};

std::optional<Arrival> ArrivalOf(std::string_view body) {
  if (body.size() < 4 || body[0] != ' ' || !IsIataCode(body.substr(1, 3))) {
    return std::nullopt;
  }
  return Arrival{body.substr(1, 3), body.substr(4)};
}

void AddArrival(std::string_view code, Builder& out) { out.Text("arrival_iata", "Arrival (IATA)", std::string(code)); }

// A time of day of the body ("HHMM"), placed on the day nearest the time sent.
bool AddTimeNearSent(std::string_view hhmm, const char* field, const char* caption, const Heading& heading,
                     Builder& out) {
  auto time = HoursMinutes(hhmm);
  if (!time) {
    return false;
  }
  out.TimeNear(field, caption, heading.sent, std::move(*time));
  return true;
}

// Each label's body: true when it is what the label carries (its fields
// added), false to refuse the text.
using BodyReader = bool (*)(const Heading&, Builder&);

// "0200020002210243RNO 0371/F" (3B): out, a second out time (or "////",
// not read), off and the estimated arrival, HHMM each, then the arrival,
// the fuel on board (as given) and an optional "/" and letter (not read).
bool ReadOffTimes(const Heading& heading, Builder& out) {
  const std::string_view body = heading.body;
  if ((body.size() != 25 && body.size() != 27) || body[0] != ' ' ||
      (!HoursMinutes(body.substr(5, 4)) && body.substr(5, 4) != "////") || !IsIataCode(body.substr(17, 3)) ||
      body[20] != ' ' || !Digits(body.substr(21, 4), 4) ||
      (body.size() == 27 && (body[25] != '/' || !IsUpper(body[26])))) {
    return false;
  }
  if (!AddTimeNearSent(body.substr(1, 4), "out", "Out", heading, out) ||
      !AddTimeNearSent(body.substr(9, 4), "off", "Off", heading, out) ||
      !AddTimeNearSent(body.substr(13, 4), "eta", "Estimated arrival", heading, out)) {
    return false;
  }
  AddArrival(body.substr(17, 3), out);
  out.Number("fuel", "Fuel on board", *Digits(body.substr(21, 4), 4), "");
  return true;
}

// " OAK 1243MHR 1" (3C): the arrival as planned, a time, a station and a
// digit. None is read: the same flight's route that follows (3W) goes to the
// station after the time, so the first is an arrival given up, and neither
// is sure enough to name the flight's arrival.
bool ReadArrivalAndStation(const Heading& heading, Builder& /*out*/) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() != 10 || arrival->rest[0] != ' ' || !HoursMinutes(arrival->rest.substr(1, 4)) ||
      !IsIataCode(arrival->rest.substr(5, 3)) || arrival->rest[8] != ' ' || !IsDigit(arrival->rest[9])) {
    return false;
  }
  return true;
}

// " SBD  NEED NEW UPDATED FLT RLSTIME" (3E): the arrival, two spaces and
// the crew's words.
bool ReadCrewText(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || !arrival->rest.starts_with("  ") || arrival->rest.size() < 3 || arrival->rest[2] == ' ') {
    return false;
  }
  AddArrival(arrival->code, out);
  out.Text("message", "Message", JoinedLines(arrival->rest));
  return true;
}

// " PHL 1255N" (3F): the arrival, the estimated arrival (HHMM) and one or
// two letters (not read).
bool ReadEstimatedArrival(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() < 6 || arrival->rest.size() > 7 || arrival->rest[0] != ' ' ||
      !AllOf(arrival->rest.substr(5), IsUpper)) {
    return false;
  }
  AddArrival(arrival->code, out);
  return AddTimeNearSent(arrival->rest.substr(1, 4), "eta", "Estimated arrival", heading, out);
}

// " PHL 3339921/2130    AT FL330 LEFT PACK..." (3G): the arrival, seven
// digits, an optional "/" and four or eight digits (a system's code, not
// read), then the crew's words when any.
bool ReadMaintenanceText(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() < 9 || arrival->rest[0] != ' ' || !Digits(arrival->rest.substr(1, 7), 7)) {
    return false;
  }
  std::string_view words = arrival->rest.substr(8);
  if (words.starts_with('/')) {
    const std::size_t digits = std::min(FindFirstFailing(words, IsDigit, 1), words.size()) - 1;
    if (digits != 4 && digits != 8) {
      return false;
    }
    words.remove_prefix(1 + digits);
  } else if (!IsUpper(words[0])) {
    return false;
  }
  AddArrival(arrival->code, out);
  if (const std::string message = JoinedLines(words); !message.empty()) {
    out.Text("message", "Message", message);
  }
  return true;
}

// " MHR 01040387" (3I): the arrival, the time of the arrival event (HHMM;
// whether on or in the text does not say) and four digits not read.
bool ReadArrivalEvent(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() != 9 || arrival->rest[0] != ' ' || !Digits(arrival->rest.substr(5), 4)) {
    return false;
  }
  AddArrival(arrival->code, out);
  return AddTimeNearSent(arrival->rest.substr(1, 4), "event_time", "Arrival event", heading, out);
}

// " SDF" or " SDF " (3J, 3M): the arrival alone.
bool ReadArrivalOnly(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || (!arrival->rest.empty() && arrival->rest != " ")) {
    return false;
  }
  AddArrival(arrival->code, out);
  return true;
}

// " SDF 0715075203596" (3K): the arrival, out (HHMM), the fuel on board (as
// given) and five digits not read.
bool ReadOutFuel(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() != 14 || arrival->rest[0] != ' ' || !Digits(arrival->rest.substr(5, 4), 4) ||
      !Digits(arrival->rest.substr(9), 5)) {
    return false;
  }
  AddArrival(arrival->code, out);
  if (!AddTimeNearSent(arrival->rest.substr(1, 4), "out", "Out", heading, out)) {
    return false;
  }
  out.Number("fuel", "Fuel on board", *Digits(arrival->rest.substr(5, 4), 4), "");
  return true;
}

// " MDT KMDT  00000002SAFT" (3S): the arrival, a station in six places,
// digits and the letters of the reports asked for. "SA" (surface
// observations) or "FT" (forecasts) make it a weather request about the
// station (read when an ICAO code); with digits alone only the route is read.
bool ReadStationRequest(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() < 9 || arrival->rest[0] != ' ') {
    return false;
  }
  const std::string_view station = Trim(arrival->rest.substr(1, 6));
  const std::string_view codes = arrival->rest.substr(7);
  const std::size_t letters = std::min(FindFirstFailing(codes, IsDigit), codes.size());
  if ((station.size() != 3 && station.size() != 4) || arrival->rest[1] == ' ' || !AllOf(station, IsUpper) ||
      letters == 0 || !AllOf(codes.substr(letters), IsUpper)) {
    return false;
  }
  AddArrival(arrival->code, out);
  const std::string_view asked = codes.substr(letters);
  if (asked.find("SA") != std::string_view::npos || asked.find("FT") != std::string_view::npos) {
    out.SetKind(Kind::kWeatherRequest);
    if (IsIcaoCode(station)) {
      out.Airport("airport", "Airport", station);
    }
  }
  return true;
}

// " SDF 37SDFXD5X  000  SDFXD5X  UPS0957 /08 ..." (3U, sent from the
// ground): the arrival, then addresses and the dispatcher's text, not read.
bool ReadDispatchAddresses(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() < 28 || arrival->rest[0] != ' ' || !Digits(arrival->rest.substr(1, 2), 2) ||
      !AllOf(arrival->rest.substr(3, 7), IsAlnum) || arrival->rest.substr(10, 2) != "  " ||
      !Digits(arrival->rest.substr(12, 3), 3) || arrival->rest.substr(15, 2) != "  " ||
      !AllOf(arrival->rest.substr(17, 7), IsAlnum) || arrival->rest.substr(24, 2) != "  ") {
    return false;
  }
  AddArrival(arrival->code, out);
  return true;
}

// " RNO 00001UPS02UP03///04///..." (3W, sent from the ground): the arrival,
// then numbered items not read.
bool ReadNumberedItems(const Heading& heading, Builder& out) {
  const auto arrival = ArrivalOf(heading.body);
  if (!arrival || arrival->rest.size() < 6 || !arrival->rest.starts_with(" 00") ||
      !AllOf(arrival->rest.substr(1), IsItemCharacter)) {
    return false;
  }
  AddArrival(arrival->code, out);
  return true;
}

struct LabelBody {
  std::string_view label;
  char lead;  // a letter before the heading, or 0 for none
  Kind kind;
  BodyReader read;
};

constexpr std::array<LabelBody, 12> kLabelBodies = {{
    {"3B", 0, Kind::kOffReport, ReadOffTimes},
    {"3C", 0, Kind::kFlightRoute, ReadArrivalAndStation},
    {"3E", 0, Kind::kFreeText, ReadCrewText},
    {"3F", 0, Kind::kEstimatedArrival, ReadEstimatedArrival},
    {"3G", 0, Kind::kMaintenanceMessage, ReadMaintenanceText},
    {"3I", 0, Kind::kOooiReport, ReadArrivalEvent},
    {"3J", 0, Kind::kFlightRoute, ReadArrivalOnly},
    {"3K", 0, Kind::kOutReport, ReadOutFuel},
    {"3M", 0, Kind::kFlightRoute, ReadArrivalOnly},
    {"3S", 0, Kind::kFlightRoute, ReadStationRequest},
    {"3U", 'A', Kind::kDispatchMessage, ReadDispatchAddresses},
    {"3W", 'U', Kind::kFlightRoute, ReadNumberedItems},
}};

const LabelBody* BodyOfLabel(std::string_view label) {
  for (const LabelBody& body : kLabelBodies) {
    if (body.label == label) {
      return &body;
    }
  }
  return nullptr;
}

// ---- Other labels' records ---------------------------------------------------

// A departure and arrival given both as ICAO codes or both as IATA codes.
bool AddRoute(std::string_view departure, std::string_view arrival, Builder& out) {
  if (IsIcaoCode(departure) && IsIcaoCode(arrival)) {
    out.Airport("departure", "Departure", departure);
    out.Airport("arrival", "Arrival", arrival);
  } else if (IsIataCode(departure) && IsIataCode(arrival)) {
    out.Text("departure_iata", "Departure (IATA)", std::string(departure));
    out.Text("arrival_iata", "Arrival (IATA)", std::string(arrival));
  } else {
    return false;
  }
  return true;
}

// A piece of a numbered record before its route: digits, a decimal number
// ("38.026", "-77.605") or stars for a value not given.
bool IsLeadingValue(std::string_view piece) {
  return !piece.empty() && piece.size() <= 8 &&
         (Number(piece).has_value() || piece.find_first_not_of('*') == std::string_view::npos);
}

// Four hexadecimal digits (capitals): a record's closing check value.
bool IsHexCheck(std::string_view piece) {
  return piece.size() == 4 && AllOf(piece, [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); });
}

// "NOC01" or "HCC10": three capital letters and two digits.
bool IsRecordCode(std::string_view text) {
  return text.size() == 5 && AllOf(text.substr(0, 3), IsUpper) && Digits(text.substr(3), 2);
}

}  // namespace

std::optional<Decoding> RouteTimeRecord(const Message& message, const reference::ReferenceTables& tables) {
  const LabelBody* label = BodyOfLabel(message.label);
  std::string_view text = message.text;
  if (label == nullptr) {
    return std::nullopt;
  }
  if (label->lead != 0) {
    if (text.empty() || text[0] != label->lead) {
      return std::nullopt;
    }
    text.remove_prefix(1);
  }
  if (text.size() < 12 || text[6] != ' ' || !IsIataCode(text.substr(9, 3))) {
    return std::nullopt;
  }
  auto sent = DayAndTime(text.substr(0, 6));
  const auto flightDay = Digits(text.substr(7, 2), 2);
  if (!sent || !flightDay || !NextToEachOther(sent->first, *flightDay)) {
    return std::nullopt;
  }
  const Heading heading{OnTextDay({0, 0, sent->first}, sent->second, message.received), text.substr(12)};
  Builder out(label->kind, tables);
  out.TimeOnDay("sent_time", "Sent", {0, 0, sent->first}, std::move(sent->second), message.received);
  out.Text("departure_iata", "Departure (IATA)", std::string(text.substr(9, 3)));
  if (!label->read(heading, out)) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "OFF01,KRDU,KFLL,1215,155" (label 31): the route, the off time (HHMM)
// and a number not read.
std::optional<Decoding> OffRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 22 || !text.starts_with("OFF01,")) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() != 5 || !IsIcaoCode(pieces[1]) || !IsIcaoCode(pieces[2]) || pieces[4].empty() ||
      pieces[4].size() > 4 || !AllOf(pieces[4], IsDigit)) {
    return std::nullopt;
  }
  auto off = HoursMinutes(pieces[3]);
  if (!off) {
    return std::nullopt;
  }
  Builder out(Kind::kOffReport, tables);
  AddRoute(pieces[1], pieces[2], out);
  out.Time("off", "Off", std::move(*off));
  return std::move(out).Finish();
}

// "/EA1719/DSKSFO/SK23" (label 30): the estimated arrival (HHMM), the
// destination (ICAO) and two digits not read.
std::optional<Decoding> EstimatedArrivalItems(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() != 19 || !text.starts_with("/EA") || text.substr(7, 3) != "/DS" || text.substr(14, 3) != "/SK" ||
      !IsIcaoCode(text.substr(10, 4)) || !Digits(text.substr(17, 2), 2)) {
    return std::nullopt;
  }
  auto eta = HoursMinutes(text.substr(3, 4));
  if (!eta) {
    return std::nullopt;
  }
  Builder out(Kind::kEstimatedArrival, tables);
  out.Time("eta", "Estimated arrival", std::move(*eta));
  out.Airport("arrival", "Arrival", text.substr(10, 4));
  return std::move(out).Finish();
}

// "NOC01,ASL1417,ESGG,LYNI,06NOV19" then the crew's lines (label 3V): a
// code, the flight, the route (ICAO), the date (not read) and the words.
std::optional<Decoding> CodedFreeText(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view first = FirstLine(text);
  const auto pieces = Split(first, ',');
  if (pieces.size() != 5 || !IsRecordCode(pieces[0]) || !IsFlight(pieces[1]) || !IsIcaoCode(pieces[2]) ||
      !IsIcaoCode(pieces[3]) || pieces[4].size() != 7 || !Digits(pieces[4].substr(0, 2), 2) ||
      !AllOf(pieces[4].substr(2, 3), IsUpper) || !Digits(pieces[4].substr(5), 2)) {
    return std::nullopt;
  }
  const std::string words = JoinedLines(text.substr(first.size()));
  if (words.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kFreeText, tables);
  out.Text("flight", "Flight", std::string(pieces[1]));
  AddRoute(pieces[2], pieces[3], out);
  out.Text("message", "Message", words);
  return std::move(out).Finish();
}

// "KRNO  2SAFT METAR KRNO 090055Z ..." (label 3T): the reports asked for
// about a station, the station first (ICAO), two spaces, a digit and the
// letters of the reports ("SA", "SAFT"); the reports themselves are not read.
std::optional<Decoding> WeatherReply(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 12 || !IsIcaoCode(text.substr(0, 4)) || text.substr(4, 2) != "  " || !IsDigit(text[6]) ||
      text.substr(7, 2) != "SA" || (text.substr(9, 2) != "FT" && text.substr(9, 2) != "  ")) {
    return std::nullopt;
  }
  Builder out(Kind::kWeatherReport, tables);
  out.Airport("airport", "Airport", text.substr(0, 4));
  return std::move(out).Finish();
}

// "QUANPOCK4~1DIS01100611" then the dispatcher's lines (label 3D): an
// address, "~1DIS", two digits not read, the day and time sent (DDHHMM).
// The dispatcher's words are not read.
std::optional<Decoding> DispatchReply(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view first = FirstLine(message.text);
  const auto mark = first.find("~1DIS");
  if (mark == std::string_view::npos || mark < 4 || first.size() != mark + 13 ||
      !AllOf(first.substr(0, mark), IsAlnum) || !Digits(first.substr(mark + 5, 2), 2) ||
      first.size() == message.text.size()) {
    return std::nullopt;
  }
  auto sent = DayAndTime(first.substr(mark + 7));
  if (!sent) {
    return std::nullopt;
  }
  Builder out(Kind::kDispatchMessage, tables);
  out.TimeOnDay("sent_time", "Sent", {0, 0, sent->first}, std::move(sent->second), message.received);
  return std::move(out).Finish();
}

// "CS REPORT" / "FLT DATE - 20191219" / "ORG - KDEN" / "DEST - KSMF" / ...
// (label 3H): the first part of a post-flight summary; the route is read,
// the engine and door times that follow are not.
std::optional<Decoding> PostFlightSummary(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 55 || !text.starts_with("CS REPORT\r\nFLT DATE - ") || !Digits(text.substr(22, 8), 8) ||
      text.substr(30, 8) != "\r\nORG - " || text.substr(42, 9) != "\r\nDEST - " || !IsIcaoCode(text.substr(38, 4)) ||
      !IsIcaoCode(text.substr(51, 4))) {
    return std::nullopt;
  }
  Builder out(Kind::kPostFlightReport, tables);
  AddRoute(text.substr(38, 4), text.substr(51, 4), out);
  return std::move(out).Finish();
}

// "CHIMES,1273,RDU ,PHL ,191101,015659,1,AOC      ,ACTIVE  ,12" (label 3]):
// four digits, the route (IATA codes padded to four places, or ICAO), a
// date and time and the rest, none of them read but the route.
std::optional<Decoding> ChimesRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 40 || !text.starts_with("CHIMES,")) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() != 10 || !Digits(pieces[1], 4) || pieces[2].size() != 4 || pieces[3].size() != 4 ||
      !Digits(pieces[4], 6) || !TimeOfDay(pieces[5]) || pieces[5].size() != 6) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  if (!AddRoute(Trim(pieces[2]), Trim(pieces[3]), out)) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "4,F,OAJ,ATL,10,9R,,,,,1,0,0,0,43.9,0,3072" and
// "96,C,38.026,-77.605,14233,*****,KILM,KIAD,19L,9,0,0,,,,,41.8,0,0,0,,"
// (labels 33, 34): a number, a letter, up to four numbers, then the route
// (ICAO or IATA codes) and runways and values not read; the record ends with
// an empty piece or four hexadecimal digits. When the numbers before the
// route begin with two signed decimal degrees, they are the aircraft's
// position (the number after them, feet it seems, is not read).
std::optional<Decoding> NumberedRouteRecord(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() < 12 || !IsDigit(text[0])) {
    return std::nullopt;
  }
  const auto pieces = Split(text, ',');
  if (pieces.size() < 6 || pieces[0].size() > 3 || !AllOf(pieces[0], IsDigit) || pieces[1].size() != 1 ||
      !IsUpper(pieces[1][0]) || (!pieces.back().empty() && !IsHexCheck(pieces.back()))) {
    return std::nullopt;
  }
  std::size_t route = 2;
  while (route < 6 && route + 1 < pieces.size() && IsLeadingValue(pieces[route])) {
    ++route;
  }
  if (route + 1 >= pieces.size() || pieces[route] == pieces[route + 1]) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  if (!AddRoute(pieces[route], pieces[route + 1], out)) {
    return std::nullopt;
  }
  if (route >= 4 && pieces[2].find('.') != std::string_view::npos && pieces[3].find('.') != std::string_view::npos) {
    const auto latitude = Number(pieces[2]);
    const auto longitude = Number(pieces[3]);
    if (*latitude >= -90 && *latitude <= 90 && *longitude >= -180 && *longitude <= 180) {
      out.Position(*latitude, *longitude);
    }
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
