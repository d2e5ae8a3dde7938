// Wiring the page's server to a receiver.
#include "web/receiver_web.h"

namespace corvane::web {

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
