// The store dispatcher and the open sequence shared by both backends.
#include "store/store.h"

#include <filesystem>

#include "reference/reference_tables.h"
#include "store/jet/jet_backend.h"
#include "store/sqlite/sqlite_backend.h"

namespace corvane::store {

namespace {

constexpr const char* kProgressCaption = "Corvane Database";
constexpr const char* kCreateDatabaseStep = "Create database";
constexpr const char* kCreateTablesStep = "Create tables";
constexpr const char* kInitializeTablesStep = "Initialize tables";
constexpr const char* kLoadTablesStep = "Get data from tables";

bool FileExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

}  // namespace

Database::Database(reference::ReferenceTables& tables, decoding::UtcClock clock)
    : tables_(tables),
      clock_(std::move(clock)),
      sqlite_(std::make_unique<SqliteBackend>()),
      jet_(std::make_unique<JetBackend>()) {}

Database::~Database() = default;

StoreBackend* Database::BackendFor(std::int32_t DBType) {
  switch (DBType) {
    case kSqliteStore:
      return sqlite_.get();
    case kJetStore:
      return jet_.get();
    default:
      return nullptr;
  }
}

void Database::OpenStore(std::int32_t DBType, std::string& DBName, StoreProgress& progress) {
  if (StoreBackend* backend = BackendFor(DBType)) {
    progress.AppendCaption(std::string(backend->CaptionSuffix()));
    RunOpenSequence(*backend, DBName, progress);
  }
  tables_.IndexAirports();
}

// An existing file gives back its reference tables; a new one is created and
// filled with them. A store that cannot be read or created leaves the
// built-in tables in place, and messages keep flowing without it.
void Database::RunOpenSequence(StoreBackend& backend, std::string& DBName, StoreProgress& progress) {
  progress.ShowProgress(kProgressCaption);
  DBName += backend.Extension();
  if (FileExists(DBName)) {
    progress.SetProgressStep(kLoadTablesStep);
    try {
      ApplyStoredTables(backend.LoadTables(DBName), tables_);
    } catch (const std::exception&) {
      tables_.FillBuiltinTables();
    }
  } else {
    try {
      progress.SetProgressStep(kCreateDatabaseStep);
      backend.CreateDatabase(DBName);
      progress.SetProgressStep(kCreateTablesStep);
      backend.CreateTables(DBName);
      progress.SetProgressStep(kInitializeTablesStep);
      backend.InitializeTables(DBName, tables_);
    } catch (const std::exception&) {
      // The half-made store is left as it is; the built-in tables serve.
    }
  }
  progress.HideProgress();
}

void Database::StoreMessage(std::int32_t DBType, const std::string& DBName, const decoding::MessageRecord& record) {
  if (StoreBackend* backend = BackendFor(DBType)) {
    backend->StoreMessage(DBName, record);
  }
}

std::string Database::PlaneHistory(std::int32_t DBType, const std::string& DBName, std::string_view address) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend == nullptr) {
    return {};
  }
  return backend->PlaneHistory(DBName, address, decoding::DateField(clock_()));
}

std::string Database::DeletePlane(std::int32_t DBType, const std::string& DBName, std::string_view address) {
  if (StoreBackend* backend = BackendFor(DBType)) {
    backend->DeletePlane(DBName, address);
  }
  return {};
}

}  // namespace corvane::store
