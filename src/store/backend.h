// What each store backend does, step by step, and what they share: the
// reference tables as they come back from a store, the history text, and the
// session through which the store writer commits messages in batches.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "decoding/block_joiner.h"
#include "decoding/text_record.h"
#include "reception/reception_facts.h"
#include "store/search/overview.h"
#include "store/search/search.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::store {

// The three reference tables as read back from a store, in row order.
struct StoredTables {
  std::vector<std::pair<std::string, std::string>> labels;     // label, description
  std::vector<std::pair<std::string, std::string>> codes;      // code, description
  std::vector<std::pair<std::string, std::string>> countries;  // ID, name
};

// One stored message of an aircraft's day, as the history shows it.
struct HistoryRow {
  std::string date;
  std::string hour;
  std::string flight;
  std::string data;
  std::string label;
  std::string mode;
};

// One write waiting for the store: a message to append, or the deletion of
// every message of an aircraft (only the record's Address is then used).
struct StoreOp {
  enum class Kind : unsigned char { Insert, Delete };
  Kind kind = Kind::Insert;
  decoding::MessageRecord record;
  // The station that first heard a relayed message (UTF-8); empty for what
  // this receiver heard itself. Only the PostgreSQL store keeps it.
  std::string station;
  // The watch list's entries the message matched as it came in; the store
  // marks it so that a search can find it again.
  std::vector<std::string> alerts;
  // The identity the receiver that first heard the message gave it (see
  // receiver/message_identity.h); empty when none came with it. A store
  // that has a message of that identity already does not store it again, so
  // a relay into the same store or a redelivery adds no row.
  std::string messageId = {};
  // What the block joiner said of the message: when it completes a message
  // of several blocks, the search index reads it as the whole text and
  // finds the blocks before it (named by their identities) in it alone; a
  // repeat of such a block is found in the block it repeats.
  decoding::BlockJoin join = {};
  // What the SDR decoder that heard the message knew of it (none for a
  // card's); the search index keeps it beside the message.
  reception::ReceptionFacts facts = {};
};

// Another process holds the pending file of the store: writing beside it
// would write its messages twice or lose them.
class StoreInUse : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The store carries a newer layout than this program knows; it is left
// untouched, and the program runs without it as it does beside another
// process's store.
class StoreTooNew : public StoreInUse {
 public:
  StoreTooNew(int found, int known);
};

// The store refused a write for a reason that may pass (locked, read-only,
// disk full, the file gone or replaced): nothing of the transaction stayed.
class WriteRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How long messages stay in the store: those received more than keepDays
// ago leave it, those that raised an alert only after keepAlertDays (0:
// kept forever); and once the store takes more than keepBytes on disk, the
// oldest leave whatever their age (0: no limit).
struct Retention {
  int keepDays = 0;
  int keepAlertDays = 0;
  std::uint64_t keepBytes = 0;
  [[nodiscard]] bool On() const { return keepDays > 0 || keepBytes > 0; }
};

// One step of retention: messages received before `before` (UTC
// milliseconds) leave the store, those that raised an alert only before
// `alertsBefore`; the oldest first, at most `rows`.
struct PruneStep {
  search::UtcMillis before = 0;
  search::UtcMillis alertsBefore = 0;
  std::size_t rows = 0;
};

// One connection a writer keeps open for a whole run. Operations applied
// between Begin and Commit are written together or not at all. A row the
// store can never take (wider than its column, a byte it cannot hold) is
// skipped, as a single insert that fails always was, and Apply returns why;
// every other failure throws WriteRefused and leaves nothing written.
class StoreSession {
 public:
  virtual ~StoreSession() = default;
  virtual void Begin() = 0;
  virtual std::optional<std::string> Apply(const StoreOp& op) = 0;
  virtual void Commit() = 0;
  // Abandons an open transaction; never throws.
  virtual void Rollback() noexcept = 0;
  // Makes a call under way on another thread fail soon (a server that does
  // not answer, a lock that is not given up); never throws.
  virtual void Interrupt() noexcept {}
  // The session can be used again after it refused a transaction; when
  // false, the writer opens a new one (a file made writable or put back is
  // then seen afresh).
  [[nodiscard]] virtual bool SurvivesRefusal() const { return false; }
  // Indexes for search up to `rows` messages stored before the store had a
  // search index, inside a transaction begun with Begin; where the indexing
  // stands afterwards, or nothing when the store has nothing to index.
  virtual std::optional<search::IndexProgress> IndexOlder(std::size_t /*rows*/) { return std::nullopt; }
  // Removes one step of old messages from the described tables, the search
  // index and the identities together, inside a transaction begun with
  // Begin; how many left (a message not yet indexed stays until it is).
  virtual std::uint64_t Prune(const PruneStep& /*step*/) { return 0; }
  // What the store takes on disk (a file store: its file; PostgreSQL: its
  // tables with their indexes), or nothing where it cannot tell.
  virtual std::optional<std::uint64_t> StoredBytes() { return std::nullopt; }
  // The messages retention can remove (those in the search index).
  virtual std::uint64_t PrunableMessages() { return 0; }
};

// How to reach a store that lives on a server (the PostgreSQL backend): the
// libpq connection string or URI (empty: libpq's defaults, environment and
// service files), and the name of this receiver in a station network.
struct StoreOptions {
  std::string databaseUrl;
  std::string stationName;
};

class StoreBackend {
 public:
  virtual ~StoreBackend() = default;

  // True when the store `name` (with its extension) is there to be loaded,
  // false when it is to be created; never throws. A file backend looks for
  // the file.
  virtual bool Exists(const std::string& name);

  [[nodiscard]] virtual std::string_view Extension() const = 0;
  [[nodiscard]] virtual std::string_view CaptionSuffix() const = 0;

  // The steps of creating a store; each throws when it fails.
  virtual void CreateDatabase(const std::string& name) = 0;
  virtual void CreateTables(const std::string& name) = 0;
  virtual void InitializeTables(const std::string& name, const reference::ReferenceTables& tables) = 0;

  // Throws StoreTooNew when the existing store `name` was written by a
  // newer Corvane than this one (a later schema version); never changes the
  // store. Done before anything else reads or upgrades it.
  virtual void RefuseNewerSchema(const std::string& /*name*/) {}

  // Reads the stored reference tables; throws when they cannot be read.
  virtual StoredTables LoadTables(const std::string& name) = 0;

  // One day's messages of one aircraft as stored (those without text too),
  // oldest first; what was gathered before a failure. Messages are appended
  // and deleted through OpenSession.
  virtual std::vector<HistoryRow> PlaneDay(const std::string& name, std::string_view address,
                                           const std::string& today) = 0;

  // How many messages of one aircraft are stored, all days; nothing when the
  // store cannot tell.
  virtual std::optional<std::uint64_t> CountMessages(const std::string& name, std::string_view address) = 0;

  // Opens the existing store for a writer; throws WriteRefused when it
  // cannot be opened (a missing file is never created here).
  virtual std::unique_ptr<StoreSession> OpenSession(const std::string& name) = 0;

  // Where the writes the store `name` cannot take yet wait: beside a store
  // file; for a store on a server, a file of this user's own that names the
  // server and the station.
  virtual std::string PendingPath(const std::string& name);

  // Search (store/search/query.h). A page of the stored messages the query
  // finds, newest first, and how many it finds; both throw
  // search::SearchFailed when the store cannot answer. A store without a
  // search index says so the same way.
  virtual search::SearchPage Search(const std::string& name, const search::SearchRequest& request);
  virtual std::uint64_t CountMatches(const std::string& name, const search::Query& query);
  // How far the indexing of messages stored before the index is; nothing
  // left when it cannot be told.
  virtual search::IndexProgress IndexingProgress(const std::string& name);

  // The map and the charts (store/search/overview.h), read from the search
  // index as a search is; both throw search::SearchFailed the same way.
  // Every indexed message with a position received at or after `since`,
  // oldest first; of more than `limit`, the newest `limit`.
  virtual std::vector<search::PositionRow> Positions(const std::string& name, search::UtcMillis since,
                                                     std::size_t limit);
  // Counts of the messages received in [from, to), with the `topAircraft`
  // aircraft that sent most.
  virtual search::Statistics StatisticsOf(const std::string& name, search::UtcMillis from, search::UtcMillis to,
                                          std::size_t topAircraft);
};

// Replaces the labels, codes and countries by the stored copies (every SMI
// empty), or refills all four tables with the built-in content when one of
// the stored tables has no rows. A country whose ID has no place in the
// table is skipped.
void ApplyStoredTables(const StoredTables& stored, reference::ReferenceTables& tables);

// Appends one history row: date, hour and flight on one line, then the text
// followed by "--". Rows without text add nothing.
void AppendHistoryRow(std::string& history, const HistoryRow& row);

// The rows each backend inserts when it initializes a new store.
struct InitialRows {
  std::vector<std::vector<std::string>> labels;     // label, SMI, description
  std::vector<std::vector<std::string>> codes;      // code, description
  std::vector<std::vector<std::string>> countries;  // ID, name
  std::vector<std::vector<std::string>> airports;   // code, country ID, name
};

// The reference tables as insert values; rows whose first cell is empty are
// left out.
InitialRows InitialRowsOf(const reference::ReferenceTables& tables);

}  // namespace corvane::store
