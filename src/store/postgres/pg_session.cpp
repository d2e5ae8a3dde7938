// The writer's PostgreSQL session: batches, refusals, rows the server can
// never take, and commits whose answer was lost.
#include "store/postgres/pg_session.h"

#include "store/postgres/pg_index_older.h"
#include "store/postgres/pg_index_values.h"

namespace corvane::store::postgres {

namespace {

// A connection that cannot be made counts as a refusal: the server may be
// down for a moment. As short as libpq allows, as the writer holds its lock
// meanwhile and a history read waits for it.
constexpr int kWriterConnectTimeoutSeconds = 2;

constexpr const char* kInsert = "corvane_insert";
constexpr const char* kDelete = "corvane_delete";
// The connection speaks LATIN1 for the card's bytes, while a station name
// is UTF-8: it travels as hexadecimal and the server turns it back into text
// in the database's own encoding. The message's search index row is stored
// by the same statement, with the row number and station the row got.
//
// A message with an identity ($22) first claims it in message_identity,
// under the row number it is about to get; when another receiver (a relay
// of the same traffic) or an earlier run claimed it already, nothing is
// stored. A second receiver claiming it at the same moment waits for the
// first one's transaction, then finds it claimed. $23 names the sequence of
// the row numbers, found once per connection (finding it at every row cost a
// tenth of the rate).
std::string InsertSql() {
  return "WITH number AS (SELECT nextval($23::regclass) AS id), "
         "claimed AS (INSERT INTO message_identity (message_id, id) SELECT $22::text, number.id FROM number "
         "WHERE $22::text <> '' ON CONFLICT DO NOTHING RETURNING id), "
         "stored AS (INSERT INTO Planes (Date,Hour,Mode,Address,Flight,Label,Bloc,Msn,Data,Station,id) "
         "SELECT $1,$2,$3,$4,$5,$6,$7,$8,$9,convert_from(decode($10,'hex'),'UTF8'), number.id FROM number "
         "WHERE $22::text = '' OR EXISTS (SELECT 1 FROM claimed) RETURNING id, Station), "
         "received AS (INSERT INTO message_reception (id, freq_hz, level, link, facts) SELECT id, "
         "NULLIF($24::text, '')::bigint, NULLIF($25::text, '')::float8, "
         "convert_from(decode(NULLIF($26::text, ''), 'hex'), 'UTF8'), convert_from(decode($27::text, 'hex'), 'UTF8') "
         "FROM stored WHERE $27::text <> '') "
         "INSERT INTO message_index (" +
         std::string(kIndexColumns) + ") SELECT " + IndexValuesSql(11) + ", id, COALESCE(Station, '') FROM stored";
}
// An aircraft's messages leave the search index with their rows, and their
// identities and reception facts with them.
constexpr const char* kDeleteSql =
    "WITH gone AS (DELETE FROM Planes WHERE Address = $1 RETURNING id), "
    "forgotten AS (DELETE FROM message_identity WHERE id IN (SELECT id FROM gone)), "
    "unheard AS (DELETE FROM message_reception WHERE id IN (SELECT id FROM gone)) "
    "DELETE FROM message_index WHERE id IN (SELECT id FROM gone)";

// Retention, a step at a time: the oldest indexed messages past their time
// leave Planes, their identities and the index together; how many left.
constexpr const char* kPruneSql =
    "WITH old AS (SELECT id FROM message_index WHERE utc < $1::bigint AND (alerts IS NULL OR utc < $2::bigint)"
    " ORDER BY utc LIMIT $3::bigint), "
    "gone AS (DELETE FROM Planes WHERE id IN (SELECT id FROM old) RETURNING id), "
    "forgotten AS (DELETE FROM message_identity WHERE id IN (SELECT id FROM old)), "
    "unheard AS (DELETE FROM message_reception WHERE id IN (SELECT id FROM old)), "
    "unindexed AS (DELETE FROM message_index WHERE id IN (SELECT id FROM old) RETURNING id) "
    "SELECT count(*) FROM unindexed";

// A message joined from its blocks, found by its identity ($1) once stored:
// its row keeps how many blocks ($2) and the whole text ($3), and the rows
// of the blocks before it ($4, identities joined by spaces) name it; a
// repeat of the block that completed a message ($1) names that block's row
// ($2). Identities are ASCII without spaces (receiver/message_identity.h).
constexpr const char* kJoinedSql =
    "WITH joined AS (UPDATE message_index SET blocks = $2::integer, whole_text = $3"
    " WHERE id = (SELECT id FROM message_identity WHERE message_id = $1) RETURNING id)"
    " UPDATE message_index SET part_of = (SELECT id FROM joined) WHERE id IN (SELECT id FROM message_identity"
    " WHERE message_id = ANY(string_to_array($4, ' '))) AND id <> (SELECT id FROM joined)";
constexpr const char* kRepeatSql =
    "UPDATE message_index SET part_of = (SELECT id FROM message_identity WHERE message_id = $2)"
    " WHERE id = (SELECT id FROM message_identity WHERE message_id = $1)";

std::string SpaceJoinedIds(const std::vector<std::string>& ids) {
  std::string joined;
  for (const std::string& id : ids) {
    joined += (joined.empty() ? "" : " ") + id;
  }
  return joined;
}

bool SameOp(const StoreOp& a, const StoreOp& b) {
  return a.kind == b.kind && a.record == b.record && a.station == b.station && a.messageId == b.messageId &&
         a.facts == b.facts;
}

// PostgreSQL text cannot hold a NUL byte, and libpq would cut the value
// there: such a row is refused whole rather than stored changed.
bool HoldsNul(const decoding::MessageRecord& r) {
  for (const std::string* field :
       {&r.Date, &r.Hour, &r.Mode, &r.Address, &r.Flight, &r.Label, &r.Bloc, &r.Msn, &r.Data}) {
    if (field->find('\0') != std::string::npos) {
      return true;
    }
  }
  return false;
}

// $24 to $27: the frequency in whole Hz, the level, the link and every
// fact (hexadecimal UTF-8); all empty for a card's message, which then has
// no reception row.
struct ReceptionValues {
  std::string hz;
  std::string level;
  std::string link;
  std::string facts;
};

ReceptionValues ReceptionValuesOf(const reception::ReceptionFacts& facts) {
  if (facts.Empty()) {
    return {};
  }
  return {facts.frequencyMhz ? std::to_string(reception::HzOf(*facts.frequencyMhz)) : std::string(),
          facts.level ? reception::NumberText(*facts.level) : std::string(), Hex(facts.link),
          Hex(reception::FactsText(facts))};
}

}  // namespace

PgSession::PgSession(const std::string& url, std::string station, CommitInDoubt& doubt)
    : url_(url), station_(std::move(station)), doubt_(doubt) {
  tables_.FillBuiltinTables();
  try {
    db_ = std::make_unique<Connection>(url, kWriterConnectTimeoutSeconds);
    SettleDoubt();
  } catch (const Error& failure) {
    throw WriteRefused(failure.what());
  }
}

// Asks the server how the transaction in doubt ended: committed, its writes
// are passed over when they come again; aborted (or forgotten), they are
// written again; still running on a connection the server has not yet seen
// die, the session waits.
void PgSession::SettleDoubt() {
  const std::lock_guard lock(doubt_.mutex);
  if (doubt_.transaction.empty()) {
    return;
  }
  const Rows status = db_->Query("SELECT txid_status($1::bigint)", {doubt_.transaction});
  const std::string outcome = status.empty() || status[0].empty() ? std::string() : status[0][0];
  if (outcome == "in progress") {
    throw Error("", "PostgreSQL: waiting for the outcome of an interrupted commit");
  }
  if (outcome == "committed") {
    doubt_.committed.assign(doubt_.ops.begin(), doubt_.ops.end());
  }
  doubt_.transaction.clear();
  doubt_.ops.clear();
}

void PgSession::Begin() {
  tried_.clear();
  applied_.clear();
  passedOver_ = 0;
  if (!db_->IsOk()) {
    throw WriteRefused("PostgreSQL " + db_->ServerName() + ": the connection was lost");
  }
  try {
    // Prepared at the first transaction rather than at connecting: preparing
    // waits for a lock on Planes, and a wait here can be interrupted.
    if (!prepared_) {
      db_->Prepare(kInsert, InsertSql());
      rowNumbers_ = db_->Query("SELECT pg_get_serial_sequence('planes', 'id')").at(0).at(0);
      db_->Prepare(kDelete, kDeleteSql);
      prepared_ = true;
    }
    db_->Execute("BEGIN");
    const Rows id = db_->Query("SELECT txid_current()");
    transaction_ = id.at(0).at(0);
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

void PgSession::Run(const StoreOp& op) {
  const decoding::MessageRecord& r = op.record;
  if (op.kind == StoreOp::Kind::Delete) {
    db_->RunPrepared(kDelete, {r.Address});
  } else {
    const std::string station = Hex(op.station.empty() ? station_ : op.station);
    const IndexValues index(op, tables_);
    Parameters values{r.Date, r.Hour, r.Mode, r.Address, r.Flight, r.Label, r.Bloc, r.Msn, r.Data, station};
    values.insert(values.end(), index.text.begin(), index.text.end());
    values.push_back(op.messageId);
    values.push_back(rowNumbers_);
    // The parameters view these texts: they live until the row is written.
    const ReceptionValues reception = ReceptionValuesOf(op.facts);
    values.insert(values.end(), {reception.hz, reception.level, reception.link, reception.facts});
    db_->RunPrepared(kInsert, values);
    MarkJoined(op);
  }
}

// Joined messages are found by their identities: without one, the blocks
// stay indexed each as itself.
void PgSession::MarkJoined(const StoreOp& op) {
  const decoding::BlockJoin& join = op.join;
  if (op.messageId.empty()) {
    return;
  }
  if (join.Joined()) {
    db_->Execute(kJoinedSql, {op.messageId, std::to_string(join.blocks), join.text, SpaceJoinedIds(join.parts)});
  }
  if (!join.repeatOf.empty()) {
    db_->Execute(kRepeatSql, {op.messageId, join.repeatOf});
  }
}

std::optional<std::string> PgSession::Apply(const StoreOp& op) {
  tried_.push_back(op);
  if (AlreadyCommitted(op)) {
    return std::nullopt;
  }
  if (op.kind == StoreOp::Kind::Insert && HoldsNul(op.record)) {
    return "PostgreSQL cannot store a NUL byte";
  }
  try {
    Run(op);
    applied_.push_back(op);
  } catch (const Error& failure) {
    if (!failure.RowRejected()) {
      Refuse(failure);
    }
    RestartWithout();
    return failure.what();
  }
  return std::nullopt;
}

// The writes of a commit in doubt come again in the same order; they are
// dropped from the list only once this transaction commits.
bool PgSession::AlreadyCommitted(const StoreOp& op) {
  const std::lock_guard lock(doubt_.mutex);
  if (passedOver_ < doubt_.committed.size()) {
    if (SameOp(op, doubt_.committed[passedOver_])) {
      ++passedOver_;
      return true;
    }
    doubt_.committed.clear();
    passedOver_ = 0;
  }
  return false;
}

// A failed statement aborts the whole transaction on the server: the row
// that was refused is left out and the rows before it are run again.
void PgSession::RestartWithout() {
  try {
    db_->RollbackQuietly();
    db_->Execute("BEGIN");
    transaction_ = db_->Query("SELECT txid_current()").at(0).at(0);
    for (const StoreOp& op : applied_) {
      Run(op);
    }
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

void PgSession::Commit() {
  try {
    db_->Commit();
  } catch (const Error& failure) {
    // Only a transaction that wrote something can write it twice.
    if (!db_->IsOk() && !applied_.empty()) {
      const std::lock_guard lock(doubt_.mutex);
      doubt_.transaction = transaction_;
      doubt_.ops = tried_;
    }
    Refuse(failure);
  }
  {
    const std::lock_guard lock(doubt_.mutex);
    doubt_.committed.erase(doubt_.committed.begin(),
                           doubt_.committed.begin() + static_cast<std::ptrdiff_t>(passedOver_));
  }
  passedOver_ = 0;
  tried_.clear();
  applied_.clear();
}

// While the lookup indexes are built, each call waits a moment for the
// build before it reads anything, so that the writer neither spins nor holds
// a snapshot the build would wait for. A build that ended without them
// (another receiver building, a failure) is followed by another.
std::optional<search::IndexProgress> PgSession::IndexOlder(std::size_t rows) {
  constexpr auto kWaitForBuild = std::chrono::milliseconds(100);
  if (build_ && !build_->WaitFor(kWaitForBuild)) {
    return lastProgress_;
  }
  try {
    const OlderIndexing indexing = postgres::IndexOlder(*db_, tables_, rows);
    lastProgress_ = indexing.progress;
    build_.reset();
    if (indexing.buildLookupIndexes) {
      build_ = std::make_unique<LookupIndexBuild>(url_);
    }
    return lastProgress_;
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

std::uint64_t PgSession::Prune(const PruneStep& step) {
  try {
    const std::string before = std::to_string(step.before);
    const std::string alertsBefore = std::to_string(step.alertsBefore);
    const std::string rows = std::to_string(step.rows);
    const Rows counted = db_->Query(kPruneSql, {before, alertsBefore, rows});
    return counted.empty() || counted[0].empty() ? 0 : std::stoull(counted[0][0]);
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

// Planes with its indexes and TOAST, the search index, the identities and
// what the decoders knew.
std::optional<std::uint64_t> PgSession::StoredBytes() {
  try {
    const Rows bytes = db_->Query(
        "SELECT COALESCE(pg_total_relation_size(to_regclass('planes')), 0)"
        " + COALESCE(pg_total_relation_size(to_regclass('message_index')), 0)"
        " + COALESCE(pg_total_relation_size(to_regclass('message_identity')), 0)"
        " + COALESCE(pg_total_relation_size(to_regclass('message_reception')), 0)");
    return std::stoull(bytes.at(0).at(0));
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

std::uint64_t PgSession::PrunableMessages() {
  try {
    return std::stoull(db_->Query("SELECT count(*) FROM message_index").at(0).at(0));
  } catch (const Error& failure) {
    Refuse(failure);
  }
}

void PgSession::Rollback() noexcept { db_->RollbackQuietly(); }

void PgSession::Interrupt() noexcept { db_->Interrupt(); }

// A lock time-out or a statement refused leaves the connection as good as
// before; only a broken one is replaced.
bool PgSession::SurvivesRefusal() const { return db_->IsOk(); }

void PgSession::Refuse(const Error& failure) {
  Rollback();
  throw WriteRefused(failure.what());
}

}  // namespace corvane::store::postgres
