// Throughput and latency of the whole receiver: this program plays the card
// server (the real protocol, on a loopback port), starts the real corvaned
// against it, sends numbered records as fast as the receiver takes them, and
// times each record from its send to the moment corvaned prints its report,
// which it does once the message is stored and logged.
//
//   corvane_receiver_bench CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE [kill]]
//
// RATE paces the sends (records per second); without it (or with 0) they go
// as fast as the receiver takes them, and the latency then mostly measures
// the queue. With a store, the rows are counted once corvaned has stopped.
// "kill" ends corvaned with SIGKILL as soon as the last report comes, and
// tells which reported records the store lacks and how long before the
// kill each was sent.
#include <signal.h>
#include <sqlite3.h>

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

// The sequence numbers of the records in the store, in row order.
std::vector<int> StoredSequences(const std::string& database) {
  std::vector<int> sequences;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT Data FROM Planes ORDER BY rowid;", -1, &query, nullptr) == SQLITE_OK) {
    while (sqlite3_step(query) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
      sequences.push_back(corvane::bench::SequenceIn(text != nullptr ? text : ""));
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return sequences;
}

// What the store holds of the reported records: how many, whether once each
// and in order, and (after a kill) what it lacks.
void ReportStore(const std::string& database, int reported, const std::vector<Clock::time_point>& sent,
                 const Clock::time_point* killedAt) {
  const std::vector<int> stored = StoredSequences(database);
  const bool ordered =
      std::is_sorted(stored.begin(), stored.end()) && std::adjacent_find(stored.begin(), stored.end()) == stored.end();
  std::printf("stored %zu of %d reported, %s\n", stored.size(), reported,
              ordered ? "each once and in order" : "NOT each once in order");
  if (killedAt == nullptr) {
    return;
  }
  std::vector<bool> present(static_cast<std::size_t>(reported), false);
  for (const int sequence : stored) {
    if (sequence >= 0 && sequence < reported) {
      present[static_cast<std::size_t>(sequence)] = true;
    }
  }
  int missing = 0;
  double oldest = 0;
  for (int sequence = 0; sequence < reported; ++sequence) {
    if (!present[static_cast<std::size_t>(sequence)]) {
      ++missing;
      const auto age = *killedAt - sent[static_cast<std::size_t>(sequence)];
      oldest = std::max(oldest, std::chrono::duration<double, std::milli>(age).count());
    }
  }
  std::printf("killed: %d reported records missing from the store, the oldest sent %.1f ms before the kill\n", missing,
              oldest);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 5 || argc > 7) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE [kill]]\n", argv[0]);
    return 2;
  }
  const int records = std::stoi(argv[2]);
  const bool kill = argc == 7 && std::string(argv[6]) == "kill";
  Clock::time_point killedAt;
  corvane::bench::ScriptedCardServer server(records, argc >= 6 ? std::stoi(argv[5]) : 0);
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
      if (kill) {
        ::kill(static_cast<pid_t>(receiver.processId()), SIGKILL);
        killedAt = Clock::now();
      } else {
        receiver.terminate();
      }
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
  if (std::string(argv[3]) == "1") {
    ReportStore(std::string(argv[4]) + "/Corvane.db", static_cast<int>(latencies.size()), server.sent(),
                kill ? &killedAt : nullptr);
  }
  return static_cast<int>(latencies.size()) == records ? 0 : 1;
}
