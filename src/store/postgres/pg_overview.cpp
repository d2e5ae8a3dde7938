// The map's positions and the charts' counts over the PostgreSQL search
// index. Both select on utc, which is indexed, so that their cost follows
// the messages of the time asked for rather than the size of the store. Every
// value is bound as a parameter; keys are ordered by their code points
// (COLLATE "C"), as the SQLite store orders its bytes, whatever the
// database's own collation.
#include <string>

#include "store/postgres/pg_index_values.h"
#include "store/postgres/pg_search.h"

namespace corvane::store::postgres {

namespace {

// Numbers of double precision written with every digit they need to read
// back the same, whatever the server's default.
constexpr const char* kExactFloats = "SET extra_float_digits = 3";

// The newest first, so that LIMIT keeps the newest.
constexpr const char* kSelectPositions =
    "SELECT m.id, m.utc, p.Address, p.Flight, m.latitude, m.longitude, m.altitude_ft"
    " FROM message_index m JOIN Planes p ON p.id = m.id WHERE m.utc >= $1::bigint AND m.latitude IS NOT NULL"
    " ORDER BY m.utc DESC, m.id DESC LIMIT $2::bigint";

constexpr const char* kInRange = " WHERE m.utc >= $1::bigint AND m.utc < $2::bigint";

std::string CountsByHourSql() {
  const std::string hour = std::to_string(search::kHourMillis);
  return "SELECT m.utc / " + hour + " * " + hour + ", count(*) FROM message_index m" + kInRange +
         " GROUP BY 1 ORDER BY 1";
}

// The count of each value of a column of message_index over the range,
// largest first; `shown` is how the value travels.
std::string CountsByColumnSql(const std::string& column, const std::string& shown) {
  return "SELECT " + shown + ", count(*) FROM message_index m" + kInRange + " GROUP BY " + column +
         " ORDER BY 2 DESC, " + column + " COLLATE \"C\"";
}

// The same over message_reception (the messages a decoder reported).
// Texts are ordered by their bytes, as the file stores order them.
std::string ReceptionCountsSql(const std::string& column, bool text) {
  return "SELECT r." + column + ", count(*) FROM message_index m JOIN message_reception r ON r.id = m.id" + kInRange +
         " AND r." + column + " IS NOT NULL GROUP BY r." + column + " ORDER BY 2 DESC, r." + column +
         (text ? " COLLATE \"C\"" : "");
}

std::string TopAircraftSql() {
  return std::string("SELECT COALESCE(p.Address, ''), count(*) FROM message_index m JOIN Planes p ON p.id = m.id") +
         kInRange + " AND m.tail_key <> '' GROUP BY p.Address ORDER BY 2 DESC, p.Address COLLATE \"C\"" +
         " LIMIT $3::bigint";
}

search::Statistics StatisticsInSnapshot(Connection& db, const std::string& from, const std::string& to,
                                        const std::string& top) {
  // The station is UTF-8 and travels as hexadecimal (pg_index_values.h).
  search::Statistics statistics = search::ReadCounts(
      db,
      {CountsByHourSql(), CountsByColumnSql("m.label", "m.label"), CountsByColumnSql("m.kind", "m.kind"),
       CountsByColumnSql("m.station", "encode(convert_to(m.station, 'UTF8'), 'hex')"), TopAircraftSql(),
       ReceptionCountsSql("freq_hz", false), ReceptionCountsSql("link", true)},
      from, to, top);
  for (auto& station : statistics.byStation) {
    station.key = FromHex(station.key);
  }
  return statistics;
}

}  // namespace

std::vector<search::PositionRow> ReadPositions(Connection& db, search::UtcMillis since, std::size_t limit) {
  db.Execute(kExactFloats);
  std::vector<search::PositionRow> positions;
  for (const Row& row : db.Query(kSelectPositions, {std::to_string(since), search::LimitText(limit)})) {
    positions.push_back(search::PositionOf(row));
  }
  search::OldestFirst(positions);
  return positions;
}

// One read-only snapshot, so that every list counts the same messages while
// writers go on storing.
search::Statistics ReadStatistics(Connection& db, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft) {
  const std::string first = std::to_string(from);
  const std::string end = std::to_string(to);
  const std::string top = search::LimitText(topAircraft);
  db.Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
  try {
    search::Statistics statistics = StatisticsInSnapshot(db, first, end, top);
    db.Commit();
    return statistics;
  } catch (...) {
    db.RollbackQuietly();
    throw;
  }
}

}  // namespace corvane::store::postgres
