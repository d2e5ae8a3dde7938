// The store dispatcher and the open sequence shared by every backend.
#include "store/store.h"

#include "reference/reference_tables.h"
#include "store/jet/jet_backend.h"
#include "store/postgres/postgres_backend.h"
#include "store/sqlite/sqlite_backend.h"

namespace corvane::store {

namespace {

constexpr const char* kProgressCaption = "Corvane Database";
constexpr const char* kCreateDatabaseStep = "Create database";
constexpr const char* kCreateTablesStep = "Create tables";
constexpr const char* kInitializeTablesStep = "Initialize tables";
constexpr const char* kLoadTablesStep = "Get data from tables";

}  // namespace

Database::Database(reference::ReferenceTables& tables, decoding::UtcClock clock, WriterLimits limits)
    : tables_(tables),
      clock_(std::move(clock)),
      limits_(std::move(limits)),
      sqlite_(std::make_unique<SqliteBackend>()),
      jet_(std::make_unique<JetBackend>()),
      postgres_(std::make_unique<PostgresBackend>(StoreOptions{})) {
  limits_.utcNow = clock_;
}

Database::~Database() { Close(); }

StoreBackend* Database::BackendFor(std::int32_t DBType) {
  switch (DBType) {
    case kSqliteStore:
      return sqlite_.get();
    case kJetStore:
      return jet_.get();
    case kPostgresStore:
      return postgres_.get();
    default:
      return nullptr;
  }
}

StoreBackend& Database::SearchableBackend(std::int32_t DBType) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend == nullptr) {
    throw search::SearchFailed("no store is chosen (see the configuration dialog)");
  }
  return *backend;
}

void Database::SetStoreOptions(StoreOptions options) {
  postgres_ = std::make_unique<PostgresBackend>(std::move(options));
}

void Database::OpenStore(std::int32_t DBType, std::string& DBName, StoreProgress& progress) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend != nullptr) {
    progress.AppendCaption(std::string(backend->CaptionSuffix()));
    try {
      RunOpenSequence(*backend, DBName, progress);
    } catch (const StoreTooNew&) {
      tables_.IndexAirports();  // the built-in tables serve without the store
      throw;
    }
  }
  tables_.IndexAirports();
  if (backend != nullptr) {
    // The writer starts with the store, so that what an earlier run left in
    // the pending file is written at once.
    WriterFor(DBType, DBName);
  }
}

// One writer per store file, started on first use.
StoreWriter* Database::WriterFor(std::int32_t DBType, const std::string& DBName) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend == nullptr) {
    return nullptr;
  }
  const auto key = std::make_pair(DBType, DBName);
  if (const auto found = writers_.find(key); found != writers_.end()) {
    return found->second.get();
  }
  auto writer = std::make_unique<StoreWriter>(*backend, DBName, limits_);
  return writers_.emplace(key, std::move(writer)).first->second.get();
}

void Database::SetRetention(Retention retention) {
  limits_.retention = retention;
  for (auto& [key, writer] : writers_) {
    writer->SetRetention(retention);
  }
}

StoreWriter* Database::Writer(std::int32_t DBType, const std::string& DBName) {
  const auto found = writers_.find({DBType, DBName});
  return found == writers_.end() ? nullptr : found->second.get();
}

// An existing file gives back its reference tables; a new one is created and
// filled with them. A store that cannot be read or created leaves the
// built-in tables in place, and messages keep flowing without it.
void Database::RunOpenSequence(StoreBackend& backend, std::string& DBName, StoreProgress& progress) {
  progress.ShowProgress(kProgressCaption);
  DBName += backend.Extension();
  if (backend.Exists(DBName)) {
    progress.SetProgressStep(kLoadTablesStep);
    try {
      backend.RefuseNewerSchema(DBName);
    } catch (const StoreTooNew&) {
      progress.HideProgress();
      throw;
    }
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
  try {
    if (StoreWriter* writer = WriterFor(DBType, DBName)) {
      writer->Enqueue(record, relayedStation_, alertsOf_ ? alertsOf_(record) : std::vector<std::string>(), messageId_,
                      joinOf_ ? joinOf_(record) : decoding::BlockJoin(), facts_);
    }
  } catch (const StoreInUse&) {
    // Told when the store was opened; another process keeps this store.
  }
}

std::string Database::PlaneHistory(std::int32_t DBType, const std::string& DBName, std::string_view address,
                                   std::string_view day) {
  std::string history;
  for (const HistoryRow& row : PlaneDay(DBType, DBName, address, day)) {
    AppendHistoryRow(history, row);
  }
  return history;
}

std::vector<HistoryRow> Database::PlaneDay(std::int32_t DBType, const std::string& DBName, std::string_view address,
                                           std::string_view day) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend == nullptr) {
    return {};
  }
  const std::string date = day.empty() ? decoding::DateField(clock_()) : std::string(day);
  const auto readStored = [&] { return backend->PlaneDay(DBName, address, date); };
  StoreWriter* writer = Writer(DBType, DBName);
  return writer != nullptr ? writer->History(std::string(address), date, readStored) : readStored();
}

search::SearchPage Database::Search(std::int32_t DBType, const std::string& DBName,
                                    const search::SearchRequest& request) {
  return SearchableBackend(DBType).Search(DBName, request);
}

std::uint64_t Database::CountMatches(std::int32_t DBType, const std::string& DBName, const search::Query& query) {
  return SearchableBackend(DBType).CountMatches(DBName, query);
}

std::vector<search::PositionRow> Database::Positions(std::int32_t DBType, const std::string& DBName,
                                                     search::UtcMillis since, std::size_t limit) {
  return SearchableBackend(DBType).Positions(DBName, since, limit);
}

search::Statistics Database::StatisticsOf(std::int32_t DBType, const std::string& DBName, search::UtcMillis from,
                                          search::UtcMillis to, std::size_t topAircraft) {
  return SearchableBackend(DBType).StatisticsOf(DBName, from, to, topAircraft);
}

std::optional<std::uint64_t> Database::CountPlaneMessages(std::int32_t DBType, const std::string& DBName,
                                                          std::string_view address) {
  StoreBackend* backend = BackendFor(DBType);
  if (backend == nullptr) {
    return std::nullopt;
  }
  const auto countStored = [&] { return backend->CountMessages(DBName, address); };
  StoreWriter* writer = Writer(DBType, DBName);
  return writer != nullptr ? writer->Count(std::string(address), countStored) : countStored();
}

std::string Database::DeletePlane(std::int32_t DBType, const std::string& DBName, std::string_view address) {
  try {
    if (StoreWriter* writer = WriterFor(DBType, DBName)) {
      writer->Delete(std::string(address));
    }
  } catch (const StoreInUse&) {
    // Told when the store was opened.
  }
  return {};
}

bool Database::Flush(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool flushed = true;
  for (auto& [key, writer] : writers_) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    flushed = writer->Flush(std::max(left, std::chrono::milliseconds(0))) && flushed;
  }
  return flushed;
}

void Database::Close() {
  for (auto& [key, writer] : writers_) {
    writer->Close();
  }
}

std::optional<WriterStatus> Database::Status(std::int32_t DBType, const std::string& DBName) const {
  const auto found = writers_.find({DBType, DBName});
  if (found == writers_.end()) {
    return std::nullopt;
  }
  return found->second->Status();
}

}  // namespace corvane::store
