// Airline reports of label 80: a heading line naming the report, the flight,
// the route and the aircraft, then "/TAG value" items:
//   3N01 POSRPT 0783/09 MMSD/MMMX .XA-VSG
//   /POS N20381W103350/ALT +36969/MCH 767/FOB 0043/ETA 1959
#include <array>

#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

struct ReportType {
  std::string_view code;
  Kind kind;
};

constexpr std::array<ReportType, 6> kReportTypes = {{
    {"POSRPT", Kind::kPositionReport},
    {"OFFRP", Kind::kOooiReport},
    {"INRANG", Kind::kInRangeReport},
    {"OPNORM", Kind::kOperationsNormal},
    {"DSPTCH", Kind::kDispatchMessage},
    {"FUELRP", Kind::kFuelReport},
}};

std::optional<Kind> KindOf(std::string_view code) {
  for (const ReportType& type : kReportTypes) {
    if (type.code == code) {
      return type.kind;
    }
  }
  return std::nullopt;
}

// The words of a line, however many spaces part them.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::string_view word : Split(line, ' ')) {
    if (!word.empty()) {
      words.push_back(word);
    }
  }
  return words;
}

// One coordinate of a report's POS item: a hemisphere letter, then degrees
// and minutes either packed with one decimal ("N20381") or written with a
// point ("N3539.2").
std::optional<double> ReportCoordinate(std::string_view text, char positive, char negative, std::size_t degreeDigits) {
  if (text.empty() || (text[0] != positive && text[0] != negative)) {
    return std::nullopt;
  }
  std::string digits;
  for (const char c : text.substr(1)) {
    if (c != '.') {
      digits += c;
    }
  }
  const bool pointAsWritten = text.find('.') == std::string_view::npos || text.find('.') == degreeDigits + 3;
  if (!pointAsWritten) {
    return std::nullopt;
  }
  return PackedCoordinate(std::string(1, text[0]) + digits, positive, negative, degreeDigits);
}

void ReadPosition(std::string_view value, Builder& out) {
  std::string packed;
  for (const char c : value) {
    if (c != ' ') {
      packed += c;
    }
  }
  const auto split = FindAnyOf(packed, "EW");
  if (split == std::string::npos) {
    return;
  }
  const auto latitude = ReportCoordinate(std::string_view(packed).substr(0, split), 'N', 'S', 2);
  const auto longitude = ReportCoordinate(std::string_view(packed).substr(split), 'E', 'W', 3);
  if (latitude && longitude) {
    out.Position(*latitude, *longitude);
  }
}

void ReadTime(const char* field, const char* caption, std::string_view value, Builder& out) {
  if (const auto time = TimeOfDay(Trim(value))) {
    out.Time(field, caption, *time);
  }
}

// One "TAG value" item; tags not known for sure are passed over.
void ReadItem(std::string_view item, Builder& out) {
  const auto space = item.find(' ');
  const std::string_view tag = item.substr(0, space);
  const std::string_view value = space == std::string_view::npos ? std::string_view() : Trim(item.substr(space));
  if (tag == "POS") {
    ReadPosition(value, out);
  } else if (tag == "ALT") {
    // "+36969" is feet; three bare digits ("350", as other airlines write
    // it) are a flight level.
    if (const auto level = value.size() == 3 ? Digits(value, 3) : std::nullopt) {
      out.Altitude(*level * 100.0);
    } else if (const auto feet = Number(value); feet && *feet >= -2000 && *feet <= 60000) {
      out.Altitude(*feet);
    }
  } else if (tag == "FL") {
    if (const auto level = Digits(value, 3)) {
      out.Altitude(*level * 100.0);
    }
  } else if (tag == "SAT") {
    if (const auto celsius = Number(value); celsius && *celsius >= -99 && *celsius <= 60) {
      out.Temperature(*celsius);
    }
  } else if (tag == "MCH") {
    // "767" is thousandths; some airlines write hundredths ("078" for
    // 0.78), which below 100 cannot be told from thousandths: left out.
    if (const auto thousandths = Digits(value, 3); thousandths && *thousandths >= 100) {
      out.Mach(*thousandths / 1000.0);
    }
  } else if (tag == "ETA") {
    ReadTime("eta", "Estimated arrival", value, out);
  } else if (tag == "OUT" || tag == "OT") {
    ReadTime("out", "Out", value, out);
  } else if (tag == "OFF" || tag == "OF") {
    ReadTime("off", "Off", value, out);
  } else if (tag == "ON") {
    ReadTime("on", "On", value, out);
  } else if (tag == "IN") {
    ReadTime("in", "In", value, out);
  } else if (tag == "UTC") {
    ReadTime("report_time", "Time", value, out);
  } else if (tag == "TXT" && !value.empty()) {
    out.Text("message", "Message", std::string(value));
  }
}

}  // namespace

std::optional<Decoding> AirlineReport(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = message.text;
  const auto lineEnd = FindAnyOf(text, "\r\n");
  const auto heading = Words(text.substr(0, lineEnd));
  if (heading.size() < 4 || heading[0].size() != 4) {
    return std::nullopt;
  }
  const auto kind = KindOf(heading[1]);
  if (!kind) {
    return std::nullopt;
  }
  // The route is the first word made of two ICAO codes ("EGLL/WSSS", or
  // spread over two words, "EGLL/ WSSS"), the aircraft the word after it.
  std::size_t route = 2;
  std::size_t routeWords = 1;
  for (; route < heading.size(); ++route) {
    const std::string_view word = heading[route];
    if (word.size() == 9 && word[4] == '/' && IsIcaoCode(word.substr(0, 4)) && IsIcaoCode(word.substr(5))) {
      break;
    }
    if (word.size() == 5 && word[4] == '/' && IsIcaoCode(word.substr(0, 4)) && route + 1 < heading.size() &&
        IsIcaoCode(heading[route + 1])) {
      routeWords = 2;
      break;
    }
  }
  Builder out(*kind, tables);
  if (route < heading.size()) {
    out.Airport("departure", "Departure", heading[route].substr(0, 4));
    out.Airport("arrival", "Arrival", routeWords == 1 ? heading[route].substr(5) : heading[route + 1]);
    if (route + routeWords < heading.size()) {
      const std::string_view word = heading[route + routeWords];
      const std::string_view tail = word.substr(0, word.find('/'));
      const auto start = tail.find_first_not_of('.');
      if (start != std::string_view::npos && tail.size() - start >= 3 && tail.size() - start <= 7) {
        out.Text("tail", "Aircraft", std::string(tail.substr(start)));
      }
    }
  }
  if (lineEnd != std::string_view::npos) {
    for (std::string_view line : Split(text.substr(lineEnd), '\n')) {
      line = Trim(line.substr(0, line.find('\r')));
      if (!line.starts_with('/')) {
        continue;
      }
      for (const std::string_view item : Split(line.substr(1), '/')) {
        ReadItem(Trim(item), out);
      }
    }
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
