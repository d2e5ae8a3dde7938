// What the two stores kept in an SQLite file (the SQLite store and the Jet
// layout) share beyond the interface: the search over their index tables,
// and the map's positions and the charts' counts read from them.
#pragma once

#include "store/backend.h"

namespace corvane::store {

class SearchableFileBackend : public StoreBackend {
 public:
  void RefuseNewerSchema(const std::string& name) override;
  search::SearchPage Search(const std::string& name, const search::SearchRequest& request) override;
  std::uint64_t CountMatches(const std::string& name, const search::Query& query) override;
  search::IndexProgress IndexingProgress(const std::string& name) override;
  std::vector<search::PositionRow> Positions(const std::string& name, search::UtcMillis since,
                                             std::size_t limit) override;
  search::Statistics StatisticsOf(const std::string& name, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft) override;
};

}  // namespace corvane::store
