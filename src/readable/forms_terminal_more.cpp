// More terminal (label H1) forms, behind the terminal's prefix ("#M1B",
// "- #MD", "#MD", "/.") or the ground address the text is for ("/HDQDLUA."):
//   the flight management computer's data link exchanges, checksummed:
//     requests "REQPOS037B", "REQPWI/WQ320:GEQUE.HACKS...", answers to
//     uplinks "RESPWI/AK,71605F" and rejections "REJPOS,000851,...";
//     performance data "PER/PR1266,289,310,...", "PRF/TR,...";
//     initialisation "INI/ID70045B,RCH2050,.../AFKDOV,KBHM/...", the
//     landing progress report "PRG/LR,..." and free text "FTX/...";
//   more position reports: "POS..." behind a ground address, "*POS"
//   and the ICAO position report "(POS-KLM296  -3911N07600W/234212 F250";
//   the ICAO flight plan "(FPL-" and the real time effects report "RTE ";
//   the ATS facilities notification "/A0 YEGE2YA.AFN/FMH...".
// Also the frequency change command (label ":;").
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

// A ground address "/HDQDLUA." (seven letters or digits) the text begins
// with; the text without it.
std::string_view WithoutGroundAddress(std::string_view text) {
  if (text.size() > 9 && text[0] == '/' && text[8] == '.' && std::all_of(text.begin() + 1, text.begin() + 8, IsAlnum)) {
    return text.substr(9);
  }
  return text;
}

// The text without the terminal's prefix, the ground address and the line
// end some texts carry: "#M1B", "- #MD", "/." (TerminalBody), "#MD" (the
// "- " lost) and "/HDQDLUA.".
std::string_view FlightManagementBody(std::string_view text) {
  while (text.ends_with('\n') || text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  if (text.size() > 4 && text[0] == '#' && text[3] != 'B' && IsAlnum(text[1]) && IsAlnum(text[2])) {
    return text.substr(3);
  }
  return WithoutGroundAddress(TerminalBody(text));
}

// --- What the exchanges are about --------------------------------------------

struct Subject {
  std::string_view code;
  const char* words;
};

constexpr std::array<Subject, 6> kSubjects = {{
    {"POS", "Position report"},
    {"PRG", "Progress report"},
    {"PWI", "Predicted winds"},
    {"FPN", "Flight plan"},
    {"LDI", "Landing data"},
    {"REQ", "Request"},
}};

const Subject* SubjectOf(std::string_view code) {
  const auto* found =
      std::find_if(kSubjects.begin(), kSubjects.end(), [code](const Subject& s) { return s.code == code; });
  return found == kSubjects.end() ? nullptr : found;
}

// "TS000717,020226": the time the message was sent, dated when the date
// can be read one way only.
void TimeStamp(std::string_view item, Builder& out, const ReceiveTime& received) {
  if (item.size() != 15 || item[8] != ',') {
    return;
  }
  if (const auto time = TimeOfDay(item.substr(2, 6))) {
    out.TimeOnDay("sent_time", "Sent", SixDigitDate(item.substr(9, 6)), *time, received);
  }
}

// "GEQUE.HACKS.XUB": waypoint names joined by "."; nothing when one is no
// name.
std::optional<std::vector<std::string>> WaypointNames(std::string_view text) {
  std::vector<std::string> waypoints;
  for (const std::string_view name : Split(text, '.')) {
    if (name.empty() || name.size() > 7 || !std::all_of(name.begin(), name.end(), IsAlnum)) {
      return std::nullopt;
    }
    waypoints.emplace_back(name);
  }
  return waypoints;
}

// The "/"-separated items after the heading that the exchanges share: "TS"
// the time sent, "ID" the aircraft's and flight's identification (its
// second piece the flight), "WQ" a winds request's flight level and
// waypoints ("WQ320:GEQUE.HACKS.XUB"). An item given twice is read once.
void CommonItems(std::string_view items, Builder& out, const ReceiveTime& received) {
  bool stamp = false;
  bool identification = false;
  bool route = false;
  for (const std::string_view item : Split(items, '/')) {
    if (item.starts_with("TS") && !std::exchange(stamp, true)) {
      TimeStamp(item, out, received);
    } else if (item.starts_with("ID") && !std::exchange(identification, true)) {
      const auto pieces = Split(item.substr(2), ',');
      if (const auto flight = pieces.size() >= 2 ? FlightNumber(pieces[1]) : std::nullopt) {
        out.Text("flight", "Flight", *flight);
      }
    } else if (item.starts_with("WQ") && item.size() > 6 && item[5] == ':' && !std::exchange(route, true)) {
      if (auto waypoints = WaypointNames(item.substr(6))) {
        out.Names("waypoints", "Waypoints", std::move(*waypoints));
      }
    }
  }
}

// --- Requests, answers to uplinks and rejections --------------------------------

// "REQPOS037B", "REQPWI/WQ320:GEQUE.HACKS.../DQ320/SPGEQUE77CE",
// "#MDREQPOS/ID55150A,RCH892,LVZF1185C049/MR1,/AU39310": what is requested.
std::optional<Decoding> Request(std::string_view content, const Subject& subject, const Message& message,
                                const reference::ReferenceTables& tables) {
  const std::string_view rest = content.substr(6);
  if (!rest.empty() && rest[0] != '/' && rest[0] != ',') {
    return std::nullopt;
  }
  const Kind kind = subject.code == "LDI"   ? Kind::kLandingDataRequest
                    : subject.code == "PRG" ? Kind::kFlightProgressRequest
                                            : Kind::kDataRequest;
  Builder out(kind, tables);
  out.Code("subject", "Requested", std::string(subject.code), subject.words);
  if (rest.starts_with('/')) {
    CommonItems(rest.substr(1), out, message.received);
  }
  return std::move(out).Finish();
}

// "RESPWI/AK,71605F", "RESREQ/AK,47/TS000717,020226/DI000716,...": the
// answer to an uplink, "AK" acknowledging it ("AC" not read), then a
// reference (not read) and items.
std::optional<Decoding> UplinkResponse(std::string_view content, const Subject& subject, const Message& message,
                                       const reference::ReferenceTables& tables) {
  const std::string_view answer = content.substr(6);
  if (answer.size() < 5 || answer[0] != '/' || (answer.substr(1, 3) != "AK," && answer.substr(1, 3) != "AC,")) {
    return std::nullopt;
  }
  Builder out(answer[2] == 'K' ? Kind::kUplinkAcknowledged : Kind::kUplinkResponse, tables);
  out.Code("subject", "Answers", std::string(subject.code), subject.words);
  CommonItems(answer.substr(1), out, message.received);
  return std::move(out).Finish();
}

// "REJPOS,100719,130,219,RF005,N36089W076173/TS100719,090226E850": the
// uplink rejected; its pieces (a time, codes, what it held) are not read.
std::optional<Decoding> UplinkRejection(std::string_view content, const Subject& subject, const Message& message,
                                        const reference::ReferenceTables& tables) {
  if (content.size() < 8 || content[6] != ',') {
    return std::nullopt;
  }
  Builder out(Kind::kUplinkRejected, tables);
  out.Code("subject", "Answers", std::string(subject.code), subject.words);
  if (const auto items = content.find('/'); items != std::string_view::npos) {
    CommonItems(content.substr(items + 1), out, message.received);
  }
  return std::move(out).Finish();
}

// --- Performance data -----------------------------------------------------------

// "PER/PR1266,289,310,83,,0,46,,M45,180,,,P55,P0,37047,,1183,287": the
// flight management computer's performance settings: the third value is the
// cruise flight level; the others (weights, cost index, the temperature
// expected at the top of climb, the transition altitude) are not read.
std::optional<Decoding> PerformanceSettings(std::string_view content, const reference::ReferenceTables& tables) {
  const auto pieces = Split(content.substr(4), ',');
  if (pieces.size() < 12 || pieces[0].size() < 3 || !pieces[0].starts_with("PR") ||
      !std::all_of(pieces[0].begin() + 2, pieces[0].end(), IsDigit) || !Digits(pieces[9], 3)) {
    return std::nullopt;
  }
  const auto level = Digits(pieces[2], 3);
  const std::string_view temperature = pieces[8];
  if (!level || *level < 50 || *level > 510 || temperature.size() < 2 ||
      (temperature[0] != 'M' && temperature[0] != 'P')) {
    return std::nullopt;
  }
  Builder out(Kind::kPerformanceData, tables);
  out.Number("cruise_altitude_ft", "Cruise altitude", *level * 100.0, "ft");
  return std::move(out).Finish();
}

// "PRF/TR,280,1,0,P13,001540,P13,P49,129129132,0,149,KABQ,KBUR,08O,1205,
// 1056,SWA974,...": takeoff performance: departure, arrival, the takeoff
// runway and the flight; the rest (temperatures, speeds, weights) not read.
std::optional<Decoding> TakeoffPerformance(std::string_view content, const reference::ReferenceTables& tables) {
  const auto pieces = Split(content.substr(4), ',');
  if (pieces.size() < 17 || pieces[0] != "TR" || !IsAirport(pieces[11]) || !IsAirport(pieces[12])) {
    return std::nullopt;
  }
  const auto runway = Runway(pieces[13]);
  const auto flight = FlightNumber(pieces[16]);
  if (!runway || !flight) {
    return std::nullopt;
  }
  Builder out(Kind::kPerformanceData, tables);
  out.Airport("departure", "Departure", pieces[11]);
  out.Airport("arrival", "Arrival", pieces[12]);
  out.Text("runway_departure", "Departure runway", *runway);
  out.Text("flight", "Flight", *flight);
  return std::move(out).Finish();
}

// "INI/ID70045B,RCH2050,AJM363201271/MR2,000/AFKDOV,KBHM/TD271115,1315":
// the flight (ID item) and the airports from and to ("AF" item).
std::optional<Decoding> Initialisation(std::string_view content, const Message& message,
                                       const reference::ReferenceTables& tables) {
  const auto airports = content.find("/AF");
  if (airports == std::string_view::npos || content.size() < airports + 12 || content[airports + 7] != ',' ||
      !IsAirport(content.substr(airports + 3, 4)) || !IsAirport(content.substr(airports + 8, 4))) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightRoute, tables);
  CommonItems(content.substr(4, airports - 4), out, message.received);
  out.Airport("departure", "Departure", content.substr(airports + 3, 4));
  out.Airport("arrival", "Arrival", content.substr(airports + 8, 4));
  return std::move(out).Finish();
}

// "PRG/LR,000855,SWA786,KBWI,KBOS,04R,25,1285,...": a progress report: the
// flight, departure, arrival and the arrival runway; the times and numbers
// around them are not read.
std::optional<Decoding> LandingProgress(std::string_view content, const reference::ReferenceTables& tables) {
  const auto pieces = Split(content.substr(4), ',');
  if (pieces.size() < 7 || !Digits(pieces[1], 6) || !IsAirport(pieces[3]) || !IsAirport(pieces[4])) {
    return std::nullopt;
  }
  const auto flight = FlightNumber(pieces[2]);
  const auto runway = Runway(pieces[5]);
  if (!flight || !runway) {
    return std::nullopt;
  }
  Builder out(Kind::kProgressReport, tables);
  out.Text("flight", "Flight", *flight);
  out.Airport("departure", "Departure", pieces[3]);
  out.Airport("arrival", "Arrival", pieces[4]);
  out.Text("runway_arrival", "Arrival runway", *runway);
  return std::move(out).Finish();
}

// --- Positions ----------------------------------------------------------------------

// Latitude "3523" (DDMM) and longitude "10701" (DDDMM) with their
// hemisphere letters: a position in degrees and whole minutes.
std::optional<std::pair<double, double>> WholeMinutesPosition(std::string_view latitude, char north,
                                                              std::string_view longitude, char east) {
  const auto latDegrees = Digits(latitude.substr(0, 2), 2);
  const auto latMinutes = Digits(latitude.substr(2), 2);
  const auto lonDegrees = Digits(longitude.substr(0, 3), 3);
  const auto lonMinutes = Digits(longitude.substr(3), 2);
  if (latitude.size() != 4 || longitude.size() != 5 || !latDegrees || !latMinutes || !lonDegrees || !lonMinutes ||
      *latMinutes >= 60 || *lonMinutes >= 60 || (north != 'N' && north != 'S') || (east != 'E' && east != 'W')) {
    return std::nullopt;
  }
  const double lat = *latDegrees + *latMinutes / 60.0;
  const double lon = *lonDegrees + *lonMinutes / 60.0;
  if (lat > 90 || lon > 180) {
    return std::nullopt;
  }
  return std::pair{north == 'N' ? lat : -lat, east == 'E' ? lon : -lon};
}

// "*POS\r\n02020007N3523W10701360251029790M5550336": the date (month, day)
// and time HHMM, the position in degrees and minutes; the rest not read.
std::optional<Decoding> StarPosition(std::string_view body, const Message& message,
                                     const reference::ReferenceTables& tables) {
  body.remove_prefix(4);
  if (body.starts_with("\r\n")) {
    body.remove_prefix(2);
  }
  if (body.size() < 20) {
    return std::nullopt;
  }
  const auto month = Digits(body.substr(0, 2), 2);
  const auto day = Digits(body.substr(2, 2), 2);
  const auto time = TimeOfDay(body.substr(4, 4));
  const auto position = WholeMinutesPosition(body.substr(9, 4), body[8], body.substr(14, 5), body[13]);
  if (!month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31 || !time || !position) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Position(position->first, position->second);
  out.TimeOnDay("report_time", "Time", TextDay{0, *month, *day}, *time, message.received);
  return std::move(out).Finish();
}

// "(POS-KLM296  -3911N07600W/234212 F250\r\nRMK/FUEL  37.0 M0.69)": the
// ICAO position report: callsign, position (degrees and minutes), time
// (HHMM or HHMMSS) and level ("F" flight level, "A" hundreds of feet); the
// remarks are not read.
std::optional<Decoding> IcaoPositionReport(std::string_view text, const reference::ReferenceTables& tables) {
  const auto fields = Split(text.substr(5, FindAnyOf(text, "\r\n)") - 5), '-');
  if (fields.size() < 2) {
    return std::nullopt;
  }
  const auto flight = FlightNumber(fields[0]);
  const std::string_view report = Trim(fields[1]);  // "3911N07600W/234212 F250"
  const auto space = report.find(' ');
  if (!flight || report.size() < 20 || report[11] != '/' || space == std::string_view::npos) {
    return std::nullopt;
  }
  const auto position = WholeMinutesPosition(report.substr(0, 4), report[4], report.substr(5, 5), report[10]);
  const auto time = TimeOfDay(report.substr(12, space - 12));
  const std::string_view level = report.substr(space + 1);
  const auto hundreds = level.size() == 4 ? Digits(level.substr(1), 3) : std::nullopt;
  if (!position || !time || !hundreds || (level[0] != 'F' && level[0] != 'A')) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Text("flight", "Flight", *flight);
  out.Position(position->first, position->second);
  out.Time("report_time", "Time", *time);
  out.Altitude(*hundreds * 100.0);
  return std::move(out).Finish();
}

// "N0482F350 DCT ENI ...": the route's first item, cruising speed then
// level: "F350" flight level, "A045" hundreds of feet (metric levels are
// not read).
std::optional<double> CruiseLevelFeet(std::string_view route) {
  const std::string_view first = route.substr(0, route.find(' '));
  const std::size_t speedDigits = first.starts_with('M') ? 3 : 4;  // "M082" Mach, "N0482" kt, "K0830" km/h
  if (first.empty() || (first[0] != 'N' && first[0] != 'K' && first[0] != 'M') || first.size() != 1 + speedDigits + 4 ||
      !Digits(first.substr(1, speedDigits), speedDigits)) {
    return std::nullopt;
  }
  const std::string_view level = first.substr(1 + speedDigits);
  const auto hundreds = Digits(level.substr(1), 3);
  if (!hundreds || (level[0] != 'F' && level[0] != 'A')) {
    return std::nullopt;
  }
  return *hundreds * 100.0;
}

// "(FPL-CCA769-IS / -B77W/H-SDE3.../LB1D1 / -VESPA2354 / -N0482F350 DCT ENI
// ... / -KLAX0117 KSFO / -PBN/... REG/B2036 ...)": the ICAO flight plan:
// callsign, departure (with its time, not read), the cruise level of the
// route, destination (then the flight time and alternates, not read) and
// the registration ("REG/") among the other information.
std::optional<Decoding> IcaoFlightPlan(std::string_view text, const reference::ReferenceTables& tables) {
  // The fields up to the destination's, "-" between them; what follows
  // (the other information) stays in text.
  std::array<std::string_view, 8> fields{};
  for (std::size_t at = 0; at < fields.size(); ++at) {
    const auto dash = text.find('-');
    if (dash == std::string_view::npos && at + 1 < fields.size()) {
      return std::nullopt;
    }
    fields[at] = Trim(text.substr(0, dash));
    while (fields[at].ends_with('\n') || fields[at].ends_with('\r')) {
      fields[at].remove_suffix(1);
    }
    text = dash == std::string_view::npos ? std::string_view() : text.substr(dash + 1);
  }
  const auto flight = FlightNumber(fields[1]);
  const std::string_view departure = fields[5];
  const std::string_view destination = fields[7].substr(0, 8);
  if (!flight || destination.size() != 8 || !Digits(destination.substr(4), 4) || !IsAirport(destination.substr(0, 4))) {
    return std::nullopt;
  }
  Builder out(Kind::kFlightPlan, tables);
  out.Text("flight", "Flight", *flight);
  if (departure.size() == 8 && IsAirport(departure.substr(0, 4)) && Digits(departure.substr(4), 4)) {
    out.Airport("departure", "Departure", departure.substr(0, 4));
  }
  out.Airport("arrival", "Arrival", destination.substr(0, 4));
  if (const auto feet = CruiseLevelFeet(fields[6])) {
    out.Number("cruise_altitude_ft", "Cruise altitude", *feet, "ft");
  }
  if (const auto registration = text.find("REG/"); registration != std::string_view::npos) {
    const std::string_view rest = text.substr(registration + 4);
    const std::string_view tail = rest.substr(0, FindAnyOf(rest, " \r\n)"));
    if (tail.size() >= 3 && tail.size() <= 8 &&
        std::all_of(tail.begin(), tail.end(), [](char c) { return IsAlnum(c) || c == '-'; })) {
      out.Text("tail", "Aircraft", std::string(tail));
    }
  }
  return std::move(out).Finish();
}

}  // namespace

// The flight management computer's checksummed exchanges: requests
// ("REQ"), answers to uplinks ("RES"), rejections ("REJ"), performance data
// ("PER/", "PRF/") and initialisation ("INI/").
std::optional<Decoding> FlightManagementExchange(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view body = FlightManagementBody(message.text);
  constexpr std::array<std::string_view, 8> kHeadings = {"REQ",  "RES",  "REJ",     "PER/",
                                                         "PRF/", "INI/", "PRG/LR,", "FTX/"};
  // The heading first: the checksum costs a pass over the text.
  if (body.size() < 10 ||
      std::none_of(kHeadings.begin(), kHeadings.end(), [body](auto h) { return body.starts_with(h); }) ||
      !ChecksumHolds(body)) {
    return std::nullopt;
  }
  const std::string_view content = body.substr(0, body.size() - 4);
  if (content.starts_with("PER/")) {
    return PerformanceSettings(content, tables);
  }
  if (content.starts_with("PRF/")) {
    return TakeoffPerformance(content, tables);
  }
  if (content.starts_with("INI/")) {
    return Initialisation(content, message, tables);
  }
  if (content.starts_with("PRG/LR,")) {
    return LandingProgress(content, tables);
  }
  if (content.starts_with("FTX/")) {
    Builder out(Kind::kFreeText, tables);
    CommonItems(content.substr(4), out, message.received);
    return std::move(out).Finish();
  }
  const Subject* subject = content.size() >= 6 ? SubjectOf(content.substr(3, 3)) : nullptr;
  if (subject == nullptr) {
    return std::nullopt;
  }
  if (content.starts_with("REQ")) {
    return Request(content, *subject, message, tables);
  }
  if (content.starts_with("RES")) {
    return UplinkResponse(content, *subject, message, tables);
  }
  if (content.starts_with("REJ")) {
    return UplinkRejection(content, *subject, message, tables);
  }
  return std::nullopt;
}

// Position reports in the forms above that other terminal forms do not
// read: "POS..." behind a ground address and "*POS".
std::optional<Decoding> TerminalPositionVariant(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const std::string_view body = TerminalBody(text);
  if (body.starts_with("*POS")) {
    return StarPosition(body, message, tables);
  }
  const std::string_view addressed = WithoutGroundAddress(text);
  if (addressed.size() < text.size() && addressed.starts_with("POS")) {
    Message inner = message;
    inner.text = addressed;
    return TerminalPositionReport(inner, tables);
  }
  return std::nullopt;
}

// The ICAO air traffic services messages some terminals send: the position
// report "(POS-" and the flight plan "(FPL-".
std::optional<Decoding> IcaoAtsMessage(const Message& message, const reference::ReferenceTables& tables) {
  if (message.text.starts_with("(POS-")) {
    return IcaoPositionReport(message.text, tables);
  }
  if (message.text.starts_with("(FPL-")) {
    return IcaoFlightPlan(message.text, tables);
  }
  return std::nullopt;
}

// "RTE 1 13MAR26 1015 BAG-YMMF BAW9VA EGKK/TLPL 311B-BCG-00W-19 L 0955 ...":
// the maintenance computer's real time effects report: the leg, its date and
// time, the operator and registration (not read), then the flight and the
// route; the flight deck effects and messages after them are not read.
std::optional<Decoding> RealTimeEffectsReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (!text.starts_with("RTE ")) {
    return std::nullopt;
  }
  const auto pieces = Split(text.substr(0, std::min(text.find('\r'), std::size_t{120})), ' ');
  if (pieces.size() < 7 || pieces[2].size() != 7 || !Digits(pieces[2].substr(0, 2), 2) ||
      !Digits(pieces[2].substr(5), 2) || !Digits(pieces[3], 4) || pieces[6].size() != 9 || pieces[6][4] != '/' ||
      !IsAirport(pieces[6].substr(0, 4)) || !IsAirport(pieces[6].substr(5))) {
    return std::nullopt;
  }
  const auto flight = FlightNumber(pieces[5]);
  if (!flight) {
    return std::nullopt;
  }
  Builder out(Kind::kMaintenanceMessage, tables);
  out.Text("flight", "Flight", *flight);
  out.Airport("departure", "Departure", pieces[6].substr(0, 4));
  out.Airport("arrival", "Arrival", pieces[6].substr(5));
  return std::move(out).Finish();
}

// "- #MD/A0 YEGE2YA.AFN/FMHNCA134,.JA16KZ,,222632/FAK0,CZEG/FARADS,0/...8A6E":
// the ATS facilities notification (the logon to a control centre for ADS-C
// and CPDLC) behind the terminal prefix: "/", the embedded label and a
// space, the ground facility's address, ".AFN", then "/"-separated items
// and a checksum as the ADS-C and CPDLC envelopes have (CRC-16, polynomial
// 0x1021, over "AFN" and what follows). "FMH" the flight and registration
// (its other pieces not read), "FAK" the facility's acknowledgement (its
// code and the centre not read), "FCA" the address to contact next; "FAR"
// the applications, not read.
std::optional<Decoding> FacilitiesNotification(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view body = TerminalBody(message.text);
  if (body.size() > 4 && body[0] == '/' && body[3] == ' ') {
    body.remove_prefix(4);
  } else if (body.starts_with('/')) {
    body.remove_prefix(1);
  }
  if (body.size() < 20 || body.substr(7, 5) != ".AFN/" || !std::all_of(body.begin(), body.begin() + 7, IsAlnum)) {
    return std::nullopt;
  }
  const std::string_view content = body.substr(8, body.size() - 12);
  std::uint16_t crc = 0xFFFF;
  for (const char c : content) {
    crc = CcittCrcStep(crc, static_cast<std::uint8_t>(c));
  }
  crc = static_cast<std::uint16_t>(~crc);
  constexpr std::string_view kHex = "0123456789ABCDEF";
  const std::string_view sent = body.substr(body.size() - 4);
  for (std::size_t at = 0; at < 4; ++at) {
    if (sent[at] != kHex[(crc >> (12 - 4 * at)) & 0xF]) {
      return std::nullopt;
    }
  }
  const auto items = Split(content.substr(4), '/');
  const bool acknowledgement = std::any_of(items.begin(), items.end(), [](auto i) { return i.starts_with("FAK"); });
  const bool advisory = std::any_of(items.begin(), items.end(), [](auto i) { return i.starts_with("FCA"); });
  if (!items[0].starts_with("FMH") || acknowledgement == advisory) {
    return std::nullopt;
  }
  Builder out(acknowledgement ? Kind::kAfnAcknowledgement : Kind::kAfnContactAdvisory, tables);
  out.Text("ground_station", "Ground facility", std::string(body.substr(0, 7)));
  const auto header = Split(items[0].substr(3), ',');
  if (const auto flight = FlightNumber(header[0])) {
    out.Text("flight", "Flight", *flight);
  }
  std::string_view registration = header.size() > 1 ? header[1] : std::string_view();
  while (registration.starts_with('.')) {
    registration.remove_prefix(1);
  }
  if (registration.size() >= 3 && std::any_of(registration.begin(), registration.end(), IsUpper) &&
      std::all_of(registration.begin(), registration.end(), [](char c) { return IsAlnum(c) || c == '-'; })) {
    out.Text("tail", "Aircraft", std::string(registration));
  }
  for (const std::string_view item : items) {
    const std::string_view next = item.substr(3, item.find(',') - 3);
    if (item.starts_with("FCA") && next.size() == 7 && std::all_of(next.begin(), next.end(), IsAlnum)) {
      out.Text("next_ground_station", "Contact next", std::string(next));
    }
  }
  return std::move(out).Finish();
}

// " 130025", "1317251200": the frequency to change to, kilohertz in six
// digits (a VHF frequency); four more digits after it are not read.
std::optional<Decoding> FrequencyChange(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text.starts_with(' ') ? message.text.substr(1) : message.text;
  const auto kilohertz = Digits(text.substr(0, 6), 6);
  if ((text.size() != 6 && !(text.size() == 10 && Digits(text.substr(6), 4))) || !kilohertz || *kilohertz < 118000 ||
      *kilohertz > 137000) {
    return std::nullopt;
  }
  Builder out(Kind::kFrequencyChange, tables);
  out.Megahertz(*kilohertz);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
