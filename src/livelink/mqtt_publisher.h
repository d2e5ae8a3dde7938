// Publishes each LiveJSON line to an MQTT broker with QoS 1, without ever
// making the caller wait. Publish() only puts the line in a bounded queue;
// a sender thread hands the oldest lines to libmosquitto, whose own network
// thread (mosquitto_loop_start) talks to the broker and reconnects by
// itself. A line leaves the queue only when the broker acknowledged it
// (PUBACK), so a broker restart loses nothing that was accepted.
//
//   queued --Hand (connected, fewer than maxInFlight out)--> in flight
//   in flight --OnPublished (PUBACK)--> gone
//   in flight --connection lost--> stays: libmosquitto sends it again on
//                                  reconnect; nothing new goes out until
//                                  every such line is acknowledged (order)
//   queued, over the bound --Publish--> oldest queued line dropped, counted
//   queued or in flight --Stop--> counted as not delivered, then gone
//
// Each run connects with its own client id and a clean session: two
// receivers given the same station name no longer push each other off the
// broker, and no session is left behind on the broker per run. Delivery
// stays at least once: libmosquitto keeps every unacknowledged QoS 1
// message and sends it again after a reconnect, clean session or not.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "livelink/mqtt_url.h"

namespace corvane::livelink {

struct MqttPublisherOptions {
  MqttUrl url;
  std::string topic;    // empty: DefaultMqttTopic(station)
  std::string station;  // empty: the host name
  std::size_t maxMessages = 100'000;
  std::size_t maxBytes = 64 * 1024 * 1024;
  int maxInFlight = 20;  // unacknowledged QoS 1 messages at one time
  int keepAliveSeconds = 30;
  int reconnectDelaySeconds = 1;  // doubles up to the maximum
  int reconnectDelayMaxSeconds = 30;
};

// What the publisher has been through; the counts only grow.
struct MqttStatus {
  bool connected = false;
  // The code of the broker's refusal of the login (CONNACK: 4 bad user name
  // or password, 5 not authorised, ...), 0 when it did not refuse; reason is
  // its answer, and libmosquitto keeps trying with its growing delay.
  int refusal = 0;
  // The publisher never started (a station name or topic MQTT cannot
  // carry); reason says why, and nothing is published.
  bool unusable = false;
  std::string reason;  // why the broker is away (empty while connected)
  std::size_t waiting = 0;
  std::uint64_t delivered = 0;  // acknowledged by the broker
  std::uint64_t dropped = 0;    // dropped, oldest first, past the bound
  std::uint64_t connects = 0;
};

class MqttPublisher {
 public:
  // Checks the station name (when the topic is made from it) or the topic,
  // and starts; Status().unusable when they cannot be used.
  explicit MqttPublisher(MqttPublisherOptions options);
  // Stop(), if not yet done.
  ~MqttPublisher();
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  // Queues one message; never waits for the network. Ignored once stopped
  // or when unusable.
  void Publish(std::string json);
  // The same, on the alerts topic (AlertsTopic()): a message that matched
  // the watch list.
  void PublishAlert(std::string json);

  // Gives the queue up to shutdownGrace to go out while connected, then
  // disconnects. Returns how many messages were not delivered (waiting, or
  // sent and not acknowledged): they are lost. Later calls return 0.
  std::size_t Stop();

  [[nodiscard]] MqttStatus Status() const;
  [[nodiscard]] const std::string& Topic() const { return topic_; }
  // "corvane/<station>/alerts" beside the default topic; beside another
  // topic, its last level "messages" replaced by "alerts", or "/alerts" added.
  [[nodiscard]] const std::string& AlertsTopic() const { return alertsTopic_; }
  [[nodiscard]] const std::string& ClientId() const { return clientId_; }

  std::chrono::milliseconds shutdownGrace{2000};

 private:
  struct Entry {
    std::string payload;
    int mid = 0;
    bool acked = false;
    bool alert = false;  // goes to the alerts topic
  };

  void Run();
  void Queue(std::string json, bool alert);
  using Clock = std::chrono::steady_clock;

  bool Connect();
  [[nodiscard]] std::chrono::seconds MaxAway() const;
  void RestartNetwork();
  bool CanHand() const;
  void Hand(std::unique_lock<std::mutex>& lock);
  void DropOldestQueued();
  void OnConnected(int result);
  void OnDisconnected(int result);
  void OnPublished(int mid);
  void OnError(const char* text);
  // Marks an entry done and lets the done ones at the front go.
  void Acknowledge(Entry& entry);

  MqttPublisherOptions options_;
  std::string topic_;
  std::string alertsTopic_;
  std::string clientId_;
  mosquitto* client_ = nullptr;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> entries_;  // handed entries first, then queued ones
  std::size_t handed_ = 0;     // entries at the front given to libmosquitto
  std::size_t inFlight_ = 0;   // handed and not yet acknowledged
  std::size_t bytes_ = 0;
  std::unordered_set<int> earlyAcks_;  // PUBACKs that came before their mid was noted
  bool resending_ = false;             // reconnected with lines in flight: they go first
  bool stopping_ = false;
  bool stopped_ = false;                        // Stop() has run
  Clock::time_point awaySince_ = Clock::now();  // last lost connection or restart
  MqttStatus status_;
  std::thread sender_;
};

// Says, once each, when the broker goes away or refuses the login, and when
// it is back:
// "mqtt: broker unreachable (reason); N messages waiting",
// "mqtt: the broker refused the connection (Connection Refused: not
// authorised.); check the user name and password; N messages waiting",
// "mqtt: broker reachable again; N messages waiting go out now" and
// "mqtt: N messages dropped while the broker was away"; and, when the
// publisher could not start, "mqtt: not publishing: reason". Empty when
// there is nothing new to say.
class MqttTroubleReport {
 public:
  std::vector<std::string> Check(const MqttStatus& status);

 private:
  enum class Trouble { None, Away, Refused, Unusable };
  Trouble shown_ = Trouble::None;
  std::uint64_t droppedShown_ = 0;
};

}  // namespace corvane::livelink
