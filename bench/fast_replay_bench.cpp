// The receiver's sustained rate end to end with the real programs:
// corvane-cardserver replays a capture as fast as it is taken into corvaned
// (SQLite store, log all, live link). Once the server has sent everything and
// left, corvaned is stopped, and the rate is read off the store: rows over
// the span of their reception times. Nothing lost means every accepted record
// is a row and a log entry.
//
//   corvane_fast_replay_bench CARDSERVER CORVANED CAPTURE ACCEPTED WORKDIR
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <string>

namespace {

// Seconds since midnight of an HHMMSS.mmm reception time.
double SecondsOf(const std::string& hour) {
  if (hour.size() < 10) {
    return 0;
  }
  return std::stoi(hour.substr(0, 2)) * 3600.0 + std::stoi(hour.substr(2, 2)) * 60.0 + std::stod(hour.substr(4));
}

struct StoreSpan {
  long rows = 0;
  double seconds = 0;
};

StoreSpan ReadSpan(const std::string& database) {
  StoreSpan span;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db,
                         "SELECT count(*), (SELECT Date || Hour FROM Planes ORDER BY rowid LIMIT 1), "
                         "(SELECT Date || Hour FROM Planes ORDER BY rowid DESC LIMIT 1) FROM Planes;",
                         -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    span.rows = sqlite3_column_int64(query, 0);
    const auto text = [&](int column) {
      const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(query, column));
      return std::string(value != nullptr ? value : "");
    };
    const std::string first = text(1);
    const std::string last = text(2);
    // Same day assumed; a run across midnight reads as negative and is said so.
    span.seconds = first.size() > 6 && last.size() > 6 ? SecondsOf(last.substr(6)) - SecondsOf(first.substr(6)) : 0;
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return span;
}

long LogEntries(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return 0;
  }
  const QByteArray log = file.readAll();
  return log.count("\r\n= ") + (log.startsWith("= ") ? 1 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s CARDSERVER CORVANED CAPTURE ACCEPTED WORKDIR\n", argv[0]);
    return 2;
  }
  const QString workdir = argv[5];
  QProcess server;
  server.setProgram(argv[1]);
  server.setArguments({"--port", "0", "--capture", argv[3], "--fast", "--exit-after-replay"});
  server.setProcessChannelMode(QProcess::MergedChannels);
  server.start();
  QByteArray said;
  while (!said.contains("listening on") && server.waitForReadyRead(5000)) {
    said += server.readAll();
  }
  const auto at = said.indexOf("listening on 127.0.0.1:");
  if (at < 0) {
    std::fprintf(stderr, "the card server did not start\n");
    return 1;
  }
  const int port = said.mid(at + 23).trimmed().split('\n').front().trimmed().toInt();

  QProcess receiver;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", workdir + "/config");
  receiver.setProcessEnvironment(environment);
  receiver.setWorkingDirectory(workdir);
  receiver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  receiver.setStandardOutputFile(QProcess::nullDevice());
  receiver.start(argv[2], {"--host", QString("127.0.0.1:%1").arg(port), "--card-type", "1", "--card-number", "1",
                           "--database", "1", "--log", "all", "--retry", "0", "--quiet", "--link-name",
                           QString("corvane-fast-bench-%1").arg(QCoreApplication::applicationPid())});
  if (!server.waitForFinished(600000)) {
    std::fprintf(stderr, "the replay did not end in time\n");
  }
  receiver.terminate();
  receiver.waitForFinished(600000);

  const long accepted = std::stol(argv[4]);
  const StoreSpan span = ReadSpan((workdir + "/Corvane.db").toStdString());
  const long logged = LogEntries(workdir + "/Corvane.txt");
  std::printf("%ld rows, %ld log entries of %ld accepted records; %.0f records/s over %.1f s%s\n", span.rows, logged,
              accepted, span.seconds > 0 ? static_cast<double>(span.rows - 1) / span.seconds : 0.0, span.seconds,
              span.rows == accepted && logged == accepted ? ", nothing lost" : ", RECORDS LOST");
  return span.rows == accepted && logged == accepted ? 0 : 1;
}
