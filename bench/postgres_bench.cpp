// The station network's store with the real programs and a PostgreSQL
// server of its own:
//   throughput RECEIVERS: RECEIVERS pairs of corvane-cardserver (replaying a
//     capture as fast as it is taken) and corvaned (--database 4, each its
//     own station) write into one database; the rate is the rows committed
//     from the first batch until every accepted record is a row;
//   history: PlaneHistory of one aircraft's day among 10,000,000 rows.
//
//   corvane_postgres_bench CARDSERVER CORVANED CAPTURE ACCEPTED WORKDIR throughput N
//   corvane_postgres_bench history ROWS
#include <libpq-fe.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/postgres_server.h"
#include "reference/reference_tables.h"
#include "store/store.h"

namespace {

using Clock = std::chrono::steady_clock;

// One value of a query, as text; empty when it fails.
std::string QueryValue(const std::string& url, const char* sql) {
  PGconn* connection = PQconnectdb(url.c_str());
  PGresult* result = PQexec(connection, sql);
  std::string value =
      PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0 ? PQgetvalue(result, 0, 0) : "";
  PQclear(result);
  PQfinish(connection);
  return value;
}

long Rows(const std::string& url) {
  const std::string count = QueryValue(url, "SELECT count(*) FROM Planes");
  return count.empty() ? 0 : std::stol(count);
}

int ListeningPort(QProcess& server) {
  QByteArray said;
  while (!said.contains("listening on") && server.waitForReadyRead(5000)) {
    said += server.readAll();
  }
  const auto at = said.indexOf("listening on 127.0.0.1:");
  return at < 0 ? 0 : said.mid(at + 23).trimmed().split('\n').front().trimmed().toInt();
}

int Throughput(char** argv, int receivers, const corvane::test_support::PostgresServer& postgres) {
  const std::string url = postgres.Url("postgres");
  const QString workdir = argv[5];
  std::vector<std::unique_ptr<QProcess>> processes;
  for (int i = 0; i < receivers; ++i) {
    auto server = std::make_unique<QProcess>();
    server->setProgram(QFileInfo(argv[1]).absoluteFilePath());
    server->setArguments({"--port", "0", "--capture", argv[3], "--fast", "--exit-after-replay"});
    server->setProcessChannelMode(QProcess::MergedChannels);
    server->start();
    const int port = ListeningPort(*server);
    if (port == 0) {
      std::fprintf(stderr, "card server %d did not start\n", i);
      return 1;
    }
    const QString station = QString("station%1").arg(i);
    QDir().mkpath(workdir + "/" + station);
    auto receiver = std::make_unique<QProcess>();
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", workdir + "/" + station + "/config");
    receiver->setProcessEnvironment(environment);
    receiver->setWorkingDirectory(workdir + "/" + station);
    receiver->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    receiver->setStandardOutputFile(QProcess::nullDevice());
    receiver->start(
        argv[2], {"--host", QString("127.0.0.1:%1").arg(port), "--card-type", "1", "--card-number", "1", "--database",
                  "4", "--database-url", QString::fromStdString(url), "--station", station, "--retry", "0", "--quiet",
                  "--link-name", QString("corvane-pg-bench-%1-%2").arg(QCoreApplication::applicationPid()).arg(i)});
    processes.push_back(std::move(server));
    processes.push_back(std::move(receiver));
  }
  // The rate is taken off the rows as they land: from the first committed
  // batch to the last row.
  const long expected = std::stol(argv[4]) * receivers;
  const auto deadline = Clock::now() + std::chrono::minutes(10);
  long firstRows = 0;
  Clock::time_point first;
  Clock::time_point last;
  for (long rows = 0; rows < expected && Clock::now() < deadline;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    rows = Rows(url);
    if (firstRows == 0 && rows > 0) {
      firstRows = rows;
      first = Clock::now();
    }
    last = Clock::now();
  }
  for (auto& process : processes) {
    process->terminate();
    process->waitForFinished(30000);
  }
  const long rows = Rows(url);
  const double seconds = std::chrono::duration<double>(last - first).count();
  std::printf("%d receivers: %ld rows of %ld accepted records; %.0f rows/s committed over %.1f s%s\n", receivers, rows,
              expected, seconds > 0 ? static_cast<double>(rows - firstRows) / seconds : 0.0, seconds,
              rows == expected ? ", nothing lost" : ", RECORDS LOST");
  return rows == expected ? 0 : 1;
}

bool Execute(const std::string& url, const char* sql) {
  PGconn* connection = PQconnectdb(url.c_str());
  PGresult* result = PQexec(connection, sql);
  const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
  if (!done) {
    std::fprintf(stderr, "%s", PQerrorMessage(connection));
  }
  PQclear(result);
  PQfinish(connection);
  return done;
}

struct SilentProgress : corvane::store::StoreProgress {
  void ShowProgress(const std::string&) override {}
  void SetProgressStep(const std::string&) override {}
  void HideProgress() override {}
  void AppendCaption(const std::string&) override {}
};

// The store is opened as a receiver opens it (tables created), then filled
// with rows over 100 days, 4,999 aircraft and three stations; aircraft N1
// has about 20 of them today (one in 499,900 rows).
int History(long rows, const corvane::test_support::PostgresServer& postgres) {
  const std::string url = postgres.Url("postgres");
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  corvane::store::Database database(tables);
  database.SetStoreOptions({url, "bench"});
  std::string name = "Corvane";
  SilentProgress progress;
  database.OpenStore(corvane::store::kPostgresStore, name, progress);
  const std::string fill =
      "INSERT INTO Planes SELECT to_char(current_date - (g % 100)::int, 'YYMMDD'), "
      "to_char(time '00:00' + (g % 86400) * interval '1 second', 'HH24MISS') || '.000', '2', "
      "'N' || (g % 4999), 'XX0001', 'H1', '2', lpad((g % 10000)::text, 4, '0'), 'MESSAGE TEXT ' || g, "
      "'st' || (g % 3) FROM generate_series(1, " +
      std::to_string(rows) + ") AS g";
  const auto filling = Clock::now();
  if (!Execute(url, fill.c_str()) || !Execute(url, "VACUUM ANALYZE Planes")) {
    return 1;
  }
  const double fillSeconds = std::chrono::duration<double>(Clock::now() - filling).count();
  std::vector<double> times;
  std::size_t lines = 0;
  for (int i = 0; i < 50; ++i) {
    const auto start = Clock::now();
    const std::string history = database.PlaneHistory(corvane::store::kPostgresStore, name, "N1");
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    lines = static_cast<std::size_t>(std::count(history.begin(), history.end(), '\n'));
  }
  std::sort(times.begin(), times.end());
  std::printf("PlaneHistory among %ld rows (filled in %.0f s): median %.2f ms, max %.2f ms over 50 reads (%zu lines)\n",
              Rows(url), fillSeconds, times[times.size() / 2], times.back(), lines);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool throughput = argc == 8 && std::string(argv[6]) == "throughput";
  const bool history = argc == 3 && std::string(argv[1]) == "history";
  if (!throughput && !history) {
    std::fprintf(stderr,
                 "usage: %s CARDSERVER CORVANED CAPTURE ACCEPTED WORKDIR throughput N\n"
                 "       %s history ROWS\n",
                 argv[0], argv[0]);
    return 2;
  }
  corvane::test_support::PostgresServer postgres;
  if (!postgres.Ready()) {
    std::fprintf(stderr, "the PostgreSQL server did not start\n");
    return 1;
  }
  if (throughput) {
    return Throughput(argv, std::stoi(argv[7]), postgres);
  }
  return History(std::stol(argv[2]), postgres);
}
