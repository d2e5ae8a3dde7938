// What the health check and the metrics are written from: one snapshot of
// the receiver, its store writer and the page's server, taken on the
// receiver's thread when asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace corvane::web {

// The store as the health check names it.
enum class StoreState { None, Opening, Ok, Down };

struct StationHealth {
  bool cardLinkUp = false;
  std::uint64_t cardConnects = 0;  // connections to the card server made, the first included
  StoreState store = StoreState::None;
  std::string storeTrouble;           // why the store is down
  std::optional<bool> mqttUp;         // nothing: no broker configured
  std::uint64_t pendingMessages = 0;  // writes waiting for the store, in memory and in the pending file
  std::string lastMessageUtc;         // "2026-12-07T21:00:05.005Z", empty before the first message
  // Accepted messages by (label as the card's bytes, source: "card" or "relay").
  std::map<std::pair<std::string, std::string>, std::uint64_t> received;
  std::uint64_t refusedRecords = 0;  // card records the message path did not accept
  std::uint64_t stored = 0;
  std::uint64_t storeRefusedRows = 0;  // rows the store can never take
  std::uint64_t writtenLate = 0;
  std::uint64_t lost = 0;
  std::uint64_t pruned = 0;          // messages retention removed
  std::uint64_t longestPruneMs = 0;  // the longest step of retention
  std::uint64_t alertMessages = 0;
  std::optional<std::uint64_t> storeBytes;  // the store's file, for a store kept in one
};

// What the page's server itself counts.
struct ServerCounts {
  std::size_t liveClients = 0;
  int openConnections = 0;
};

}  // namespace corvane::web
