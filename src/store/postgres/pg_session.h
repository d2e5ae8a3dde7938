// The store writer's session on the PostgreSQL server: one connection kept
// for the run, prepared statements, each batch in one transaction. A lost
// connection, a server down or restarting, or any other refusal throws
// WriteRefused; the writer keeps the batch and opens a new session.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "reference/reference_tables.h"
#include "store/backend.h"
#include "store/postgres/pg_connection.h"
#include "store/postgres/pg_lookup_indexes.h"

namespace corvane::store::postgres {

// A COMMIT whose answer never came (the connection broke on the way): the
// server may or may not have committed. Kept by the backend across
// sessions, so that the next session asks the server how the transaction
// ended and does not write the same messages twice.
struct CommitInDoubt {
  std::mutex mutex;
  std::string transaction;   // the transaction's id, empty when nothing is in doubt
  std::vector<StoreOp> ops;  // every write handed to that transaction
  // Writes the server turned out to have committed, in order: passed over
  // as they come again, until one differs.
  std::deque<StoreOp> committed;
};

class PgSession : public StoreSession {
 public:
  // Connects and prepares the statements; throws WriteRefused when it cannot.
  PgSession(const std::string& url, std::string station, CommitInDoubt& doubt);

  void Begin() override;
  std::optional<std::string> Apply(const StoreOp& op) override;
  void Commit() override;
  void Rollback() noexcept override;
  // Indexes messages stored before the search index, by row number, then
  // builds the lookup indexes in the background; not finished until they
  // are there.
  std::optional<search::IndexProgress> IndexOlder(std::size_t rows) override;
  std::uint64_t Prune(const PruneStep& step) override;
  std::optional<std::uint64_t> StoredBytes() override;
  std::uint64_t PrunableMessages() override;
  void Interrupt() noexcept override;
  [[nodiscard]] bool SurvivesRefusal() const override;

 private:
  void Run(const StoreOp& op);
  // After the insert: a message joined from its blocks, or a repeat of its
  // last block, marked in the index.
  void MarkJoined(const StoreOp& op);
  bool AlreadyCommitted(const StoreOp& op);
  void SettleDoubt();
  void RestartWithout();
  [[noreturn]] void Refuse(const Error& failure);

  std::unique_ptr<Connection> db_;
  std::string url_;
  std::string station_;
  CommitInDoubt& doubt_;
  reference::ReferenceTables tables_;  // for the readable decoding the index keeps
  // The sequence that numbers Planes rows (see InsertSql).
  std::string rowNumbers_;
  bool prepared_ = false;
  std::string transaction_;                  // the open transaction's id
  std::vector<StoreOp> tried_;               // every write handed over in this transaction
  std::vector<StoreOp> applied_;             // those run in it (rejected rows left out)
  std::size_t passedOver_ = 0;               // writes of doubt_.committed passed over in this transaction
  std::unique_ptr<LookupIndexBuild> build_;  // the lookup indexes' build, once started
  search::IndexProgress lastProgress_;       // as told while the build runs
};

}  // namespace corvane::store::postgres
