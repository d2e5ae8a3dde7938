// Reading MQTT URLs and password files, checking station names and topics,
// naming clients, and setting a client's credentials and TLS.
#include "livelink/mqtt_url.h"

#include <mosquitto.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <random>
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

// The offset of the first byte that does not begin a well-formed UTF-8
// sequence (overlong forms, surrogates and code points past U+10FFFF count
// as ill-formed); npos when the whole text is UTF-8.
std::size_t FirstNonUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    unsigned char low = 0x80;   // the second byte's range, narrowed for
    unsigned char high = 0xBF;  // some leads
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : low;
      high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : low;
      high = lead == 0xF4 ? 0x8F : high;
    } else if (lead >= 0x80) {
      return i;
    }
    if (i + length > text.size()) {
      return i;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
        return i;
      }
    }
    i += length;
  }
  return std::string_view::npos;
}

std::string HexByte(char c) {
  std::array<char, 5> text{};
  std::snprintf(text.data(), text.size(), "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
  return text.data();
}

std::optional<std::string> NotUtf8Problem(std::string_view what, std::string_view text) {
  const std::size_t at = FirstNonUtf8(text);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(what) + " is not UTF-8 (byte " + HexByte(text[at]) + " at position " + std::to_string(at + 1) +
         ")";
}

// 64 bits from FNV-1a over station, a separator that neither holds, and topic.
std::uint64_t StationTopicHash(const std::string& station, const std::string& topic) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const std::string& piece : {station, std::string(1, '\0'), topic}) {
    for (const char c : piece) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
  }
  return hash;
}

std::string HexDigits(std::uint64_t value, int count) {
  std::array<char, 17> hex{};
  std::snprintf(hex.data(), hex.size(), "%016llx", static_cast<unsigned long long>(value));
  return std::string(hex.data() + 16 - count, static_cast<std::size_t>(count));
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

std::optional<std::string> ReadPasswordFile(const std::string& path, std::string& error) {
  const auto fail = [&](const std::string& reason) {
    error = "cannot read the MQTT password file " + path + ": " + reason;
    return std::nullopt;
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    return fail(std::strerror(errno));
  }
  std::string line;
  int c = 0;
  while ((c = std::fgetc(file.get())) != EOF && c != '\n') {
    line += static_cast<char>(c);
  }
  if (std::ferror(file.get()) != 0) {
    return fail(std::strerror(errno));
  }
  while (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  if (line.empty()) {
    return fail("its first line holds no password");
  }
  return line;
}

std::optional<MqttUrl> MqttUrlWithPassword(const std::string& text, const std::string& passwordFile,
                                           std::string& error) {
  auto url = ParseMqttUrl(text, error);
  if (!url) {
    return std::nullopt;
  }
  if (!passwordFile.empty()) {
    auto password = ReadPasswordFile(passwordFile, error);
    if (!password) {
      return std::nullopt;
    }
    if (url->user.empty()) {
      error = "the MQTT password file " + passwordFile + " needs a user name in the URL (mqtt://user@host)";
      return std::nullopt;
    }
    url->password = std::move(*password);
  } else if (const char* variable = std::getenv(kMqttPasswordVariable);
             variable != nullptr && *variable != '\0' && !url->user.empty()) {
    url->password = variable;
  }
  return url;
}

std::optional<std::string> StationNameProblem(std::string_view name) {
  if (name.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos) {
    return "the station name is empty";
  }
  for (const char c : name) {
    if (c == '+' || c == '#') {
      return std::string("the station name holds '") + c + "', a wildcard in MQTT topics";
    }
    if (c == '/') {
      return "the station name holds '/', which would split the MQTT topic corvane/<station>/messages";
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return "the station name holds the control byte " + HexByte(c);
    }
  }
  return NotUtf8Problem("the station name", name);
}

std::optional<std::string> PublishTopicProblem(std::string_view topic) {
  constexpr std::size_t kLongestTopic = 65535;  // its length travels in 16 bits
  if (topic.empty()) {
    return "the MQTT topic is empty";
  }
  if (topic.size() > kLongestTopic) {
    return "the MQTT topic is longer than 65535 bytes";
  }
  if (const std::size_t at = topic.find_first_of(std::string_view("+#\0", 3)); at != std::string_view::npos) {
    return topic[at] == '\0'
               ? std::string("the MQTT topic holds a NUL byte")
               : std::string("the MQTT topic holds '") + topic[at] + "', a wildcard, which only subscriptions may use";
  }
  return NotUtf8Problem("the MQTT topic", topic);
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
  return prefix + HexDigits(StationTopicHash(station, topic) >> 8, 14);
}

std::string UniqueClientId(const std::string& prefix, const std::string& station, const std::string& topic) {
  static std::atomic<std::uint64_t> made{0};  // two publishers of one process differ as well
  std::random_device random;
  std::uint64_t mix = (std::uint64_t{random()} << 32) ^ random();
  mix ^= static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ULL;
  mix ^= ++made * 0xC2B2AE3D27D4EB4FULL;
  return prefix + HexDigits(StationTopicHash(station, topic) >> 40, 6) + HexDigits(mix ^ (mix >> 32), 8);
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
