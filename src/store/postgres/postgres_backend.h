// The PostgreSQL backend: one store shared by the receivers of a station
// network. The server is named by a libpq connection string; every row of
// Planes names the station that heard it, and an aircraft's history shows
// the day as every station heard it, each message once.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "store/backend.h"

namespace corvane::store {

namespace postgres {
class Connection;
struct CommitInDoubt;
}  // namespace postgres

class PostgresBackend : public StoreBackend {
 public:
  explicit PostgresBackend(StoreOptions options);
  ~PostgresBackend() override;

  // The store lives on the server: no file, no extension.
  [[nodiscard]] std::string_view Extension() const override { return ""; }
  [[nodiscard]] std::string_view CaptionSuffix() const override { return " (PostgreSQL DB)"; }

  // The five tables are there and the reference tables hold rows; false
  // also when the server cannot be reached.
  bool Exists(const std::string& name) override;
  void CreateDatabase(const std::string& name) override;
  void CreateTables(const std::string& name) override;
  void InitializeTables(const std::string& name, const reference::ReferenceTables& tables) override;
  StoredTables LoadTables(const std::string& name) override;
  void RefuseNewerSchema(const std::string& name) override;
  std::vector<HistoryRow> PlaneDay(const std::string& name, std::string_view address,
                                   const std::string& today) override;
  std::optional<std::uint64_t> CountMessages(const std::string& name, std::string_view address) override;
  std::unique_ptr<StoreSession> OpenSession(const std::string& name) override;
  // In this user's state folder, named after the station and the server.
  std::string PendingPath(const std::string& name) override;
  // The search over the index beside Planes (postgres/pg_search.h); the
  // server unreachable or without the index is told as search::SearchFailed.
  search::SearchPage Search(const std::string& name, const search::SearchRequest& request) override;
  std::uint64_t CountMatches(const std::string& name, const search::Query& query) override;
  search::IndexProgress IndexingProgress(const std::string& name) override;
  // The map and the charts, on the search connection and told the same way.
  std::vector<search::PositionRow> Positions(const std::string& name, search::UtcMillis since,
                                             std::size_t limit) override;
  search::Statistics StatisticsOf(const std::string& name, search::UtcMillis from, search::UtcMillis to,
                                  std::size_t topAircraft) override;

 private:
  std::unique_ptr<postgres::Connection> Connect(int timeoutSeconds) const;
  static void CreateTablesOn(postgres::Connection& db);
  bool Read(const std::function<void(postgres::Connection&)>& read);
  void OnSearchConnection(const std::function<void(postgres::Connection&)>& work);

  StoreOptions options_;
  std::mutex readerMutex_;
  std::unique_ptr<postgres::Connection> reader_;  // kept for history reads, under readerMutex_
  std::mutex searcherMutex_;
  std::unique_ptr<postgres::Connection> searcher_;  // kept for searches, under searcherMutex_
  std::unique_ptr<postgres::CommitInDoubt> doubt_;
};

}  // namespace corvane::store
