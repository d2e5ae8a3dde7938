// Fields and their lines.
#include "readable/builder.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "reference/airlines.h"
#include "reference/reference_tables.h"

namespace corvane::readable {

namespace {

// A name of the built-in airline list (UTF-8) as card bytes (Latin-1), like
// all readable text; the list's names are ASCII and Latin-1 letters, and a
// character beyond Latin-1 would become '?'.
std::string Latin1Of(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else if ((byte & 0xC0) != 0x80) {
      out += '?';
    }
  }
  return out;
}

constexpr char kDegree = '\xB0';  // the degree sign, one Latin-1 byte like all card text

// A few characters put together on the stack and appended to a line at
// once: one capacity check for a number instead of one a character, which
// showed in the decoder's profile. Writes past the end are dropped; no
// caller comes near it.
class Chars {
 public:
  void Put(char c) {
    if (size_ < text_.size()) {
      text_[size_++] = c;
    }
  }
  void PutInteger(long long value) {
    size_ = static_cast<std::size_t>(std::to_chars(text_.data() + size_, text_.data() + text_.size(), value).ptr -
                                     text_.data());
  }
  void PutDouble(double value) {
    size_ = static_cast<std::size_t>(std::to_chars(text_.data() + size_, text_.data() + text_.size(), value).ptr -
                                     text_.data());
  }
  void PutTwoDigits(int value) {
    Put(static_cast<char>('0' + value / 10 % 10));
    Put(static_cast<char>('0' + value % 10));
  }
  void AppendTo(std::string& out) const { out.append(text_.data(), size_); }
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] std::string_view View() const { return {text_.data(), size_}; }

 private:
  std::array<char, 64> text_{};
  std::size_t size_ = 0;
};

// 35000 -> "35,000"; fractions keep one decimal (rounded: 12.96 -> "13").
void AppendGrouped(double value, std::string& out) {
  Chars chars;
  if (!(std::fabs(value) < 1e15)) {  // beyond what tenths in 64 bits hold (or not a number)
    chars.PutDouble(value);
    chars.AppendTo(out);
    return;
  }
  const auto tenths = std::llround(std::fabs(value) * 10.0);
  if (value < 0 && tenths != 0) {
    chars.Put('-');
  }
  std::array<char, 24> digits{};
  const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), tenths / 10).ptr;
  const auto length = static_cast<int>(end - digits.data());
  for (int at = 0; at < length; ++at) {
    if (at > 0 && (length - at) % 3 == 0) {
      chars.Put(',');
    }
    chars.Put(digits[static_cast<std::size_t>(at)]);
  }
  if (tenths % 10 != 0) {
    chars.Put('.');
    chars.Put(static_cast<char>('0' + tenths % 10));
  }
  chars.AppendTo(out);
}

// 34.4283, 'N', 'S' -> "34°25.7'N", 35.062 -> "35°03.7'N"; 59.96' rounds up
// into the next degree.
void PutDegreesAndMinutes(double value, char positive, char negative, Chars& chars) {
  const auto tenthsOfMinutes = std::llround(std::fabs(value) * 600.0);
  chars.PutInteger(tenthsOfMinutes / 600);
  chars.Put(kDegree);
  // minutes in two digits, as charts and flight plans write them
  chars.PutTwoDigits(static_cast<int>(tenthsOfMinutes % 600 / 10));
  chars.Put('.');
  chars.Put(static_cast<char>('0' + tenthsOfMinutes % 10));
  chars.Put('\'');
  chars.Put(value < 0 ? negative : positive);
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool DayExists(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) {
    return false;
  }
  constexpr std::array<int, 12> kDaysInMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int last = kDaysInMonth[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  return day <= last;
}

// "HH:MM" or "HH:MM:SS" (as TimeOfDay writes them) as seconds into the day.
long long SecondsIntoDay(std::string_view time) {
  const auto two = [&time](std::size_t at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
  long long seconds = two(0) * 3600LL + two(3) * 60LL;
  if (time.size() >= 8) {
    seconds += two(6);
  }
  return seconds;
}

// "2026-12-07T21:53:00": the date, "T" at dateEnd, the time with seconds.
void PutDateAndTime(UtcSeconds seconds, Chars& chars, std::size_t& dateEnd) {
  const long long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const long long inDay = seconds - days * 86400;
  int year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(days, year, month, day);
  chars.PutInteger(year);
  chars.Put('-');
  chars.PutTwoDigits(month);
  chars.Put('-');
  chars.PutTwoDigits(day);
  dateEnd = chars.Size();
  chars.Put('T');
  chars.PutTwoDigits(static_cast<int>(inDay / 3600));
  chars.Put(':');
  chars.PutTwoDigits(static_cast<int>(inDay / 60 % 60));
  chars.Put(':');
  chars.PutTwoDigits(static_cast<int>(inDay % 60));
}

long long Distance(UtcSeconds a, UtcSeconds b) { return a > b ? a - b : b - a; }

// The name of a time's full UTC form: "out" -> "out_utc". Names are static
// text (a field keeps a view of its name), so the "_utc" names are here.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kUtcNames = {{
    {"report_time", "report_time_utc"},
    {"sent_time", "sent_time_utc"},
    {"event_time", "event_time_utc"},
    {"out", "out_utc"},
    {"off", "off_utc"},
    {"on", "on_utc"},
    {"in", "in_utc"},
    {"eta", "eta_utc"},
    {"estimated_on", "estimated_on_utc"},
}};

std::string_view UtcName(std::string_view name) {
  for (const auto& [base, utc] : kUtcNames) {
    if (base == name) {
      return utc;
    }
  }
  return "time_utc";  // not in the schema: its test names the form that gives it
}

}  // namespace

void AppendPosition(double latitude, double longitude, std::string& out) {
  Chars chars;
  PutDegreesAndMinutes(latitude, 'N', 'S', chars);
  chars.Put(' ');
  PutDegreesAndMinutes(longitude, 'E', 'W', chars);
  chars.AppendTo(out);
}

std::optional<UtcSeconds> SecondsOf(const ReceiveTime& received) {
  if (received.year == 0 || !DayExists(received.year, received.month, received.day)) {
    return std::nullopt;
  }
  return DaysFromCivil(received.year, received.month, received.day) * 86400 + received.hour * 3600LL +
         received.minute * 60LL + received.second;
}

std::optional<UtcSeconds> OnTextDay(const TextDay& day, std::string_view timeOfDay, const ReceiveTime& received) {
  const auto reception = SecondsOf(received);
  if (!reception) {
    return std::nullopt;
  }
  const long long inDay = SecondsIntoDay(timeOfDay);
  std::optional<UtcSeconds> best;
  // The candidates: the year and month the text gives, or those of the
  // reception, the two before (a 31st when the month before has 30 days)
  // and the one after.
  for (int step = -2; step <= 1; ++step) {
    int year = day.year != 0 ? day.year : received.year;
    int month = day.month != 0 ? day.month : received.month;
    if (day.year == 0 && day.month == 0) {
      month += step;
      year += month < 1 ? -1 : month > 12 ? 1 : 0;
      month = month < 1 ? 12 : month > 12 ? 1 : month;
    } else if (day.year == 0) {
      year += step;
    } else if (step != 0) {
      continue;
    }
    if (!DayExists(year, month, day.day)) {
      continue;
    }
    // The latest candidate not after the reception (a day's grace for
    // clocks and the date line): what a message reports has happened.
    const UtcSeconds candidate = DaysFromCivil(year, month, day.day) * 86400 + inDay;
    const bool fullDate = day.year != 0 && day.month != 0;
    if ((fullDate || candidate <= *reception + 86400) && (!best || candidate > *best)) {
      best = candidate;
    }
  }
  return best;
}

UtcSeconds NearestTo(UtcSeconds anchor, std::string_view timeOfDay) {
  const long long anchorDay = (anchor >= 0 ? anchor : anchor - 86399) / 86400;
  const long long inDay = SecondsIntoDay(timeOfDay);
  UtcSeconds best = anchorDay * 86400 + inDay;
  for (const long long offset : {-1LL, 1LL}) {
    const UtcSeconds candidate = (anchorDay + offset) * 86400 + inDay;
    if (Distance(candidate, anchor) < Distance(best, anchor)) {
      best = candidate;
    }
  }
  return best;
}

Builder::Builder(Kind kind, const reference::ReferenceTables& tables) : tables_(tables) {
  SetKind(kind);
  // Room for the usual decoding (a handful of fields, about 90 bytes of
  // lines) at once, rather than growing by doublings.
  result_.fields.reserve(8);
  result_.text.reserve(128);
}

void Builder::SetKind(Kind kind) {
  result_.kind = InfoOf(kind).id;
  result_.title = InfoOf(kind).title;
}

std::string AirlineNameOf(std::string_view flight) {
  const reference::Airline* airline = reference::AirlineOfFlight(flight);
  return airline != nullptr ? Latin1Of(airline->name) : std::string();
}

std::string& Builder::BeginLine(std::string_view caption) {
  result_.text += caption;
  result_.text.append(": ", 2);
  return result_.text;
}

void Builder::EndLine() { result_.text.append("\r\n", 2); }

void Builder::Line(std::string_view caption, std::string_view value) {
  BeginLine(caption) += value;
  EndLine();
}

void Builder::Position(double latitude, double longitude) {
  Point("latitude", "longitude", "Position", latitude, longitude);
}

void Builder::Point(std::string_view latitudeField, std::string_view longitudeField, std::string_view caption,
                    double latitude, double longitude) {
  result_.fields.emplace_back(latitudeField, latitude);
  result_.fields.emplace_back(longitudeField, longitude);
  AppendPosition(latitude, longitude, BeginLine(caption));
  EndLine();
}

void Builder::Altitude(double feet) {
  result_.fields.emplace_back("altitude_ft", feet);
  AppendGrouped(feet, BeginLine("Altitude"));
  result_.text += " ft";
  EndLine();
}

void Builder::CelsiusLine(std::string_view caption, double celsius) {
  AppendGrouped(celsius, BeginLine(caption));
  result_.text += ' ';
  result_.text += kDegree;
  result_.text += 'C';
  EndLine();
}

void Builder::Temperature(double celsius) {
  result_.fields.emplace_back("outside_air_temperature_c", celsius);
  CelsiusLine("Outside air temperature", celsius);
}

void Builder::TotalAirTemperature(double celsius) {
  result_.fields.emplace_back("total_air_temperature_c", celsius);
  CelsiusLine("Total air temperature", celsius);
}

void Builder::Mach(double mach) {
  result_.fields.emplace_back("mach", mach);
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), mach, std::chars_format::fixed, 3).ptr;
  Line("Mach", std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

void Builder::MachAs(std::string_view field, std::string_view caption, double mach) {
  result_.fields.emplace_back(field, mach);
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), mach, std::chars_format::fixed, 2).ptr;
  Line(caption, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

void Builder::Wind(double directionDeg, double speedKt) {
  result_.fields.emplace_back("wind_dir_deg", directionDeg);
  result_.fields.emplace_back("wind_speed_kt", speedKt);
  AppendGrouped(directionDeg, BeginLine("Wind"));
  result_.text += kDegree;
  result_.text += " at ";
  AppendGrouped(speedKt, result_.text);
  result_.text += " kt";
  EndLine();
}

void Builder::Time(std::string_view field, std::string_view caption, std::string time) {
  Line(caption, time);
  result_.fields.emplace_back(field, std::move(time));
}

void Builder::Stamp(std::string_view name, std::string_view caption, UtcSeconds seconds, bool withSeconds) {
  // The date and time are worked out once for the field and the line.
  Chars stamp;
  std::size_t dateEnd = 0;
  PutDateAndTime(seconds, stamp, dateEnd);
  const std::string_view whole = stamp.View();
  std::string value;
  value.reserve(whole.size() + 1);
  value.append(whole);
  value += 'Z';
  std::string& line = BeginLine(caption);
  line.append(whole.substr(0, dateEnd));
  line += ' ';
  // "21:53" or "21:53:00" after the date and its separator.
  line.append(whole.substr(dateEnd + 1, withSeconds ? std::string_view::npos : 5));
  line.append(" UTC", 4);
  EndLine();
  result_.fields.emplace_back(UtcName(name), std::move(value));
}

void Builder::TimeOnDay(std::string_view name, std::string_view caption, const TextDay& day, std::string time,
                        const ReceiveTime& received) {
  if (const auto seconds = OnTextDay(day, time, received)) {
    Stamp(name, caption, *seconds, time.size() >= 8);
  } else {
    Time(name, caption, std::move(time));
  }
}

void Builder::TimeNear(std::string_view name, std::string_view caption, std::optional<UtcSeconds> anchor,
                       std::string time) {
  if (anchor) {
    Stamp(name, caption, NearestTo(*anchor, time), time.size() >= 8);
  } else {
    Time(name, caption, std::move(time));
  }
}

void Builder::AddNumber(std::string_view name, double value) { result_.fields.emplace_back(name, value); }

void Builder::Megahertz(int kilohertz) {
  // The line shows all three decimals ("136.975"), which AppendGrouped
  // would round to one.
  std::array<char, 8> text{};
  const int fraction = kilohertz % 1000;
  const auto end = std::to_chars(text.data(), text.data() + 3, kilohertz / 1000).ptr;
  std::string& line = BeginLine("Frequency");
  line.append(text.data(), end);
  line += '.';
  line += static_cast<char>('0' + fraction / 100);
  line += static_cast<char>('0' + fraction / 10 % 10);
  line += static_cast<char>('0' + fraction % 10);
  line += " MHz";
  EndLine();
  AddNumber("frequency_mhz", kilohertz / 1000.0);
}

void Builder::Airport(std::string_view field, std::string_view caption, std::string_view code) {
  const std::string_view name = tables_.AirportName(code);
  std::string& line = BeginLine(caption);
  line += code;
  if (!name.empty()) {
    line += " (";
    line += name;
    line += ')';
  }
  EndLine();
  result_.fields.emplace_back(field, std::string(code));
}

void Builder::Number(std::string_view field, std::string_view caption, double value, std::string_view unit) {
  AppendGrouped(value, BeginLine(caption));
  if (!unit.empty()) {
    result_.text += ' ';
    result_.text += unit;
  }
  EndLine();
  result_.fields.emplace_back(field, value);
}

// A flight the text gives is followed by its airline's name when the
// built-in airline list knows its designator ("BA0123" -> British Airways).
void Builder::Text(std::string_view field, std::string_view caption, std::string value) {
  Line(caption, value);
  std::string airline = std::string_view(field) == "flight" ? AirlineNameOf(value) : std::string();
  result_.fields.emplace_back(field, std::move(value));
  if (!airline.empty()) {
    Text("airline", "Airline", std::move(airline));
  }
}

void Builder::Code(std::string_view field, std::string_view caption, std::string code, std::string_view meaning) {
  std::string& line = BeginLine(caption);
  line += meaning;
  line += " (";
  line += code;
  line += ')';
  EndLine();
  result_.fields.emplace_back(field, std::move(code));
}

void Builder::Names(std::string_view field, std::string_view caption, std::vector<std::string> names) {
  std::string& line = BeginLine(caption);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      line += ' ';
    }
    line += names[i];
  }
  EndLine();
  result_.fields.emplace_back(field, std::move(names));
}

void Builder::Numbers(std::string_view field, std::string_view caption, std::vector<double> values) {
  std::string& line = BeginLine(caption);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) {
      line += ", ";
    }
    AppendGrouped(values[i], line);
  }
  EndLine();
  result_.fields.emplace_back(field, std::move(values));
}

void Builder::Lines(std::string_view field, std::string_view caption, std::vector<std::string> values) {
  for (const std::string& value : values) {
    Line(caption, value);
  }
  result_.fields.emplace_back(field, std::move(values));
}

std::optional<Decoding> Builder::Finish() && {
  if (result_.fields.empty()) {
    return std::nullopt;
  }
  return std::move(result_);
}

}  // namespace corvane::readable
