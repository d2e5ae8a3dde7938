// Benchmarks of the message store: the store writer's sustained rate and
// the time from a message's hand-over to its commit, and the day's history of
// one aircraft in a store of a million messages.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "reference/reference_tables.h"
#include "store/store.h"

namespace {

namespace fs = std::filesystem;
using corvane::decoding::MessageRecord;

constexpr int kAircraft = 2000;
constexpr int kDays = 50;
constexpr int kRows = 1000000;

// A fresh folder for one benchmark's store, removed afterwards.
class BenchDir {
 public:
  explicit BenchDir(const std::string& name)
      : path_(fs::temp_directory_path() / ("corvane-bench-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
    previous_ = fs::current_path();
    fs::current_path(path_);
  }
  ~BenchDir() {
    fs::current_path(previous_);
    fs::remove_all(path_);
  }

 private:
  fs::path path_;
  fs::path previous_;
};

MessageRecord SampleMessage() {
  return {"261207", "210005.005", "2",
          "N123UA", "UA0123",     "H1",
          "5",      "M01A",       "#M1BPOSN47172W122185,PERSY,220118,350,OLM,221430,EUG,M48,269156,156"};
}

// A fresh store in a folder of its own, opened as the program opens it.
struct FreshStore {
  explicit FreshStore(const std::string& folder) : dir(folder) {
    tables.FillBuiltinTables();
    corvane::store::StoreProgress progress;
    database.OpenStore(corvane::store::kSqliteStore, name, progress);
  }
  void Store(const MessageRecord& message) { database.StoreMessage(corvane::store::kSqliteStore, name, message); }

  BenchDir dir;
  corvane::reference::ReferenceTables tables;
  corvane::store::Database database{tables};
  std::string name = "Corvane";
};

// Messages handed to the store writer and committed, batch after batch:
// 10,000 handed over as fast as the caller can, then waited for.
void StoreWriterSustained(benchmark::State& state) {
  FreshStore store("store");
  const MessageRecord message = SampleMessage();
  constexpr int kMessages = 10000;
  for (auto _ : state) {
    for (int i = 0; i < kMessages; ++i) {
      store.Store(message);
    }
    store.database.Flush(std::chrono::seconds(60));
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(StoreWriterSustained)->Unit(benchmark::kMillisecond)->UseRealTime();

// From a message's hand-over to the commit of its row, with messages coming
// at 100 a second (500 of them): median and 99th percentile in ms.
void CommitLatencyAt100PerSecond(benchmark::State& state) {
  FreshStore store("latency");
  std::mutex mutex;
  std::vector<double> latencies;
  store.database.Writer(corvane::store::kSqliteStore, store.name)->SetCommitObserver([&](auto queued) {
    const auto latency = std::chrono::steady_clock::now() - queued;
    const std::lock_guard lock(mutex);
    latencies.push_back(std::chrono::duration<double, std::milli>(latency).count());
  });
  const MessageRecord message = SampleMessage();
  for (auto _ : state) {
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < 500; ++i) {
      std::this_thread::sleep_until(next);
      store.Store(message);
      next += std::chrono::milliseconds(10);
    }
    store.database.Flush(std::chrono::seconds(10));
  }
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double fraction) {
    return latencies.empty() ? 0.0 : latencies[static_cast<std::size_t>(fraction * (latencies.size() - 1))];
  };
  state.counters["median_ms"] = at(0.5);
  state.counters["p99_ms"] = at(0.99);
}
BENCHMARK(CommitLatencyAt100PerSecond)->Unit(benchmark::kSecond)->Iterations(1);

std::string Address(int aircraft) { return std::string("N").append(std::to_string(10000 + aircraft)); }

// Day d of the stored days: 25 days of September, then October 2026.
std::string StoredDate(int d) {
  const int month = 9 + d / 25;
  const int day = 1 + d % 25;
  std::string date = "26";
  date += static_cast<char>('0' + month / 10);
  date += static_cast<char>('0' + month % 10);
  date += static_cast<char>('0' + day / 10);
  date += static_cast<char>('0' + day % 10);
  return date;
}

// The hand-over while the store refuses (another connection holds its
// lock): each message is appended to the pending file before StoreMessage
// returns, so that a crash then loses nothing. Compare with the hand-over
// into memory while the store takes writes (StoreWriterSustained).
void HandOverWhileTheStoreRefuses(benchmark::State& state) {
  FreshStore store("refusing");
  sqlite3* holder = nullptr;
  sqlite3_open(store.name.c_str(), &holder);
  sqlite3_exec(holder, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
  const MessageRecord message = SampleMessage();
  store.Store(message);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!store.database.Status(corvane::store::kSqliteStore, store.name)->pendingFile &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!store.database.Status(corvane::store::kSqliteStore, store.name)->pendingFile) {
    state.SkipWithError("the store never refused");
  }
  for (auto _ : state) {
    store.Store(message);
  }
  state.SetItemsProcessed(state.iterations());
  sqlite3_exec(holder, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  store.database.Flush(std::chrono::seconds(60));
}
BENCHMARK(HandOverWhileTheStoreRefuses)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// Fills Planes with a million messages over many aircraft and days, in one
// transaction, then reopens the store as the program does.
void FillLargeStore(corvane::store::Database& database, std::string& name) {
  corvane::store::StoreProgress progress;
  database.OpenStore(corvane::store::kSqliteStore, name, progress);
  sqlite3* db = nullptr;
  sqlite3_open(name.c_str(), &db);
  sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Planes VALUES (?1,?2,'2',?3,'UA0123','H1','5','M01A',?4);", -1, &insert, nullptr);
  for (int row = 0; row < kRows; ++row) {
    const std::string date = StoredDate(row % kDays);
    const std::string hour = std::to_string(100000 + row % 140000).append(".000");
    const std::string address = Address(row % kAircraft);
    const std::string text = std::string("POSITION REPORT ").append(std::to_string(row));
    sqlite3_bind_text(insert, 1, date.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, hour.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 3, address.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, text.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  name = "Corvane";
  database.OpenStore(corvane::store::kSqliteStore, name, progress);
}

void PlaneHistoryInAMillionRows(benchmark::State& state) {
  BenchDir dir("history");
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  // "Today" is one of the stored days: 2026-10-07 reads 261007.
  corvane::store::Database database(tables, [] { return corvane::decoding::UtcTime{2026, 10, 7, 12, 0, 0, 0}; });
  std::string name = "Corvane";
  FillLargeStore(database, name);
  if (state.range(0) == 0) {
    // The same store without its history index, for comparison.
    sqlite3* db = nullptr;
    sqlite3_open(name.c_str(), &db);
    sqlite3_exec(db, "DROP INDEX PlanesByAddressDate;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  int aircraft = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string history = database.PlaneHistory(corvane::store::kSqliteStore, name, Address(aircraft));
    bytes += history.size();
    aircraft = (aircraft + 7) % kAircraft;
  }
  if (bytes == 0) {
    state.SkipWithError("the history came back empty");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(PlaneHistoryInAMillionRows)
    ->ArgName("indexed")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

}  // namespace
