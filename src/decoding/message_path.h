// The message path: every card text record goes through HandleTextRecord,
// which publishes the raw record, decodes it and publishes the summary.
// DecodeMessage drives every output of an accepted message, in this order:
// aircraft list and store, header fields (when shown), label dispatch and
// panels, status stamp, report and traffic log, and the live summary. The
// window (or a headless program) receives the outputs through MessageOutputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "decoding/decoders.h"
#include "decoding/panel_state.h"
#include "decoding/plane_list.h"
#include "decoding/text_record.h"
#include "decoding/traffic_log.h"
#include "decoding/utc_clock.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::decoding {

// The header fields of the main window for the last shown message.
struct HeaderFields {
  std::string vMde;            // mode
  std::string vReg;            // padded address
  std::string vFId;            // flight id
  std::string vMsn;            // message number
  std::string vLbl;            // label text
  bool flightVisible = false;  // lFId and vFId
  bool msnVisible = false;     // lMsn and vMsn

  bool operator==(const HeaderFields&) const = default;
};

// What the message path shows and publishes. Every call has an empty default
// so that a consumer overrides only what it renders.
class MessageOutputs {
 public:
  virtual ~MessageOutputs() = default;
  virtual void SetLiveItem(const std::string& /*record*/) {}
  virtual void SetLiveData(const std::string& /*summary*/) {}
  virtual void ShowHeader(const HeaderFields& /*header*/) {}
  // The panel state after the dispatch of a shown message.
  virtual void ShowPanels(const PanelState& /*panels*/) {}
  // Status-bar panel 2.
  virtual void SetStatusStamp(const std::string& /*stamp*/) {}
  // A new address took this position in the aircraft list.
  virtual void PlaneInserted(std::size_t /*position*/, const std::string& /*address*/) {}
};

// The message store as the message path uses it. Its failures stay inside.
class MessageStore {
 public:
  virtual ~MessageStore() = default;
  virtual void StoreMessage(std::int32_t DBType, const std::string& DBName, const MessageRecord& record) = 0;
};

// No store configured.
inline constexpr std::int32_t kNoStore = 0;

class MessagePath {
 public:
  MessagePath(const reference::ReferenceTables& tables, MessageOutputs& outputs, UtcClock clock = SystemUtcNow);

  // The store that accepted messages go to while DBType is not 0.
  void SetStore(MessageStore* store) { store_ = store; }
  // The traffic log that reports go to; none when null.
  void SetTrafficLog(TrafficLog* log) { log_ = log; }
  void SetClock(UtcClock clock) { clock_ = std::move(clock); }

  // Publishes the record as LiveItem, decodes it and publishes the summary
  // as LiveData when the record was accepted.
  void HandleTextRecord(std::string_view record);

  // Decodes one record and drives its outputs; returns the live summary,
  // empty when the record was rejected.
  std::string DecodeMessage(std::string_view record);

  // Store handle and display filters (window state).
  std::int32_t DBType = kNoStore;
  std::string DBName = "Corvane";
  std::string RegFilter;    // compared with the padded address
  std::string LabelFilter;  // compared with the label

  [[nodiscard]] const std::string& CurrentLabel() const { return currentLabel_; }
  [[nodiscard]] const std::string& DecodedBlock() const { return decodedBlock_; }
  [[nodiscard]] const std::string& MessageReport() const { return messageReport_; }
  [[nodiscard]] const std::string& LiveItem() const { return liveItem_; }
  [[nodiscard]] const std::string& LiveData() const { return liveData_; }
  [[nodiscard]] const PanelState& Panels() const { return panels_; }
  [[nodiscard]] const HeaderFields& Header() const { return header_; }
  [[nodiscard]] const std::string& StatusStamp() const { return statusStamp_; }
  [[nodiscard]] PlaneList& Planes() { return planes_; }
  [[nodiscard]] const PlaneList& Planes() const { return planes_; }

  // The last record decoded: the message when it was accepted, whether it
  // passed the display filters, and what the traffic log did with it.
  // Null when the last record was rejected.
  [[nodiscard]] const ReadMessage* LastMessage() const { return lastAccepted_ ? &lastMessage_ : nullptr; }
  [[nodiscard]] bool LastShown() const { return lastShown_; }
  [[nodiscard]] LogWrite LastLogWrite() const { return lastLogWrite_; }

 private:
  // Reads the record into lastMessage_ and drives the outputs of an accepted
  // one; true when it was accepted.
  bool ReadAndDrive(std::string_view record);
  [[nodiscard]] bool PassesFilters(const ReadMessage& message) const;
  void ListAndStore(const MessageRecord& record);
  void UpdateHeader(const ReadMessage& message);

  const reference::ReferenceTables& tables_;
  MessageOutputs& outputs_;
  UtcClock clock_;
  MessageStore* store_ = nullptr;
  TrafficLog* log_ = nullptr;

  std::string currentLabel_;
  std::string decodedBlock_;
  std::string messageReport_;
  std::string liveItem_;
  std::string liveData_;
  std::string statusStamp_;
  PanelState panels_;
  HeaderFields header_;
  PlaneList planes_;
  // Kept from record to record so that its strings keep their storage.
  ReadMessage lastMessage_;
  bool lastAccepted_ = false;
  bool lastShown_ = false;
  LogWrite lastLogWrite_ = LogWrite::Skipped;
};

}  // namespace corvane::decoding
