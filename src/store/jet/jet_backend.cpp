// Jet-layout backend: the tables built column by column through the catalog,
// and the message operations through connections, commands and recordsets.
#include "store/jet/jet_backend.h"

#include <functional>

#include "store/jet/ado.h"
#include "store/sqlite/sql_session.h"

namespace corvane::store {

namespace {

using namespace ado;

std::string CreationString(const std::string& name) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + name + ";Jet OLEDB:Engine Type=5;";
}

std::string ConnectionString(const std::string& name) { return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + name; }

// Runs one query on the store through its own connection and hands the
// static, client-side records to read; throws as the layer does.
void ReadRecords(const std::string& name, const char* sql, std::vector<std::string> parameters,
                 const std::function<void(Recordset&)>& read) {
  Connection connection;
  connection.Open(ConnectionString(name), "", "", adOptionUnspecified);
  Command command;
  command.ActiveConnection = &connection;
  command.CommandText = sql;
  command.Parameters = std::move(parameters);
  Recordset records;
  records.CursorType = adOpenStatic;
  records.CursorLocation = adUseClient;
  records.Open(command, adOptionUnspecified, adOptionUnspecified, adOptionUnspecified);
  read(records);
  records.Close();
}

constexpr const char* kInsertLabel = "INSERT INTO Labels (Label,SMI,Descr) VALUES (?,?,?)";
constexpr const char* kInsertCode = "INSERT INTO Codes (Code,Descr) VALUES (?,?)";
constexpr const char* kInsertCountry = "INSERT INTO Countries (ID,Country) VALUES (?,?)";
constexpr const char* kInsertAirport = "INSERT INTO Airports (Airport,ID,Descr) VALUES (?,?,?)";
constexpr const char* kInsertMessage = "INSERT INTO Planes VALUES (?,?,?,?,?,?,?,?,?)";
constexpr const char* kSelectHistory =
    "SELECT Date,Hour,Flight,Data,Label,Mode FROM Planes WHERE Address = ? AND Date = ?;";
constexpr const char* kDeletePlane = "DELETE FROM Planes WHERE Address = ?;";
constexpr const char* kCountPlane = "SELECT COUNT(*) FROM Planes WHERE Address = ?;";
constexpr const char* kCreateHistoryIndex = "CREATE INDEX IF NOT EXISTS PlanesByAddressDate ON Planes(Address,Date);";

// The leading auto-increment column of the reference tables.
Column NumberColumn(std::string description) {
  Column num;
  num.Name = "Num";
  num.Type = adInteger;
  num.Autoincrement = true;
  num.Description = std::move(description);
  return num;
}

Table LabelsTable() {
  Table table;
  table.Name = "Labels";
  table.Columns.Append(NumberColumn("Labels"));
  table.Columns.Append("Label", adVarWChar, 2);
  table.Columns.Append("SMI", adVarWChar, 3);
  table.Columns.Append("Descr", adVarWChar, 0);
  table.Columns.Item("Label").Attributes = adColNullable;
  table.Keys.Append("Label", adKeyPrimary, "Label", "", "");
  return table;
}

Table CodesTable() {
  Table table;
  table.Name = "Codes";
  table.Columns.Append(NumberColumn(""));
  table.Columns.Append("Code", adVarWChar, 2);
  table.Columns.Append("Descr", adVarWChar, 0);
  table.Columns.Item("Code").Attributes = adColNullable;
  table.Keys.Append("Code", adKeyPrimary, "Code", "", "");
  return table;
}

Table CountriesTable() {
  Table table;
  table.Name = "Countries";
  table.Columns.Append(NumberColumn("ID"));
  table.Columns.Append("ID", adInteger, 0);
  table.Columns.Append("Country", adVarWChar, 0);
  table.Columns.Item("ID").Attributes = adColNullable;
  table.Keys.Append("ID", adKeyPrimary, "ID", "", "");
  return table;
}

Table AirportsTable() {
  Table table;
  table.Name = "Airports";
  table.Columns.Append(NumberColumn("ID"));
  table.Columns.Append("Airport", adVarWChar, 0);
  table.Columns.Append("ID", adInteger, 0);
  table.Columns.Append("Descr", adVarWChar, 0);
  table.Columns.Item("ID").Attributes = adColNullable;
  return table;
}

Table PlanesTable() {
  Table table;
  table.Name = "Planes";
  table.Columns.Append(Column{"Date", adVarWChar, 6, 0, false, {}});
  table.Columns.Append("Hour", adVarWChar, 10);
  table.Columns.Append("Mode", adVarWChar, 2);
  table.Columns.Append("Address", adVarWChar, 7);
  table.Columns.Append("Flight", adVarWChar, 6);
  table.Columns.Append("Label", adVarWChar, 2);
  table.Columns.Append("Bloc", adVarWChar, 1);
  table.Columns.Append("MSN", adVarWChar, 4);
  table.Columns.Append("Data", adVarWChar, 0);
  table.Columns.Item("Data").Attributes = adColNullable;
  return table;
}

// Reads one stored table through a static client-side recordset: the two
// fields at the given positions of every record.
std::vector<std::pair<std::string, std::string>> ReadTable(Connection& connection, const char* query, std::size_t first,
                                                           std::size_t second) {
  Command command;
  command.ActiveConnection = &connection;
  command.CommandText = query;
  Recordset records;
  records.CursorType = adOpenStatic;
  records.CursorLocation = adUseClient;
  records.Open(command, adOptionUnspecified, adOptionUnspecified, adOptionUnspecified);
  std::vector<std::pair<std::string, std::string>> rows;
  const long count = records.RecordCount();
  for (long i = 0; i < count; ++i) {
    rows.emplace_back(records.Fields(first), records.Fields(second));
    records.MoveNext();
  }
  records.Close();
  return rows;
}

// Runs each insert on its own; one that fails is skipped.
void InsertEach(Connection& connection, const char* statement, const std::vector<std::vector<std::string>>& rows) {
  for (const auto& row : rows) {
    try {
      connection.Execute(statement, std::vector<std::string_view>(row.begin(), row.end()));
    } catch (const Error&) {
    }
  }
}

}  // namespace

void JetBackend::CreateDatabase(const std::string& name) {
  Catalog catalog;
  catalog.Create(CreationString(name));
}

void JetBackend::CreateTables(const std::string& name) {
  Catalog catalog;
  catalog.SetActiveConnection(ConnectionString(name));
  for (const Table& table : {LabelsTable(), CodesTable(), CountriesTable(), AirportsTable(), PlanesTable()}) {
    catalog.Tables.Append(table);
  }
  Connection connection;
  connection.Open(ConnectionString(name), "", "", adOptionUnspecified);
  connection.Execute(kCreateHistoryIndex);
}

void JetBackend::InitializeTables(const std::string& name, const reference::ReferenceTables& tables) {
  const InitialRows rows = InitialRowsOf(tables);
  Connection connection;
  connection.Open(ConnectionString(name), "", "", adOptionUnspecified);
  connection.BeginTrans();
  InsertEach(connection, kInsertLabel, rows.labels);
  InsertEach(connection, kInsertCode, rows.codes);
  InsertEach(connection, kInsertCountry, rows.countries);
  InsertEach(connection, kInsertAirport, rows.airports);
  connection.CommitTrans();
  connection.Close();
}

StoredTables JetBackend::LoadTables(const std::string& name) {
  Connection connection;
  connection.Open(ConnectionString(name), "", "", adOptionUnspecified);
  StoredTables stored;
  stored.labels = ReadTable(connection, "SELECT * FROM Labels;", 1, 3);
  stored.codes = ReadTable(connection, "SELECT * FROM Codes;", 1, 2);
  stored.countries = ReadTable(connection, "SELECT * FROM Countries;", 1, 2);
  try {
    connection.Execute(kCreateHistoryIndex);
  } catch (const Error&) {
    // An older or read-only store works without the index.
  }
  connection.Close();
  return stored;
}

std::vector<HistoryRow> JetBackend::PlaneDay(const std::string& name, std::string_view address,
                                             const std::string& today) {
  std::vector<HistoryRow> history;
  try {
    ReadRecords(name, kSelectHistory, {std::string(address), today}, [&](Recordset& records) {
      const long count = records.RecordCount();
      for (long i = 0; i < count; ++i) {
        history.push_back({records.Fields(0), records.Fields(1), records.Fields(2), records.Fields(3),
                           records.Fields(4), records.Fields(5)});
        records.MoveNext();
      }
    });
  } catch (const Error&) {
  }
  return history;
}

std::optional<std::uint64_t> JetBackend::CountMessages(const std::string& name, std::string_view address) {
  try {
    std::uint64_t count = 0;
    ReadRecords(name, kCountPlane, {std::string(address)},
                [&](Recordset& records) { count = std::stoull(records.Fields(0)); });
    return count;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The Jet-layout file is an SQLite file underneath: the writer's session
// works on it directly, with the Jet statements.
std::unique_ptr<StoreSession> JetBackend::OpenSession(const std::string& name) {
  return std::make_unique<sqlite::SqlSession>(name, sqlite::WriteStatements{kInsertMessage, kDeletePlane});
}

}  // namespace corvane::store
