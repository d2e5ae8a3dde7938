// Where an MQTT broker is and how to reach it: the URL
// mqtt://[user[:password]@]host[:port] (or mqtts:// for TLS), the default
// topic and the stable client id of a station. Plain C++, shared by the
// publisher and the card server's MQTT feed.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct mosquitto;

namespace corvane::livelink {

struct MqttUrl {
  bool tls = false;
  std::string user;
  std::string password;  // never printed: Display() leaves it out
  std::string host;
  int port = 1883;

  // "mqtts://user@host:8883": the URL without its password.
  [[nodiscard]] std::string Display() const;
};

// Reads a URL; nothing (with the reason in error) when it is not one. The
// port defaults to 1883, or 8883 with mqtts; %XX in user and password is
// decoded, so they can hold '@' or ':'.
std::optional<MqttUrl> ParseMqttUrl(const std::string& text, std::string& error);

// This machine's host name ("corvane" when it has none).
std::string HostName();

// "corvane/<station>/messages".
std::string DefaultMqttTopic(const std::string& station);

// "corvane-" and 14 hex digits from station and topic: the same on every
// run, so that a broker keeps the session (and its queue) of this client,
// and short enough for every broker (MQTT 3.1.1 promises 23 characters).
std::string StableClientId(const std::string& prefix, const std::string& station, const std::string& topic);

// Sets credentials and TLS (with the system's CA store) on a client; false
// with the reason when the library refuses them.
bool ConfigureClient(mosquitto* client, const MqttUrl& url, std::string& error);

// Ends a client: no callback runs any more once this returns, and the
// network thread is stopped and the client destroyed, waiting up to wait
// for it (a connection attempt to a silent host can take minutes; the
// thread is then left to finish on its own rather than cancelled, which
// could leave the library's locks held).
void StopClient(mosquitto* client, std::chrono::milliseconds wait);

}  // namespace corvane::livelink
