// The MQTT publisher: a bounded queue in front of libmosquitto, a sender
// thread that hands it on in order, and the callbacks of libmosquitto's
// network thread that note connections and acknowledgements.
#include "livelink/mqtt_publisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvane::livelink {

namespace {

constexpr int kQos = 1;
constexpr auto kWatchPeriod = std::chrono::seconds(1);
constexpr auto kSilentLimit = std::chrono::seconds(5);
constexpr auto kStopWait = std::chrono::milliseconds(1000);
// CONNACK codes of a login the broker does not take.
constexpr int kBadLogin = 4;
constexpr int kNotAuthorised = 5;

void InitLibraryOnce() {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
}

std::string ErrorText(int result) {
  return result == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(result);
}

MqttPublisher* Self(void* object) { return static_cast<MqttPublisher*>(object); }

}  // namespace

MqttPublisher::MqttPublisher(MqttPublisherOptions options) : options_(std::move(options)) {
  InitLibraryOnce();
  if (options_.station.empty()) {
    options_.station = HostName();
  }
  topic_ = options_.topic.empty() ? DefaultMqttTopic(options_.station) : options_.topic;
  alertsTopic_ = topic_.ends_with("/messages") ? topic_.substr(0, topic_.size() - 8) + "alerts" : topic_ + "/alerts";
  // libmosquitto refuses to publish on such a topic, message by message.
  const auto problem = options_.topic.empty() ? StationNameProblem(options_.station) : PublishTopicProblem(topic_);
  if (problem) {
    status_.unusable = true;
    status_.reason = *problem;
    return;
  }
  clientId_ = UniqueClientId("corvane-", options_.station, topic_);
  client_ = mosquitto_new(clientId_.c_str(), true, this);
  if (client_ == nullptr) {
    status_.unusable = true;
    status_.reason = "libmosquitto cannot make a client";
    return;
  }
  mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int result) { Self(self)->OnConnected(result); });
  mosquitto_disconnect_callback_set(client_,
                                    [](mosquitto*, void* self, int result) { Self(self)->OnDisconnected(result); });
  mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int mid) { Self(self)->OnPublished(mid); });
  // The library's own error lines carry the reasons no callback gives (a
  // TLS handshake that fails, for one).
  mosquitto_log_callback_set(client_, [](mosquitto*, void* self, int level, const char* text) {
    if (level == MOSQ_LOG_ERR) {
      Self(self)->OnError(text);
    }
  });
  mosquitto_max_inflight_messages_set(client_, static_cast<unsigned int>(options_.maxInFlight));
  mosquitto_reconnect_delay_set(client_, static_cast<unsigned int>(options_.reconnectDelaySeconds),
                                static_cast<unsigned int>(options_.reconnectDelayMaxSeconds), true);
  sender_ = std::thread([this] { Run(); });
}

MqttPublisher::~MqttPublisher() { Stop(); }

std::size_t MqttPublisher::Stop() {
  if (client_ == nullptr || stopped_) {
    return 0;
  }
  stopped_ = true;
  {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, shutdownGrace, [this] { return entries_.empty() || !status_.connected; });
    stopping_ = true;
  }
  wake_.notify_all();
  sender_.join();
  StopClient(client_, kStopWait);  // no acknowledgement comes in after this
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void MqttPublisher::Publish(std::string json) { Queue(std::move(json), false); }

void MqttPublisher::PublishAlert(std::string json) { Queue(std::move(json), true); }

void MqttPublisher::Queue(std::string json, bool alert) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || client_ == nullptr) {
      return;
    }
    bytes_ += json.size();
    entries_.push_back(Entry{std::move(json), 0, false, alert});
    while (entries_.size() > handed_ && (entries_.size() > options_.maxMessages || bytes_ > options_.maxBytes)) {
      DropOldestQueued();
    }
  }
  wake_.notify_all();
}

MqttStatus MqttPublisher::Status() const {
  std::lock_guard lock(mutex_);
  MqttStatus status = status_;
  status.waiting = entries_.size();
  return status;
}

// The sender thread: connects (the name lookup and the first attempt may
// take a while, so not in the constructor), then hands lines on as the
// connection and the in-flight bound allow.
void MqttPublisher::Run() {
  if (!Connect()) {
    return;
  }
  std::unique_lock lock(mutex_);
  while (true) {
    const bool due = wake_.wait_for(lock, kWatchPeriod, [this] { return stopping_ || CanHand(); });
    if (stopping_) {
      return;
    }
    if (due) {
      Hand(lock);
    } else if (!status_.connected && status_.reason.empty() && Clock::now() - awaySince_ > kSilentLimit) {
      // Attempts that fail inside libmosquitto's thread do not always say why.
      status_.reason = "no connection after " + std::to_string(kSilentLimit.count()) + " s";
    } else if (!status_.connected && Clock::now() - awaySince_ > MaxAway()) {
      lock.unlock();
      RestartNetwork();
      lock.lock();
    }
  }
}

// libmosquitto's network thread ends for good on some errors (a failed name
// lookup or TLS handshake): when it has not reconnected in twice its longest
// delay, it is started again. A refused login does not end it: the thread
// tries again after its growing delay (1, 4, 9, 16, 25, then every 30 s),
// and each refusal ends a connection, which keeps this restart away.
std::chrono::seconds MqttPublisher::MaxAway() const {
  return std::chrono::seconds(2 * options_.reconnectDelayMaxSeconds + 5);
}

void MqttPublisher::RestartNetwork() {
  mosquitto_disconnect(client_);  // ends the thread's reconnect loop, if it still runs
  mosquitto_loop_stop(client_, false);
  {
    std::lock_guard lock(mutex_);
    awaySince_ = Clock::now();
  }
  const int result =
      mosquitto_connect_async(client_, options_.url.host.c_str(), options_.url.port, options_.keepAliveSeconds);
  if (result != MOSQ_ERR_SUCCESS) {
    const std::string reason = ErrorText(result);
    std::lock_guard lock(mutex_);
    status_.reason = reason;
  }
  mosquitto_loop_start(client_);
}

// Tries until the first connection is made (libmosquitto's network thread
// only reconnects a client that was connected once), then leaves the
// connection to that thread. False when stopped first.
bool MqttPublisher::Connect() {
  std::string error;
  if (!ConfigureClient(client_, options_.url, error)) {
    std::lock_guard lock(mutex_);
    status_.reason = error;
    return false;
  }
  auto delay = std::chrono::seconds(options_.reconnectDelaySeconds);
  while (true) {
    const int result =
        mosquitto_connect_async(client_, options_.url.host.c_str(), options_.url.port, options_.keepAliveSeconds);
    const std::string reason = ErrorText(result);
    std::unique_lock lock(mutex_);
    if (result == MOSQ_ERR_SUCCESS) {
      awaySince_ = Clock::now();
      return mosquitto_loop_start(client_) == MOSQ_ERR_SUCCESS;
    }
    status_.reason = reason;
    if (wake_.wait_for(lock, delay, [this] { return stopping_; })) {
      return false;
    }
    delay = std::min(delay * 2, std::chrono::seconds(options_.reconnectDelayMaxSeconds));
  }
}

bool MqttPublisher::CanHand() const {
  // After a reconnect, the lines libmosquitto sends again go first.
  return status_.connected && handed_ < entries_.size() && inFlight_ < static_cast<std::size_t>(options_.maxInFlight) &&
         !(resending_ && inFlight_ > 0);
}

void MqttPublisher::Hand(std::unique_lock<std::mutex>& lock) {
  const std::string payload = entries_[handed_].payload;
  const std::string& topic = entries_[handed_].alert ? alertsTopic_ : topic_;
  ++handed_;
  ++inFlight_;
  lock.unlock();
  int mid = 0;
  const int result =
      mosquitto_publish(client_, &mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), kQos, false);
  lock.lock();
  // Only acknowledged entries leave the front, and this one is not yet: it
  // is still the last handed one.
  Entry& handedEntry = entries_[handed_ - 1];
  if (result == MOSQ_ERR_SUCCESS || result == MOSQ_ERR_NO_CONN) {
    // NO_CONN: the connection went meanwhile; libmosquitto keeps the
    // message and sends it after reconnecting.
    handedEntry.mid = mid;
    if (earlyAcks_.erase(mid) > 0) {
      ++status_.delivered;
      Acknowledge(handedEntry);
    }
  } else {
    // Refused for good (too large, out of memory): counted as dropped.
    ++status_.dropped;
    Acknowledge(handedEntry);
  }
}

void MqttPublisher::DropOldestQueued() {
  const auto oldest = entries_.begin() + static_cast<std::ptrdiff_t>(handed_);
  bytes_ -= oldest->payload.size();
  entries_.erase(oldest);
  ++status_.dropped;
}

void MqttPublisher::Acknowledge(Entry& entry) {
  entry.acked = true;
  --inFlight_;
  while (!entries_.empty() && entries_.front().acked) {
    bytes_ -= entries_.front().payload.size();
    entries_.pop_front();
    --handed_;
  }
  if (inFlight_ == 0) {
    resending_ = false;
  }
}

void MqttPublisher::OnConnected(int result) {
  {
    std::lock_guard lock(mutex_);
    if (result != 0) {
      status_.refusal = result;
      status_.reason = mosquitto_connack_string(result);
      return;
    }
    status_.connected = true;
    status_.refusal = 0;
    status_.reason.clear();
    ++status_.connects;
    resending_ = inFlight_ > 0;
  }
  wake_.notify_all();
}

void MqttPublisher::OnDisconnected(int result) {
  {
    std::lock_guard lock(mutex_);
    status_.connected = false;
    awaySince_ = Clock::now();
    // The connection a refused login ends keeps the refusal as its reason.
    if (status_.refusal == 0 || result != MOSQ_ERR_CONN_REFUSED) {
      status_.refusal = 0;
      status_.reason = result == 0 ? "disconnected" : ErrorText(result);
    }
  }
  wake_.notify_all();
}

void MqttPublisher::OnError(const char* text) {
  std::lock_guard lock(mutex_);
  if (!status_.connected && status_.refusal == 0) {
    status_.reason = text;
  }
}

void MqttPublisher::OnPublished(int mid) {
  {
    std::lock_guard lock(mutex_);
    bool found = false;
    for (std::size_t i = 0; i < handed_ && !found; ++i) {
      if (entries_[i].mid == mid && !entries_[i].acked) {
        ++status_.delivered;
        Acknowledge(entries_[i]);
        found = true;
      }
    }
    if (!found) {
      earlyAcks_.insert(mid);
    }
  }
  wake_.notify_all();
}

std::vector<std::string> MqttTroubleReport::Check(const MqttStatus& status) {
  Trouble now = shown_;  // still trying, with nothing to say yet: as before
  if (status.unusable) {
    now = Trouble::Unusable;
  } else if (status.connected) {
    now = Trouble::None;
  } else if (status.refusal != 0) {
    now = Trouble::Refused;
  } else if (!status.reason.empty()) {
    now = Trouble::Away;
  }
  std::vector<std::string> lines;
  const std::string waiting = std::to_string(status.waiting) + " messages waiting";
  if (now != shown_) {
    switch (now) {
      case Trouble::Unusable:
        lines.push_back("mqtt: not publishing: " + status.reason);
        break;
      case Trouble::Refused:
        lines.push_back("mqtt: the broker refused the connection (" + status.reason + ")" +
                        (status.refusal == kBadLogin || status.refusal == kNotAuthorised
                             ? "; check the user name and password"
                             : "") +
                        "; " + waiting);
        break;
      case Trouble::Away:
        lines.push_back("mqtt: broker unreachable (" + status.reason + "); " + waiting);
        break;
      case Trouble::None:
        lines.push_back("mqtt: broker reachable again; " + waiting + " go out now");
        break;
    }
    shown_ = now;
  }
  if (status.connected && status.dropped > droppedShown_) {
    lines.push_back("mqtt: " + std::to_string(status.dropped - droppedShown_) +
                    " messages dropped while the broker was away");
    droppedShown_ = status.dropped;
  }
  return lines;
}

}  // namespace corvane::livelink
