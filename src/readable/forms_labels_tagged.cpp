// The tagged reports of the numbered and lettered labels: "TAG value" items
// parted by slashes, commas or line breaks:
//   "00018213200/GS 411500/DEP MDPC/DES CYYZ/ETA 0120/..."  (tagged reports)
//   "POS" + "CAS 261,LAT N 58.698,LON E 23.968,..."         (tagged lines)
//   "/DA EGLL/DS OLBA/OT 1338/OF 1353/FB 167/ETA 1832"       (departure times)
//   "LOG C-FDBD00121/DA CYQB/DS CYBG/FN SWG419/..."          (flight logs)
// Tags not known for sure are passed over.

#include <algorithm>
#include <vector>

#include "readable/forms.h"
#include "readable/label_pieces.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

constexpr Kind kPositionReport = Kind::kPositionReport;

// What the tagged items give that needs more than one item: the position
// and the wind (both halves needed), and the day and time sent, which the
// other times are placed near; the day may come after them ("OT 2153/
// .../10MAR20/UTC 023216"), so it is found before the items are read.
struct TaggedItems {
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::optional<double> windDirection;
  std::optional<double> windSpeed;
  std::optional<UtcSeconds> sent;  // the time sent on its day, when both are given
  bool positioned = false;
};

// "37998" or "37000FT": an altitude in feet.
std::optional<double> TaggedFeet(std::string_view value) {
  if (value.ends_with("FT")) {
    value.remove_suffix(2);
  }
  const auto feet = Digits(value, value.size());
  return feet && value.size() >= 3 && *feet <= 60000 ? std::optional<double>(*feet) : std::nullopt;
}

struct TagAndValue {
  std::string_view tag;
  std::string_view value;
};

TagAndValue SplitItem(std::string_view item) {
  const auto space = item.find(' ');
  return {item.substr(0, space), space == std::string_view::npos ? std::string_view() : Trim(item.substr(space))};
}

// The day the items give ("10MAR20" alone, or "DAY 10MAR20").
std::optional<TextDay> ItemDay(TagAndValue item) {
  if (item.value.empty()) {
    return DayMonthYear(item.tag);
  }
  return item.tag == "DAY" ? DayMonthYear(item.value) : std::nullopt;
}

// The time sent on the day the items give, when they give both.
std::optional<UtcSeconds> SentOnItemDay(const std::vector<std::string_view>& items, const ReceiveTime& received) {
  std::optional<TextDay> day;
  std::optional<std::string> sent;
  for (const std::string_view item : items) {
    const TagAndValue parts = SplitItem(item);
    if (const auto itemDay = ItemDay(parts)) {
      day = itemDay;
    } else if (parts.tag == "UTC") {
      sent = TimeOfDay(parts.value);
    }
  }
  return day && sent ? OnTextDay(*day, *sent, received) : std::nullopt;
}

// A time item: placed near the time sent when that is dated.
void TaggedTime(const char* field, const char* caption, std::string_view value, const TaggedItems& state,
                Builder& out) {
  if (auto time = HoursMinutes(value)) {
    out.TimeNear(field, caption, state.sent, std::move(*time));
  }
}

void PositionWhenBoth(TaggedItems& state, Builder& out) {
  if (state.latitude && state.longitude && !state.positioned) {
    out.Position(*state.latitude, *state.longitude);
    state.positioned = true;
  }
}

void WindWhenBoth(const TaggedItems& state, Builder& out) {
  if (state.windDirection && state.windSpeed) {
    out.Wind(*state.windDirection, *state.windSpeed);
  }
}

// One "TAG value" item, read where it stands; tags not known for sure are
// passed over.
void ReadTaggedItem(std::string_view item, Builder& out, TaggedItems& state) {
  const auto [tag, value] = SplitItem(item);
  if (tag == "LAT" || tag == "LON") {
    (tag == "LAT" ? state.latitude : state.longitude) =
        tag == "LAT" ? DecimalDegrees(value, 'N', 'S') : DecimalDegrees(value, 'E', 'W');
    PositionWhenBoth(state, out);
  } else if (tag == "ALT") {
    if (const auto feet = TaggedFeet(value)) {
      out.Altitude(*feet);
    }
  } else if (tag == "WD" || tag == "WS") {
    const auto number = Digits(value, value.size());
    const bool inRange = number && (tag == "WD" ? *number <= 360 : *number <= 300);
    (tag == "WD" ? state.windDirection : state.windSpeed) = inRange ? std::optional<double>(*number) : std::nullopt;
    WindWhenBoth(state, out);
  } else if (tag == "TAT") {
    if (const auto celsius = Number(value); celsius && *celsius >= -99 && *celsius <= 60) {
      out.TotalAirTemperature(*celsius);
    }
  } else if ((tag == "DEP" || tag == "DA") && IsIcaoCode(value)) {
    out.Airport("departure", "Departure", value);
  } else if ((tag == "DES" || tag == "DS") && IsIcaoCode(value)) {
    out.Airport("arrival", "Arrival", value);
  } else if (tag == "ETA") {
    TaggedTime("eta", "Estimated arrival", value, state, out);
  } else if (tag == "OT" || tag == "OF") {
    TaggedTime(tag == "OT" ? "out" : "off", tag == "OT" ? "Out" : "Off", value, state, out);
  } else if (tag == "ON" || tag == "IN") {
    TaggedTime(tag == "ON" ? "on" : "in", tag == "ON" ? "On" : "In", value, state, out);
  } else if (tag == "UTC") {
    if (state.sent) {
      out.Stamp("sent_time", "Sent", *state.sent, true);
    } else if (auto time = TimeOfDay(value)) {
      out.Time("sent_time", "Sent", std::move(*time));
    }
  } else if (tag == "FN" && IsFlight(value)) {
    out.Text("flight", "Flight", std::string(value));
  }
}

// The items in the order given, the day sent found first.
void ReadTaggedItems(const std::vector<std::string_view>& items, const ReceiveTime& received, Builder& out,
                     TaggedItems& state) {
  state.sent = SentOnItemDay(items, received);
  for (const std::string_view item : items) {
    ReadTaggedItem(item, out, state);
  }
}

// The items of lines of items parted by separator, each trimmed.
std::vector<std::string_view> ItemsOfLines(std::string_view text, char separator) {
  std::vector<std::string_view> items;
  for (std::string_view line : Split(text, '\n')) {
    line = line.substr(0, line.find('\r'));
    for (const std::string_view item : Split(line, separator)) {
      items.push_back(Trim(item));
    }
  }
  return items;
}

// "PA ACCEPT": the crew accepted the loadsheet the report answers.
bool AcceptsLoadsheet(const std::vector<std::string_view>& items) {
  return std::any_of(items.begin(), items.end(), [](std::string_view item) { return item == "PA ACCEPT"; });
}

}  // namespace

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
  TaggedItems state;
  if (!lead.empty()) {  // "N 22.027/E 20.426/..." or "+ 39.126/- 77.358/..."
    const auto second = items.find('/');
    if (second == std::string_view::npos) {
      return std::nullopt;
    }
    state.latitude = LeadCoordinate(lead, 'N', 'S', 90);
    state.longitude = LeadCoordinate(items.substr(0, second), 'E', 'W', 180);
    if (!state.latitude || !state.longitude) {
      return std::nullopt;
    }
    items.remove_prefix(second + 1);
  } else if (first != 11 && !coded) {
    return std::nullopt;
  }
  const std::vector<std::string_view> tagged = ItemsOfLines(items, '/');
  // A report with a position is a position report; one without is named for
  // what it carries: the loadsheet accepted ("/TX .../PA ACCEPT/FN TUI84X/..."
  // of label 1X), or the route and estimates of a flight's progress.
  const bool placed = state.latitude || text.find("LAT ") != std::string_view::npos;
  Builder out(coded                      ? (inRange ? Kind::kInRangeReport : Kind::kAirlineMessage)
              : placed                   ? kPositionReport
              : AcceptsLoadsheet(tagged) ? Kind::kLoadsheet
                                         : Kind::kProgressReport,
              tables);
  PositionWhenBoth(state, out);
  ReadTaggedItems(tagged, message.received, out, state);
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
  ReadTaggedItems(ItemsOfLines(text.substr(heading.size()), ','), message.received, out, state);
  if (!state.positioned) {
    return std::nullopt;
  }
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
  ReadTaggedItems(ItemsOfLines(text.substr(1), '/'), message.received, out, state);
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
  std::vector<std::string_view> items;
  for (const std::string_view line : Split(text.substr(slash + 1), '\n')) {
    for (const std::string_view item : Split(ItemValue(line), '/')) {
      items.push_back(Trim(item));
    }
  }
  TaggedItems state;
  ReadTaggedItems(items, message.received, out, state);
  return std::move(out).Finish();
}

}  // namespace corvane::readable
