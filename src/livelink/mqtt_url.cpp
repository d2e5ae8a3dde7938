// Reading MQTT URLs, naming topics and clients, and setting a client's
// credentials and TLS.
#include "livelink/mqtt_url.h"

#include <mosquitto.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>

namespace corvane::livelink {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) {
      return std::nullopt;
    }
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

// "host", "host:port", "[::1]:port" into url; false when it is none of them.
bool ReadHostAndPort(const std::string& text, MqttUrl& url) {
  std::size_t portAt = std::string::npos;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string::npos) {
      return false;
    }
    url.host = text.substr(1, close - 1);
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') return false;
      portAt = close + 2;
    }
  } else {
    const std::size_t colon = text.rfind(':');
    url.host = text.substr(0, colon);
    portAt = colon == std::string::npos ? colon : colon + 1;
  }
  if (url.host.empty()) {
    return false;
  }
  if (portAt != std::string::npos) {
    const std::string port = text.substr(portAt);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    url.port = std::stoi(port);
    return url.port >= 1 && url.port <= 65535;
  }
  return true;
}

}  // namespace

std::string MqttUrl::Display() const {
  std::string text = tls ? "mqtts://" : "mqtt://";
  if (!user.empty()) {
    text += user + "@";
  }
  const bool bracketed = host.find(':') != std::string::npos;
  text += (bracketed ? "[" + host + "]" : host) + ":" + std::to_string(port);
  return text;
}

std::optional<MqttUrl> ParseMqttUrl(const std::string& text, std::string& error) {
  MqttUrl url;
  std::string rest;
  if (text.starts_with("mqtt://")) {
    rest = text.substr(7);
  } else if (text.starts_with("mqtts://")) {
    rest = text.substr(8);
    url.tls = true;
  } else {
    error = "an MQTT URL begins with mqtt:// or mqtts://";
    return std::nullopt;
  }
  url.port = url.tls ? kTlsPort : kPlainPort;
  if (!rest.empty() && rest.back() == '/') {
    rest.pop_back();
  }
  // The password may hold '@' only percent-encoded; the last '@' ends it.
  const std::size_t at = rest.rfind('@');
  if (at != std::string::npos) {
    const std::string credentials = rest.substr(0, at);
    const std::size_t colon = credentials.find(':');
    const auto user = PercentDecoded(credentials.substr(0, colon));
    const auto password =
        colon == std::string::npos ? std::optional<std::string>("") : PercentDecoded(credentials.substr(colon + 1));
    if (!user || !password || user->empty()) {
      error = "the user name or password of the MQTT URL is not readable";
      return std::nullopt;
    }
    url.user = *user;
    url.password = *password;
    rest = rest.substr(at + 1);
  }
  if (rest.find('/') != std::string::npos || !ReadHostAndPort(rest, url)) {
    error = "an MQTT URL names a host and, after a colon, a port 1 to 65535";
    return std::nullopt;
  }
  return url;
}

std::string HostName() {
  std::array<char, 256> name{};
  if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') {
    return "corvane";
  }
  return name.data();
}

std::string DefaultMqttTopic(const std::string& station) { return "corvane/" + station + "/messages"; }

std::string StableClientId(const std::string& prefix, const std::string& station, const std::string& topic) {
  // FNV-1a over station, a separator that neither holds, and topic.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const std::string& piece : {station, std::string(1, '\0'), topic}) {
    for (const char c : piece) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
  }
  std::array<char, 17> hex{};
  std::snprintf(hex.data(), hex.size(), "%016llx", static_cast<unsigned long long>(hash));
  std::string id = prefix;
  id.append(hex.data(), 14);
  return id;
}

bool ConfigureClient(mosquitto* client, const MqttUrl& url, std::string& error) {
  if (!url.user.empty() &&
      mosquitto_username_pw_set(client, url.user.c_str(), url.password.empty() ? nullptr : url.password.c_str()) !=
          MOSQ_ERR_SUCCESS) {
    error = "the MQTT user name is refused";
    return false;
  }
  if (url.tls && mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1) != MOSQ_ERR_SUCCESS) {
    error = "this libmosquitto cannot use the system's certificates for TLS";
    return false;
  }
  return true;
}

void StopClient(mosquitto* client, std::chrono::milliseconds wait) {
  mosquitto_connect_callback_set(client, nullptr);
  mosquitto_disconnect_callback_set(client, nullptr);
  mosquitto_publish_callback_set(client, nullptr);
  mosquitto_subscribe_callback_set(client, nullptr);
  mosquitto_message_callback_set(client, nullptr);
  mosquitto_log_callback_set(client, nullptr);
  mosquitto_disconnect(client);  // the network thread ends once it is out
  auto stopped = std::make_shared<std::promise<void>>();
  std::future<void> done = stopped->get_future();
  std::thread([client, stopped] {
    mosquitto_loop_stop(client, false);
    mosquitto_destroy(client);
    stopped->set_value();
  }).detach();
  done.wait_for(wait);
}

}  // namespace corvane::livelink
