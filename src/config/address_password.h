// Passwords inside the addresses kept in the settings: a libpq connection
// string or URI (DatabaseUrl) and an MQTT broker URL (MqttUrl). The dialog
// shows an address without its password and refuses a typed one, because the
// settings file is no place for it. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace corvane::config {

// Whether the address carries a non-empty password: "user:secret@" in a URI
// (postgresql://, postgres://, mqtt://, mqtts:// or any other scheme://),
// "?password=secret" in a libpq URI, or the key word password in a libpq
// connection string ("host=db password='s e c'").
bool HoldsPassword(std::string_view address);

// The address with every password taken out, the rest kept as written:
// "postgresql://corvane@db/acars", "host=db port=5432", "mqtt://station@broker".
// An address without a password comes back unchanged.
std::string WithoutPassword(std::string_view address);

}  // namespace corvane::config
