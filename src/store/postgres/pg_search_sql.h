// The PostgreSQL dialect of a search plan (search/query_plan.h): the text
// looked up in the GIN index of each message's words (a phrase also checked
// in order), the rest as conditions on message_index and Planes. Every
// value is a bound parameter.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/postgres/pg_connection.h"
#include "store/search/query_plan.h"

namespace corvane::store::postgres {

class SearchSql {
 public:
  explicit SearchSql(const search::QueryPlan& plan);

  // Only rows older than a page already shown.
  void Before(std::optional<long long> id);

  // The planner's estimate of how many rows match (from the statistics of
  // the words' index; no row is read).
  [[nodiscard]] std::string EstimateSql() const;
  // `fetched` hits (the columns HitOf reads), newest first: walking the rows
  // by number, or, fenced, finding the matches first and putting them in
  // order, reading only the page's rows from Planes.
  [[nodiscard]] std::string PageSql(std::size_t fetched, bool fenced);
  // How many rows match; Planes is read only when a condition needs it.
  [[nodiscard]] std::string CountSql() const;

  [[nodiscard]] Parameters Values() const { return {values_.begin(), values_.end()}; }

 private:
  [[nodiscard]] std::string Where() const { return " WHERE TRUE" + where_; }
  void AddCondition(const std::string& condition, bool excluded = false);
  std::string TextCondition(const search::TextMatch& match);
  std::string FieldCondition(const search::FieldMatch& match);
  std::string ReceptionCondition(const search::ReceptionMatch& match);
  std::string Parameter(std::string value);

  bool readsPlanes_ = false;
  std::string where_;
  std::vector<std::string> values_;
};

}  // namespace corvane::store::postgres
