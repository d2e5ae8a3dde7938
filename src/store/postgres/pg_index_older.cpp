// Indexing older messages: a batch of Planes rows read by row number and
// their index rows inserted in one prepared statement of arrays.
#include "store/postgres/pg_index_older.h"

#include <array>
#include <string>
#include <string_view>

#include "store/postgres/pg_index_tables.h"
#include "store/postgres/pg_index_values.h"

namespace corvane::store::postgres {

namespace {

constexpr const char* kSelectOlder =
    "SELECT id, Date, Hour, Mode, Address, Flight, Label, Bloc, Msn, Data,"
    " encode(convert_to(COALESCE(Station, ''), 'UTF8'), 'hex') FROM Planes"
    " WHERE id > $1::bigint AND id <= $2::bigint ORDER BY id LIMIT $3::bigint";

// The index rows of a batch of older rows in one prepared statement, each
// value a parameter holding an array of the batch's values: a statement a
// row spent most of its time in round trips, and one statement of many
// VALUES rows most of its time parsing and planning them. The station
// travels as hexadecimal UTF-8 (pg_index_values.h).
constexpr const char* kIndexOlder = "corvane_index_older";
constexpr int kIndexValueCount = 11;

std::string IndexOlderSql() {
  std::array<std::string, kIndexValueCount> columns;
  std::string arrays;
  std::string names;
  for (int i = 0; i < kIndexValueCount; ++i) {
    columns[static_cast<std::size_t>(i)] = "v.c" + std::to_string(i);
    arrays += "$" + std::to_string(i + 1) + "::text[], ";
    names += "c" + std::to_string(i) + ", ";
  }
  return "INSERT INTO message_index (" + std::string(kIndexColumns) + ") SELECT " + IndexValuesSql(columns) +
         ", v.id, COALESCE(" + Utf8FromHex("v.station") + ", '') FROM unnest(" + arrays +
         "$12::bigint[], $13::text[]) AS v(" + names + "id, station) ON CONFLICT (id) DO NOTHING";
}

void PrepareIndexOlder(Connection& db) {
  if (db.Query("SELECT EXISTS (SELECT 1 FROM pg_prepared_statements WHERE name = $1)", {kIndexOlder}).at(0).at(0) !=
      "t") {
    db.Prepare(kIndexOlder, IndexOlderSql());
  }
}

// Appends a value to an array literal: quoted, with quotes and backslashes
// escaped.
void AppendElement(std::string& array, std::string_view value) {
  array += array.size() == 1 ? "\"" : ",\"";
  for (const char c : value) {
    if (c == '"' || c == '\\') {
      array.push_back('\\');
    }
    array.push_back(c);
  }
  array.push_back('"');
}

void InsertIndexRows(Connection& db, const reference::ReferenceTables& tables, const Rows& older) {
  std::array<std::string, kIndexValueCount + 2> arrays;  // the values, the row number, the station
  arrays.fill("{");
  for (const Row& row : older) {
    StoreOp op;
    op.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
    const IndexValues values(op, tables);
    for (std::size_t i = 0; i < values.text.size(); ++i) {
      AppendElement(arrays[i], values.text[i]);
    }
    AppendElement(arrays[kIndexValueCount], row.at(0));
    AppendElement(arrays[kIndexValueCount + 1], row.at(10));
  }
  Parameters parameters;
  for (std::string& array : arrays) {
    parameters.push_back(array += "}");
  }
  PrepareIndexOlder(db);
  db.RunPrepared(kIndexOlder, parameters);
}

}  // namespace

OlderIndexing IndexOlder(Connection& db, const reference::ReferenceTables& tables, std::size_t rows) {
  IndexState state = ReadIndexState(db);
  if (state.next < state.last) {
    const Rows older =
        db.Query(kSelectOlder, {std::to_string(state.next), std::to_string(state.last), std::to_string(rows)});
    if (!older.empty()) {
      InsertIndexRows(db, tables, older);
    }
    state.done += static_cast<long long>(older.size());
    state.next = older.size() < rows ? state.last : std::stoll(older.back().at(0));
    StoreIndexedSoFar(db, state);
  }
  return {ProgressOf(state), state.next >= state.last && state.lookupIndexesMade == 0};
}

}  // namespace corvane::store::postgres
