// The health check's JSON and the metrics page, written by hand: the text
// format is a HELP and a TYPE line per metric family, then one sample a line.
#include "web/station_health.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "decoding/latin1_text.h"

namespace corvane::web {

namespace {

using Json = nlohmann::json;

const char* StoreStateName(StoreState state) {
  switch (state) {
    case StoreState::None:
      return "none";
    case StoreState::Opening:
      return "opening";
    case StoreState::Ok:
      return "ok";
    case StoreState::Down:
      return "down";
  }
  return "down";
}

const char* Connection(bool up) { return up ? "connected" : "disconnected"; }

// One metric family: its HELP and TYPE lines.
void Family(std::string& out, const char* name, const char* type, const char* help) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

void Sample(std::string& out, const std::string& name, std::uint64_t value) {
  out += name + " " + std::to_string(value) + "\n";
}

// A family of one sample.
void Single(std::string& out, const char* name, const char* type, const char* help, std::uint64_t value) {
  Family(out, name, type, help);
  Sample(out, name, value);
}

void MessageMetrics(std::string& out, const StationHealth& health) {
  Family(out, "corvane_messages_received_total", "counter",
         "Messages the message path accepted, by label and by source (card: heard here; relay: first heard by "
         "another station).");
  for (const auto& [key, count] : health.received) {
    Sample(out,
           "corvane_messages_received_total{label=\"" + EscapeLabelValue(decoding::Latin1ToUtf8(key.first)) +
               "\",source=\"" + EscapeLabelValue(key.second) + "\"}",
           count);
  }
  Single(out, "corvane_records_refused_total", "counter", "Card records the message path did not accept.",
         health.refusedRecords);
  Single(out, "corvane_alerts_total", "counter", "Accepted messages that matched the watch list.",
         health.alertMessages);
}

void StoreMetrics(std::string& out, const StationHealth& health) {
  Single(out, "corvane_store_up", "gauge", "1 while the chosen store takes messages (or none is chosen), else 0.",
         health.store == StoreState::Ok || health.store == StoreState::None ? 1 : 0);
  Single(out, "corvane_messages_stored_total", "counter", "Messages the store took in this run.", health.stored);
  Single(out, "corvane_messages_pending", "gauge", "Writes waiting for the store, in memory and in the pending file.",
         health.pendingMessages);
  Single(out, "corvane_messages_refused_total", "counter",
         "Rows the store can never take, kept beside the pending file.", health.storeRefusedRows);
  Single(out, "corvane_messages_written_late_total", "counter",
         "Writes the store took late, after a refusal of a second or longer.", health.writtenLate);
  Single(out, "corvane_messages_lost_total", "counter", "Writes kept neither by the store nor by the pending file.",
         health.lost);
  Single(out, "corvane_messages_pruned_total", "counter", "Messages retention removed from the store in this run.",
         health.pruned);
  Family(out, "corvane_store_prune_longest_seconds", "gauge",
         "The longest step of retention in this run; writes wait for the store meanwhile.");
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", static_cast<double>(health.longestPruneMs) / 1000.0);
  out += std::string("corvane_store_prune_longest_seconds ") + seconds + "\n";
  if (health.storeBytes) {
    Single(out, "corvane_store_size_bytes", "gauge", "The size of the store's file.", *health.storeBytes);
  }
}

void LinkMetrics(std::string& out, const StationHealth& health, const ServerCounts& server) {
  Single(out, "corvane_card_link_up", "gauge", "1 while the card server is connected, else 0.",
         health.cardLinkUp ? 1 : 0);
  Single(out, "corvane_card_reconnects_total", "counter", "Connections to the card server made after the first.",
         health.cardConnects > 0 ? health.cardConnects - 1 : 0);
  if (health.mqttUp) {
    Single(out, "corvane_mqtt_up", "gauge", "1 while the MQTT broker is connected, else 0.", *health.mqttUp ? 1 : 0);
  }
  Single(out, "corvane_web_clients", "gauge", "Browsers following the live feed.", server.liveClients);
  Single(out, "corvane_web_connections", "gauge", "Connections open to the page's server.",
         static_cast<std::uint64_t>(std::max(server.openConnections, 0)));
}

}  // namespace

bool Healthy(const StationHealth& health) {
  return health.cardLinkUp && health.store != StoreState::Down && health.store != StoreState::Opening;
}

HttpAnswer HealthAnswer(const StationHealth& health) {
  const bool healthy = Healthy(health);
  Json body = {{"status", healthy ? "ok" : "down"},
               {"cardLink", Connection(health.cardLinkUp)},
               {"store", StoreStateName(health.store)}};
  if (health.store == StoreState::Down) {
    body["storeTrouble"] = health.storeTrouble;
  }
  if (health.mqttUp) {
    body["mqtt"] = Connection(*health.mqttUp);
  }
  body["pendingMessages"] = health.pendingMessages;
  body["lastMessage"] = health.lastMessageUtc.empty() ? Json() : Json(health.lastMessageUtc);
  return JsonAnswer(healthy ? 200 : 503, body.dump(-1, ' ', false, Json::error_handler_t::replace));
}

HttpAnswer MetricsAnswer(const StationHealth& health, const ServerCounts& server) {
  std::string out;
  MessageMetrics(out, health);
  StoreMetrics(out, health);
  LinkMetrics(out, health, server);
  if (const auto resident = ResidentMemoryBytes()) {
    Single(out, "process_resident_memory_bytes", "gauge", "Resident memory size in bytes.", *resident);
  }
  return {200, "text/plain; version=0.0.4; charset=utf-8", QByteArray::fromStdString(out)};
}

std::string EscapeLabelValue(std::string_view utf8) {
  std::string escaped;
  escaped.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '"':
        escaped += "\\\"";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// statm's second field is the resident set in pages.
std::optional<std::uint64_t> ResidentMemoryBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0;
  std::uint64_t resident = 0;
  const long page = sysconf(_SC_PAGESIZE);
  if (!(statm >> size >> resident) || page <= 0) {
    return std::nullopt;
  }
  return resident * static_cast<std::uint64_t>(page);
}

}  // namespace corvane::web
