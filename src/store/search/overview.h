// What the web page's map and charts read from a store, the same on every
// store: the positions of the messages received since a time, and counts of
// the messages received in a time range. Both are read from the search index
// (its receive time, position and field columns), never from Planes alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/search/query.h"

namespace corvane::store::search {

// One message whose readable decoding has a position.
struct PositionRow {
  long long id = 0;  // the store's own number of the row
  UtcMillis utc = 0;
  std::string tail;    // Planes.Address as stored (".N123AB"), the card's bytes
  std::string flight;  // Planes.Flight as stored
  double latitude = 0;
  double longitude = 0;
  std::optional<double> altitudeFt;

  friend bool operator==(const PositionRow&, const PositionRow&) = default;
};

// How many messages have one key.
template <typename Key>
struct Counted {
  Key key{};
  std::uint64_t count = 0;

  friend bool operator==(const Counted&, const Counted&) = default;
};

// Counts of the messages received in a time range. Hours are oldest first
// (an hour without messages is left out); the other lists are largest first,
// ties in byte order of their keys.
struct Statistics {
  std::vector<Counted<UtcMillis>> byHour;         // key: the hour's start, UTC ms
  std::vector<Counted<std::string>> byLabel;      // the label, upper case as indexed
  std::vector<Counted<std::string>> byKind;       // the readable kind; "" for none
  std::vector<Counted<std::string>> byStation;    // UTF-8; "" for this receiver's own
  std::vector<Counted<std::string>> topAircraft;  // Planes.Address as stored; messages
                                                  // without a registration are left out
  // The messages a decoder reported with a frequency (MHz as text, "131.725")
  // and with a link ("acars", "vdl2", "hfdl", "satcom"); a card's are left out.
  std::vector<Counted<std::string>> byFrequency;
  std::vector<Counted<std::string>> byLink;

  // Every message of the range (each is in exactly one hour).
  [[nodiscard]] std::uint64_t Total() const {
    std::uint64_t total = 0;
    for (const auto& hour : byHour) {
      total += hour.count;
    }
    return total;
  }

  friend bool operator==(const Statistics&, const Statistics&) = default;
};

// The milliseconds of an hour: the stores group receive times by their
// quotient (times are never before 1970, so it is the hour's start).
inline constexpr UtcMillis kHourMillis = 3'600'000;

// A row count as the stores' LIMIT takes it: a 64-bit signed number.
std::string LimitText(std::size_t rows);

// A position row from the text cells of a store's answer: id, utc, address,
// flight, latitude, longitude, altitude (empty: none). A cell that holds no
// number where one belongs throws SearchFailed.
PositionRow PositionOf(const std::vector<std::string>& cells);

// A count from the cells key, count.
Counted<std::string> CountOf(const std::vector<std::string>& cells);
Counted<UtcMillis> HourCountOf(const std::vector<std::string>& cells);
// A count keyed by whole Hz, keyed by the frequency in MHz instead.
Counted<std::string> FrequencyCountOf(const std::vector<std::string>& cells);

// The statements of the charts' counts in a store's own SQL, each taking
// the range's start and end as its first two parameters; the top aircraft
// also takes how many as its third. Their rows are key and count.
struct StatisticsSql {
  std::string byHour;
  std::string byLabel;
  std::string byKind;
  std::string byStation;
  std::string topAircraft;
  std::string byFrequency;  // its keys are whole Hz
  std::string byLink;
};

// The charts' counts read with those statements on a store's connection
// (any with Query(sql, parameters) giving rows of text cells).
template <typename Connection>
Statistics ReadCounts(Connection& db, const StatisticsSql& sql, std::string_view from, std::string_view to,
                      std::string_view top) {
  const auto counts = [&db](const std::string& statement, const std::vector<std::string_view>& values) {
    std::vector<Counted<std::string>> rows;
    for (const auto& row : db.Query(statement, values)) {
      rows.push_back(CountOf(row));
    }
    return rows;
  };
  Statistics statistics;
  for (const auto& row : db.Query(sql.byHour, {from, to})) {
    statistics.byHour.push_back(HourCountOf(row));
  }
  statistics.byLabel = counts(sql.byLabel, {from, to});
  statistics.byKind = counts(sql.byKind, {from, to});
  statistics.byStation = counts(sql.byStation, {from, to});
  statistics.topAircraft = counts(sql.topAircraft, {from, to, top});
  for (const auto& row : db.Query(sql.byFrequency, {from, to})) {
    statistics.byFrequency.push_back(FrequencyCountOf(row));
  }
  statistics.byLink = counts(sql.byLink, {from, to});
  return statistics;
}

// The stores fetch the newest positions first, so that the limit keeps the
// newest; this puts them oldest first.
void OldestFirst(std::vector<PositionRow>& positions);

}  // namespace corvane::store::search
