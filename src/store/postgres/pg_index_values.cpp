// The values the PostgreSQL search index keeps of a message, as parameters
// and as the SQL that stores them.
#include "store/postgres/pg_index_values.h"

#include "store/search/index_row.h"
#include "store/search/query.h"

namespace corvane::store::postgres {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 0x0F];
  }
  return hex;
}

std::string FromHex(std::string_view hex) {
  const auto value = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1])));
  }
  return bytes;
}

std::string Utf8FromHex(const std::string& hex) {
  return "convert_from(decode(NULLIF(" + hex + ", ''), 'hex'), 'UTF8')";
}

std::string SpaceJoined(const std::vector<std::string>& words) {
  std::string joined;
  for (const auto& word : words) {
    joined += (joined.empty() ? "" : " ") + word;
  }
  return joined;
}

IndexValues::IndexValues(const StoreOp& op, const reference::ReferenceTables& tables) {
  const search::IndexRow row = search::IndexRowOf(op, tables);
  text = {std::to_string(row.utc),
          row.flightKey,
          row.tailKey,
          row.label,
          row.kind,
          Hex(row.readable),
          search::NumberText(row.latitude),
          search::NumberText(row.longitude),
          search::NumberText(row.altitudeFt),
          Hex(row.alerts),
          SpaceJoined(search::IndexedWords(op.join.Joined() ? op.join.text : op.record.Data))};
}

std::string IndexValuesSql(int first) {
  std::array<std::string, 11> parameters;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    parameters[i] = '$';  // appended: GCC 12 at -O3 warns of a false overlap in "$" + ...
    parameters[i] += std::to_string(first + static_cast<int>(i));
  }
  return IndexValuesSql(parameters);
}

std::string IndexValuesSql(const std::array<std::string, 11>& values) {
  const auto at = [&](std::size_t i) { return values[i]; };
  return at(0) + "::bigint, " + at(1) + ", " + at(2) + ", " + at(3) + ", " + at(4) + ", " + Utf8FromHex(at(5)) +
         ", NULLIF(" + at(6) + ", '')::float8, NULLIF(" + at(7) + ", '')::float8, NULLIF(" + at(8) + ", '')::float8, " +
         Utf8FromHex(at(9)) + ", string_to_array(" + at(10) + ", ' ')";
}

}  // namespace corvane::store::postgres
