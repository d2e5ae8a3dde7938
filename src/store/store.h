// The message store: every accepted message kept per aircraft in a database
// file in the current directory, with a copy of the reference tables that is
// read back at start-up. Database dispatches each operation by DBType to the
// SQLite backend (1, file Corvane.db), the Jet-layout backend (2, file
// Corvane.mdb) or the PostgreSQL backend (4, a server shared by a station
// network, see SetStoreOptions); any other value does nothing. Writes go through a store
// writer per open store (store_writer.h): StoreMessage and DeletePlane hand
// their work over and return at once, and no store failure ever stops the
// message path or loses a message.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "decoding/message_path.h"
#include "decoding/utc_clock.h"
#include "store/backend.h"
#include "store/store_writer.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::store {

inline constexpr std::int32_t kSqliteStore = 1;
inline constexpr std::int32_t kJetStore = 2;
inline constexpr std::int32_t kPostgresStore = 4;

// The progress window and the main caption, as opening the store drives them.
class StoreProgress {
 public:
  virtual ~StoreProgress() = default;
  // Shows the progress window captioned "Corvane Database" and the hourglass.
  virtual void ShowProgress(const std::string& /*caption*/) {}
  // Sets the progress window's text; the window repaints before returning.
  virtual void SetProgressStep(const std::string& /*text*/) {}
  // Restores the pointer and closes the progress window.
  virtual void HideProgress() {}
  // Appends " (SQLite DB)", " (JET DB)" or " (PostgreSQL DB)" to the main
  // window's caption.
  virtual void AppendCaption(const std::string& /*suffix*/) {}
};

class Database : public decoding::MessageStore {
 public:
  explicit Database(reference::ReferenceTables& tables, decoding::UtcClock clock = decoding::SystemUtcNow,
                    WriterLimits limits = {});
  ~Database() override;

  // How to reach the PostgreSQL server and this receiver's station name;
  // takes effect for a store opened after the call.
  void SetStoreOptions(StoreOptions options);

  // Creates the store file (copying the reference tables into it) or loads
  // the reference tables from the existing file, then indexes the airports.
  // DBName gains the backend's extension. Throws StoreInUse when another
  // process writes through the same pending file (the same store file, or
  // the same server and station), or its StoreTooNew when the store was
  // written by a newer Corvane, which it leaves untouched: the caller runs
  // without the store then.
  void OpenStore(std::int32_t DBType, std::string& DBName, StoreProgress& progress);

  // The station that first heard the messages handed over next, when they
  // were relayed from another receiver (UTF-8); empty for this receiver's own.
  void SetRelayedStation(std::string station) { relayedStation_ = std::move(station); }
  // The identity of the message handed over next (empty: none); a store
  // that holds a message of that identity already leaves it out.
  void SetMessageId(std::string id) { messageId_ = std::move(id); }
  // What the decoder knew of the messages handed over next (none: a card's).
  void SetReceptionFacts(const reception::ReceptionFacts& facts) { facts_ = facts; }

  // What the block joiner says of a message, asked as the message is handed
  // to the store, which indexes a message of several blocks as one (none
  // when not set).
  using JoinOf = std::function<decoding::BlockJoin(const decoding::MessageRecord&)>;
  void SetJoinOf(JoinOf joinOf) { joinOf_ = std::move(joinOf); }

  // The watch list entries a message matches, asked as the message is handed
  // to the store, which marks it with them (none when not set).
  using AlertsOf = std::function<std::vector<std::string>(const decoding::MessageRecord&)>;
  void SetAlertsOf(AlertsOf alertsOf) { alertsOf_ = std::move(alertsOf); }

  // Hands one message to the store's writer, which appends it in order.
  void StoreMessage(std::int32_t DBType, const std::string& DBName, const decoding::MessageRecord& record) override;

  // One UTC day's messages of one aircraft that have a text, oldest first as
  // the engine returns them, then those still waiting to be written; what
  // was gathered before a failure. The day is a Date field (YYMMDD); empty
  // means today.
  std::string PlaneHistory(std::int32_t DBType, const std::string& DBName, std::string_view address,
                           std::string_view day = {});
  // The same day's messages one a row, those without text too, with their
  // label and mode.
  std::vector<HistoryRow> PlaneDay(std::int32_t DBType, const std::string& DBName, std::string_view address,
                                   std::string_view day = {});

  // A page of the stored messages a query finds, newest first, and how many
  // it finds (search/search.h); messages still waiting to be written are not
  // seen yet. Both throw search::SearchFailed when the store cannot answer or
  // no store is chosen.
  search::SearchPage Search(std::int32_t DBType, const std::string& DBName, const search::SearchRequest& request);
  std::uint64_t CountMatches(std::int32_t DBType, const std::string& DBName, const search::Query& query);

  // The map's positions since a time and the charts' counts over a time
  // range (search/overview.h, StoreBackend::Positions and StatisticsOf);
  // messages still waiting to be written are not seen yet. Both throw
  // search::SearchFailed as a search does.
  std::vector<search::PositionRow> Positions(std::int32_t DBType, const std::string& DBName, search::UtcMillis since,
                                             std::size_t limit);
  search::Statistics StatisticsOf(std::int32_t DBType, const std::string& DBName, search::UtcMillis from,
                                  search::UtcMillis to, std::size_t topAircraft);

  // How many messages of the aircraft DeletePlane would remove, all days,
  // those still waiting included; nothing when the store cannot tell.
  std::optional<std::uint64_t> CountPlaneMessages(std::int32_t DBType, const std::string& DBName,
                                                  std::string_view address);

  // Deletes every message of the aircraft, all days, those still waiting to
  // be written included; returns the empty text.
  std::string DeletePlane(std::int32_t DBType, const std::string& DBName, std::string_view address);

  // Waits until every message handed over is in the store; false when the
  // time runs out first (the store refusing writes).
  bool Flush(std::chrono::milliseconds timeout);

  // Writes what waits and stops the writers; what a refusing store does not
  // take within the writer's grace goes to the pending file. Also done when
  // the Database goes away.
  void Close();

  // The writer's account of the store, once a store is open.
  [[nodiscard]] std::optional<WriterStatus> Status(std::int32_t DBType, const std::string& DBName) const;

  // The writer of an open store, for measuring; null when none.
  // How long messages stay in every store written from now on (and in
  // those open already).
  void SetRetention(Retention retention);
  [[nodiscard]] StoreWriter* Writer(std::int32_t DBType, const std::string& DBName);

 private:
  StoreBackend* BackendFor(std::int32_t DBType);
  // The backend to search; throws search::SearchFailed when none is chosen.
  StoreBackend& SearchableBackend(std::int32_t DBType);
  StoreWriter* WriterFor(std::int32_t DBType, const std::string& DBName);
  void RunOpenSequence(StoreBackend& backend, std::string& DBName, StoreProgress& progress);

  reference::ReferenceTables& tables_;
  decoding::UtcClock clock_;
  WriterLimits limits_;
  std::unique_ptr<StoreBackend> sqlite_;
  std::unique_ptr<StoreBackend> jet_;
  std::unique_ptr<StoreBackend> postgres_;
  std::map<std::pair<std::int32_t, std::string>, std::unique_ptr<StoreWriter>> writers_;
  std::string relayedStation_;
  std::string messageId_;
  reception::ReceptionFacts facts_;
  AlertsOf alertsOf_;
  JoinOf joinOf_;
};

}  // namespace corvane::store
