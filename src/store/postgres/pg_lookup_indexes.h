// The lookup indexes of the PostgreSQL search index (by time, flight, tail,
// label, kind, position, alerts and words). A store that already holds
// messages when the index is made gets them only once its older messages
// are indexed: filling a bare table and building each index in one sorted
// pass is several times faster than keeping eight indexes up to date row by
// row. They are then built in the background, on a connection of their own
// and CONCURRENTLY, so that no writer of the store waits for them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "store/postgres/pg_connection.h"

namespace corvane::store::postgres {

// Creates the lookup indexes at once, in the caller's transaction (a store
// with nothing to index yet).
void CreateLookupIndexes(Connection& db);

// One background build: started at construction, interrupted and waited
// for at destruction. A build that fails, or finds another receiver of the
// store building, ends without them; the state then still says they are
// missing and the next build tries again.
class LookupIndexBuild {
 public:
  explicit LookupIndexBuild(std::string url);
  ~LookupIndexBuild();
  LookupIndexBuild(const LookupIndexBuild&) = delete;
  LookupIndexBuild& operator=(const LookupIndexBuild&) = delete;

  // Waits at most `most` for the build to end; true once it has. A build
  // that failed ends some seconds after it started.
  bool WaitFor(std::chrono::milliseconds most);

 private:
  void Run();
  bool Build(Connection& db);

  std::string url_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  bool stopping_ = false;
  Connection* db_ = nullptr;  // the build's connection while it runs, under mutex_
  std::thread thread_;
};

}  // namespace corvane::store::postgres
