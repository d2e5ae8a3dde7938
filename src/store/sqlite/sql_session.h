// The writer's session on an SQLite file, shared by both backends (the Jet
// layout lives in an SQLite file too): one connection kept open, batches in
// one transaction, and a check that the file is still the one at its path.
#pragma once

#include <memory>
#include <string>

#include "store/backend.h"
#include "store/sqlite/search_index.h"
#include "store/sqlite/sqlite_db.h"

namespace corvane::store::sqlite {

// A writer's connection waits this long for another connection's lock before
// giving the attempt up; the writer then backs off and tries again, so a
// history read never waits long behind a write.
inline constexpr int kWriterBusyTimeoutMs = 50;

// The statements a backend writes messages with: the insert takes the nine
// Planes values, the delete the address, both as parameters 1, 2, ...
struct WriteStatements {
  const char* insertMessage;
  const char* deletePlane;
};

class SqlSession : public StoreSession {
 public:
  // Opens the existing file; throws WriteRefused when it cannot.
  SqlSession(const std::string& path, WriteStatements statements);

  void Begin() override;
  std::optional<std::string> Apply(const StoreOp& op) override;
  void Commit() override;
  void Rollback() noexcept override;
  void Interrupt() noexcept override;
  std::optional<search::IndexProgress> IndexOlder(std::size_t rows) override;
  std::uint64_t Prune(const PruneStep& step) override;
  std::optional<std::uint64_t> StoredBytes() override;
  std::uint64_t PrunableMessages() override;

 private:
  [[noreturn]] void Refuse(const Error& failure);
  void MergeWordIndex(std::uint64_t removed);
  // The message has an identity the store holds already.
  bool StoredAlready(const StoreOp& op);

  std::unique_ptr<Connection> db_;
  // Prepared on first use, kept with the connection.
  std::unique_ptr<Connection::Prepared> insert_;
  std::unique_ptr<Connection::Prepared> delete_;
  // The search index, filled in the same transactions as the messages.
  std::unique_ptr<SearchIndexWriter> index_;
  WriteStatements statements_;
};

}  // namespace corvane::store::sqlite
