// Latency of the web page's live feed: a scripted card server sends
// numbered records at a fixed rate to the real corvaned (no store) serving
// its page, and many WebSocket clients time each LiveJSON object from the
// record's send to its arrival. With --stalled, one more browser opens the
// feed and never reads, to show that it does not hold up the others.
//
//   corvane_web_live_bench CORVANED RECORDS RATE CLIENTS WORKDIR [--stalled]
//
// The first two seconds of records are left out of the figures: the clients
// connect while they go out.
#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>
#include <QWebSocket>
#include <cstdio>
#include <memory>

#include "scripted_card_server.h"

namespace {

using corvane::bench::Clock;

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

struct Client {
  std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
  std::vector<std::pair<int, Clock::time_point>> seen;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane;
  QCoreApplication app(argc, argv);
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS RATE CLIENTS WORKDIR [--stalled]\n", argv[0]);
    return 2;
  }
  const int records = std::stoi(argv[2]);
  const int rate = std::stoi(argv[3]);
  const int clientCount = std::stoi(argv[4]);
  const bool stalled = argc == 7 && std::string(argv[6]) == "--stalled";
  const quint16 http = FreePort();
  bench::ScriptedCardServer server(records, rate);
  QProcess receiver;
  bench::StartReceiver(
      receiver, argv[1], server, argv[5],
      {"--database", "0", "--link-name", QString("corvane-web-bench-%1").arg(QCoreApplication::applicationPid()),
       "--http", QString("127.0.0.1:%1").arg(http)});

  std::vector<Client> clients(static_cast<std::size_t>(clientCount));
  QTcpSocket stalledBrowser;
  const auto connectClients = [&] {
    const QUrl url(QString("ws://127.0.0.1:%1/api/live").arg(http));
    for (Client& client : clients) {
      QObject::connect(client.socket.get(), &QWebSocket::textMessageReceived, [&client](const QString& text) {
        const auto now = Clock::now();
        const int sequence = bench::SequenceIn(text.toStdString());
        if (sequence >= 0) {
          client.seen.emplace_back(sequence, now);
        }
      });
      client.socket->open(url);
    }
    if (stalled) {
      stalledBrowser.connectToHost(QHostAddress::LocalHost, http);
      stalledBrowser.setReadBufferSize(1);
      stalledBrowser.write(
          "GET /api/live HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    }
  };
  // The page's server is up once the receiver has said so; a few tries.
  QTimer::singleShot(500, &app, connectClients);

  const int warmUp = 2 * rate;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const bool allIn = std::all_of(clients.begin(), clients.end(), [&](const Client& client) {
      return !client.seen.empty() && client.seen.back().first >= records - 1;
    });
    if (allIn) {
      receiver.terminate();
    }
  });
  poll.start(50);
  QObject::connect(&receiver, &QProcess::finished, &app, &QCoreApplication::quit);
  QTimer::singleShot(300000, &app, &QCoreApplication::quit);
  app.exec();

  std::vector<double> latencies;
  std::size_t missing = 0;
  for (const Client& client : clients) {
    std::vector<bool> got(static_cast<std::size_t>(records), false);
    for (const auto& [sequence, arrived] : client.seen) {
      if (sequence >= warmUp && sequence < records && !got[static_cast<std::size_t>(sequence)]) {
        got[static_cast<std::size_t>(sequence)] = true;
        latencies.push_back(std::chrono::duration<double, std::milli>(arrived - server.sent()[sequence]).count());
      }
    }
    missing += static_cast<std::size_t>(std::count(got.begin() + warmUp, got.end(), false));
  }
  if (latencies.empty()) {
    std::fprintf(stderr, "no object came back\n");
    return 1;
  }
  std::printf(
      "%d clients%s, %d records at %d/s (first %d left out): %zu objects received, %zu missing; latency "
      "median %.2f ms, p99 %.2f ms, max %.2f ms\n",
      clientCount, stalled ? " and one that never reads" : "", server.next(), rate, warmUp, latencies.size(), missing,
      bench::Percentile(latencies, 0.5), bench::Percentile(latencies, 0.99), bench::Percentile(latencies, 1.0));
  return missing == 0 ? 0 : 1;
}
