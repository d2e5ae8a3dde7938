// The MQTT feed: a libmosquitto subscriber whose messages become card text
// records on the card server's thread.
#include "cardserver/mqtt_feed.h"

#include <mosquitto.h>

#include <QMetaObject>
#include <algorithm>
#include <chrono>

namespace corvane::cardserver {

namespace {

constexpr int kQos = 1;
constexpr int kKeepAliveSeconds = 30;
constexpr auto kWatchStep = std::chrono::milliseconds(100);
constexpr auto kRestartAfter = std::chrono::seconds(65);  // twice the longest reconnect delay, and a little
constexpr auto kFirstRetry = std::chrono::seconds(2);
constexpr int kReportCheckMs = 1000;

MqttFeed* Self(void* object) { return static_cast<MqttFeed*>(object); }

}  // namespace

MqttFeed::MqttFeed(FeedDeliver deliver, Logger log, int maxHops, QObject* parent)
    : QObject(parent), log_(log), lines_("MQTT feed", "MQTT messages", maxHops, std::move(deliver), std::move(log)) {
  connect(&reportTimer_, &QTimer::timeout, this, [this] { lines_.ReportHeldBack(); });
  reportTimer_.start(kReportCheckMs);
}

MqttFeed::~MqttFeed() {
  stopping_ = true;
  if (connector_.joinable()) {
    connector_.join();
  }
  if (client_ != nullptr) {
    livelink::StopClient(client_, std::chrono::seconds(1));
  }
}

bool MqttFeed::Start(const MqttFeedConfig& config, std::string& error) {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
  const auto url = livelink::MqttUrlWithPassword(config.url, config.passwordFile, error);
  if (!url) {
    return false;
  }
  url_ = *url;
  topic_ = config.topic;
  // A persistent session: what is published while the card server restarts
  // waits in the broker.
  client_ = mosquitto_new(livelink::StableClientId("cardsrv-", livelink::HostName(), topic_).c_str(), false, this);
  if (client_ == nullptr || !livelink::ConfigureClient(client_, url_, error)) {
    error = client_ == nullptr ? "libmosquitto cannot make a client" : error;
    return false;
  }
  mosquitto_connect_callback_set(client_, &MqttFeed::OnConnect);
  mosquitto_disconnect_callback_set(client_, &MqttFeed::OnDisconnect);
  mosquitto_subscribe_callback_set(client_, &MqttFeed::OnSubscribe);
  mosquitto_message_callback_set(client_, &MqttFeed::OnMessage);
  mosquitto_reconnect_delay_set(client_, 1, 30, true);
  connector_ = std::thread([this] { KeepConnected(); });
  return true;
}

// On its own thread, as the name lookup and a connection attempt may take a
// while. libmosquitto's network thread only reconnects a client that was
// connected once, and ends for good on some errors (a failed name lookup or
// TLS handshake): until the first connection, and whenever the broker has
// been away for longer than the network thread's longest delay, the
// connection is started afresh here.
void MqttFeed::KeepConnected() {
  bool started = false;  // the network thread runs
  Clock::time_point lastAttempt{};
  while (!stopping_) {
    const auto now = Clock::now();
    const auto away = now - std::max(lastAttempt, Clock::time_point(Clock::duration(awaySince_.load())));
    if (started ? !connected_ && away >= kRestartAfter : now - lastAttempt >= kFirstRetry) {
      if (started) {
        mosquitto_disconnect(client_);  // ends the network thread's reconnect loop, if it still runs
        mosquitto_loop_stop(client_, false);
      }
      lastAttempt = now;
      started = mosquitto_connect_async(client_, url_.host.c_str(), url_.port, kKeepAliveSeconds) == MOSQ_ERR_SUCCESS;
      if (started) {
        mosquitto_loop_start(client_);
      }
    }
    std::this_thread::sleep_for(kWatchStep);
  }
}

void MqttFeed::OnConnect(mosquitto* client, void* self, int result) {
  MqttFeed& feed = *Self(self);
  feed.connected_ = result == 0;
  if (result != 0) {
    feed.LogLater("MQTT feed: " + feed.url_.Display() + " refused the connection: " + mosquitto_connack_string(result));
    return;
  }
  mosquitto_subscribe(client, nullptr, feed.topic_.c_str(), kQos);
}

// Said when the broker confirms the subscription: from then on nothing
// published on the topic is missed.
void MqttFeed::OnSubscribe(mosquitto*, void* self, int, int, const int*) {
  MqttFeed& feed = *Self(self);
  feed.LogLater("MQTT feed: subscribed to " + feed.topic_ + " on " + feed.url_.Display());
}

void MqttFeed::OnDisconnect(mosquitto*, void* self, int result) {
  MqttFeed& feed = *Self(self);
  feed.connected_ = false;
  feed.awaySince_ = Clock::now().time_since_epoch().count();
  if (result != 0 && !feed.stopping_) {
    feed.LogLater("MQTT feed: connection to " + feed.url_.Display() + " lost; connecting again");
  }
}

void MqttFeed::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  std::string topic = message->topic != nullptr ? message->topic : "";
  std::string payload(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen));
  MqttFeed* feed = Self(self);
  QMetaObject::invokeMethod(
      feed, [feed, topic = std::move(topic), payload = std::move(payload)] { feed->TakeMessage(topic, payload); },
      Qt::QueuedConnection);
}

void MqttFeed::TakeMessage(const std::string& topic, const std::string& payload) {
  lines_.Take(payload, "MQTT message on " + topic);
}

void MqttFeed::LogLater(const std::string& line) {
  QMetaObject::invokeMethod(
      this, [this, line] { log_(line); }, Qt::QueuedConnection);
}

}  // namespace corvane::cardserver
