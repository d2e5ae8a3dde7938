// Writing a search plan as SQLite SQL: the FTS5 table leads when there are
// words to look up, and a count joins only the tables its conditions read.
#include "store/sqlite/search_sql.h"

#include "reception/reception_facts.h"

namespace corvane::store::sqlite {

namespace {

using search::Field;
using search::TextMatch;

constexpr const char* kHitColumns =
    "SELECT m.Id, p.Date, p.Hour, p.Mode, p.Address, p.Flight, p.Label, p.Bloc, p.Msn, p.Data, m.Station, m.Kind,"
    " m.Readable, m.Alerts, m.Utc, m.Blocks, m.Words,"
    " COALESCE((SELECT r.Facts FROM MessageReception r WHERE r.Id = m.Id), '')";

// What a field is compared as, and whether it may be NULL (then it is
// compared with IS, so that an excluded value keeps the rows without one:
// the kind of a message without a readable decoding, the address of a row
// another program wrote without one).
struct Column {
  const char* sql;
  bool nullable;
};

Column ColumnOf(Field field) {
  switch (field) {
    case Field::kFlightKey:
      return {"m.FlightKey", false};
    case Field::kTailKey:
      return {"m.TailKey", false};
    case Field::kAddress:
      return {"ltrim(upper(p.Address), '.')", true};
    case Field::kLabel:
      return {"m.Label", false};
    case Field::kKind:
      return {"m.Kind", true};
    case Field::kStation:
      return {"m.Station", false};
    case Field::kPosition:
      return {"m.Latitude", true};
    case Field::kAlerts:
      return {"m.Alerts", true};
  }
  return {"NULL", true};
}

// The FTS5 phrase of a text match: its words in double quotes.
std::string Phrase(const TextMatch& match) {
  std::string phrase = "\"";
  for (const auto& word : match.words) {
    if (phrase.size() > 1) {
      phrase.push_back(' ');
    }
    phrase.append(word);
  }
  phrase.push_back('"');
  return phrase;
}

std::string Phrases(const std::vector<TextMatch>& matches, const char* between) {
  std::string phrases;
  for (const TextMatch& match : matches) {
    phrases += (phrases.empty() ? "" : between) + Phrase(match);
  }
  return phrases;
}

}  // namespace

SearchSql::SearchSql(const search::QueryPlan& plan) : words_(plan.LooksUpWords()), planes_(plan.ReadsStoredMessage()) {
  LookUpText(plan);
  // The blocks of a joined message are found in its last block alone.
  AddCondition("m.PartOf IS NULL");
  for (const search::FieldMatch& match : plan.fields) {
    const std::string condition = FieldCondition(match);
    AddCondition(match.excluded ? "NOT (" + condition + ")" : condition);
  }
  for (const search::ReceptionMatch& match : plan.reception) {
    const std::string condition =
        order_ + " IN (SELECT Id FROM MessageReception WHERE " + ReceptionCondition(match) + ")";
    AddCondition(match.excluded ? "NOT (" + condition + ")" : condition);
  }
  if (plan.received.from) {
    AddCondition("m.Utc >= CAST(" + Parameter(std::to_string(*plan.received.from)) + " AS INTEGER)");
  }
  if (plan.received.to) {
    AddCondition("m.Utc <= CAST(" + Parameter(std::to_string(*plan.received.to)) + " AS INTEGER)");
  }
}

// A message is left out when it has any one of the excluded phrases, so they
// are looked up together as one OR: after the words to look up, or, when
// there are none, on their own, their messages then left out.
void SearchSql::LookUpText(const search::QueryPlan& plan) {
  const std::string excluded = Phrases(plan.excludedText, " OR ");
  if (words_) {
    const std::string without = excluded.empty() ? "" : " NOT (" + excluded + ")";
    where_ = " WHERE MessageWords MATCH " + Parameter(Phrases(plan.text, " AND ") + without);
    order_ = "f.rowid";
    return;
  }
  where_ = " WHERE 1";
  order_ = "m.Id";
  if (!excluded.empty()) {
    AddCondition("m.Id NOT IN (SELECT rowid FROM MessageWords WHERE MessageWords MATCH " + Parameter(excluded) + ")");
  }
}

std::string SearchSql::FieldCondition(const search::FieldMatch& match) {
  const Column column = ColumnOf(match.field);
  const std::string sql = column.sql;
  if (match.values.empty()) {
    return sql + " IS NOT NULL";
  }
  if (match.values.size() == 1) {
    return sql + (column.nullable ? " IS " : " = ") + Parameter(match.values.front());
  }
  std::string any;
  for (const std::string& value : match.values) {
    const std::string named = Parameter(value);
    any += column.nullable ? (any.empty() ? "(" : " OR ") + sql + " IS " + named : (any.empty() ? "" : ", ") + named;
  }
  return column.nullable ? any + ")" : sql + " IN (" + any + ")";
}

// The side table's columns compared: the frequency in whole Hz, the link,
// the level against the range's bounds.
std::string SearchSql::ReceptionCondition(const search::ReceptionMatch& match) {
  using What = search::ReceptionMatch::What;
  if (match.what == What::kFrequency) {
    return "FreqHz = CAST(" + Parameter(std::to_string(match.hz)) + " AS INTEGER)";
  }
  if (match.what == What::kLink) {
    return "Link = " + Parameter(match.link);
  }
  std::string condition = "Level IS NOT NULL";
  if (match.range.low) {
    condition += std::string(match.range.lowStrict ? " AND Level > " : " AND Level >= ") + "CAST(" +
                 Parameter(reception::NumberText(*match.range.low)) + " AS REAL)";
  }
  if (match.range.high) {
    condition += std::string(match.range.highStrict ? " AND Level < " : " AND Level <= ") + "CAST(" +
                 Parameter(reception::NumberText(*match.range.high)) + " AS REAL)";
  }
  return condition;
}

std::string SearchSql::PageSql(const search::PagePlan& page) {
  std::string sql = std::string(kHitColumns) + From(true, true) + where_;
  if (page.beforeId) {
    sql += " AND " + order_ + " < CAST(" + Parameter(std::to_string(*page.beforeId)) + " AS INTEGER)";
  }
  return sql + " ORDER BY " + order_ + " DESC LIMIT CAST(" + Parameter(std::to_string(page.Fetched())) +
         " AS INTEGER);";
}

std::string SearchSql::CountSql() const { return "SELECT COUNT(*)" + From(true, planes_) + where_ + ";"; }

std::string SearchSql::Parameter(std::string value) {
  values_.push_back(std::move(value));
  return "?" + std::to_string(values_.size());
}

// The tables: the text index leading when there are words to look up.
std::string SearchSql::From(bool index, bool planes) const {
  std::string from = words_ ? " FROM MessageWords f" : " FROM MessageIndex m";
  if (words_ && index) {
    from += " JOIN MessageIndex m ON m.Id = f.rowid";
  }
  if (planes) {
    from += words_ ? " JOIN Planes p ON p.rowid = f.rowid" : " JOIN Planes p ON p.rowid = m.Id";
  }
  return from;
}

}  // namespace corvane::store::sqlite
