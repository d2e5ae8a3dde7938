// The PostgreSQL store's search: a page of hits, found by walking the rows
// newest first or by finding the matches first, and a count. Its SQL is
// written from the query's plan in pg_search_sql.cpp.
#include "store/postgres/pg_search.h"

#include <cstdlib>

#include "store/postgres/pg_index_values.h"
#include "store/postgres/pg_search_sql.h"
#include "store/search/query_plan.h"

namespace corvane::store::postgres {

namespace {

// Walking the rows by number finds a common word's newest rows at once but
// reads much of the table for a rare one; for a rare one the matches are
// found first and put in order, and only the page's rows are then read from
// Planes. Walking reads about 100 * rows / matches rows and finding the
// matches first reads the matches, so the latter wins below some tens of
// thousands of matches.
constexpr double kRare = 20'000;

// The "Plan Rows" of the plan's top node.
double EstimatedRows(Connection& db, const SearchSql& sql) {
  const Rows plan = db.Query(sql.EstimateSql(), sql.Values());
  const std::string text = plan.empty() ? std::string() : plan.front().at(0);
  const std::string key = "\"Plan Rows\": ";
  const std::size_t at = text.find(key);
  return at == std::string::npos ? 0 : std::strtod(text.c_str() + at + key.size(), nullptr);
}

search::SearchHit HitOf(const Row& row) {
  search::SearchHit hit;
  hit.id = std::stoll(row.at(0));
  hit.record = {row.at(1), row.at(2), row.at(3), row.at(4), row.at(5), row.at(6), row.at(7), row.at(8), row.at(9)};
  hit.station = FromHex(row.at(10));
  hit.kind = row.at(11);
  hit.readable = FromHex(row.at(12));
  hit.alerts = FromHex(row.at(13));
  hit.utc = std::stoll(row.at(14));
  hit.blocks = std::stoull(row.at(15));
  hit.wholeText = row.at(16);
  hit.facts = reception::FactsOfText(FromHex(row.at(17)));
  return hit;
}

}  // namespace

search::SearchPage SearchMessages(Connection& db, const search::SearchRequest& request) {
  const search::PagePlan plan = search::PlanPage(request);
  SearchSql sql(plan.query);
  sql.Before(plan.beforeId);
  const bool rare = plan.query.LooksUpWords() && !plan.query.ReadsStoredMessage() && EstimatedRows(db, sql) < kRare;
  const std::string text = sql.PageSql(plan.Fetched(), rare);
  search::SearchPage page;
  for (const Row& row : db.Query(text, sql.Values())) {
    page.hits.push_back(HitOf(row));
  }
  search::EndPage(page, plan.limit);
  return page;
}

std::uint64_t CountMatches(Connection& db, const search::Query& query) {
  const SearchSql sql(search::PlanQuery(query));
  const Rows rows = db.Query(sql.CountSql(), sql.Values());
  return rows.empty() ? 0 : std::stoull(rows.front().at(0));
}

}  // namespace corvane::store::postgres
