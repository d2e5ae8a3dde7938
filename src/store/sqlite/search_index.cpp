// The SQLite search index: its tables, the writer's part, and the search.
// Every value is bound as a parameter; the FTS5 query is made of quoted
// phrases of the query's words, which hold only letters and digits (and
// bytes above 127), so nothing a person types reaches FTS5's own syntax.
#include "store/sqlite/search_index.h"

#include <sqlite3.h>

#include <algorithm>

#include "store/search/index_row.h"
#include "store/sqlite/searchable_file.h"

namespace corvane::store::sqlite {

namespace {

using search::Term;
using search::TermKind;

constexpr const char* kCreateIndexTables =
    "CREATE TABLE IF NOT EXISTS MessageIndex(Id INTEGER PRIMARY KEY, Utc INTEGER NOT NULL, FlightKey TEXT NOT NULL,"
    " TailKey TEXT NOT NULL, Label TEXT NOT NULL, Kind TEXT, Station TEXT NOT NULL, Readable TEXT, Latitude REAL,"
    " Longitude REAL, AltitudeFt REAL, Alerts TEXT);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByUtc ON MessageIndex(Utc);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByFlight ON MessageIndex(FlightKey);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByTail ON MessageIndex(TailKey);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByLabel ON MessageIndex(Label);"
    "CREATE INDEX IF NOT EXISTS MessageIndexByKind ON MessageIndex(Kind);"
    "CREATE INDEX IF NOT EXISTS MessageIndexWithPosition ON MessageIndex(Id) WHERE Latitude IS NOT NULL;"
    "CREATE INDEX IF NOT EXISTS MessageIndexWithAlerts ON MessageIndex(Id) WHERE Alerts IS NOT NULL;"
    "CREATE VIRTUAL TABLE IF NOT EXISTS MessageWords USING fts5(Data, content='Planes', tokenize='ascii');";

// The state: the first and last Planes row numbers left to index, and how
// many were left when the index was made.
constexpr const char* kCreateState = "CREATE TABLE SearchState(Name TEXT PRIMARY KEY, Value INTEGER NOT NULL);";
constexpr const char* kStartState =
    "INSERT INTO SearchState SELECT 'OlderNext', 0 UNION ALL SELECT 'OlderLast', COALESCE(MAX(rowid), 0) FROM Planes"
    " UNION ALL SELECT 'OlderTotal', COUNT(*) FROM Planes UNION ALL SELECT 'OlderDone', 0;";

constexpr const char* kInsertIndex =
    "INSERT INTO MessageIndex VALUES (?1, ?2, ?3, ?4, ?5, NULLIF(?6, ''), ?7, NULLIF(?8, ''), NULLIF(?9, ''),"
    " NULLIF(?10, ''), NULLIF(?11, ''), NULLIF(?12, ''));";
// The text is the bytes the Planes row was given (both backends store them
// unchanged), so a deletion later hands FTS5 exactly the text it indexed;
// binding it costs a quarter of reading it back from the row.
constexpr const char* kInsertWords = "INSERT INTO MessageWords(rowid, Data) VALUES (?1, ?2);";
// Only rows that were indexed leave the index (an FTS5 'delete' of a row
// it never had would spoil it).
constexpr const char* kDeleteWords =
    "INSERT INTO MessageWords(MessageWords, rowid, Data) SELECT 'delete', p.rowid, p.Data FROM Planes p"
    " JOIN MessageIndex m ON m.Id = p.rowid WHERE p.Address = ?1;";
constexpr const char* kDeleteIndex =
    "DELETE FROM MessageIndex WHERE Id IN (SELECT rowid FROM Planes WHERE Address = ?1);";

constexpr const char* kSelectOlder =
    "SELECT rowid, Date, Hour, Mode, Address, Flight, Label, Bloc, Msn, Data FROM Planes"
    " WHERE rowid > ?1 AND rowid <= ?2 ORDER BY rowid LIMIT ?3;";

constexpr const char* kHitColumns =
    "SELECT m.Id, p.Date, p.Hour, p.Mode, p.Address, p.Flight, p.Label, p.Bloc, p.Msn, p.Data, m.Station, m.Kind,"
    " m.Readable, m.Alerts, m.Utc";

bool TableExists(Connection& db, const char* name) {
  return !db.Query("SELECT 1 FROM sqlite_master WHERE name = ?1;", {name}).empty();
}

long long StateValue(Connection& db, const char* name) {
  const Rows rows = db.Query("SELECT Value FROM SearchState WHERE Name = ?1;", {name});
  return rows.empty() ? 0 : std::stoll(rows.front().at(0));
}

void SetState(Connection& db, const char* name, long long value) {
  const std::string text = std::to_string(value);
  db.Execute("UPDATE SearchState SET Value = ?2 WHERE Name = ?1;", {name, text});
}

// The FTS5 phrase of a words term: its words in double quotes.
std::string Phrase(const Term& term) {
  std::string phrase = "\"";
  for (const auto& word : term.words) {
    if (phrase.size() > 1) {
      phrase.push_back(' ');
    }
    phrase.append(word);
  }
  phrase.push_back('"');
  return phrase;
}

// The SQL of a search: the FROM and WHERE parts and their parameters, the
// FTS5 table leading when the query has words to look up.
class SqlOfQuery {
 public:
  explicit SqlOfQuery(const search::Query& query) : ownStation_(query.ownStation) {
    std::string match;
    std::string excluded;
    for (const Term& term : query.terms) {
      if (term.kind != TermKind::kWords) {
        AddCondition(term);
      } else if (term.excluded) {
        excluded += (excluded.empty() ? "" : " OR ") + Phrase(term);
      } else {
        match += (match.empty() ? "" : " AND ") + Phrase(term);
      }
    }
    // A message is left out when it has any one of the excluded phrases, so
    // they are looked up together as one OR.
    if (!match.empty()) {
      const std::string without = excluded.empty() ? "" : " NOT (" + excluded + ")";
      where_ = " WHERE MessageWords MATCH " + Parameter(match + without) + where_;
      order_ = "f.rowid";
    } else {
      if (!excluded.empty()) {
        // No word to look up: the excluded words are looked up instead, and
        // their messages left out.
        where_ +=
            " AND m.Id NOT IN (SELECT rowid FROM MessageWords WHERE MessageWords MATCH " + Parameter(excluded) + ")";
      }
      where_ = " WHERE 1" + where_;
      order_ = "m.Id";
    }
    words_ = !match.empty();
  }

  [[nodiscard]] std::string PageSql(const search::SearchRequest& request) {
    std::string sql = std::string(kHitColumns) + From(true, true) + where_;
    if (request.beforeId) {
      sql += " AND " + order_ + " < CAST(" + Parameter(std::to_string(*request.beforeId)) + " AS INTEGER)";
    }
    return sql + " ORDER BY " + order_ + " DESC LIMIT CAST(" + Parameter(std::to_string(request.limit + 1)) +
           " AS INTEGER);";
  }

  // A count joins only the tables its conditions read: a count of words
  // alone is answered by the text index.
  [[nodiscard]] std::string CountSql() const {
    return "SELECT COUNT(*)" + From(fields_ || !words_, planes_) + where_ + ";";
  }

  [[nodiscard]] Parameters Values() const { return {values_.begin(), values_.end()}; }

 private:
  void AddCondition(const Term& term) {
    const std::string condition = Condition(term);
    (term.kind == TermKind::kAddress ? planes_ : fields_) = true;
    where_ += term.excluded ? " AND NOT (" + condition + ")" : " AND " + condition;
  }

  std::string Condition(const Term& term) {
    switch (term.kind) {
      case TermKind::kFlight:
        return "m.FlightKey = " + Parameter(term.value);
      case TermKind::kTail:
        return "m.TailKey = " + Parameter(term.value);
      case TermKind::kAddress:
        return "ltrim(upper(p.Address), '.') = " + Parameter(term.value);
      case TermKind::kLabel:
        return "m.Label = " + Parameter(term.value);
      case TermKind::kKind:
        return "m.Kind IS " + Parameter(term.value);
      case TermKind::kStation: {
        const std::string named = Parameter(term.value);
        return search::FindsUnnamedStation(term, ownStation_) ? "m.Station IN (" + named + ", '')"
                                                              : "m.Station = " + named;
      }
      case TermKind::kFrom:
        return "m.Utc >= CAST(" + Parameter(std::to_string(term.time)) + " AS INTEGER)";
      case TermKind::kTo:
        return "m.Utc <= CAST(" + Parameter(std::to_string(term.time)) + " AS INTEGER)";
      case TermKind::kHasPosition:
        return "m.Latitude IS NOT NULL";
      case TermKind::kIsAlert:
        return "m.Alerts IS NOT NULL";
      case TermKind::kWords:
        break;
    }
    return "1";
  }

  std::string Parameter(std::string value) {
    values_.push_back(std::move(value));
    return "?" + std::to_string(values_.size());
  }

  // The tables: the text index leading when there are words to look up.
  [[nodiscard]] std::string From(bool index, bool planes) const {
    std::string from = words_ ? " FROM MessageWords f" : " FROM MessageIndex m";
    if (words_ && index) {
      from += " JOIN MessageIndex m ON m.Id = f.rowid";
    }
    if (planes) {
      from += words_ ? " JOIN Planes p ON p.rowid = f.rowid" : " JOIN Planes p ON p.rowid = m.Id";
    }
    return from;
  }

  std::string ownStation_;
  bool words_ = false;   // words to look up in the text index
  bool fields_ = false;  // conditions on MessageIndex
  bool planes_ = false;  // conditions on Planes
  std::string where_;
  std::string order_;
  std::vector<std::string> values_;
};

search::SearchHit HitOf(const Row& row) {
  search::SearchHit hit;
  hit.id = std::stoll(row.at(0));
  hit.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
  hit.station = row.at(10);
  hit.kind = row.at(11);
  hit.readable = row.at(12);
  hit.alerts = row.at(13);
  hit.utc = std::stoll(row.at(14));
  return hit;
}

}  // namespace

void EnsureSearchTables(Connection& db) {
  if (TableExists(db, "SearchState")) {
    return;
  }
  db.ExecuteScript("BEGIN IMMEDIATE;");
  try {
    db.ExecuteScript(kCreateIndexTables);
    db.ExecuteScript(kCreateState);
    db.ExecuteScript(kStartState);
    db.ExecuteScript("COMMIT;");
  } catch (const Error&) {
    sqlite3_exec(db.handle(), "ROLLBACK;", nullptr, nullptr, nullptr);
    throw;
  }
}

SearchIndexWriter::SearchIndexWriter(Connection& db) : db_(db) { tables_.FillBuiltinTables(); }

SearchIndexWriter::~SearchIndexWriter() = default;

void SearchIndexWriter::InsertRow(std::string_view id, const StoreOp& op) {
  if (!insertIndex_) {
    insertIndex_ = std::make_unique<Connection::Prepared>(db_, kInsertIndex);
    insertWords_ = std::make_unique<Connection::Prepared>(db_, kInsertWords);
  }
  const search::IndexRow row = search::IndexRowOf(op, tables_);
  const std::string utc = std::to_string(row.utc);
  const std::string latitude = search::NumberText(row.latitude);
  const std::string longitude = search::NumberText(row.longitude);
  const std::string altitude = search::NumberText(row.altitudeFt);
  insertIndex_->Run({id, utc, row.flightKey, row.tailKey, row.label, row.kind, row.station, row.readable, latitude,
                     longitude, altitude, row.alerts});
  insertWords_->Run({id, op.record.Data});
}

void SearchIndexWriter::Inserted(std::string_view row, const StoreOp& op) { InsertRow(row, op); }

void SearchIndexWriter::Deleting(std::string_view address) {
  db_.Execute(kDeleteWords, {address});
  db_.Execute(kDeleteIndex, {address});
}

search::IndexProgress SearchIndexWriter::IndexOlder(std::size_t rows) {
  const long long next = StateValue(db_, "OlderNext");
  const long long last = StateValue(db_, "OlderLast");
  long long done = StateValue(db_, "OlderDone");
  if (next < last) {
    const std::string from = std::to_string(next);
    const std::string to = std::to_string(last);
    const std::string limit = std::to_string(rows);
    const Rows older = db_.Query(kSelectOlder, {from, to, limit});
    for (const Row& row : older) {
      StoreOp op;
      op.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
      InsertRow(row.at(0), op);
    }
    done += static_cast<long long>(older.size());
    SetState(db_, "OlderNext", older.size() < rows ? last : std::stoll(older.back().at(0)));
    SetState(db_, "OlderDone", done);
  }
  return search::OlderProgress(StateValue(db_, "OlderNext"), last, StateValue(db_, "OlderTotal"), done);
}

search::IndexProgress ReadIndexProgress(Connection& db) {
  if (!TableExists(db, "SearchState")) {
    return {};
  }
  return search::OlderProgress(StateValue(db, "OlderNext"), StateValue(db, "OlderLast"), StateValue(db, "OlderTotal"),
                               StateValue(db, "OlderDone"));
}

search::SearchPage SearchMessages(Connection& db, const search::SearchRequest& request) {
  search::SearchRequest bounded = request;
  bounded.limit = search::PageLimit(request);
  SqlOfQuery sql(request.query);
  const std::string text = sql.PageSql(bounded);
  search::SearchPage page;
  try {
    for (const Row& row : db.Query(text, sql.Values())) {
      page.hits.push_back(HitOf(row));
    }
  } catch (const Error& failure) {
    throw search::SearchFailed(failure.what());
  }
  search::EndPage(page, bounded.limit);
  return page;
}

std::uint64_t CountMatches(Connection& db, const search::Query& query) {
  SqlOfQuery sql(query);
  try {
    const Rows rows = db.Query(sql.CountSql(), sql.Values());
    return rows.empty() ? 0 : std::stoull(rows.front().at(0));
  } catch (const Error& failure) {
    throw search::SearchFailed(failure.what());
  }
}

}  // namespace corvane::store::sqlite

namespace corvane::store {

namespace {

// A search waits this long for a writer's transaction before giving up; it
// runs off the window's thread, so it may wait longer than a history read.
constexpr int kSearchBusyTimeoutMs = 2000;

template <typename Work>
auto OnSearchConnection(const std::string& name, Work work) {
  try {
    sqlite::Connection db(name, sqlite::Connection::OpenMode::Existing, kSearchBusyTimeoutMs);
    if (db.Query("SELECT 1 FROM sqlite_master WHERE name = 'MessageIndex';").empty()) {
      throw search::SearchFailed("the store has no search index yet (it is made when Corvane next writes to it)");
    }
    return work(db);
  } catch (const sqlite::Error& failure) {
    throw search::SearchFailed(failure.what());
  }
}

}  // namespace

search::SearchPage SearchableFileBackend::Search(const std::string& name, const search::SearchRequest& request) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::SearchMessages(db, request); });
}

std::uint64_t SearchableFileBackend::CountMatches(const std::string& name, const search::Query& query) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::CountMatches(db, query); });
}

std::vector<search::PositionRow> SearchableFileBackend::Positions(const std::string& name, search::UtcMillis since,
                                                                  std::size_t limit) {
  return OnSearchConnection(name, [&](sqlite::Connection& db) { return sqlite::ReadPositions(db, since, limit); });
}

search::Statistics SearchableFileBackend::StatisticsOf(const std::string& name, search::UtcMillis from,
                                                       search::UtcMillis to, std::size_t topAircraft) {
  return OnSearchConnection(name,
                            [&](sqlite::Connection& db) { return sqlite::ReadStatistics(db, from, to, topAircraft); });
}

search::IndexProgress SearchableFileBackend::IndexingProgress(const std::string& name) {
  try {
    sqlite::Connection db(name, sqlite::Connection::OpenMode::Existing, kSearchBusyTimeoutMs);
    return sqlite::ReadIndexProgress(db);
  } catch (const sqlite::Error&) {
    return {};
  }
}

}  // namespace corvane::store
