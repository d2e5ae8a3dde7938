// One receiver, as the window and corvaned both run it: the message path
// wired to the store (through its writer), the traffic log, the live link
// (LiveItem, LiveData, LiveJSON), MQTT, and the station's own records that
// come back from a broker. The front end shows what the path shows (the
// display it passes in) and says the trouble lines the receiver gives.
//
// Store life:  ChooseStore -> OpenChosenStore (any thread) -> StoreOpened
//              (the path's thread); Stop writes what waits or keeps it in
//              the pending file.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cardlink/record_origin.h"
#include "decoding/block_joiner.h"
#include "decoding/message_path.h"
#include "decoding/traffic_log.h"
#include "livelink/live_json.h"
#include "livelink/live_link_server.h"
#include "livelink/mqtt_publisher.h"
#include "receiver/message_identity.h"
#include "receiver/receiver_counts.h"
#include "receiver/trouble_reports.h"
#include "store/search/watch_list.h"
#include "store/store.h"

namespace corvane::receiver {

class Receiver : public QObject, private decoding::MessageOutputs {
  Q_OBJECT

 public:
  // display gets everything the message path shows: header, panels, stamp,
  // aircraft list and the live items' values.
  explicit Receiver(decoding::MessageOutputs& display, decoding::UtcClock clock = decoding::SystemUtcNow,
                    store::WriterLimits limits = {});
  ~Receiver() override;

  [[nodiscard]] decoding::MessagePath& Path() { return *path_; }
  [[nodiscard]] const decoding::MessagePath& Path() const { return *path_; }
  [[nodiscard]] store::Database& Store() { return *database_; }
  [[nodiscard]] decoding::TrafficLog& Log() { return log_; }
  [[nodiscard]] livelink::LiveLinkServer& LiveLink() { return liveLink_; }
  [[nodiscard]] livelink::MqttPublisher* Mqtt() { return mqtt_.get(); }
  [[nodiscard]] const std::string& Station() const { return liveJson_.Station(); }
  // The readable decoding of the message the path accepted last (null when
  // none), decoded once for the display and LiveJSON alike.
  // A message that completes one of several blocks is decoded as the whole.
  [[nodiscard]] const readable::Decoding* ReadableOfLast() {
    liveJson_.SetJoin(&JoinOfLast());
    return liveJson_.ReadableOfLast(*path_);
  }
  // What the block joiner said of the message the path accepted last
  // (decoding/block_joiner.h): asked once per message, and the store, the
  // alerts, the readable decoding and LiveJSON all take the same answer.
  const decoding::BlockJoin& JoinOfLast();

  // The watch list every message is matched against as it comes in (an
  // empty list: no alerts).
  void SetWatchList(store::search::WatchList list) { watch_ = std::move(list); }
  [[nodiscard]] const store::search::WatchList& WatchList() const { return watch_; }
  // The watch list entries, as written, that the message the path accepted
  // last matched (empty when none): matched once per message, and the same
  // list is stored with it, written in its LiveJSON and published on the
  // alerts topic.
  const std::vector<std::string>& AlertsOfLast();
  // How many card records were handed to the path so far (a record that
  // came back from the broker and was dropped is not one).
  [[nodiscard]] std::uint64_t RecordsHandled() const { return recordNumber_; }
  // What was counted since the start (messages by label and source, alerts,
  // the card link), for the station's health and metrics.
  [[nodiscard]] const ReceiverCounts& Counts() const { return counts_; }
  // The front end holds a connection to the card server (up) or not.
  void SetCardLink(bool up);
  // This receiver's station name (empty: the host name), carried in LiveJSON
  // and how records this station sent are known when they come back.
  void UseStation(const std::string& name);
  // Other programs follow the traffic under this name; false, with why.
  bool StartLiveLink(const QString& name, QString* error);
  // Publishes every message's LiveJSON to the broker at url (its password
  // chosen) on topic (empty: corvane/<station>/messages); why not when the
  // station name or topic cannot be carried.
  std::optional<std::string> StartMqtt(const livelink::MqttUrl& url, const std::string& topic);
  // LiveJSON is built and published for every message, not only while the
  // live link listens or MQTT takes it (the window shows it to its tests).
  void PublishEveryItem(bool on) { publishEveryItem_ = on; }

  // The store messages go to, from StoreOpened on; the aircraft list fills
  // from now on.
  void ChooseStore(std::int32_t DBType, store::StoreOptions options);
  [[nodiscard]] std::int32_t ChosenStore() const { return chosen_; }
  // Opens the chosen store; blocks, and may run on another thread while no
  // record comes in and nothing else touches the store (it loads the
  // stored reference tables). Gives the store's name; throws StoreInUse.
  std::string OpenChosenStore(store::StoreProgress& progress);
  // On the path's thread: the store is open under name, or (nullopt) cannot
  // be used, and the receiver goes on without one.
  void StoreOpened(const std::optional<std::string>& name);
  [[nodiscard]] bool HasStore() const { return path_->DBType != decoding::kNoStore && storeOpen_; }
  // From ChooseStore to StoreOpened: the store may be loading its reference
  // tables on another thread, so nothing else reads them meanwhile.
  [[nodiscard]] bool StoreOpening() const { return storeOpening_; }
  [[nodiscard]] std::optional<store::WriterStatus> StoreStatus() const;

  // A card record: one this station sent out that comes back from the broker
  // is dropped (and counted), and so is a relayed one whose message came
  // before; a relayed one is stored and published as first heard by its own
  // station, under the identity that station gave it. A record heard here
  // gets an identity of this receiver's.
  void HandleCardRecord(const std::string& record, const cardlink::RecordOrigin& origin = {});

  // Lines about trouble that began or ended since the last call: the store,
  // the traffic log, the broker, and records that came back.
  std::vector<std::string> TroubleLines();

  // The end of a run, each step tried whatever the others do: the store
  // writes what waits (or keeps it in the pending file), the live link
  // closes, MQTT gets its grace. Gives the lines to say.
  std::vector<std::string> Stop();

 signals:
  // A live item changed, as published to other programs.
  void ItemPublished(const std::string& item, const std::string& value);
  // The path accepted a message (Path().LastMessage() holds it); relayed
  // ones too.
  void MessageAccepted();

 private:
  // decoding::MessageOutputs: the display's, plus publishing.
  void SetLiveItem(const std::string& record) override;
  void SetLiveData(const std::string& summary) override;
  void ShowHeader(const decoding::HeaderFields& header) override { display_.ShowHeader(header); }
  void ShowPanels(const decoding::PanelState& panels) override { display_.ShowPanels(panels); }
  void SetStatusStamp(const std::string& stamp) override { display_.SetStatusStamp(stamp); }
  void PlaneInserted(std::size_t position, const std::string& address) override {
    display_.PlaneInserted(position, address);
  }
  void Publish(const std::string& item, const std::string& value);

  void Count(bool relayed);

  decoding::MessageOutputs& display_;
  ReceiverCounts counts_;
  store::search::WatchList watch_;
  // Each card record is numbered; the alerts are those of record alertsOf_.
  std::uint64_t recordNumber_ = 0;
  std::uint64_t alertsOf_ = 0;
  std::vector<std::string> alerts_;
  std::vector<std::size_t> matched_;
  // Each accepted record is offered to the joiner once; the answer is that
  // of record joinOf_.
  decoding::BlockJoiner joiner_;
  std::uint64_t joinOf_ = 0;
  decoding::BlockJoin join_;
  std::string recordId_;       // the identity of the record in hand
  std::string recordStation_;  // the station that first heard the record in hand (UTF-8)
  std::unique_ptr<decoding::MessagePath> path_;
  std::unique_ptr<store::Database> database_;
  decoding::TrafficLog log_;
  livelink::LiveLinkServer liveLink_;
  livelink::LiveJsonWriter liveJson_;
  std::unique_ptr<livelink::MqttPublisher> mqtt_;
  cardlink::ReturnedRecords returned_;
  cardlink::RepeatedRecords repeated_;
  MessageIdentities identities_;
  std::int32_t chosen_ = decoding::kNoStore;
  bool storeOpen_ = false;
  bool storeOpening_ = false;
  bool publishEveryItem_ = false;
  bool stopped_ = false;
  LogTroubleReport logTrouble_;
  StoreTroubleReport storeTrouble_;
  livelink::MqttTroubleReport mqttTrouble_;
};

}  // namespace corvane::receiver
