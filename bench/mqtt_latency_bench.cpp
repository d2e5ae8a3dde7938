// Latency of the live traffic over MQTT: a scripted card server sends
// numbered records at a fixed rate to the real corvaned (no store,
// publishing to a broker of its own), and a QoS 1 subscriber times each
// LiveJSON object from the record's send to its arrival.
//
//   corvane_mqtt_latency_bench CORVANED RECORDS RATE WORKDIR
#include <mosquitto.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <mutex>

#include "../tests/support/mosquitto_broker.h"
#include "scripted_card_server.h"

namespace {

constexpr const char* kTopic = "corvane/bench/messages";

// What the subscriber's thread hands to the main thread: the arrival time of
// each record's object, by sequence number.
struct Arrivals {
  std::mutex lock;
  std::vector<std::pair<int, corvane::bench::Clock::time_point>> seen;
};

void OnConnect(mosquitto* client, void*, int result) {
  if (result == 0) {
    mosquitto_subscribe(client, nullptr, kTopic, 1);
  }
}

void OnMessage(mosquitto*, void* context, const mosquitto_message* message) {
  const auto now = corvane::bench::Clock::now();
  const std::string payload(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen));
  const int sequence = corvane::bench::SequenceIn(payload);
  if (sequence >= 0) {
    auto* arrivals = static_cast<Arrivals*>(context);
    const std::lock_guard guard(arrivals->lock);
    arrivals->seen.emplace_back(sequence, now);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane;
  QCoreApplication app(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS RATE WORKDIR\n", argv[0]);
    return 2;
  }
  test_support::MosquittoBroker broker;
  if (!broker.Start()) {
    std::fprintf(stderr, "the mosquitto broker did not start\n");
    return 1;
  }
  Arrivals arrivals;
  mosquitto_lib_init();
  mosquitto* subscriber = mosquitto_new("corvane-latency-bench", true, &arrivals);
  mosquitto_connect_callback_set(subscriber, OnConnect);
  mosquitto_message_callback_set(subscriber, OnMessage);
  if (mosquitto_connect(subscriber, "127.0.0.1", broker.Port(), 30) != MOSQ_ERR_SUCCESS ||
      mosquitto_loop_start(subscriber) != MOSQ_ERR_SUCCESS) {
    std::fprintf(stderr, "the subscriber could not connect\n");
    return 1;
  }

  const int records = std::stoi(argv[2]);
  bench::ScriptedCardServer server(records, std::stoi(argv[3]));
  QProcess receiver;
  bench::StartReceiver(
      receiver, argv[1], server, argv[4],
      {"--database", "0", "--link-name", QString("corvane-mqtt-bench-%1").arg(QCoreApplication::applicationPid()),
       "--mqtt", QString::fromStdString(broker.Url()), "--mqtt-topic", kTopic});

  // Every object that arrived, once all are in or the time is up.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const std::lock_guard guard(arrivals.lock);
    if (static_cast<int>(arrivals.seen.size()) >= records) {
      receiver.terminate();
    }
  });
  poll.start(50);
  QObject::connect(&receiver, &QProcess::finished, &app, &QCoreApplication::quit);
  QTimer::singleShot(300000, &app, &QCoreApplication::quit);
  app.exec();
  mosquitto_loop_stop(subscriber, true);
  mosquitto_destroy(subscriber);
  mosquitto_lib_cleanup();

  std::vector<double> latencies;
  std::vector<bool> once(static_cast<std::size_t>(records), false);
  int duplicates = 0;
  for (const auto& [sequence, arrived] : arrivals.seen) {
    if (sequence >= records || once[static_cast<std::size_t>(sequence)]) {
      ++duplicates;
      continue;
    }
    once[static_cast<std::size_t>(sequence)] = true;
    latencies.push_back(std::chrono::duration<double, std::milli>(arrived - server.sent()[sequence]).count());
  }
  if (latencies.empty()) {
    std::fprintf(stderr, "no object came back\n");
    return 1;
  }
  std::printf("records %d sent, %zu objects received (%d again); latency median %.2f ms, p99 %.2f ms, max %.2f ms\n",
              server.next(), latencies.size(), duplicates, bench::Percentile(latencies, 0.5),
              bench::Percentile(latencies, 0.99), bench::Percentile(latencies, 1.0));
  return static_cast<int>(latencies.size()) == records ? 0 : 1;
}
