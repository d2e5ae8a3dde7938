// The map's positions and the charts' counts over the SQLite search index.
// Both walk the index on Utc over the time asked for, so that their cost
// follows the messages of that time rather than the size of the store. Every value is bound
// as a parameter.
#include <sqlite3.h>

#include <string>

#include "store/sqlite/search_index.h"

namespace corvane::store::sqlite {

namespace {

// The newest first along the Utc index, so that LIMIT keeps the newest.
// SQLite writes a REAL as text with 15 digits, which may not read back as
// the same number; 17 digits ("!" lifts its limit of 16) always do.
constexpr const char* kSelectPositions =
    "SELECT m.Id, m.Utc, p.Address, p.Flight, printf('%!.17g', m.Latitude), printf('%!.17g', m.Longitude),"
    " CASE WHEN m.AltitudeFt IS NOT NULL THEN printf('%!.17g', m.AltitudeFt) END"
    " FROM MessageIndex m JOIN Planes p ON p.rowid = m.Id WHERE m.Utc >= CAST(?1 AS INTEGER) AND m.Latitude IS NOT NULL"
    " ORDER BY m.Utc DESC, m.Id DESC LIMIT CAST(?2 AS INTEGER);";

constexpr const char* kInRange = " WHERE m.Utc >= CAST(?1 AS INTEGER) AND m.Utc < CAST(?2 AS INTEGER)";

// The count of each value of an index column over the range, largest first.
std::string CountsByColumnSql(const char* column) {
  return std::string("SELECT ") + column + ", COUNT(*) FROM MessageIndex m" + kInRange + " GROUP BY " + column +
         " ORDER BY 2 DESC, 1;";
}

std::string CountsByHourSql() {
  const std::string hour = std::to_string(search::kHourMillis);
  return "SELECT m.Utc / " + hour + " * " + hour + ", COUNT(*) FROM MessageIndex m" + kInRange +
         " GROUP BY 1 ORDER BY 1;";
}

std::string TopAircraftSql() {
  return std::string("SELECT p.Address, COUNT(*) FROM MessageIndex m JOIN Planes p ON p.rowid = m.Id") + kInRange +
         " AND m.TailKey <> '' GROUP BY p.Address ORDER BY 2 DESC, 1 LIMIT CAST(?3 AS INTEGER);";
}

// The count of each value of a MessageReception column over the range (the
// messages a decoder reported), largest first.
std::string ReceptionCountsSql(const char* column) {
  return std::string("SELECT r.") + column + ", COUNT(*) FROM MessageIndex m JOIN MessageReception r ON r.Id = m.Id" +
         kInRange + " AND r." + column + " IS NOT NULL GROUP BY r." + column + " ORDER BY 2 DESC, 1;";
}

search::Statistics StatisticsInSnapshot(Connection& db, const std::string& from, const std::string& to,
                                        const std::string& top) {
  return search::ReadCounts(
      db,
      {CountsByHourSql(), CountsByColumnSql("m.Label"), CountsByColumnSql("COALESCE(m.Kind, '')"),
       CountsByColumnSql("m.Station"), TopAircraftSql(), ReceptionCountsSql("FreqHz"), ReceptionCountsSql("Link")},
      from, to, top);
}

}  // namespace

std::vector<search::PositionRow> ReadPositions(Connection& db, search::UtcMillis since, std::size_t limit) {
  const std::string from = std::to_string(since);
  const std::string rows = search::LimitText(limit);
  std::vector<search::PositionRow> positions;
  try {
    for (const Row& row : db.Query(kSelectPositions, {from, rows})) {
      positions.push_back(search::PositionOf(row));
    }
  } catch (const Error& failure) {
    throw search::SearchFailed(failure.what());
  }
  search::OldestFirst(positions);
  return positions;
}

// One read transaction, so that every list counts the same messages while a
// writer goes on storing; the caller's, when it has one open.
search::Statistics ReadStatistics(Connection& db, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft) {
  const std::string first = std::to_string(from);
  const std::string end = std::to_string(to);
  const std::string top = search::LimitText(topAircraft);
  const bool ownTransaction = !db.InTransaction();
  try {
    if (ownTransaction) {
      db.Execute("BEGIN;");
    }
    search::Statistics statistics = StatisticsInSnapshot(db, first, end, top);
    if (ownTransaction) {
      db.Execute("COMMIT;");
    }
    return statistics;
  } catch (const Error& failure) {
    if (db.InTransaction()) {
      sqlite3_exec(db.handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
    }
    throw search::SearchFailed(failure.what());
  }
}

}  // namespace corvane::store::sqlite
