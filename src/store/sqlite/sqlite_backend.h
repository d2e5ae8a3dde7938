// The SQLite backend: the store in Corvane.db. Reads open a connection per
// operation; the writer's session keeps one open for the run.
#pragma once

#include "store/sqlite/searchable_file.h"

namespace corvane::store {

class SqliteBackend : public SearchableFileBackend {
 public:
  [[nodiscard]] std::string_view Extension() const override { return ".db"; }
  [[nodiscard]] std::string_view CaptionSuffix() const override { return " (SQLite DB)"; }

  void CreateDatabase(const std::string& name) override;
  void CreateTables(const std::string& name) override;
  void InitializeTables(const std::string& name, const reference::ReferenceTables& tables) override;
  StoredTables LoadTables(const std::string& name) override;
  std::vector<HistoryRow> PlaneDay(const std::string& name, std::string_view address,
                                   const std::string& today) override;
  std::optional<std::uint64_t> CountMessages(const std::string& name, std::string_view address) override;
  std::unique_ptr<StoreSession> OpenSession(const std::string& name) override;
};

}  // namespace corvane::store
