// A stored message's index row, made from its record on the writer's thread.
#include "store/search/index_row.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <variant>

#include "readable/json.h"

namespace corvane::store::search {

namespace {

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

}  // namespace

std::optional<UtcMillis> RecordUtc(const decoding::MessageRecord& record) {
  const readable::ReceiveTime time = readable::ReceiveTimeOfStamps(record.Date, record.Hour);
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
  readable::AppendAlertsJson(op.alerts, row.alerts);
  // A message joined from its blocks is read as its whole text.
  const std::string_view text = op.join.Joined() ? std::string_view(op.join.text) : std::string_view(record.Data);
  if (const auto decoding =
          readable::DecodeStamped(record.Label, record.Mode, text, record.Date, record.Hour, tables, record.Bloc)) {
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
