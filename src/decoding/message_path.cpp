// One record at a time through reading, the aircraft list and store, the
// display filters, the label dispatch, the report, the log and the summary.
#include "decoding/message_path.h"

#include "decoding/message_texts.h"

namespace corvane::decoding {

MessagePath::MessagePath(const reference::ReferenceTables& tables, MessageOutputs& outputs, UtcClock clock)
    : tables_(tables), outputs_(outputs), clock_(std::move(clock)) {}

void MessagePath::HandleTextRecord(std::string_view record) {
  if (!record.empty()) {
    liveItem_.assign(record);
    outputs_.SetLiveItem(liveItem_);
  }
  if (ReadAndDrive(record)) {
    liveData_.clear();
    AppendLiveSummary(lastMessage_, liveData_);
    outputs_.SetLiveData(liveData_);
  }
}

std::string MessagePath::DecodeMessage(std::string_view record) {
  return ReadAndDrive(record) ? BuildLiveSummary(lastMessage_) : std::string();
}

bool MessagePath::ReadAndDrive(std::string_view record) {
  lastShown_ = false;
  lastLogWrite_ = LogWrite::Skipped;
  const UtcTime now = clock_();  // one reading: the stamps and the log's day
  lastAccepted_ = ReadTextRecordInto(record, now, tables_, currentLabel_, lastMessage_);
  if (!lastAccepted_) {
    return false;
  }
  const ReadMessage& message = lastMessage_;
  const MessageRecord& fields = message.record;

  if (DBType != kNoStore) {
    ListAndStore(fields);
  }

  lastShown_ = PassesFilters(message);
  if (lastShown_) {
    UpdateHeader(message);
  }

  DecoderOutput decoderOutput{decodedBlock_, panels_, tables_};
  DispatchLabel(fields.Label, fields.Data, lastShown_, decoderOutput);
  if (lastShown_) {
    outputs_.ShowPanels(panels_);
  }

  statusStamp_ = message.statusStamp;
  outputs_.SetStatusStamp(statusStamp_);

  messageReport_.clear();
  AppendMessageReport(message, decodedBlock_, messageReport_);
  if (log_ != nullptr) {
    lastLogWrite_ = log_->Write(messageReport_, fields.Label, now);
  }
  return true;
}

bool MessagePath::PassesFilters(const ReadMessage& message) const {
  const bool addressPasses = RegFilter.empty() || message.PaddedAddress == RegFilter;
  const bool labelPasses = LabelFilter.empty() || message.record.Label == LabelFilter;
  return addressPasses && labelPasses;
}

void MessagePath::ListAndStore(const MessageRecord& record) {
  if (const auto position = planes_.Insert(record.Address)) {
    outputs_.PlaneInserted(*position, record.Address);
  }
  if (store_ != nullptr) {
    store_->StoreMessage(DBType, DBName, record);
  }
}

void MessagePath::UpdateHeader(const ReadMessage& message) {
  const MessageRecord& fields = message.record;
  header_.flightVisible = !fields.Flight.empty();
  header_.msnVisible = !fields.Msn.empty();
  header_.vMde = fields.Mode;
  header_.vReg = message.PaddedAddress;
  header_.vFId = fields.Flight;
  header_.vMsn = fields.Msn;
  header_.vLbl = message.LabelText;
  outputs_.ShowHeader(header_);
}

}  // namespace corvane::decoding
