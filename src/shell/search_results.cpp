// The Search window's texts of a hit and its two export formats.
#include "shell/search_results.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "decoding/latin1_text.h"
#include "store/search/hit_json.h"

namespace corvane::shell {

namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A CSV field, quoted (its quotes doubled) only when it must be.
void AppendCsvField(std::string& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    out += c;
    if (c == '"') {
      out += '"';
    }
  }
  out += '"';
}

void AppendCsvRow(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    AppendCsvField(out, fields[i]);
  }
  out += "\r\n";
}

}  // namespace

std::string DayText(std::string_view date) {
  if (date.size() != 6 || !AllDigits(date)) {
    return std::string(date);
  }
  return "20" + std::string(date.substr(0, 2)) + "-" + std::string(date.substr(2, 2)) + "-" +
         std::string(date.substr(4, 2));
}

std::string HitTime(const decoding::MessageRecord& record) {
  const std::string_view hour = record.Hour;
  if (hour.size() < 6 || !AllDigits(hour.substr(0, 6))) {
    return DayText(record.Date) + " " + record.Hour;
  }
  return DayText(record.Date) + " " + std::string(hour.substr(0, 2)) + ":" + std::string(hour.substr(2, 2)) + ":" +
         std::string(hour.substr(4, 2));
}

std::string HitTail(const decoding::MessageRecord& record) {
  const std::string& address = record.Address;
  const auto first = address.find_first_not_of(". ");
  if (first == std::string::npos) {
    return {};
  }
  const auto last = address.find_last_not_of(' ');
  return address.substr(first, last + 1 - first);
}

std::string FirstLine(std::string_view text) { return std::string(text.substr(0, text.find_first_of("\r\n"))); }

// The readable object's texts are card bytes written as code points up to
// U+00FF, so they go back to bytes as they came.
std::string ReadableLines(const store::search::SearchHit& hit) {
  if (hit.readable.empty()) {
    return {};
  }
  const auto object = nlohmann::json::parse(hit.readable, nullptr, false);
  if (!object.is_object()) {
    return {};
  }
  const auto bytesOf = [&](const char* key) -> std::string {
    const auto value = object.find(key);
    if (value == object.end() || !value->is_string()) {
      return {};
    }
    return decoding::Utf8ToLatin1(value->get<std::string>()).value_or(std::string());
  };
  std::string lines = bytesOf("title");
  lines += "\r\n";
  lines += bytesOf("text");
  return lines;
}

std::string HitsCsv(const std::vector<store::search::SearchHit>& hits) {
  std::string out;
  AppendCsvRow(out, {"Time", "Station", "Tail", "Flight", "Label", "Kind", "Text"});
  for (const auto& hit : hits) {
    const auto& r = hit.record;
    AppendCsvRow(out, {HitTime(r), hit.station, decoding::Latin1ToUtf8(HitTail(r)), decoding::Latin1ToUtf8(r.Flight),
                       decoding::Latin1ToUtf8(r.Label), hit.kind, decoding::Latin1ToUtf8(r.Data)});
  }
  return out;
}

std::string HitsJsonLines(const std::vector<store::search::SearchHit>& hits) {
  std::string out;
  for (const auto& hit : hits) {
    out += store::search::HitJsonLine(hit);
    out += '\n';
  }
  return out;
}

bool WantsJsonLines(std::string_view fileName) {
  const auto dot = fileName.rfind('.');
  if (dot == std::string_view::npos) {
    return false;
  }
  std::string extension(fileName.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == "jsonl" || extension == "ndjson" || extension == "json";
}

std::string AlertEntries(std::string_view alertsJson) {
  const auto entries = nlohmann::json::parse(alertsJson, nullptr, false);
  std::string line;
  if (!entries.is_array()) {
    return line;
  }
  for (const auto& entry : entries) {
    if (entry.is_string()) {
      line += (line.empty() ? "" : ", ") + entry.get<std::string>();
    }
  }
  return line;
}

std::string TabSeparated(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) {
        text += '\t';
      }
      std::string cell = row[i];
      std::replace_if(
          cell.begin(), cell.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
      text += cell;
    }
    text += '\n';
  }
  return text;
}

}  // namespace corvane::shell
