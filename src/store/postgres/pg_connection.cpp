// libpq connection, statements and errors.
#include "store/postgres/pg_connection.h"

#include <libpq-fe.h>
#include <sys/socket.h>

#include <memory>

namespace corvane::store::postgres {

namespace {

struct ResultCloser {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

struct ConnInfoCloser {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};

// The password the connection string names, if any; throws when libpq
// cannot read the string (its own message is left out: it may quote it).
std::string PasswordOf(const std::string& url) {
  char* error = nullptr;
  const std::unique_ptr<PQconninfoOption, ConnInfoCloser> options(PQconninfoParse(url.c_str(), &error));
  PQfreemem(error);
  if (!options) {
    throw Error("", "PostgreSQL: the connection string (DatabaseUrl) cannot be read");
  }
  for (const PQconninfoOption* option = options.get(); option->keyword != nullptr; ++option) {
    if (std::string_view(option->keyword) == "password" && option->val != nullptr) {
      return option->val;
    }
  }
  return {};
}

// The parameters as C texts that live as long as the call.
struct Texts {
  explicit Texts(const Parameters& parameters) {
    owned.reserve(parameters.size());
    for (const std::string_view value : parameters) {
      owned.emplace_back(value);
    }
    for (const std::string& value : owned) {
      pointers.push_back(value.c_str());
    }
  }
  [[nodiscard]] int count() const { return static_cast<int>(pointers.size()); }
  std::vector<std::string> owned;
  std::vector<const char*> pointers;
};

// The first line of a libpq message, without its trailing newline.
std::string FirstLine(const char* message) {
  const std::string_view text = message == nullptr ? std::string_view() : std::string_view(message);
  return std::string(text.substr(0, text.find('\n')));
}

bool Succeeded(const PGresult* result) {
  const ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

}  // namespace

// SQLSTATE class 22 (data exception: an untranslatable byte, a NUL), 23
// (integrity constraint) and 54 (a program limit: a value too large for an
// index row) come from the row itself: the same row fails again at every
// retry, and retrying it would hold up every message after it.
bool Error::RowRejected() const {
  return sqlState_.starts_with("22") || sqlState_.starts_with("23") || sqlState_.starts_with("54");
}

// Later key words override earlier ones, so the string from the settings
// may change the time-outs but not the client encoding the bytes rely on.
Connection::Connection(const std::string& url, int connectTimeoutSeconds) : password_(PasswordOf(url)) {
  const std::string timeout = std::to_string(connectTimeoutSeconds);
  const char* const keywords[] = {"connect_timeout",
                                  "application_name",
                                  "keepalives_idle",
                                  "keepalives_interval",
                                  "keepalives_count",
                                  "tcp_user_timeout",
                                  "dbname",
                                  "client_encoding",
                                  nullptr};
  const char* const values[] = {timeout.c_str(), "corvane", "10", "5", "3", "15000", url.c_str(), "LATIN1", nullptr};
  conn_ = PQconnectdbParams(keywords, values, 1);
  if (conn_ == nullptr) {
    throw Error("", "PostgreSQL: out of memory");
  }
  // CREATE ... IF NOT EXISTS and the like send notices; they are no failure.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = Describe(FirstLine(PQerrorMessage(conn_)));
    PQfinish(conn_);
    conn_ = nullptr;
    throw Error("", message);
  }
  socket_ = PQsocket(conn_);
  try {
    Execute("SET lock_timeout = " + std::to_string(kLockTimeoutMs));
    Execute("SET statement_timeout = " + std::to_string(kStatementTimeoutMs));
  } catch (...) {
    PQfinish(conn_);
    conn_ = nullptr;
    throw;
  }
}

void Connection::Interrupt() noexcept {
  if (const int socket = socket_.load(); socket >= 0) {
    ::shutdown(socket, SHUT_RDWR);
  }
}

Connection::~Connection() {
  socket_ = -1;
  PQfinish(conn_);
}

bool Connection::IsOk() const { return PQstatus(conn_) == CONNECTION_OK; }

std::string Connection::ServerName() const {
  const char* host = PQhost(conn_);
  const char* port = PQport(conn_);
  const char* db = PQdb(conn_);
  return std::string(host != nullptr ? host : "?") + ':' + (port != nullptr ? port : "?") + '/' +
         (db != nullptr ? db : "?");
}

// "PostgreSQL host:port/db: message", with the password blotted out should
// a message ever carry it.
std::string Connection::Describe(std::string_view message) const {
  std::string text = "PostgreSQL " + ServerName() + ": " + std::string(message);
  if (!password_.empty()) {
    for (auto at = text.find(password_); at != std::string::npos; at = text.find(password_, at)) {
      text.replace(at, password_.size(), "***");
    }
  }
  return text;
}

void Connection::Fail(const pg_result* result) const {
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* message = result != nullptr ? PQresultErrorMessage(result) : "";
  const std::string line = FirstLine(message != nullptr && *message != '\0' ? message : PQerrorMessage(conn_));
  throw Error(state != nullptr ? state : "", Describe(line));
}

// A statement is a query whose rows, if any, nobody reads.
void Connection::Execute(const std::string& sql, const Parameters& parameters) { Query(sql, parameters); }

Rows Connection::Query(const std::string& sql, const Parameters& parameters) {
  const Texts texts(parameters);
  const Result result(
      PQexecParams(conn_, sql.c_str(), texts.count(), nullptr, texts.pointers.data(), nullptr, nullptr, 0));
  if (!Succeeded(result.get())) {
    Fail(result.get());
  }
  Rows rows(static_cast<std::size_t>(PQntuples(result.get())));
  const int columns = PQnfields(result.get());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const int row = static_cast<int>(r);
      rows[r].emplace_back(PQgetvalue(result.get(), row, c),
                           static_cast<std::size_t>(PQgetlength(result.get(), row, c)));
    }
  }
  return rows;
}

void Connection::Prepare(const std::string& name, const std::string& sql) {
  const Result result(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr));
  if (!Succeeded(result.get())) {
    Fail(result.get());
  }
}

void Connection::RunPrepared(const std::string& name, const Parameters& parameters) {
  const Texts texts(parameters);
  const Result result(PQexecPrepared(conn_, name.c_str(), texts.count(), texts.pointers.data(), nullptr, nullptr, 0));
  if (!Succeeded(result.get())) {
    Fail(result.get());
  }
}

// A COMMIT in a transaction the server had already aborted answers
// "ROLLBACK" without an error: that is a failure too.
void Connection::Commit() {
  const Result result(PQexec(conn_, "COMMIT"));
  if (!Succeeded(result.get())) {
    Fail(result.get());
  }
  if (std::string_view(PQcmdStatus(result.get())) != "COMMIT") {
    throw Error("", Describe("the transaction was rolled back"));
  }
}

void Connection::RollbackQuietly() noexcept {
  if (IsOk() && PQtransactionStatus(conn_) != PQTRANS_IDLE) {
    PQclear(PQexec(conn_, "ROLLBACK"));
  }
}

}  // namespace corvane::store::postgres
