// The SQLite dialect of a search plan (search/query_plan.h): the text to
// look up as an FTS5 query over MessageWords, the rest as conditions on
// MessageIndex, MessageReception and Planes. Every value is a bound parameter; the FTS5 query,
// itself a parameter, is made of quoted phrases of the query's words, which
// hold only letters and digits (and bytes above 127), so nothing a person
// types reaches FTS5's own syntax.
#pragma once

#include <string>
#include <vector>

#include "store/search/query_plan.h"
#include "store/sqlite/sqlite_db.h"

namespace corvane::store::sqlite {

class SearchSql {
 public:
  explicit SearchSql(const search::QueryPlan& plan);

  // The hits of a page (the columns HitOf reads), newest first.
  [[nodiscard]] std::string PageSql(const search::PagePlan& page);
  // How many messages the plan finds.
  [[nodiscard]] std::string CountSql() const;
  // The parameters of the SQL made so far.
  [[nodiscard]] Parameters Values() const { return {values_.begin(), values_.end()}; }

 private:
  void LookUpText(const search::QueryPlan& plan);
  void AddCondition(const std::string& condition) { where_ += " AND " + condition; }
  std::string FieldCondition(const search::FieldMatch& match);
  std::string ReceptionCondition(const search::ReceptionMatch& match);
  std::string Parameter(std::string value);
  [[nodiscard]] std::string From(bool index, bool planes) const;

  bool words_ = false;   // words to look up in the text index
  bool planes_ = false;  // conditions on Planes
  std::string where_;
  std::string order_;
  std::vector<std::string> values_;
};

}  // namespace corvane::store::sqlite
