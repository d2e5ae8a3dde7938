// The web page of a running receiver, wired the same way for the window and
// corvaned: the API reads the receiver's store, station and watch list, and
// the live feed gets every accepted message's LiveJSON object.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "receiver/receiver.h"
#include "web/web_server.h"

namespace corvane::web {

// What the API asks of the receiver (asked on the receiver's thread).
WebSources SourcesOf(receiver::Receiver& receiver, const reference::ReferenceTables& tables);

// Starts the page's server for the receiver; null with why in *error.
// adsb writes /api/adsb's answer (unset: ADS-B is off).
std::unique_ptr<WebServer> StartReceiverWeb(receiver::Receiver& receiver, const reference::ReferenceTables& tables,
                                            const WebOptions& options, std::string* error,
                                            std::function<std::string()> adsb = {});

}  // namespace corvane::web
