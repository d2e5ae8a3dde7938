// A small RAII wrapper over the SQLite C library: a connection, prepared
// statements with text parameters, and query answers as rows of text cells.
// Every value is bound as a parameter, never pasted into SQL; text keeps its
// bytes exactly (8-bit bytes and NUL included).
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace corvane::store::sqlite {

// A failure reported by SQLite, with its result code and message.
class Error : public std::runtime_error {
 public:
  Error(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  [[nodiscard]] int code() const { return code_; }

 private:
  int code_;
};

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;
// Text values bound to a statement's parameters, in order.
using Parameters = std::vector<std::string_view>;

// How long a statement waits for a lock held by another connection (a user
// browsing the file in the sqlite3 shell) before it fails.
inline constexpr int kBusyTimeoutMs = 1000;

class Connection {
 public:
  enum class OpenMode { Existing, CreateIfMissing, ReadOnly };

  // Opens the database file; throws Error when it cannot be opened. A
  // statement waits up to busyTimeoutMs for another connection's lock.
  Connection(const std::string& path, OpenMode mode, int busyTimeoutMs = kBusyTimeoutMs);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs one statement with its text parameters (bound as ?1, ?2, ...).
  void Execute(std::string_view sql, const Parameters& parameters = {});

  // Runs statements without parameters, separated by semicolons.
  void ExecuteScript(const std::string& sql);

  // Runs a query and returns every row, each cell as text (NULL as empty).
  Rows Query(std::string_view sql, const Parameters& parameters = {});

  // True when the file this connection has open is no longer the one at its
  // path: deleted, or replaced by another file. Writes would then go nowhere.
  [[nodiscard]] bool FileHasMoved() const;

  // True while a transaction begun on this connection is open.
  [[nodiscard]] bool InTransaction() const;

  [[nodiscard]] sqlite3* handle() const { return db_; }

  // A statement prepared once and run many times, for a connection kept
  // open (the store writer's); it must not outlive the connection.
  class Prepared {
   public:
    Prepared(Connection& connection, std::string_view sql);
    ~Prepared();
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;
    // Binds the values as ?1, ?2, ... and runs the statement to its end.
    void Run(const Parameters& parameters);

   private:
    Connection& connection_;
    sqlite3_stmt* statement_ = nullptr;
  };

 private:
  sqlite3_stmt* Prepare(std::string_view sql, const Parameters& parameters);
  [[noreturn]] void Fail(int code) const;

  sqlite3* db_ = nullptr;
};

}  // namespace corvane::store::sqlite
