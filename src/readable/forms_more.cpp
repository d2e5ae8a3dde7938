// More forms of the labels that carry air traffic services and ground texts:
//   the character-oriented ATS messages (labels A1-A3, B1-B4): an oceanic
//     clearance "/PIKCLYA.OC1/CLX 0832 220611 EGGX ..." and its readback
//     (CLA), its request (RCL), a departure clearance (CLD) and its
//     readback (CDA), its request (RCD); the facility's address, a
//     message identifier ("OC1", "DC1"), the message type, then its text and
//     (when the message is whole) the CRC-16 of the text after the address;
//   a ground office's message to the aircraft (label C1): the office's
//     address and the day and time, "AGM", "AN" with the registration and
//     the flight, then "- " and the text;
//   a message for the cockpit printer (label RA): "QU", seven letters and
//     digits, a mark and a letter or digit, then the text ("QUHDQITOO.1MSG
//     TO N679SA"); only the text is read;
//   free text with its checksum (labels 14, 1J, H1): "FTX/ID...,RCH085,.../MR3,/FX...";
//   ATIS requests without their envelope (label B9, "046KDENA") and ATIS
//     delivered (label A9, "/ATSASXA.TI2/KABQ ARR ATIS D");
//   the stations of METAR, SPECI and TAF reports in a text (labels RA, 3T);
//   terminal (H1) headings: a trip's route ("TRP KDFW MMUN"), the zero fuel
//     weight message ("EZF"), predicted winds ("PWI/WD390,...") and
//     maintenance reports ("ACMF SNAPSHOT REPORT ...", "MDC REPORT");
//   a gate assignment request (label 5Z): "05KIAD REQUEST GATE ASSIGNMENT ETA0411";
//   the brake set or released and when (label 23): "BRAKE/BRAKE RLSD 1152".
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

bool IsWordBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// The text split at spaces and line breaks, empty pieces dropped.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = FindFirstFailing(text, IsWordBreak, at);
    if (start == std::string_view::npos) {
      break;
    }
    const std::size_t end = std::min(FindAnyOf(text, " \r\n", start), text.size());
    words.push_back(text.substr(start, end - start));
    at = end;
  }
  return words;
}

bool IsIataCode(std::string_view text) { return text.size() == 3 && AllOf(text, IsUpper); }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

// "0832" and "220611" (year, month, day): the time as seconds since 1970.
std::optional<UtcSeconds> YearMonthDayTime(std::string_view date, std::string_view time) {
  const auto year = Digits(date.substr(0, 2), 2);
  const auto month = Digits(date.substr(2, 2), 2);
  const auto day = Digits(date.substr(4), 2);
  const auto hours = Digits(time.substr(0, 2), 2);
  const auto minutes = Digits(time.substr(2), 2);
  if (!year || !month || !day || !hours || !minutes || *hours > 23 || *minutes > 59) {
    return std::nullopt;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{2000 + *year},
                                        std::chrono::month{static_cast<unsigned>(*month)},
                                        std::chrono::day{static_cast<unsigned>(*day)}};
  if (!ymd.ok()) {
    return std::nullopt;
  }
  const auto days = std::chrono::sys_days{ymd}.time_since_epoch().count();
  return static_cast<UtcSeconds>(days) * 86400 + *hours * 3600 + *minutes * 60;
}

// "M085" (Mach 0.85) or "F380" (flight level 380): the entry point's Mach
// number or flight level, whichever the piece is.
void EntryLevelOrMach(std::string_view piece, Builder& out, bool& level, bool& mach) {
  if (piece.size() != 4) {
    return;
  }
  if (piece[0] == 'F' && !level) {
    if (const auto feet = FlightLevelFeet(piece.substr(1))) {
      out.Number("entry_altitude_ft", "Flight level at entry", *feet, "ft");
      level = true;
    }
  } else if (piece[0] == 'M' && !mach) {
    if (const auto hundredths = Digits(piece.substr(1), 3); hundredths && *hundredths > 0 && *hundredths < 100) {
      out.MachAs("entry_mach", "Mach at entry", *hundredths / 100.0);
      mach = true;
    }
  }
}

// "ERAKA/0959": the oceanic entry point and the time there.
bool EntryPointAndTime(std::string_view text, Builder& out) {
  const auto slash = text.find('/');
  if (slash == std::string_view::npos || slash < 2 || slash > 5 || !AllOf(text.substr(0, slash), IsAlnum)) {
    return false;
  }
  const auto time = text.substr(slash + 1).size() == 4 ? TimeOfDay(text.substr(slash + 1)) : std::nullopt;
  if (!time) {
    return false;
  }
  out.Text("entry_point", "Entry point", std::string(text.substr(0, slash)));
  out.Time("entry_time", "Time at entry", *time);
  return true;
}

// The words after "CLRD TO": the destination, and for a departure
// clearance the runway ("OFF 18") and the transponder code ("SQUAWK 1000").
void ClearedTo(const std::vector<std::string_view>& words, std::size_t cleared, Builder& out) {
  if (cleared + 2 < words.size() && words[cleared + 1] == "TO" && IsAirport(words[cleared + 2])) {
    out.Airport("arrival", "Destination", words[cleared + 2]);
  }
  for (std::size_t i = cleared; i + 1 < words.size(); ++i) {
    if (words[i] == "OFF") {
      if (const auto runway = Runway(words[i + 1])) {
        out.Text("runway_departure", "Departure runway", *runway);
      }
    } else if (words[i] == "SQUAWK" && words[i + 1].size() == 4 &&
               AllOf(words[i + 1], [](char c) { return c >= '0' && c <= '7'; })) {
      out.Text("transponder_code", "Transponder code", std::string(words[i + 1]));
      return;
    }
  }
}

// "0832 220611 EGGX CLRNCE 602 DLH436 CLRD TO KORD VIA ERAKA ... FM
// ERAKA/0959 MNTN F380 M085" (CLX, CLA) or "0658 220612 EDDF PDC 688 DLH8NT
// CLRD TO LJLJ OFF 18 VIA CINDY4S SQUAWK 1000 ..." (CLD, CDA): a clearance.
// The oceanic area, the clearance number, the route and the remarks are not
// read.
std::optional<Decoding> Clearance(Kind kind, bool oceanic, std::string_view text,
                                  const reference::ReferenceTables& tables) {
  const auto words = Words(text);
  std::size_t cleared = 0;
  while (cleared < words.size() && words[cleared] != "CLRD") {
    ++cleared;
  }
  const std::string_view issuer = words.size() > 2 ? words[2] : std::string_view();
  const std::string_view what = words.size() > 3 ? words[3] : std::string_view();
  if (cleared < 5 || cleared + 2 >= words.size() || !IsIcaoCode(issuer) || what != (oceanic ? "CLRNCE" : "PDC")) {
    return std::nullopt;
  }
  const auto flight = FlightNumber(words[cleared - 1]);
  const auto sent = YearMonthDayTime(words[1], words[0]);
  if (!flight || !sent) {
    return std::nullopt;
  }
  Builder out(kind, tables);
  out.Stamp("sent_time", "Sent", *sent, false);
  out.Text("flight", "Flight", *flight);
  if (!oceanic) {
    out.Airport("departure", "Departure", issuer);
  }
  ClearedTo(words, cleared, out);
  for (std::size_t i = cleared; oceanic && i + 1 < words.size(); ++i) {
    if (words[i] == "FM" && EntryPointAndTime(words[i + 1], out)) {
      bool level = false;
      bool mach = false;
      for (std::size_t j = i + 2; j < words.size() && j < i + 5; ++j) {
        EntryLevelOrMach(words[j], out, level, mach);
      }
      break;
    }
  }
  return std::move(out).Finish();
}

// "046 AFR088-BALIX/1754 M083F360 -RMK/MAX F370" (RCL): an oceanic
// clearance request: the flight, the entry point, the time there and the
// Mach number and flight level asked for. The remarks are not read.
std::optional<Decoding> OceanicClearanceRequest(std::string_view text, const reference::ReferenceTables& tables) {
  const auto words = Words(text);
  if (words.size() < 3 || words[2].size() != 8) {
    return std::nullopt;
  }
  const auto dash = words[1].find('-');
  const auto flight = dash != std::string_view::npos ? FlightNumber(words[1].substr(0, dash)) : std::nullopt;
  if (!flight) {
    return std::nullopt;
  }
  Builder out(Kind::kOceanicClearanceRequest, tables);
  out.Text("flight", "Flight", *flight);
  if (!EntryPointAndTime(words[1].substr(dash + 1), out)) {
    return std::nullopt;
  }
  bool level = false;
  bool mach = false;
  EntryLevelOrMach(words[2].substr(0, 4), out, level, mach);
  EntryLevelOrMach(words[2].substr(4), out, level, mach);
  if (!level || !mach) {
    return std::nullopt;
  }
  return std::move(out).Finish();
}

// "040" / "DLH22T-EDDF-GATE V137-LFLL" / "ATIS H" / "-TYP/A321" (RCD): a
// departure clearance request: the flight and its route. The gate, the
// ATIS letter and the aircraft type are not read.
std::optional<Decoding> DepartureClearanceRequest(std::string_view text, const reference::ReferenceTables& tables) {
  const auto lines = Split(text, '\n');
  if (lines.size() < 2) {
    return std::nullopt;
  }
  const auto pieces = Split(Trim(ItemValue(lines[1])), '-');
  if (pieces.size() != 4 || !pieces[2].starts_with("GATE") || !IsAirport(pieces[1]) || !IsAirport(pieces[3])) {
    return std::nullopt;
  }
  const auto flight = FlightNumber(pieces[0]);
  if (!flight) {
    return std::nullopt;
  }
  Builder out(Kind::kDepartureClearanceRequest, tables);
  out.Text("flight", "Flight", *flight);
  out.Airport("departure", "Departure", pieces[1]);
  out.Airport("arrival", "Arrival", pieces[3]);
  return std::move(out).Finish();
}

// The ATS message after "/FACILITY.": "OC1/CLX ...", less its checksum when
// one ends it and holds. A whole message ("END OF MESSAGE" then four hex
// digits) whose checksum fails gives nothing; a first block, which has no
// checksum yet, is given as it is.
std::optional<std::string_view> AtsContent(std::string_view text) {
  if (!text.starts_with('/')) {
    return std::nullopt;
  }
  const auto dot = text.find('.');
  if (dot == std::string_view::npos || dot < 5 || dot > 8 || !AllOf(text.substr(1, dot - 1), IsAlnum)) {
    return std::nullopt;
  }
  std::string_view content = text.substr(dot + 1);
  if (content.size() < 9 || !IsUpper(content[0]) || !IsUpper(content[1]) || !IsDigit(content[2]) || content[3] != '/' ||
      content[7] != ' ') {
    return std::nullopt;
  }
  if (content.size() > 12 && AllOf(content.substr(content.size() - 4), IsHexDigit)) {
    const std::string_view body = content.substr(0, content.size() - 4);
    if (CcittChecksumIs(body, content.substr(content.size() - 4))) {
      return body;
    }
    if (body.ends_with("END OF MESSAGE")) {
      return std::nullopt;
    }
  }
  return content;
}

// The words of a ground office's header before the text: the office's
// address and "DDHHMM", then "AGM" and "AN" with the aircraft's element
// ("N758US", "9M-MTO/FI MH0714/MA 154I").
struct GroundHeader {
  int day = 0;
  std::string time;
  std::string registration;
  std::string flight;
  std::string_view text;
};

// "N758US", "9M-MTO", "CN-MAX": letters, digits and dashes, a letter among
// them, no dash at either end.
bool IsRegistration(std::string_view text) {
  return text.size() >= 3 && text.size() <= 7 && AllOf(text, [](char c) { return IsAlnum(c) || c == '-'; }) &&
         std::any_of(text.begin(), text.end(), IsUpper) && !text.starts_with('-') && !text.ends_with('-');
}

std::optional<GroundHeader> ReadGroundHeader(std::string_view text) {
  const auto dash = text.find("- ");
  if (dash == std::string_view::npos) {
    return std::nullopt;
  }
  const auto words = Words(text.substr(0, dash));
  std::string_view address = words.empty() ? std::string_view() : words[0];
  if (address.starts_with('.')) {
    address.remove_prefix(1);
  }
  std::size_t agm = 0;
  while (agm < words.size() && words[agm] != "AGM") {
    ++agm;
  }
  if (address.size() != 7 || !AllOf(address, IsAlnum) || words.size() < agm + 3 || words[agm + 1] != "AN" || agm < 2 ||
      words[1].size() != 6) {
    return std::nullopt;
  }
  const auto day = Digits(words[1].substr(0, 2), 2);
  const auto time = TimeOfDay(words[1].substr(2));
  if (!day || *day < 1 || *day > 31 || !time) {
    return std::nullopt;
  }
  std::string element;
  for (std::size_t i = agm + 2; i < words.size(); ++i) {
    element += (element.empty() ? "" : " ");
    element += words[i];
  }
  const auto pieces = Split(element, '/');
  if (!IsRegistration(pieces[0])) {
    return std::nullopt;
  }
  GroundHeader header{*day, *time, std::string(pieces[0]), {}, text.substr(dash + 2)};
  for (const std::string_view piece : pieces) {
    if (piece.starts_with("FI ")) {
      header.flight = FlightNumber(piece.substr(3)).value_or("");
    }
  }
  return header;
}

// The message's lines trimmed and joined by spaces; up to the first empty
// line when firstParagraph.
std::string JoinedLines(std::string_view text, bool firstParagraph) {
  std::string joined;
  for (const std::string_view raw : Split(text, '\n')) {
    const std::string_view line = Trim(ItemValue(raw));
    if (line.empty()) {
      if (firstParagraph && !joined.empty()) {
        break;
      }
      continue;
    }
    joined += joined.empty() ? "" : " ";
    joined += line;
  }
  return joined;
}

// "2020AUG05": year, month and day.
std::optional<TextDay> YearMonthNameDay(std::string_view text) {
  const auto year = text.size() == 9 ? Digits(text.substr(0, 4), 4) : std::nullopt;
  const auto month = year ? MonthOfAbbreviation(text.substr(4, 3)) : std::nullopt;
  const auto day = month ? Digits(text.substr(7), 2) : std::nullopt;
  return day ? std::optional<TextDay>(TextDay{*year, *month, *day}) : std::nullopt;
}

// "05Aug2020": day, month (any case) and year.
std::optional<TextDay> DayMonthNameYear(std::string_view text) {
  if (text.size() != 9) {
    return std::nullopt;
  }
  std::string month(text.substr(2, 3));
  std::transform(month.begin(), month.end(), month.begin(),
                 [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  const auto number = MonthOfAbbreviation(month);
  const auto day = Digits(text.substr(0, 2), 2);
  const auto year = Digits(text.substr(5), 4);
  return number && day && year ? std::optional<TextDay>(TextDay{*year, *number, *day}) : std::nullopt;
}

// What a maintenance report's heading lines give: its day and time and the
// aircraft.
struct ReportHeading {
  std::optional<TextDay> day;
  std::string time;
  std::string tail;
};

// "ACMF SNAPSHOT REPORT 2020AUG05 18:06:31", "A/C N192SY", "TIME: 18:15",
// "DATE: 05Aug2020"; other lines are passed over.
void ReadHeadingLine(std::string_view line, ReportHeading& heading) {
  const auto words = Words(line);
  if (line.starts_with("ACMF SNAPSHOT REPORT ") && words.size() == 5 && words[4].size() == 8 && words[4][2] == ':' &&
      words[4][5] == ':') {
    if (const auto day = YearMonthNameDay(words[3])) {
      heading.day = day;
      heading.time = words[4];
    }
  } else if (line.starts_with("A/C ") && words.size() == 2 && IsRegistration(words[1])) {
    heading.tail = words[1];
  } else if (line.starts_with("TIME: ") && words.size() == 2 && words[1].size() == 5 && words[1][2] == ':') {
    heading.time = words[1];
  } else if (line.starts_with("DATE: ") && words.size() == 2) {
    heading.day = DayMonthNameYear(words[1]);
  }
}

}  // namespace

// A character-oriented ATS message, by its type: the clearances and their
// requests; other types give nothing.
std::optional<Decoding> AtsMessage(const Message& message, const reference::ReferenceTables& tables) {
  const auto content = AtsContent(ItemValue(message.text));
  if (!content) {
    return std::nullopt;
  }
  const std::string_view type = content->substr(4, 3);
  const std::string_view text = content->substr(8);
  if (type == "CLX") {
    return Clearance(Kind::kOceanicClearance, true, text, tables);
  }
  if (type == "CLA") {
    return Clearance(Kind::kOceanicClearanceReadback, true, text, tables);
  }
  if (type == "CLD") {
    return Clearance(Kind::kDepartureClearance, false, text, tables);
  }
  if (type == "CDA") {
    return Clearance(Kind::kDepartureClearanceReadback, false, text, tables);
  }
  if (type == "RCL") {
    return OceanicClearanceRequest(text, tables);
  }
  if (type == "RCD") {
    return DepartureClearanceRequest(text, tables);
  }
  return std::nullopt;
}

// ".ATSA5XA 020045" / "AGM" / "AN N758US" / "- TEXT": the time sent, the
// aircraft, the flight when given, and the text.
std::optional<Decoding> GroundOfficeMessage(const Message& message, const reference::ReferenceTables& tables) {
  const auto header = ReadGroundHeader(message.text);
  if (!header) {
    return std::nullopt;
  }
  Builder out(Kind::kGroundMessage, tables);
  out.TimeOnDay("sent_time", "Sent", TextDay{0, 0, header->day}, header->time, message.received);
  out.Text("tail", "Aircraft", header->registration);
  if (!header->flight.empty()) {
    out.Text("flight", "Flight", header->flight);
  }
  if (std::string text = JoinedLines(header->text, true); !text.empty()) {
    out.Text("uplink_message", "Message", std::move(text));
  }
  return std::move(out).Finish();
}

// "QUHDQITOO.1MSG TO N679SA" / ...: the text after the printer header.
std::optional<Decoding> PrinterUplink(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  if (text.size() < 13 || !text.starts_with("QU") || !AllOf(text.substr(2, 7), IsAlnum) ||
      std::string_view(".~?").find(text[9]) == std::string_view::npos || !IsAlnum(text[10])) {
    return std::nullopt;
  }
  std::string words = JoinedLines(text.substr(11), false);
  if (words.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kGroundMessage, tables);
  out.Text("uplink_message", "Message", std::move(words));
  return std::move(out).Finish();
}

// "FTX/ID50029S,RCH085,6JH805S11104/MR3,/FXEXCELLENT. HAPPY TO HELP581A":
// the flight and the free text, the checksum holding.
std::optional<Decoding> CheckedFreeText(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (!text.starts_with("FTX/ID") || !ChecksumHolds(text)) {
    return std::nullopt;
  }
  const std::string_view body = text.substr(0, text.size() - 4);
  const auto idEnd = body.find('/', 4);
  const auto free = body.find("/FX");
  if (idEnd == std::string_view::npos || free == std::string_view::npos || free < idEnd) {
    return std::nullopt;
  }
  const auto id = Split(body.substr(6, idEnd - 6), ',');
  const auto flight = id.size() > 1 ? FlightNumber(id[1]) : std::nullopt;
  if (!flight) {
    return std::nullopt;
  }
  Builder out(Kind::kFreeText, tables);
  out.Text("flight", "Flight", *flight);
  if (const std::string_view words = Trim(body.substr(free + 3)); !words.empty()) {
    out.Text("message", "Message", std::string(words));
  }
  return std::move(out).Finish();
}

std::optional<Decoding> FacilitiesNotificationLine(const Message& message, const reference::ReferenceTables& tables) {
  Message line = message;
  line.text = ItemValue(message.text);
  return FacilitiesNotification(line, tables);
}

// "046KDENA": the airport an ATIS request names.
std::optional<Decoding> BareAtisRequest(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (text.size() != 8 || !Digits(text.substr(0, 3), 3) || !IsAirport(text.substr(3, 4)) || text[7] != 'A') {
    return std::nullopt;
  }
  Builder out(Kind::kAtisRequest, tables);
  out.Airport("airport", "Airport", text.substr(3, 4));
  return std::move(out).Finish();
}

// "/ATSASXA.TI2/KABQ ARR ATIS D" / ...: the airport and the letter.
std::optional<Decoding> AtisDelivery(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto dot = text.find('.');
  if (!text.starts_with('/') || dot == std::string_view::npos || dot < 5 || dot > 8 ||
      !AllOf(text.substr(1, dot - 1), IsAlnum) || text.substr(dot + 1, 4) != "TI2/") {
    return std::nullopt;
  }
  const auto words = Words(FirstLine(text.substr(dot + 5)));
  if (words.size() != 4 || !IsAirport(words[0]) || (words[1] != "ARR" && words[1] != "DEP") || words[2] != "ATIS" ||
      words[3].size() != 1 || !IsUpper(words[3][0])) {
    return std::nullopt;
  }
  Builder out(Kind::kAtis, tables);
  out.Airport("airport", "Airport", words[0]);
  out.Text("atis_code", words[1] == "ARR" ? "Arrival ATIS" : "Departure ATIS", std::string(words[3]));
  return std::move(out).Finish();
}

// The stations of the "METAR KSFO 090656Z ..." lines in a text, each once.
std::optional<Decoding> WeatherReports(const Message& message, const reference::ReferenceTables& tables) {
  std::vector<std::string> stations;
  for (const std::string_view raw : Split(message.text, '\n')) {
    const auto words = Words(raw);
    const bool report = words.size() >= 3 && (words[0] == "METAR" || words[0] == "SPECI" || words[0] == "TAF");
    if (report && IsAirport(words[1]) && words[2].size() == 7 && words[2][6] == 'Z' &&
        Digits(words[2].substr(0, 6), 6) && std::find(stations.begin(), stations.end(), words[1]) == stations.end()) {
      stations.emplace_back(words[1]);
    }
  }
  if (stations.empty()) {
    return std::nullopt;
  }
  Builder out(Kind::kWeatherReport, tables);
  out.Names("weather_stations", "Weather of", std::move(stations));
  return std::move(out).Finish();
}

// "TRP KDFW MMUN  7 8" (first or second line), then perhaps "/A1 125440,
// 31.1365,- 96.7883,...": the route and the first sample.
std::optional<Decoding> TripRoute(const Message& message, const reference::ReferenceTables& tables) {
  // "TRP " opens the first or the second line; most texts are turned away
  // before being split into lines.
  const std::string_view body = TerminalBody(message.text);
  const std::size_t firstEnd = body.find('\n');
  if (!body.starts_with("TRP ") &&
      (firstEnd == std::string_view::npos || !body.substr(firstEnd + 1).starts_with("TRP "))) {
    return std::nullopt;
  }
  const auto lines = Split(body, '\n');
  std::size_t trip = 0;
  while (trip < lines.size() && !lines[trip].starts_with("TRP ")) {
    ++trip;
  }
  const auto words = trip < lines.size() ? Words(lines[trip]) : std::vector<std::string_view>();
  if (trip > 1 || words.size() < 3 || !IsAirport(words[1]) || !IsAirport(words[2])) {
    return std::nullopt;
  }
  Builder out(Kind::kTripReport, tables);
  out.Airport("departure", "Departure", words[1]);
  out.Airport("arrival", "Destination", words[2]);
  // "/A1 125440, 31.1365,- 96.7883,...": the first sample's time and position.
  if (trip + 1 < lines.size() && lines[trip + 1].starts_with("/A1 ")) {
    const auto pieces = Split(lines[trip + 1].substr(4), ',');
    const auto time = pieces.size() >= 3 && pieces[0].size() == 6 ? TimeOfDay(pieces[0]) : std::nullopt;
    const auto latitude = time ? Number(Trim(pieces[1])) : std::nullopt;
    const auto longitude = time ? Number(Trim(pieces[2])) : std::nullopt;
    if (latitude && longitude && std::fabs(*latitude) <= 90 && std::fabs(*longitude) <= 180) {
      out.Time("report_time", "Time", *time);
      out.Position(*latitude, *longitude);
    }
  }
  return std::move(out).Finish();
}

// "EZF" / "NO0246/10/EI-NEO" / ... / "-SCT/MXP-ZNZ": flight, aircraft, sector.
std::optional<Decoding> ZeroFuelLoadsheet(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view body = TerminalBody(message.text);
  if (Trim(ItemValue(body.substr(0, body.find('\n')))) != "EZF") {
    return std::nullopt;  // turned away before the text is split into lines
  }
  const auto lines = Split(body, '\n');
  if (lines.size() < 4 || Trim(ItemValue(lines[0])) != "EZF") {
    return std::nullopt;
  }
  const auto heading = Split(Trim(ItemValue(lines[1])), '/');
  const auto flight = heading.size() == 3 ? FlightNumber(heading[0]) : std::nullopt;
  if (!flight || !Digits(heading[1], 2) || !IsRegistration(heading[2])) {
    return std::nullopt;
  }
  Builder out(Kind::kLoadsheet, tables);
  out.Text("flight", "Flight", *flight);
  out.Text("tail", "Aircraft", std::string(heading[2]));
  for (const std::string_view raw : lines) {
    const std::string_view line = Trim(ItemValue(raw));
    if (line.size() == 12 && line.starts_with("-SCT/") && line[8] == '-' && IsIataCode(line.substr(5, 3)) &&
        IsIataCode(line.substr(9))) {
      out.Text("departure_iata", "Departure (IATA)", std::string(line.substr(5, 3)));
      out.Text("arrival_iata", "Arrival (IATA)", std::string(line.substr(9)));
    }
  }
  return std::move(out).Finish();
}

// "PWI/WD390,COLZI,258070.AWYAT,252071..." with its checksum: the first
// level's waypoints.
std::optional<Decoding> PredictedWinds(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(TerminalBody(message.text));
  if (!text.starts_with("PWI/WD") || !ChecksumHolds(text)) {
    return std::nullopt;
  }
  const std::string_view group = text.substr(4, text.find('/', 4) - 4);
  const auto comma = group.find(',');
  if (comma != 5 || !FlightLevelFeet(group.substr(2, 3))) {
    return std::nullopt;
  }
  std::vector<std::string> waypoints;
  for (const std::string_view point : Split(group.substr(comma + 1), '.')) {
    const std::string_view name = point.substr(0, point.find(','));
    if (name.size() < 2 || name.size() > 5 || !AllOf(name, IsAlnum) || name.size() == point.size()) {
      return std::nullopt;
    }
    waypoints.emplace_back(name);
  }
  Builder out(Kind::kPredictedWinds, tables);
  out.Names("waypoints", "Waypoints", std::move(waypoints));
  return std::move(out).Finish();
}

// "APM_REPORT..." or "PAGE ..." reports: the time and aircraft of their heading.
std::optional<Decoding> MaintenanceReportHeading(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view body = TerminalBody(message.text);
  if (!body.starts_with("APM_REPORT") && !body.starts_with("PAGE ")) {
    return std::nullopt;
  }
  ReportHeading heading;
  for (const std::string_view line : Split(body, '\n')) {
    ReadHeadingLine(Trim(ItemValue(line)), heading);
  }
  const auto stamp = heading.day && !heading.time.empty()
                         ? OnTextDay(*heading.day, heading.time,
                                     ReceiveTime{heading.day->year, heading.day->month, heading.day->day, 23, 59, 59})
                         : std::nullopt;
  if (!stamp) {
    return std::nullopt;
  }
  Builder out(Kind::kMaintenanceMessage, tables);
  out.Stamp("report_time", "Report time", *stamp, heading.time.size() == 8);
  if (!heading.tail.empty()) {
    out.Text("tail", "Aircraft", heading.tail);
  }
  return std::move(out).Finish();
}

// "05KIAD REQUEST GATE ASSIGNMENT ETA0411": the airport and the estimate.
std::optional<Decoding> GateAssignmentRequest(const Message& message, const reference::ReferenceTables& tables) {
  const auto words = Words(ItemValue(message.text));
  if (words.size() < 4 || words[0].size() != 6 || !Digits(words[0].substr(0, 2), 2) || !IsAirport(words[0].substr(2)) ||
      words[1] != "REQUEST" || words[2] != "GATE" || words[3] != "ASSIGNMENT") {
    return std::nullopt;
  }
  Builder out(Kind::kGateRequest, tables);
  out.Airport("airport", "Airport", words[0].substr(2));
  if (words.size() == 5 && words[4].size() == 7 && words[4].starts_with("ETA")) {
    if (const auto eta = HoursMinutes(words[4].substr(3))) {
      out.Time("eta", "Estimated arrival", *eta);
    }
  }
  return std::move(out).Finish();
}

// "BRAKE/BRAKE RLSD 1152" or "BRAKE/BRAKE SET  1152": which, and when.
std::optional<Decoding> BrakeEvent(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = ItemValue(message.text);
  if (!text.starts_with("BRAKE/BRAKE ")) {
    return std::nullopt;
  }
  const auto words = Words(text.substr(12));
  const auto time = words.size() == 2 && words[1].size() == 4 ? TimeOfDay(words[1]) : std::nullopt;
  if (!time || (words[0] != "SET" && words[0] != "RLSD")) {
    return std::nullopt;
  }
  Builder out(words[0] == "SET" ? Kind::kBrakeSet : Kind::kBrakeReleased, tables);
  out.Time("event_time", "Time", *time);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
