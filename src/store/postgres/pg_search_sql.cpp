// Writing a search plan as PostgreSQL SQL.
#include "store/postgres/pg_search_sql.h"

#include "reception/reception_facts.h"
#include "store/postgres/pg_index_values.h"

namespace corvane::store::postgres {

namespace {

using search::Field;

// The texts that are UTF-8 come back as hexadecimal (pg_index_values.h).
constexpr const char* kHitColumns =
    "SELECT m.id, p.Date, p.Hour, p.Mode, p.Address, p.Flight, p.Label, p.Bloc, p.Msn, p.Data,"
    " encode(convert_to(m.station, 'UTF8'), 'hex'), m.kind, encode(convert_to(m.readable, 'UTF8'), 'hex'),"
    " encode(convert_to(m.alerts, 'UTF8'), 'hex'), m.utc, COALESCE(m.blocks, 0), COALESCE(m.whole_text, ''),"
    " COALESCE((SELECT encode(convert_to(r.facts, 'UTF8'), 'hex') FROM message_reception r WHERE r.id = m.id), '')";
constexpr const char* kHitTables = " FROM message_index m JOIN Planes p ON p.id = m.id";

// What a field is compared as. The address is upper cased in ASCII letters
// only, as the card's bytes are compared.
const char* ColumnOf(Field field) {
  switch (field) {
    case Field::kFlightKey:
      return "m.flight_key";
    case Field::kTailKey:
      return "m.tail_key";
    case Field::kAddress:
      return "ltrim(upper(COALESCE(p.Address, '') COLLATE \"C\"), '.')";
    case Field::kLabel:
      return "m.label";
    case Field::kKind:
      return "m.kind";
    case Field::kStation:
      return "m.station";
    case Field::kPosition:
      return "m.latitude";
    case Field::kAlerts:
      return "m.alerts";
  }
  return "NULL";
}

// A LIKE pattern finding the words next to each other in the text the
// words of a row make when joined by spaces between two spaces. Words hold
// no LIKE character, but they are escaped all the same.
std::string PhrasePattern(const std::vector<std::string>& words) {
  std::string pattern = "% ";
  for (const char c : SpaceJoined(words)) {
    if (c == '%' || c == '_' || c == '\\') {
      pattern.push_back('\\');
    }
    pattern.push_back(c);
  }
  return pattern + " %";
}

}  // namespace

SearchSql::SearchSql(const search::QueryPlan& plan) : readsPlanes_(plan.ReadsStoredMessage()) {
  // The blocks of a joined message are found in its last block alone.
  AddCondition("m.part_of IS NULL");
  for (const search::TextMatch& match : plan.text) {
    AddCondition(TextCondition(match));
  }
  for (const search::TextMatch& match : plan.excludedText) {
    AddCondition(TextCondition(match), true);
  }
  for (const search::FieldMatch& match : plan.fields) {
    AddCondition(FieldCondition(match), match.excluded);
  }
  for (const search::ReceptionMatch& match : plan.reception) {
    AddCondition("m.id IN (SELECT id FROM message_reception WHERE " + ReceptionCondition(match) + ")", match.excluded);
  }
  if (plan.received.from) {
    AddCondition("m.utc >= " + Parameter(std::to_string(*plan.received.from)) + "::bigint");
  }
  if (plan.received.to) {
    AddCondition("m.utc <= " + Parameter(std::to_string(*plan.received.to)) + "::bigint");
  }
}

void SearchSql::Before(std::optional<long long> id) {
  if (id) {
    AddCondition("m.id < " + Parameter(std::to_string(*id)) + "::bigint");
  }
}

std::string SearchSql::EstimateSql() const { return "EXPLAIN (FORMAT JSON) SELECT 1 FROM message_index m" + Where(); }

std::string SearchSql::PageSql(std::size_t fetched, bool fenced) {
  const std::string count = Parameter(std::to_string(fetched)) + "::bigint";
  const std::string order = " ORDER BY m.id DESC LIMIT " + count;
  if (fenced) {
    return "WITH found AS MATERIALIZED (SELECT m.id FROM message_index m" + Where() + ") " + kHitColumns +
           " FROM (SELECT id FROM found ORDER BY id DESC LIMIT " + count +
           ") AS f JOIN message_index m ON m.id = f.id JOIN Planes p ON p.id = m.id" + order;
  }
  return std::string(kHitColumns) + kHitTables + Where() + order;
}

std::string SearchSql::CountSql() const {
  return "SELECT COUNT(*)" + (readsPlanes_ ? std::string(kHitTables) : " FROM message_index m") + Where();
}

void SearchSql::AddCondition(const std::string& condition, bool excluded) {
  where_ += excluded ? " AND NOT (" + condition + ")" : " AND " + condition;
}

// The words are looked up in the GIN index; a phrase must also find them in
// order.
std::string SearchSql::TextCondition(const search::TextMatch& match) {
  std::string condition = "m.words @> string_to_array(" + Parameter(SpaceJoined(match.words)) + ", ' ')";
  if (match.IsPhrase()) {
    condition += " AND (' ' || array_to_string(m.words, ' ') || ' ') LIKE " + Parameter(PhrasePattern(match.words));
  }
  return "(" + condition + ")";
}

// A station travels as hexadecimal UTF-8; the unnamed station is empty.
std::string SearchSql::FieldCondition(const search::FieldMatch& match) {
  const std::string column = ColumnOf(match.field);
  if (match.values.empty()) {
    return column + " IS NOT NULL";
  }
  std::string any;
  for (const std::string& value : match.values) {
    const std::string text = match.field == Field::kStation
                                 ? "convert_from(decode(" + Parameter(Hex(value)) + ", 'hex'), 'UTF8')"
                                 : Parameter(value);
    any += (any.empty() ? "" : ", ") + text;
  }
  return match.values.size() == 1 ? column + " = " + any : column + " IN (" + any + ")";
}

// The side table's columns compared, as the file stores compare them.
std::string SearchSql::ReceptionCondition(const search::ReceptionMatch& match) {
  using What = search::ReceptionMatch::What;
  if (match.what == What::kFrequency) {
    return "freq_hz = " + Parameter(std::to_string(match.hz)) + "::bigint";
  }
  if (match.what == What::kLink) {
    return "link = " + Parameter(match.link);
  }
  std::string condition = "level IS NOT NULL";
  if (match.range.low) {
    condition += std::string(match.range.lowStrict ? " AND level > " : " AND level >= ") +
                 Parameter(reception::NumberText(*match.range.low)) + "::float8";
  }
  if (match.range.high) {
    condition += std::string(match.range.highStrict ? " AND level < " : " AND level <= ") +
                 Parameter(reception::NumberText(*match.range.high)) + "::float8";
  }
  return condition;
}

std::string SearchSql::Parameter(std::string value) {
  values_.push_back(std::move(value));
  return "$" + std::to_string(values_.size());
}

}  // namespace corvane::store::postgres
