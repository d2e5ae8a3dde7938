// The station's health check (/api/health) and its metrics (/metrics, the
// Prometheus text format, version 0.0.4), written from one snapshot of what
// the receiver, its store writer and the page's server counted.
//
// The health check answers 503 when the station cannot do its work: the card
// server is not connected, or a chosen store cannot take messages (it could
// not be opened, it has refused writes for a second or longer, or its
// pending file cannot be written either). MQTT is reported but never makes
// it 503: messages wait for the broker and go out when it is back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "web/station_facts.h"
#include "web/web_api.h"

namespace corvane::web {

[[nodiscard]] bool Healthy(const StationHealth& health);

// 200 {"status":"ok",...} or 503 {"status":"down",...}: "cardLink"
// ("connected"/"disconnected"), "store" ("ok", "none", "opening", "down")
// with "storeTrouble" when down, "mqtt" ("connected"/"disconnected", only
// when a broker is configured), "pendingMessages", "lastMessage" (UTC, or
// null before the first).
HttpAnswer HealthAnswer(const StationHealth& health);

// The metrics page (text/plain; version=0.0.4).
HttpAnswer MetricsAnswer(const StationHealth& health, const ServerCounts& server);

// A label value as the text format writes it: UTF-8 with backslash, double
// quote and line feed escaped.
std::string EscapeLabelValue(std::string_view utf8);

// This process's resident memory, from /proc/self/statm; nothing where it
// cannot be read.
std::optional<std::uint64_t> ResidentMemoryBytes();

}  // namespace corvane::web
