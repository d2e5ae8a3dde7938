// Forms as other links and regions deliver them:
//   terminal (H1) texts whose prefix carries a message function identifier
//     ("#M1B/B6 POSN..."), or an uplink's "- #M1" (the text behind the
//     prefix is read by the terminal forms as it is);
//   the undelivered uplink report (label HX): "RA FMT 43 GSP B02";
//   the AFN contact (label B0): "/KZWY.AFN/FMHJBU803,.N949JT,.../FCOADS,01...";
//   a weather request listing its airports (label 5U): "EGGW EGSS EGNX-SA";
//   a flight's record with its route (label 32): "H,H,08DEC19 06:49:57,...";
//   the central fault display's report (label H1): "#CFBMPF/ /AN.N660AW/...".
#include <algorithm>
#include <cstdint>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

bool IsAlnumPair(std::string_view text) { return text.size() >= 2 && IsAlnum(text[0]) && IsAlnum(text[1]); }

// "/B6 ": a message function identifier after a terminal prefix; how many
// characters it takes (0 when there is none).
std::size_t FunctionIdentifierLength(std::string_view text) {
  return text.size() > 4 && text[0] == '/' && IsAlnumPair(text.substr(1)) && text[3] == ' ' ? 4 : 0;
}

// "KZWY" to "YEGE2YA": a ground facility's address, four to seven letters
// and digits.
bool IsFacilityAddress(std::string_view text) { return text.size() >= 4 && text.size() <= 7 && AllOf(text, IsAlnum); }

// ".N949JT" or "N949JT": a registration with a letter in it, where the
// form says one stands.
std::optional<std::string> DottedRegistration(std::string_view text) {
  while (text.starts_with('.')) {
    text.remove_prefix(1);
  }
  const bool letters = std::any_of(text.begin(), text.end(), IsUpper);
  const bool allowed = std::all_of(text.begin(), text.end(), [](char c) { return IsAlnum(c) || c == '-'; });
  return text.size() >= 3 && text.size() <= 8 && letters && allowed ? std::optional<std::string>(text) : std::nullopt;
}

// "FPON40122W072597,1": the aircraft's position, degrees and minutes in
// tenths run together (the figure after it is not read).
void AfnPosition(std::string_view item, Builder& out) {
  const std::string_view place = item.substr(3, item.find(',') - 3);
  const auto split = FindAnyOf(place, "EW");
  if (split == std::string_view::npos) {
    return;
  }
  const auto latitude = PackedCoordinate(place.substr(0, split), 'N', 'S', 2);
  const auto longitude = PackedCoordinate(place.substr(split), 'E', 'W', 3);
  if (latitude && longitude) {
    out.Position(*latitude, *longitude);
  }
}

// "FCOADS,01/FCOATC,01": the applications the aircraft offers (ADS-C,
// CPDLC), each with its version (not read).
std::vector<std::string> AfnApplications(const std::vector<std::string_view>& items) {
  std::vector<std::string> names;
  for (const std::string_view item : items) {
    if (!item.starts_with("FCO")) {
      continue;
    }
    const std::string_view name = item.substr(3, item.find(',') - 3);
    if (name.size() == 3 && AllOf(name, IsUpper)) {
      names.emplace_back(name);
    }
  }
  return names;
}

// "HECAHESHHEBAHELX" or "EGGW EGSS EGNX": airports, four letters each,
// run together or parted by spaces; nothing when a piece is no airport.
std::vector<std::string> AirportRun(std::string_view text) {
  std::vector<std::string> airports;
  for (const std::string_view word : Split(text, ' ')) {
    if (word.empty() || word.size() % 4 != 0) {
      return {};
    }
    for (std::size_t at = 0; at < word.size(); at += 4) {
      if (!IsAirport(word.substr(at, 4))) {
        return {};
      }
      airports.emplace_back(word.substr(at, 4));
    }
  }
  return airports;
}

// "08DEC19 06:49:57": the day and the time of day.
struct DayAndTime {
  TextDay day;
  std::string time;
};

std::optional<DayAndTime> DayAndClock(std::string_view text) {
  const auto day = text.size() == 16 && text[7] == ' ' ? DayMonthYear(text.substr(0, 7)) : std::nullopt;
  const std::string_view clock = text.substr(std::min<std::size_t>(8, text.size()));
  if (!day || clock.size() != 8 || clock[2] != ':' || clock[5] != ':') {
    return std::nullopt;
  }
  const std::string packed =
      std::string(clock.substr(0, 2)) + std::string(clock.substr(3, 2)) + std::string(clock.substr(6, 2));
  auto time = TimeOfDay(packed);
  if (!time) {
    return std::nullopt;
  }
  return DayAndTime{*day, std::move(*time)};
}

}  // namespace

std::optional<Message> BehindTerminalPrefix(const Message& message) {
  const std::string_view text = message.text;
  std::size_t at = 0;
  if (text.size() > 4 && text[0] == '#' && IsAlnumPair(text.substr(1)) && text[3] == 'B') {
    at = 4;  // a downlink's "#M1B"
  } else if (text.size() > 5 && text.starts_with("- #") && IsAlnumPair(text.substr(3))) {
    at = 5;  // an uplink's "- #M1"
  } else {
    return std::nullopt;
  }
  Message body = message;
  if (body.sublabel.empty()) {
    body.sublabel = text.substr(at - (at == 4 ? 3 : 2), 2);
  }
  at += FunctionIdentifierLength(text.substr(at));
  body.text = text.substr(at);
  return body;
}

// "#CFBMPF/               /AN.N660AW/FIAAL652    /DM191216175200/DAKPHX/
// DSKSMF/WN19121618120034000006NAV TCAS FAULT" then "/FR..." lines (label
// H1, the central fault display's report): the aircraft ("AN"), the flight
// ("FI"), departure ("DA") and destination ("DS"); the day and time ("DM"),
// the warnings ("WN") and faults ("FR") are not read here.
std::optional<Decoding> MaintenanceFlightReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view body = TerminalBody(message.text);
  if (!body.starts_with("MPF/")) {
    return std::nullopt;
  }
  Builder out(Kind::kMaintenanceMessage, tables);
  for (const std::string_view item : Split(FirstLine(body).substr(4), '/')) {
    const std::string_view value = Trim(item.substr(std::min<std::size_t>(2, item.size())));
    if (item.starts_with("AN")) {
      if (const auto registration = DottedRegistration(value)) {
        out.Text("tail", "Aircraft", *registration);
      }
    } else if (item.starts_with("FI") && IsFlight(value)) {
      out.Text("flight", "Flight", std::string(value));
    } else if (item.starts_with("DA") && IsAirport(value)) {
      out.Airport("departure", "Departure", value);
    } else if (item.starts_with("DS") && IsAirport(value)) {
      out.Airport("arrival", "Arrival", value);
    }
  }
  return std::move(out).Finish();
}

// "RA FMT LOCATION N4009.6 W07540.8", "/HDQDLUA.H1 MBB REQPOS037": an uplink
// the aircraft did not take, given back with its label (after the ground
// address it was sent from, when given) and its text, which is not read
// further here.
std::optional<Decoding> UndeliveredUplink(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = message.text;
  if (text.size() > 9 && text[0] == '/' && text[8] == '.' && AllOf(text.substr(1, 7), IsAlnum)) {
    text.remove_prefix(9);
  }
  const std::string_view uplink = ItemValue(text.substr(std::min<std::size_t>(3, text.size())));
  if (text.size() < 4 || !IsAlnumPair(text) || text[2] != ' ' || Trim(uplink).empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kUndeliveredUplink, tables);
  out.Text("uplink_label", "Label of the uplink", std::string(text.substr(0, 2)));
  out.Text("uplink_text", "Its text", std::string(Trim(uplink)));
  return std::move(out).Finish();
}

// "/KZWY.AFN/FMHJBU803,.N949JT,AD2F71,000203/FPON40122W072597,1/FCOADS,01/
// FCOATC,01F63B": the AFN contact, the logon the aircraft sends to a
// control centre (the facility's address) before ADS-C and CPDLC: "FMH" the
// flight and registration (the aircraft address and time after them not
// read), "FPO" the position, "FCO" each application offered with its
// version; the checksum of the ADS-C and CPDLC envelopes at the end.
std::optional<Decoding> AfnContact(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view body = TerminalBody(ItemValue(message.text));
  body.remove_prefix(FunctionIdentifierLength(body));
  if (body.starts_with('/')) {
    body.remove_prefix(1);
  }
  const auto dot = body.find(".AFN/");
  if (dot == std::string_view::npos || !IsFacilityAddress(body.substr(0, dot)) || body.size() < dot + 14) {
    return std::nullopt;
  }
  const std::string_view content = body.substr(dot + 1, body.size() - dot - 5);
  if (!CcittChecksumIs(content, body.substr(body.size() - 4))) {  // the AFN checksum
    return std::nullopt;
  }
  const auto items = Split(content.substr(4), '/');
  const auto applications = AfnApplications(items);
  if (!items[0].starts_with("FMH") || applications.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kAfnContact, tables);
  out.Text("ground_station", "Ground facility", std::string(body.substr(0, dot)));
  const auto header = Split(items[0].substr(3), ',');
  if (const auto flight = FlightNumber(header[0])) {
    out.Text("flight", "Flight", *flight);
  }
  if (const auto registration = header.size() > 1 ? DottedRegistration(header[1]) : std::nullopt) {
    out.Text("tail", "Aircraft", *registration);
  }
  for (const std::string_view item : items) {
    if (item.starts_with("FPO")) {
      AfnPosition(item, out);
    }
  }
  out.Names("applications", "Applications", applications);
  return std::move(out).Finish();
}

// "EGGW EGSS EGNX-SA", "DDA   HECAHESHHEBAHELX" or "09A   KTPAKMIAKFLL"
// (label 5U, weather request): the airports asked for, in order; a code
// before them and a "-SA"-style code after them are not read.
std::optional<Decoding> AirportWeatherRequest(const Message& message, const reference::ReferenceTables& tables) {
  std::string_view text = Trim(ItemValue(message.text));
  if (text.find('\n') != std::string_view::npos) {
    return std::nullopt;
  }
  // A leading code ("DDA", "09A", "09AF"): two to four letters and digits
  // that are no airport, then spaces.
  const std::string_view code = text.substr(0, text.find(' '));
  if (code.size() >= 2 && code.size() <= 4 && code.size() < text.size() && AllOf(code, IsAlnum) &&
      !(code.size() == 4 && IsAirport(code))) {
    text = Trim(text.substr(code.size()));
  }
  if (const auto dash = text.rfind('-');
      dash != std::string_view::npos && dash + 3 == text.size() && AllOf(text.substr(dash + 1), IsUpper)) {
    text = text.substr(0, dash);
  }
  auto airports = AirportRun(text);
  if (airports.size() < 2) {
    return std::nullopt;
  }
  Builder out(Kind::kWeatherRequest, tables);
  out.Names("airports", "Airports", std::move(airports));
  return std::move(out).Finish();
}

// "H,H,08DEC19 06:49:57,14352840,07DEC,5407,KLAX,KMFR,7860,60,L,N 38.294,
// W120.619,N 38.068,W120.503,32000,32000,..." (label 32): the day and time,
// the route, the position and the altitude. The second position and
// altitude are the previous report's (a minute's flight behind: not read),
// nor are the numbers between.
std::optional<Decoding> RouteRecordWithPosition(const Message& message, const reference::ReferenceTables& tables) {
  const auto pieces = Split(FirstLine(message.text), ',');
  if (pieces.size() < 16 || pieces[0].size() != 1 || pieces[1].size() != 1 || !IsIcaoCode(pieces[6]) ||
      !IsIcaoCode(pieces[7])) {
    return std::nullopt;
  }
  const auto stamp = DayAndClock(pieces[2]);
  const auto latitude = DecimalDegrees(pieces[11], 'N', 'S');
  const auto longitude = DecimalDegrees(pieces[12], 'E', 'W');
  if (!stamp || !latitude || !longitude) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.TimeOnDay("report_time", "Time", stamp->day, stamp->time, message.received);
  out.Airport("departure", "Departure", pieces[6]);
  out.Airport("arrival", "Arrival", pieces[7]);
  out.Position(*latitude, *longitude);
  const std::string_view altitude = Trim(pieces[15]);
  if (const auto feet = Digits(altitude, altitude.size()); feet && altitude.size() >= 3 && *feet <= 60000) {
    out.Altitude(*feet);
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
