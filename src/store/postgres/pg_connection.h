// A small RAII wrapper over libpq: one connection to the PostgreSQL server,
// statements with text parameters (never pasted into SQL), prepared
// statements, and query answers as rows of text cells. The connection speaks
// LATIN1 so that the card's 8-bit bytes are stored and read back unchanged.
// Messages name the server by host, port and database only: the connection
// string (which may hold a password) never appears in them.
#pragma once

#include <atomic>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace corvane::store::postgres {

// A failure reported by libpq or the server, with the server's SQLSTATE
// (empty when the connection itself failed).
class Error : public std::runtime_error {
 public:
  Error(std::string sqlState, const std::string& message)
      : std::runtime_error(message), sqlState_(std::move(sqlState)) {}
  [[nodiscard]] const std::string& SqlState() const { return sqlState_; }
  // The row itself was refused (a value the column or the database encoding
  // cannot take, a broken constraint): trying it again would fail again.
  [[nodiscard]] bool RowRejected() const;

 private:
  std::string sqlState_;
};

inline constexpr int kLockTimeoutMs = 2000;
inline constexpr int kStatementTimeoutMs = 10000;

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;
// Text values bound to a statement's parameters $1, $2, ..., in order.
using Parameters = std::vector<std::string_view>;

class Connection {
 public:
  // Connects with the libpq connection string or URI (empty: libpq's
  // defaults, environment and service files); throws Error when it cannot.
  // Every statement of the connection gives up waiting for a lock after
  // kLockTimeoutMs and runs at most kStatementTimeoutMs, so that a table
  // another session holds is a refusal, not a hang.
  Connection(const std::string& url, int connectTimeoutSeconds);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs one statement; throws Error when it fails.
  void Execute(const std::string& sql, const Parameters& parameters = {});
  // Runs a query and returns every row, each cell as text (NULL as empty).
  Rows Query(const std::string& sql, const Parameters& parameters = {});
  // Prepares a statement under a name for this connection, and runs it.
  void Prepare(const std::string& name, const std::string& sql);
  void RunPrepared(const std::string& name, const Parameters& parameters);
  // Sends "COMMIT"; throws Error also when the server rolled back instead.
  void Commit();
  // Rolls back an open transaction, if the connection still works; never throws.
  void RollbackQuietly() noexcept;

  // Shuts the connection's socket, so that a call under way on another
  // thread fails at once whatever the server does; never throws.
  void Interrupt() noexcept;

  [[nodiscard]] bool IsOk() const;
  // "host:port/dbname", for messages.
  [[nodiscard]] std::string ServerName() const;

 private:
  [[noreturn]] void Fail(const pg_result* result) const;
  std::string Describe(std::string_view message) const;

  pg_conn* conn_ = nullptr;
  std::atomic<int> socket_{-1};
  std::string password_;  // kept only to scrub it from messages, should a server ever echo it
};

}  // namespace corvane::store::postgres
