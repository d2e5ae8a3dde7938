// Wiring the page's server to a receiver.
#include "web/receiver_web.h"

#include <filesystem>

namespace corvane::web {

namespace {

// The store as the health check sees it: a writer that refuses writes, or
// whose pending file cannot keep them either, is down.
void AddStore(receiver::Receiver& receiver, StationHealth& health) {
  if (receiver.ChosenStore() == decoding::kNoStore) {
    health.store = StoreState::None;
    return;
  }
  if (receiver.StoreOpening()) {
    health.store = StoreState::Opening;
    return;
  }
  const auto status = receiver.StoreStatus();
  if (!status) {
    health.store = StoreState::Down;
    health.storeTrouble = "The store could not be opened";
    return;
  }
  const bool refusing = status->refusing;
  health.store = refusing || !status->pendingError.empty() ? StoreState::Down : StoreState::Ok;
  health.storeTrouble = refusing ? status->reason : status->pendingError;
  health.pendingMessages = status->waiting + status->inPendingFile;
  health.stored = status->stored;
  health.storeRefusedRows = status->rejected;
  health.writtenLate = status->writtenLateTotal;
  health.lost = status->lost;
  health.pruned = status->pruned;
  health.longestPruneMs = static_cast<std::uint64_t>(status->longestPrune.count());
  if (receiver.ChosenStore() != store::kPostgresStore) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(receiver.Path().DBName, error);
    health.storeBytes = error ? std::nullopt : std::optional<std::uint64_t>(bytes);
  }
}

StationHealth HealthOf(receiver::Receiver& receiver) {
  const receiver::ReceiverCounts& counts = receiver.Counts();
  StationHealth health;
  health.cardLinkUp = counts.cardLinkUp;
  health.cardConnects = counts.cardConnects;
  if (livelink::MqttPublisher* mqtt = receiver.Mqtt()) {
    health.mqttUp = mqtt->Status().connected;
  }
  health.lastMessageUtc = receiver::LastMessageIso(counts);
  health.received = counts.accepted;
  health.refusedRecords = counts.refusedRecords;
  health.alertMessages = counts.alertMessages;
  AddStore(receiver, health);
  return health;
}

}  // namespace

WebSources SourcesOf(receiver::Receiver& receiver, const reference::ReferenceTables& tables) {
  WebSources sources;
  sources.tables = [&receiver, &tables]() { return receiver.StoreOpening() ? nullptr : &tables; };
  sources.station = [&receiver] { return receiver.Station(); };
  sources.watchList = [&receiver] {
    std::vector<std::string> entries;
    for (const auto& entry : receiver.WatchList().Entries()) {
      entries.push_back(entry.text);
    }
    return entries;
  };
  sources.store = [&receiver] {
    StoreAccess access;
    if (receiver.HasStore()) {
      access = {&receiver.Store(), receiver.ChosenStore(), receiver.Path().DBName, {}};
    } else {
      access.why =
          receiver.ChosenStore() == decoding::kNoStore ? "This station keeps no store" : "The store is not open yet";
    }
    return access;
  };
  sources.indexing = [&receiver]() -> std::optional<store::search::IndexProgress> {
    const auto status = receiver.StoreStatus();
    return status ? std::optional(status->indexing) : std::nullopt;
  };
  sources.health = [&receiver] { return HealthOf(receiver); };
  return sources;
}

std::unique_ptr<WebServer> StartReceiverWeb(receiver::Receiver& receiver, const reference::ReferenceTables& tables,
                                            const WebOptions& options, std::string* error) {
  auto server = std::make_unique<WebServer>(SourcesOf(receiver, tables));
  if (!server->Start(options, error)) {
    return nullptr;
  }
  receiver.PublishEveryItem(true);
  QObject::connect(&receiver, &receiver::Receiver::ItemPublished, server.get(),
                   [web = server.get()](const std::string& item, const std::string& value) {
                     if (item == "LiveJSON") {
                       web->Publish(value);
                     }
                   });
  return server;
}

}  // namespace corvane::web
