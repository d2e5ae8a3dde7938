// The receiver's wiring: records in, the message path, and everything an
// accepted message goes to.
#include "receiver/receiver.h"

#include <algorithm>

#include "livelink/mqtt_url.h"
#include "reference/reference_tables.h"
#include "store/pending_file.h"

namespace corvane::receiver {

Receiver::Receiver(decoding::MessageOutputs& display, decoding::UtcClock clock, store::WriterLimits limits)
    : display_(display),
      path_(std::make_unique<decoding::MessagePath>(reference::Global(), static_cast<decoding::MessageOutputs&>(*this),
                                                    clock)),
      database_(std::make_unique<store::Database>(reference::Global(), clock, limits)),
      liveJson_(reference::Global()) {
  path_->SetTrafficLog(&log_);
  UseStation({});
  database_->SetAlertsOf([this](const decoding::MessageRecord&) { return AlertsOfLast(); });
  database_->SetJoinOf([this](const decoding::MessageRecord&) { return JoinOfLast(); });
}

const decoding::BlockJoin& Receiver::JoinOfLast() {
  if (joinOf_ == recordNumber_) {
    return join_;
  }
  joinOf_ = recordNumber_;
  const decoding::ReadMessage* message = path_->LastMessage();
  join_ = message != nullptr ? joiner_.Offer(message->record, recordStation_, recordId_) : decoding::BlockJoin();
  return join_;
}

const std::vector<std::string>& Receiver::AlertsOfLast() {
  if (alertsOf_ == recordNumber_) {
    return alerts_;
  }
  alertsOf_ = recordNumber_;
  alerts_.clear();
  const decoding::ReadMessage* message = path_->LastMessage();
  if (watch_.Empty() || message == nullptr) {
    return alerts_;
  }
  const decoding::MessageRecord& r = message->record;
  const readable::Decoding* decoding = ReadableOfLast();
  const bool position =
      decoding != nullptr && std::any_of(decoding->fields.begin(), decoding->fields.end(),
                                         [](const readable::Field& field) { return field.name == "latitude"; });
  const decoding::BlockJoin& join = JoinOfLast();
  const store::search::MessageFacts facts{
      join.Joined() ? std::string_view(join.text) : std::string_view(r.Data),
      r.Flight,
      r.Address,
      r.Label,
      decoding != nullptr ? decoding->kind : std::string_view(),
      recordStation_.empty() ? std::string_view(Station()) : std::string_view(recordStation_),
      0,
      position,
      false};
  watch_.Match(facts, matched_);
  for (const std::size_t entry : matched_) {
    alerts_.push_back(watch_.Entries()[entry].text);
  }
  return alerts_;
}

Receiver::~Receiver() { Stop(); }

void Receiver::UseStation(const std::string& name) {
  liveJson_.SetStation(name.empty() ? livelink::HostName() : name);
  returned_.SetOwnStation(liveJson_.Station());
}

bool Receiver::StartLiveLink(const QString& name, QString* error) {
  return liveLink_.IsListening() || liveLink_.Listen(name, error);
}

std::optional<std::string> Receiver::StartMqtt(const livelink::MqttUrl& url, const std::string& topic) {
  livelink::MqttPublisherOptions options;
  options.url = url;
  options.topic = topic;
  options.station = liveJson_.Station();
  mqtt_ = std::make_unique<livelink::MqttPublisher>(std::move(options));
  if (const livelink::MqttStatus status = mqtt_->Status(); status.unusable) {
    mqtt_.reset();
    return status.reason;
  }
  return std::nullopt;
}

void Receiver::ChooseStore(std::int32_t DBType, store::StoreOptions options) {
  chosen_ = DBType;
  storeOpening_ = DBType != decoding::kNoStore;
  path_->DBType = DBType;
  if (DBType == store::kPostgresStore) {
    database_->SetStoreOptions(std::move(options));
  }
}

std::string Receiver::OpenChosenStore(store::StoreProgress& progress) {
  std::string name = "Corvane";
  database_->OpenStore(chosen_, name, progress);
  return name;
}

void Receiver::StoreOpened(const std::optional<std::string>& name) {
  storeOpening_ = false;
  if (!name) {
    path_->DBType = decoding::kNoStore;
    return;
  }
  path_->DBName = *name;
  path_->SetStore(database_.get());
  storeOpen_ = true;
  if (const store::StoreWriter* writer = database_->Writer(path_->DBType, path_->DBName)) {
    storeTrouble_.KnowFiles(writer->Pending());
  }
}

std::optional<store::WriterStatus> Receiver::StoreStatus() const {
  if (!storeOpen_) {
    return std::nullopt;
  }
  return database_->Status(path_->DBType, path_->DBName);
}

void Receiver::HandleCardRecord(const std::string& record, const cardlink::RecordOrigin& origin) {
  if (returned_.CameBack(origin) || repeated_.CameBefore(origin)) {
    return;
  }
  ++recordNumber_;
  recordId_ = origin.Relayed() ? origin.id : identities_.Next();
  database_->SetMessageId(recordId_);
  liveJson_.SetMessageId(recordId_);
  database_->SetReceptionFacts(origin.facts);
  liveJson_.SetReceptionFacts(origin.facts);
  if (!origin.Relayed()) {
    recordStation_.clear();
    path_->HandleTextRecord(record);
    Count(false);
    return;
  }
  recordStation_ = origin.station;
  database_->SetRelayedStation(origin.station);
  liveJson_.SetRelayed(origin.station, origin.hops);
  path_->HandleTextRecord(record);
  Count(true);
  database_->SetRelayedStation({});
  liveJson_.SetHeardHere();
}

// After the path took the record: the message by its label and source, and
// whether it matched the watch list (matched once; the store and LiveJSON
// take the same list). Every accepted record is offered to the joiner here
// at the latest, whatever asked for the answer before.
void Receiver::Count(bool relayed) {
  JoinOfLast();
  const decoding::ReadMessage* message = path_->LastMessage();
  if (message == nullptr) {
    ++counts_.refusedRecords;
    return;
  }
  const decoding::MessageRecord& r = message->record;
  ++counts_.accepted[{r.Label, relayed ? "relay" : "card"}];
  counts_.lastDate = r.Date;
  counts_.lastHour = r.Hour;
  if (!watch_.Empty() && !AlertsOfLast().empty()) {
    ++counts_.alertMessages;
  }
  emit MessageAccepted();
}

void Receiver::SetCardLink(bool up) {
  if (up && !counts_.cardLinkUp) {
    ++counts_.cardConnects;
  }
  counts_.cardLinkUp = up;
}

std::vector<std::string> Receiver::TroubleLines() {
  std::vector<std::string> lines = logTrouble_.Check(log_);
  for (std::string& line : storeTrouble_.Check(StoreStatus())) {
    lines.push_back(std::move(line));
  }
  if (mqtt_) {
    for (std::string& line : mqttTrouble_.Check(mqtt_->Status())) {
      lines.push_back(std::move(line));
    }
  }
  for (auto line : {returned_.Report(), repeated_.Report()}) {
    if (line) {
      lines.push_back(std::move(*line));
    }
  }
  return lines;
}

std::vector<std::string> Receiver::Stop() {
  if (stopped_) {
    return {};
  }
  stopped_ = true;
  log_.Close();
  database_->Close();
  std::vector<std::string> lines = TroubleLines();
  if (const auto status = StoreStatus(); status && status->pendingFile) {
    lines.push_back(storeTrouble_.WaitingAtStop());
  }
  liveLink_.Close();
  if (mqtt_) {
    // What waits has a moment to go out; what does not is said.
    if (const std::size_t left = mqtt_->Stop(); left > 0) {
      lines.push_back("mqtt: " + std::to_string(left) + " messages were not delivered before the stop");
    }
    mqtt_.reset();
  }
  return lines;
}

void Receiver::Publish(const std::string& item, const std::string& value) {
  if (liveLink_.IsListening()) {
    liveLink_.SetItem(item, value);
  }
  emit ItemPublished(item, value);
}

void Receiver::SetLiveItem(const std::string& record) {
  display_.SetLiveItem(record);
  Publish("LiveItem", record);
}

// After each accepted message's summary, its LiveJSON object, built only
// when something takes it.
void Receiver::SetLiveData(const std::string& summary) {
  display_.SetLiveData(summary);
  Publish("LiveData", summary);
  if (!publishEveryItem_ && !liveLink_.IsListening() && !mqtt_) {
    return;
  }
  const std::vector<std::string>& alerts = AlertsOfLast();
  liveJson_.SetAlerts(&alerts);
  liveJson_.SetJoin(&JoinOfLast());
  const std::string& json = liveJson_.OfLast(*path_);
  Publish("LiveJSON", json);
  if (mqtt_ && !json.empty()) {
    mqtt_->Publish(json);
    if (!alerts.empty()) {
      mqtt_->PublishAlert(json);
    }
  }
}

}  // namespace corvane::receiver
