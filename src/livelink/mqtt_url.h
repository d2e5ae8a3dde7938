// Where an MQTT broker is and how to reach it: the URL
// mqtt://[user[:password]@]host[:port] (or mqtts:// for TLS), the password
// kept out of the command line, the default topic, the station names that
// fit in it, and the client ids. Plain C++, shared by the publisher and the
// card server's MQTT feed.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

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

// The environment variable that may hold the MQTT password.
inline constexpr const char* kMqttPasswordVariable = "CORVANE_MQTT_PASSWORD";

// The first line of a password file, without its line end (LF or CR LF);
// nothing, with the file and the reason in error, when it cannot be read or
// its first line is empty.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error);

// Reads a URL and picks its password: the first line of passwordFile when
// one is named, else $CORVANE_MQTT_PASSWORD when set and not empty, else the
// URL's own. A password goes with the URL's user name; a password file
// without one is an error. Nothing, with the reason in error, when the URL
// or the file cannot be used.
std::optional<MqttUrl> MqttUrlWithPassword(const std::string& text, const std::string& passwordFile,
                                           std::string& error);

// Why a station name cannot go into the topic corvane/<station>/messages:
// empty (after trimming blanks), a wildcard ('+', '#'), a level separator
// ('/'), a control byte (below 0x20, or 0x7F), or not UTF-8. Nothing when it
// fits.
std::optional<std::string> StationNameProblem(std::string_view name);

// Why a topic cannot be published to: empty, a wildcard, a NUL byte, not
// UTF-8, or longer than MQTT allows. Nothing when it can.
std::optional<std::string> PublishTopicProblem(std::string_view topic);

// This machine's host name ("corvane" when it has none).
std::string HostName();

// "corvane/<station>/messages".
std::string DefaultMqttTopic(const std::string& station);

// The prefix and 14 hex digits from station and topic: the same on every
// run, so that a broker keeps the session (and its queue) of a subscriber,
// and short enough for every broker (MQTT 3.1.1 promises 23 characters).
std::string StableClientId(const std::string& prefix, const std::string& station, const std::string& topic);

// The prefix, 6 hex digits from station and topic (to find the station in a
// broker's log) and 8 from the process id and a random number: two
// publishers never share an id, which would make the broker drop one
// whenever the other connects. As short as StableClientId.
std::string UniqueClientId(const std::string& prefix, const std::string& station, const std::string& topic);

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
