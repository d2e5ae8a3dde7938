// Route and flight records of the numbered and lettered labels that
// several airlines share:
//   "02XAABQKABQ13502N10637WV136975/ARINC"                  (squitters)
//   "/KLAX.TI2/040KLAXA3625"                                (ATIS requests)
//   "081224 KGSO KATL6"                                     (route headings)
//   "TOD01,ASL27E,LYBE,EKCH,18DEC19,0741,EKCH22L"           (top of descent)
//   "ECD/F-GSPA" + "LOADSHEET FINAL EDN01" + ...            (loadsheets)
//   "U003,,,,YMEK,YPPH,0241,040822,0241,EOF,"               (route uploads)
// and a few single-label forms. Each checks its fixed pieces before it reads
// anything and leaves out what the traffic does not show beyond doubt.

#include <algorithm>

#include "readable/forms.h"
#include "readable/label_pieces.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

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

// ---- Route headings (labels 24, 39, 4N) ------------------------------------

bool IsStation(std::string_view text) { return (text.size() == 3 || text.size() == 4) && AllOf(text, IsUpper); }

// "EKCH22L": the arrival's code, then its runway.
void ArrivalRunway(std::string_view text, std::string_view arrival, Builder& out) {
  const std::string_view runway = Trim(text);
  if (runway.size() >= 6 && runway.size() <= 7 && runway.substr(0, 4) == arrival && Digits(runway.substr(4, 2), 2) &&
      (runway.size() == 6 || runway[6] == 'L' || runway[6] == 'R' || runway[6] == 'C')) {
    out.Text("runway_arrival", "Arrival runway", std::string(runway.substr(4)));
  }
}

}  // namespace

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
