// Making the search index's lookup indexes, at once or in the background.
#include "store/postgres/pg_lookup_indexes.h"

#include <array>

namespace corvane::store::postgres {

namespace {

struct LookupIndex {
  const char* name;
  const char* definition;
};

constexpr std::array<LookupIndex, 8> kLookupIndexes = {{
    {"message_index_by_utc", "ON message_index(utc)"},
    {"message_index_by_flight", "ON message_index(flight_key)"},
    {"message_index_by_tail", "ON message_index(tail_key)"},
    {"message_index_by_label", "ON message_index(label)"},
    {"message_index_by_kind", "ON message_index(kind)"},
    {"message_index_with_position", "ON message_index(id) WHERE latitude IS NOT NULL"},
    {"message_index_with_alerts", "ON message_index(id) WHERE alerts IS NOT NULL"},
    {"message_index_words", "ON message_index USING GIN (words)"},
}};

// Held by the receiver that builds, so that the receivers of one store do
// not build the same indexes side by side ("CRVN" and "LKUP").
constexpr const char* kBuildLock = "SELECT pg_try_advisory_lock(1129469518, 1280005456)";

// An index a build cut short leaves behind marked invalid: it is dropped
// and built again, since IF NOT EXISTS would keep it as it is.
constexpr const char* kInvalidIndexes =
    "SELECT quote_ident(c.relname) FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid"
    " WHERE i.indrelid = 'message_index'::regclass AND NOT i.indisvalid";

// Short, as the writer waits for a connection under way when it closes the
// session.
constexpr int kConnectTimeoutSeconds = 2;

constexpr const char* kMissingSql = "SELECT value = 0 FROM search_state WHERE name = 'LookupIndexes'";
constexpr const char* kMadeSql = "UPDATE search_state SET value = 1 WHERE name = 'LookupIndexes'";

}  // namespace

void CreateLookupIndexes(Connection& db) {
  for (const LookupIndex& index : kLookupIndexes) {
    db.Execute(std::string("CREATE INDEX IF NOT EXISTS ") + index.name + " " + index.definition);
  }
}

LookupIndexBuild::LookupIndexBuild(std::string url) : url_(std::move(url)), thread_([this] { Run(); }) {}

LookupIndexBuild::~LookupIndexBuild() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    if (db_ != nullptr) {
      db_->Interrupt();
    }
  }
  ended_.notify_all();  // a build that failed may be waiting out its pause
  thread_.join();
}

bool LookupIndexBuild::WaitFor(std::chrono::milliseconds most) {
  std::unique_lock lock(mutex_);
  return ended_.wait_for(lock, most, [this] { return done_; });
}

// A build that ended without the indexes ends only some seconds after it
// began, so that the writer does not start the next one at once.
void LookupIndexBuild::Run() {
  constexpr auto kBuildAgainAfter = std::chrono::seconds(5);
  bool built = false;
  try {
    Connection db(url_, kConnectTimeoutSeconds);
    {
      const std::lock_guard lock(mutex_);
      db_ = stopping_ ? nullptr : &db;
    }
    built = db_ != nullptr && Build(db);
  } catch (const Error&) {
    // Not built this time (server gone, build interrupted): the state still
    // says so, and the writer starts another build later.
  }
  std::unique_lock lock(mutex_);
  db_ = nullptr;
  if (!built) {
    ended_.wait_until(lock, started_ + kBuildAgainAfter, [this] { return stopping_; });
  }
  done_ = true;
  ended_.notify_all();
}

// Without time limits: building takes minutes on a large store, and a
// concurrent build waits for the writers' transactions under way.
bool LookupIndexBuild::Build(Connection& db) {
  db.Execute("SET statement_timeout = 0");
  db.Execute("SET lock_timeout = 0");
  if (db.Query(kBuildLock).at(0).at(0) != "t") {
    return false;  // another receiver of this store is building them
  }
  const Rows missing = db.Query(kMissingSql);
  if (missing.empty() || missing.front().at(0) != "t") {
    return true;  // built meanwhile
  }
  for (const Row& invalid : db.Query(kInvalidIndexes)) {
    db.Execute("DROP INDEX CONCURRENTLY IF EXISTS " + invalid.at(0));
  }
  for (const LookupIndex& index : kLookupIndexes) {
    db.Execute(std::string("CREATE INDEX CONCURRENTLY IF NOT EXISTS ") + index.name + " " + index.definition);
  }
  // The planner's statistics for the new indexes, and the visibility map a
  // count answered from the words' index alone relies on.
  db.Execute("VACUUM (ANALYZE) message_index");
  db.Execute(kMadeSql);
  return true;
}

}  // namespace corvane::store::postgres
