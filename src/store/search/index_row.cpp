// A stored message's index row, made from its record on the writer's thread.
#include "store/search/index_row.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <variant>

#include "readable/json.h"
#include "readable/json_text.h"

namespace corvane::store::search {

namespace {

int TwoDigits(std::string_view text, std::size_t at) {
  const char high = text[at];
  const char low = text[at + 1];
  return high >= '0' && high <= '9' && low >= '0' && low <= '9' ? (high - '0') * 10 + (low - '0') : -1;
}

std::optional<double> NumberField(const readable::Decoding& decoding, std::string_view name) {
  for (const auto& field : decoding.fields) {
    if (field.name == name) {
      if (const auto* number = std::get_if<double>(&field.value)) {
        return *number;
      }
    }
  }
  return std::nullopt;
}

std::string AlertsJson(const std::vector<std::string>& alerts) {
  if (alerts.empty()) {
    return {};
  }
  std::string json = "[";
  for (const auto& entry : alerts) {
    if (json.size() > 1) {
      json.push_back(',');
    }
    readable::json::AppendWithin(json, readable::json::StringRoom(entry),
                                 [&](char* at) { return readable::json::PutUtf8String(at, entry); });
  }
  json.push_back(']');
  return json;
}

}  // namespace

readable::ReceiveTime ReceiveTimeOf(const decoding::MessageRecord& record) {
  if (record.Date.size() != 6 || record.Hour.size() < 6) {
    return {};
  }
  const int values[] = {TwoDigits(record.Date, 0), TwoDigits(record.Date, 2), TwoDigits(record.Date, 4),
                        TwoDigits(record.Hour, 0), TwoDigits(record.Hour, 2), TwoDigits(record.Hour, 4)};
  for (const int value : values) {
    if (value < 0) {
      return {};
    }
  }
  return {2000 + values[0], values[1], values[2], values[3], values[4], values[5]};
}

std::optional<readable::Decoding> ReadableOf(const decoding::MessageRecord& record,
                                             const reference::ReferenceTables& tables) {
  return readable::Decode({record.Label, record.Mode, record.Data, {}, ReceiveTimeOf(record)}, tables);
}

std::optional<UtcMillis> RecordUtc(const decoding::MessageRecord& record) {
  const readable::ReceiveTime time = ReceiveTimeOf(record);
  if (time.year == 0 || time.month < 1 || time.month > 12) {
    return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year{time.year},
                                         std::chrono::month{static_cast<unsigned>(time.month)},
                                         std::chrono::day{static_cast<unsigned>(time.day)}};
  if (!date.ok()) {
    return std::nullopt;
  }
  int millis = 0;
  if (record.Hour.size() >= 10 && record.Hour[6] == '.') {
    const auto* first = record.Hour.data() + 7;
    std::from_chars(first, first + 3, millis);
  }
  const long long days = std::chrono::sys_days{date}.time_since_epoch().count();
  return ((days * 24 + time.hour) * 60 + time.minute) * 60'000LL + time.second * 1000LL + millis;
}

IndexRow IndexRowOf(const StoreOp& op, const reference::ReferenceTables& tables) {
  const decoding::MessageRecord& record = op.record;
  IndexRow row;
  row.utc = RecordUtc(record).value_or(0);
  row.flightKey = FlightKey(record.Flight);
  row.tailKey = TailKey(record.Address);
  row.label = record.Label;
  for (char& c : row.label) {
    c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  row.station = op.station;
  row.alerts = AlertsJson(op.alerts);
  if (const auto decoding = ReadableOf(record, tables)) {
    row.kind = decoding->kind;
    readable::AppendJson(*decoding, row.readable);
    const auto latitude = NumberField(*decoding, "latitude");
    const auto longitude = NumberField(*decoding, "longitude");
    if (latitude && longitude) {
      row.latitude = latitude;
      row.longitude = longitude;
    }
    row.altitudeFt = NumberField(*decoding, "altitude_ft");
  }
  return row;
}

std::string NumberText(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) {
    return {};
  }
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, *value);
  return {buffer, written.ptr};
}

}  // namespace corvane::store::search
