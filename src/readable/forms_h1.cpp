// Terminal messages (label H1) in the forms of today's flight management
// computers. The text may begin with the terminal's own "#M1B"-style prefix
// (a "#", two characters naming the terminal, and "B").
#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

// The text without a leading terminal prefix such as "#M1B".
std::string_view WithoutTerminalPrefix(std::string_view text) {
  if (text.size() >= 4 && text[0] == '#' && text[3] == 'B') {
    return text.substr(4);
  }
  return text;
}

// A waypoint's name: letters, digits and "-", not a number alone.
bool IsWaypoint(std::string_view text) {
  if (text.empty() || text.size() > 16 || Number(text)) {
    return false;
  }
  for (const char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) {
      return false;
    }
  }
  return true;
}

// "M44" or "P16": a temperature with a letter for its sign.
std::optional<double> SignedByLetter(std::string_view text) {
  if (text.size() < 2 || (text[0] != 'M' && text[0] != 'P') || !Digits(text.substr(1), text.size() - 1)) {
    return std::nullopt;
  }
  const double value = *Digits(text.substr(1), text.size() - 1);
  return text[0] == 'M' ? -value : value;
}

// A packed coordinate as PackedCoordinate reads it; the flight management
// computer rounds 59.96' up to "600" tenths ("W107600", 107°60.0'), which
// is the next whole degree.
std::optional<double> RoundedPackedCoordinate(std::string_view text, char positive, char negative,
                                              std::size_t degreeDigits) {
  if (const auto value = PackedCoordinate(text, positive, negative, degreeDigits)) {
    return value;
  }
  if (text.size() != degreeDigits + 4 || text.substr(1 + degreeDigits) != "600") {
    return std::nullopt;
  }
  const auto degrees = Digits(text.substr(1, degreeDigits), degreeDigits);
  if (!degrees || *degrees + 1 > (positive == 'N' ? 90 : 180)) {
    return std::nullopt;
  }
  return text[0] == positive ? *degrees + 1.0 : -(*degrees + 1.0);
}

}  // namespace

// "POSN34319W107250,DRYHT350-0063,003009,350,TXO,005818,TURKI,M54,23922,...":
// position, the waypoint reported, the time, the flight level, then (when
// the next time is a time) the next waypoint with its time, the one after,
// the temperature and the wind (direction, then speed).
std::optional<Decoding> TerminalPositionReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = WithoutTerminalPrefix(message.text);
  if (!text.starts_with("POS") || text.size() < 16) {
    return std::nullopt;
  }
  const auto pieces = Split(text.substr(0, FindAnyOf(text, "\r\n/")), ',');
  const std::string_view position = pieces[0].substr(3);
  const auto split = FindAnyOf(position, "EW");
  if (split == std::string_view::npos || pieces.size() < 4) {
    return std::nullopt;
  }
  const auto latitude = RoundedPackedCoordinate(position.substr(0, split), 'N', 'S', 2);
  const auto longitude = RoundedPackedCoordinate(position.substr(split), 'E', 'W', 3);
  const auto time = TimeOfDay(pieces[2]);
  if (!latitude || !longitude || !time) {
    return std::nullopt;
  }
  Builder out(Kind::kPositionReport, tables);
  out.Position(*latitude, *longitude);
  // The time is when the aircraft passed the waypoint reported, so it goes
  // with that waypoint; with none named it is the position's.
  if (IsWaypoint(pieces[1])) {
    out.Text("position_waypoint", "Over", std::string(pieces[1]));
    out.Time("waypoint_time", "Over it at", *time);
  } else {
    out.Time("report_time", "Time", *time);
  }
  if (const auto level = Digits(pieces[3], pieces[3].size()); level && pieces[3].size() <= 3 && *level > 0) {
    out.Altitude(*level * 100.0);
  }
  const auto nextTime = pieces.size() >= 9 ? TimeOfDay(pieces[5]) : std::nullopt;
  if (!nextTime) {
    return std::move(out).Finish();
  }
  if (IsWaypoint(pieces[4])) {
    out.Text("next_waypoint", "Next", std::string(pieces[4]));
    out.Time("next_waypoint_eta", "Next at", *nextTime);
  }
  if (IsWaypoint(pieces[6])) {
    out.Text("following_waypoint", "Then", std::string(pieces[6]));
  }
  if (const auto celsius = SignedByLetter(pieces[7]); celsius && *celsius >= -99 && *celsius <= 60) {
    out.Temperature(*celsius);
  }
  // Three digits of direction and two or three of speed.
  const std::string_view wind = pieces[8];
  const auto direction = Digits(wind.substr(0, 3), 3);
  const auto speed = wind.size() == 5 || wind.size() == 6 ? Digits(wind.substr(3), wind.size() - 3) : std::nullopt;
  if (direction && speed && *direction <= 360) {
    out.Wind(*direction, *speed);
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
