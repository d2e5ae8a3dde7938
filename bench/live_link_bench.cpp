// Latency of the live link: a scripted card server sends numbered records to
// the real corvaned (SQLite store, live link), and a live link client advised
// on LiveData times each summary from the record's send to its arrival.
//
//   corvane_live_link_bench CORVANED RECORDS RATE WORKDIR
#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>

#include "livelink/live_link_client.h"
#include "scripted_card_server.h"

int main(int argc, char** argv) {
  using namespace corvane;
  QCoreApplication app(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS RATE WORKDIR\n", argv[0]);
    return 2;
  }
  const int records = std::stoi(argv[2]);
  bench::ScriptedCardServer server(records, std::stoi(argv[3]));
  const QString linkName = QString("corvane-link-bench-%1").arg(QCoreApplication::applicationPid());

  QProcess receiver;
  bench::StartReceiver(receiver, argv[1], server, argv[4], {"--database", "1", "--link-name", linkName});

  std::vector<double> latencies;
  bench::Clock::time_point last;
  livelink::LiveLinkClient client;
  QObject::connect(&client, &livelink::LiveLinkClient::Opened, [&] { client.Advise("LiveData"); });
  QObject::connect(&client, &livelink::LiveLinkClient::Changed, [&](const std::string&, const std::string& value) {
    const int sequence = bench::SequenceIn(value);
    if (sequence < 0) {
      return;
    }
    last = bench::Clock::now();
    latencies.push_back(std::chrono::duration<double, std::milli>(last - server.sent()[sequence]).count());
    if (static_cast<int>(latencies.size()) == records) {
      receiver.terminate();
    }
  });
  // The receiver's live link appears once it has started.
  QTimer opener;
  QObject::connect(&opener, &QTimer::timeout, [&] {
    if (client.state() == livelink::LiveLinkClient::State::Idle) {
      client.Open(linkName);
    } else {
      opener.stop();
    }
  });
  QObject::connect(&client, &livelink::LiveLinkClient::Failed, [&](const livelink::LinkError&) {
    if (client.state() == livelink::LiveLinkClient::State::Idle) {
      opener.start(50);
    }
  });
  opener.start(50);
  QObject::connect(&receiver, &QProcess::finished, &app, &QCoreApplication::quit);
  QTimer::singleShot(300000, &app, &QCoreApplication::quit);
  app.exec();
  if (latencies.empty()) {
    std::fprintf(stderr, "no summary came back\n");
    return 1;
  }
  const double seconds = std::chrono::duration<double>(last - server.sent().front()).count();
  std::printf("records %d sent, %zu summaries received; %.0f records/s; latency median %.2f ms, p99 %.2f ms\n",
              server.next(), latencies.size(), static_cast<double>(latencies.size()) / seconds,
              bench::Percentile(latencies, 0.5), bench::Percentile(latencies, 0.99));
  return static_cast<int>(latencies.size()) == records ? 0 : 1;
}
