// The message store: every accepted message kept per aircraft in a database
// file in the current directory, with a copy of the reference tables that is
// read back at start-up. Database dispatches each operation by DBType to the
// SQLite backend (1, file Corvane.db) or the Jet-layout backend (2, file
// Corvane.mdb); any other value does nothing. No connection stays open
// between operations, and no store failure ever stops the message path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "decoding/message_path.h"
#include "decoding/utc_clock.h"
#include "store/backend.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::store {

inline constexpr std::int32_t kSqliteStore = 1;
inline constexpr std::int32_t kJetStore = 2;

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
  // Appends " (SQLite DB)" or " (JET DB)" to the main window's caption.
  virtual void AppendCaption(const std::string& /*suffix*/) {}
};

class Database : public decoding::MessageStore {
 public:
  explicit Database(reference::ReferenceTables& tables, decoding::UtcClock clock = decoding::SystemUtcNow);
  ~Database() override;

  // Creates the store file (copying the reference tables into it) or loads
  // the reference tables from the existing file, then indexes the airports.
  // DBName gains the backend's extension.
  void OpenStore(std::int32_t DBType, std::string& DBName, StoreProgress& progress);

  // Appends one message; a failure is ignored.
  void StoreMessage(std::int32_t DBType, const std::string& DBName, const decoding::MessageRecord& record) override;

  // Today's (UTC) messages of one aircraft that have a text, oldest first as
  // the engine returns them; what was gathered before a failure.
  std::string PlaneHistory(std::int32_t DBType, const std::string& DBName, std::string_view address);

  // Deletes every message of the aircraft, all days; returns the empty text.
  std::string DeletePlane(std::int32_t DBType, const std::string& DBName, std::string_view address);

 private:
  StoreBackend* BackendFor(std::int32_t DBType);
  void RunOpenSequence(StoreBackend& backend, std::string& DBName, StoreProgress& progress);

  reference::ReferenceTables& tables_;
  decoding::UtcClock clock_;
  std::unique_ptr<StoreBackend> sqlite_;
  std::unique_ptr<StoreBackend> jet_;
};

}  // namespace corvane::store
