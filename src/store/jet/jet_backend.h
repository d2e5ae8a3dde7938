// The Jet-layout backend: the store in Corvane.mdb through the ADO-shaped
// layer, with the Jet table layout and the Jet failure rules (a failing
// insert while initializing is skipped; any failure while loading falls back
// to the built-in tables).
#pragma once

#include "store/sqlite/searchable_file.h"

namespace corvane::store {

class JetBackend : public SearchableFileBackend {
 public:
  [[nodiscard]] std::string_view Extension() const override { return ".mdb"; }
  [[nodiscard]] std::string_view CaptionSuffix() const override { return " (JET DB)"; }

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
