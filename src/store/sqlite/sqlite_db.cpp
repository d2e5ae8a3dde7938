// SQLite connection and statements.
#include "store/sqlite/sqlite_db.h"

#include <sqlite3.h>

#include <memory>

namespace corvane::store::sqlite {

namespace {

struct StatementCloser {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

std::string CellText(sqlite3_stmt* statement, int column) {
  const auto* text = static_cast<const char*>(sqlite3_column_blob(statement, column));
  const int bytes = sqlite3_column_bytes(statement, column);
  return text == nullptr ? std::string() : std::string(text, static_cast<std::size_t>(bytes));
}

// Binds the values as ?1, ?2, ...; the SQLite result of the first that
// fails, SQLITE_OK otherwise. The values are copied (the caller's texts may
// go before the statement runs).
int BindTexts(sqlite3_stmt* statement, const Parameters& parameters) {
  int index = 1;
  for (const std::string_view value : parameters) {
    const int bound =
        sqlite3_bind_text(statement, index++, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (bound != SQLITE_OK) {
      return bound;
    }
  }
  return SQLITE_OK;
}

}  // namespace

Connection::Connection(const std::string& path, OpenMode mode, int busyTimeoutMs) {
  const int flags = mode == OpenMode::ReadOnly
                        ? SQLITE_OPEN_READONLY
                        : SQLITE_OPEN_READWRITE | (mode == OpenMode::CreateIfMissing ? SQLITE_OPEN_CREATE : 0);
  const int result = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error(result, path + ": " + message);
  }
  sqlite3_busy_timeout(db_, busyTimeoutMs);
}

Connection::~Connection() { sqlite3_close(db_); }

bool Connection::FileHasMoved() const {
  int moved = 0;
  const int result = sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
  return result == SQLITE_OK && moved != 0;
}

bool Connection::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

void Connection::Fail(int code) const { throw Error(code, sqlite3_errmsg(db_)); }

sqlite3_stmt* Connection::Prepare(std::string_view sql, const Parameters& parameters) {
  sqlite3_stmt* statement = nullptr;
  const int prepared = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
  if (prepared != SQLITE_OK) {
    sqlite3_finalize(statement);
    Fail(prepared);
  }
  if (const int bound = BindTexts(statement, parameters); bound != SQLITE_OK) {
    sqlite3_finalize(statement);
    Fail(bound);
  }
  return statement;
}

void Connection::Execute(std::string_view sql, const Parameters& parameters) {
  const Statement statement(Prepare(sql, parameters));
  int result = SQLITE_ROW;
  while (result == SQLITE_ROW) {
    result = sqlite3_step(statement.get());
  }
  if (result != SQLITE_DONE) {
    Fail(result);
  }
}

Connection::Prepared::Prepared(Connection& connection, std::string_view sql)
    : connection_(connection), statement_(connection.Prepare(sql, {})) {}

Connection::Prepared::~Prepared() { sqlite3_finalize(statement_); }

void Connection::Prepared::Run(const Parameters& parameters) {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  if (const int bound = BindTexts(statement_, parameters); bound != SQLITE_OK) {
    connection_.Fail(bound);
  }
  int result = SQLITE_ROW;
  while (result == SQLITE_ROW) {
    result = sqlite3_step(statement_);
  }
  sqlite3_reset(statement_);
  if (result != SQLITE_DONE) {
    connection_.Fail(result);
  }
}

void Connection::ExecuteScript(const std::string& sql) {
  char* message = nullptr;
  const int result = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  if (result != SQLITE_OK) {
    const std::string text = message != nullptr ? message : sqlite3_errstr(result);
    sqlite3_free(message);
    throw Error(result, text);
  }
}

Rows Connection::Query(std::string_view sql, const Parameters& parameters) {
  const Statement statement(Prepare(sql, parameters));
  Rows rows;
  const int columns = sqlite3_column_count(statement.get());
  int result = SQLITE_ROW;
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
    Row row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      row.push_back(CellText(statement.get(), c));
    }
    rows.push_back(std::move(row));
  }
  if (result != SQLITE_DONE) {
    Fail(result);
  }
  return rows;
}

}  // namespace corvane::store::sqlite
