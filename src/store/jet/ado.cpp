// The ADO-shaped layer over SQLite.
#include "store/jet/ado.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "store/sqlite/file_space.h"
#include "store/sqlite/sqlite_db.h"

namespace corvane::store::ado {

namespace {

constexpr std::string_view kDataSourceKey = "data source=";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string Quoted(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

// One column's definition. Text columns with a width refuse longer values,
// as the Jet engine does; a width of 0 sets no limit. Key columns and columns
// without the nullable attribute are required.
std::string ColumnSql(const Column& column, bool isKey) {
  std::string sql = Quoted(column.Name);
  if (column.Type == adInteger) {
    sql += column.Autoincrement ? " INTEGER PRIMARY KEY AUTOINCREMENT" : " INTEGER";
  } else {
    sql += column.DefinedSize > 0 ? " VARCHAR(" + std::to_string(column.DefinedSize) + ")" : " TEXT";
  }
  if (!column.Autoincrement && (isKey || (column.Attributes & adColNullable) == 0)) {
    sql += " NOT NULL";
  }
  if (column.Type == adVarWChar && column.DefinedSize > 0) {
    sql += " CHECK (length(CAST(" + Quoted(column.Name) + " AS BLOB)) <= " + std::to_string(column.DefinedSize) + ")";
  }
  if (!column.Description.empty()) {
    sql += " /* Description: " + column.Description + " */";
  }
  return sql;
}

}  // namespace

std::string DataSourceOf(std::string_view connectionString) {
  std::size_t start = 0;
  while (start <= connectionString.size()) {
    std::size_t end = connectionString.find(';', start);
    if (end == std::string_view::npos) {
      end = connectionString.size();
    }
    const std::string_view item = connectionString.substr(start, end - start);
    if (Lower(item.substr(0, kDataSourceKey.size())) == kDataSourceKey) {
      return std::string(item.substr(kDataSourceKey.size()));
    }
    start = end + 1;
  }
  throw Error("the connection string names no data source");
}

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(std::string_view connectionString, std::string_view /*user*/, std::string_view /*password*/,
                      int /*options*/) {
  try {
    db_ = std::make_unique<sqlite::Connection>(DataSourceOf(connectionString), sqlite::Connection::OpenMode::Existing);
  } catch (const sqlite::Error& failure) {
    throw Error(failure.what());
  }
}

sqlite::Connection& Connection::Engine() {
  if (!db_) {
    throw Error("the connection is not open");
  }
  return *db_;
}

void Connection::Execute(std::string_view statement, const std::vector<std::string_view>& parameters, int /*options*/) {
  try {
    Engine().Execute(statement, parameters);
  } catch (const sqlite::Error& failure) {
    throw Error(failure.what());
  }
}

void Connection::BeginTrans() { Execute("BEGIN;"); }
void Connection::CommitTrans() { Execute("COMMIT;"); }
void Connection::Close() { db_.reset(); }

void Recordset::Open(const Command& source, int /*cursorType*/, int /*lockType*/, int /*options*/) {
  if (source.ActiveConnection == nullptr) {
    throw Error("the command has no active connection");
  }
  try {
    const sqlite::Parameters parameters(source.Parameters.begin(), source.Parameters.end());
    records_ = source.ActiveConnection->Engine().Query(source.CommandText, parameters);
  } catch (const sqlite::Error& failure) {
    throw Error(failure.what());
  }
  current_ = 0;
  open_ = true;
}

long Recordset::RecordCount() const {
  if (!open_) {
    throw Error("the recordset is closed");
  }
  return static_cast<long>(records_.size());
}

const std::string& Recordset::Fields(std::size_t index) const {
  if (!open_ || current_ >= records_.size() || index >= records_[current_].size()) {
    throw Error("no such field in the current record");
  }
  return records_[current_][index];
}

void Recordset::MoveNext() {
  if (!open_ || current_ >= records_.size()) {
    throw Error("no current record");
  }
  ++current_;
}

bool Recordset::AtEnd() const { return !open_ || current_ >= records_.size(); }

void Recordset::Close() {
  records_.clear();
  open_ = false;
}

Column& Table::ColumnList::Item(std::string_view name) {
  const auto found = std::find_if(columns_.begin(), columns_.end(), [&](const Column& c) { return c.Name == name; });
  if (found == columns_.end()) {
    throw Error("no column " + std::string(name));
  }
  return *found;
}

void Table::KeyList::Append(std::string name, int type, std::string column, std::string_view /*relatedTable*/,
                            std::string_view /*relatedColumn*/) {
  keys_.push_back(Key{std::move(name), type, std::move(column)});
}

// A primary key becomes a unique, required key of the same name when the
// table has an auto-increment column, because SQLite's auto-increment column
// must itself be the primary key.
std::string CreateTableSql(const Table& table) {
  const auto& columns = table.Columns.All();
  const bool hasAutoincrement =
      std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.Autoincrement; });
  std::string sql = "CREATE TABLE " + Quoted(table.Name) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const auto& keys = table.Keys.All();
    const bool isKey = std::any_of(keys.begin(), keys.end(), [&](const Key& k) { return k.Column == columns[i].Name; });
    sql += (i == 0 ? "\n  " : ",\n  ") + ColumnSql(columns[i], isKey);
  }
  for (const Key& key : table.Keys.All()) {
    const bool primary = key.Type == adKeyPrimary && !hasAutoincrement;
    sql +=
        ",\n  CONSTRAINT " + Quoted(key.Name) + (primary ? " PRIMARY KEY (" : " UNIQUE (") + Quoted(key.Column) + ")";
  }
  return sql + "\n);";
}

void Catalog::Create(std::string_view connectionString) {
  const std::string path = DataSourceOf(connectionString);
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    throw Error("the database " + path + " exists already");
  }
  try {
    sqlite::Connection created(path, sqlite::Connection::OpenMode::CreateIfMissing);
    sqlite::KeepFreePagesApart(created);
  } catch (const sqlite::Error& failure) {
    throw Error(failure.what());
  }
  dataSource_ = path;
}

void Catalog::SetActiveConnection(std::string_view connectionString) { dataSource_ = DataSourceOf(connectionString); }

void Catalog::TableList::Append(const Table& table) {
  try {
    sqlite::Connection db(catalog_.dataSource_, sqlite::Connection::OpenMode::Existing);
    db.ExecuteScript(CreateTableSql(table));
  } catch (const sqlite::Error& failure) {
    throw Error(failure.what());
  }
}

}  // namespace corvane::store::ado
