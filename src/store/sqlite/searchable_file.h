// What the two stores kept in an SQLite file (the SQLite store and the Jet
// layout) share beyond the interface: the search over their index tables.
#pragma once

#include "store/backend.h"

namespace corvane::store {

class SearchableFileBackend : public StoreBackend {
 public:
  search::SearchPage Search(const std::string& name, const search::SearchRequest& request) override;
  std::uint64_t CountMatches(const std::string& name, const search::Query& query) override;
  search::IndexProgress IndexingProgress(const std::string& name) override;
};

}  // namespace corvane::store
