// What the PostgreSQL search index keeps of a message, and how texts travel
// to it. The connection speaks LATIN1 for the card's bytes, so the words
// are made from those bytes and compared as the server stores them; the
// UTF-8 texts (readable decoding, alerts, station) travel as hexadecimal
// and are turned into text by the server.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "reference/reference_tables.h"
#include "store/backend.h"

namespace corvane::store::postgres {

// Bytes as hexadecimal digits: how a UTF-8 text travels on the connection,
// which speaks LATIN1 (the server turns it back into text).
std::string Hex(std::string_view bytes);
// The bytes of hexadecimal digits, as the server sends UTF-8 texts back.
std::string FromHex(std::string_view hex);
// The SQL that turns hexadecimal UTF-8 (an SQL expression) into text; empty
// digits give NULL.
std::string Utf8FromHex(const std::string& hex);

// Words joined by single spaces, as the index's words travel.
std::string SpaceJoined(const std::vector<std::string>& words);

// The index columns a writer fills, in the order of IndexValues::text, then
// the row number and the station.
inline constexpr const char* kIndexColumns =
    "utc, flight_key, tail_key, label, kind, readable, latitude, longitude, altitude_ft, alerts, words, id, station";

// What the index keeps of a message, as text parameters.
struct IndexValues {
  IndexValues(const StoreOp& op, const reference::ReferenceTables& tables);
  std::array<std::string, 11> text;
};

// The SQL expressions that turn IndexValues bound from $first on into the
// first eleven of kIndexColumns.
std::string IndexValuesSql(int first);
// The same of the eleven values given as SQL expressions.
std::string IndexValuesSql(const std::array<std::string, 11>& values);

}  // namespace corvane::store::postgres
