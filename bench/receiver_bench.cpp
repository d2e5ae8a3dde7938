// Throughput and latency of the whole receiver: this program plays the card
// server (the real protocol, on a loopback port), starts the real corvaned
// against it, sends numbered records as fast as the receiver takes them, and
// times each record from its send to the moment corvaned prints its report,
// which it does once the message is stored and logged.
//
//   corvane_receiver_bench CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE]
//
// RATE paces the sends (records per second); without it they go as fast as
// the receiver takes them, and the latency then mostly measures the queue.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "scripted_card_server.h"

namespace {

using corvane::bench::Clock;
using corvane::bench::Percentile;

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE]\n", argv[0]);
    return 2;
  }
  const int records = std::stoi(argv[2]);
  corvane::bench::ScriptedCardServer server(records, argc == 6 ? std::stoi(argv[5]) : 0);
  QProcess receiver;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", QString(argv[4]) + "/config");
  receiver.setProcessEnvironment(environment);
  receiver.setWorkingDirectory(argv[4]);
  receiver.setProgram(argv[1]);
  receiver.setArguments({"--host", QString("127.0.0.1:%1").arg(server.port()), "--card-type", "1", "--card-number", "1",
                         "--database", argv[3], "--log", "all", "--retry", "0"});
  receiver.setProcessChannelMode(QProcess::SeparateChannels);
  std::vector<double> latencies;
  latencies.reserve(static_cast<std::size_t>(records));
  Clock::time_point last;
  QByteArray pending;
  QObject::connect(&receiver, &QProcess::readyReadStandardOutput, [&] {
    pending += receiver.readAllStandardOutput();
    const auto now = Clock::now();
    for (auto at = pending.indexOf(" SEQ "); at >= 0; at = pending.indexOf(" SEQ ")) {
      const auto end = pending.indexOf(" END", at);
      if (end < 0) {
        break;
      }
      const int sequence = pending.mid(at + 5, end - at - 5).toInt();
      latencies.push_back(std::chrono::duration<double, std::milli>(now - server.sent()[sequence]).count());
      last = now;
      pending.remove(0, end + 4);
    }
    if (static_cast<int>(latencies.size()) == records) {
      receiver.terminate();
    }
  });
  receiver.start();
  QObject::connect(&receiver, &QProcess::finished, &app, &QCoreApplication::quit);
  QObject::connect(&receiver, &QProcess::errorOccurred, &app, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      std::fprintf(stderr, "cannot start %s\n", argv[1]);
      QCoreApplication::exit(1);
    }
  });
  QTimer::singleShot(120000, &app, &QCoreApplication::quit);
  app.exec();
  if (latencies.empty()) {
    std::fprintf(stderr, "no record came back\n");
    return 1;
  }
  const double seconds = std::chrono::duration<double>(last - server.sent().front()).count();
  std::printf("records %d sent, %zu reported; %.0f records/s; latency median %.2f ms, p99 %.2f ms\n", server.next(),
              latencies.size(), static_cast<double>(latencies.size()) / seconds, Percentile(latencies, 0.5),
              Percentile(latencies, 0.99));
  return static_cast<int>(latencies.size()) == records ? 0 : 1;
}
