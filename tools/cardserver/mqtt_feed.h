// A live feed for the card server from an MQTT broker: it subscribes (QoS 1)
// to a topic where acarsdec or dumpvdl2 JSON messages (or receivers'
// LiveJSON objects) are published and turns each payload into card text
// records exactly as the UDP feed does (LineFeed). libmosquitto's network
// thread receives; each payload is handed to this object's thread through
// the Qt event loop.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "cardserver/log.h"
#include "cardserver/udp_feed.h"
#include "livelink/mqtt_url.h"

struct mosquitto;
struct mosquitto_message;

namespace corvane::cardserver {

struct MqttFeedConfig {
  std::string url;  // mqtt://[user[:password]@]host[:port] or mqtts://...
  std::string topic;
  // A file whose first line is the password; empty: CORVANE_MQTT_PASSWORD,
  // else the URL's password.
  std::string passwordFile = {};
};

class MqttFeed : public QObject {
  Q_OBJECT

 public:
  MqttFeed(FeedDeliver deliver, Logger log, int maxHops = 0, QObject* parent = nullptr);
  ~MqttFeed() override;
  MqttFeed(const MqttFeed&) = delete;
  MqttFeed& operator=(const MqttFeed&) = delete;

  // Starts connecting, and keeps the connection up from then on; false with the reason when the URL
  // or the client cannot be used.
  bool Start(const MqttFeedConfig& config, std::string& error);

 private:
  using Clock = std::chrono::steady_clock;

  void KeepConnected();
  void TakeMessage(const std::string& topic, const std::string& payload);
  void LogLater(const std::string& line);
  static void OnConnect(mosquitto* client, void* self, int result);
  static void OnSubscribe(mosquitto* client, void* self, int mid, int count, const int* granted);
  static void OnDisconnect(mosquitto* client, void* self, int result);
  static void OnMessage(mosquitto* client, void* self, const mosquitto_message* message);

  Logger log_;
  LineFeed lines_;
  QTimer reportTimer_;
  livelink::MqttUrl url_;
  std::string topic_;
  mosquitto* client_ = nullptr;
  std::thread connector_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> connected_{false};
  std::atomic<Clock::rep> awaySince_{0};  // when the connection was last lost
};

}  // namespace corvane::cardserver
