// An ADO-shaped data layer for the Jet-layout store: connections opened by
// connection string, commands, client-side recordsets with a record count,
// fields by position and MoveNext, and an ADOX-like catalog that creates the
// file and its tables column by column. Underneath, the file is an SQLite
// database that keeps the Jet table layout (auto-increment Num columns, the
// column widths, the named keys); it is not in Access format.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::store::sqlite {
class Connection;
}

namespace corvane::store::ado {

// ADO and ADOX constants, by their ADO names.
inline constexpr int adInteger = 3;      // column type: 32-bit integer (Long)
inline constexpr int adVarWChar = 202;   // column type: variable-length text
inline constexpr int adColNullable = 2;  // column attribute
inline constexpr int adKeyPrimary = 1;   // key type
inline constexpr int adOpenStatic = 3;   // cursor type
inline constexpr int adUseClient = 3;    // cursor location
inline constexpr int adOptionUnspecified = -1;

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file a connection string names with "Data Source=".
std::string DataSourceOf(std::string_view connectionString);

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the existing file the connection string names.
  void Open(std::string_view connectionString, std::string_view user = {}, std::string_view password = {},
            int options = adOptionUnspecified);
  // Runs a statement; values are bound to its "?" parameters in order.
  void Execute(std::string_view statement, const std::vector<std::string_view>& parameters = {},
               int options = adOptionUnspecified);
  void BeginTrans();
  void CommitTrans();
  void Close();
  [[nodiscard]] bool IsOpen() const { return db_ != nullptr; }
  [[nodiscard]] sqlite::Connection& Engine();

 private:
  std::unique_ptr<sqlite::Connection> db_;
};

class Command {
 public:
  Connection* ActiveConnection = nullptr;
  std::string CommandText;
  std::vector<std::string> Parameters;  // bound to the text's "?" in order
};

// A static, client-side recordset: all records are fetched on Open.
class Recordset {
 public:
  int CursorType = adOptionUnspecified;
  int CursorLocation = adOptionUnspecified;

  void Open(const Command& source, int cursorType = adOptionUnspecified, int lockType = adOptionUnspecified,
            int options = adOptionUnspecified);
  [[nodiscard]] long RecordCount() const;
  // The value of field `index` (0 = first column) of the current record.
  [[nodiscard]] const std::string& Fields(std::size_t index) const;
  void MoveNext();
  [[nodiscard]] bool AtEnd() const;  // ADO's EOF
  void Close();

 private:
  std::vector<std::vector<std::string>> records_;
  std::size_t current_ = 0;
  bool open_ = false;
};

struct Column {
  std::string Name;
  int Type = adVarWChar;
  long DefinedSize = 0;
  int Attributes = 0;
  bool Autoincrement = false;  // the provider property "Autoincrement"
  std::string Description;     // the property "Description"
};

struct Key {
  std::string Name;
  int Type = adKeyPrimary;
  std::string Column;
};

class Table {
 public:
  class ColumnList {
   public:
    void Append(Column column) { columns_.push_back(std::move(column)); }
    void Append(std::string name, int type, long definedSize) {
      columns_.push_back(Column{std::move(name), type, definedSize, 0, false, {}});
    }
    Column& Item(std::string_view name);
    [[nodiscard]] const std::vector<Column>& All() const { return columns_; }

   private:
    std::vector<Column> columns_;
  };

  class KeyList {
   public:
    void Append(std::string name, int type, std::string column, std::string_view relatedTable = {},
                std::string_view relatedColumn = {});
    [[nodiscard]] const std::vector<Key>& All() const { return keys_; }

   private:
    std::vector<Key> keys_;
  };

  std::string Name;
  ColumnList Columns;
  KeyList Keys;
};

// The SQL that creates a table in the Jet layout.
std::string CreateTableSql(const Table& table);

class Catalog {
 public:
  class TableList {
   public:
    explicit TableList(Catalog& catalog) : catalog_(catalog) {}
    void Append(const Table& table);

   private:
    Catalog& catalog_;
  };

  // Creates a new, empty file; fails when the file exists already.
  void Create(std::string_view connectionString);
  void SetActiveConnection(std::string_view connectionString);

  TableList Tables{*this};

 private:
  std::string dataSource_;
};

}  // namespace corvane::store::ado
