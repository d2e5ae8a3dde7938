// End to end: corvane-cardserver replays the demo capture as fast as the
// receiver takes it, corvaned stores every message in Corvane.db and logs all
// of them to Corvane.txt. Every accepted record must be there exactly once,
// and corvane-store copies the store while corvaned writes to it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/listening_port.h"
#include "capture/capture.h"
#include "decoding/text_record.h"
#include "reference/reference_tables.h"
#include "store/search/index_row.h"
#include "store/search/watch_list.h"

namespace {

using corvane::decoding::MessageRecord;

// The messages of the capture that the reader accepts.
std::vector<MessageRecord> AcceptedRecords(const std::string& capturePath) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::vector<MessageRecord> records;
  std::ifstream in(capturePath);
  std::string error;
  std::string currentLabel;
  for (std::string line; std::getline(in, line);) {
    const auto record = corvane::capture::ParseCaptureLine(line, error);
    if (!record) {
      continue;
    }
    if (const auto message = corvane::decoding::ReadTextRecord(record->txt, record->utc, tables, currentLabel)) {
      records.push_back(message->record);
    }
  }
  return records;
}

// The same, as stored rows.
std::vector<std::string> ExpectedRows(const std::string& capturePath) {
  std::vector<std::string> rows;
  for (const MessageRecord& m : AcceptedRecords(capturePath)) {
    rows.push_back(m.Mode + "|" + m.Address + "|" + m.Flight + "|" + m.Label + "|" + m.Bloc + "|" + m.Msn + "|" +
                   m.Data);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> StoredRows(const std::string& database) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT Mode,Address,Flight,Label,Bloc,Msn,Data FROM Planes;", -1, &query, nullptr);
    while (query != nullptr && sqlite3_step(query) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < 7; ++c) {
        const auto* text = static_cast<const char*>(sqlite3_column_blob(query, c));
        if (c > 0) {
          row += '|';
        }
        row.append(text != nullptr ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(query, c)));
      }
      rows.push_back(row);
    }
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  std::sort(rows.begin(), rows.end());
  return rows;
}

// corvaned on the card server at port, storing in SQLite and logging all in
// dir, with its settings there too; it exits when the connection ends.
void StartReceiver(QProcess& receiver, const QTemporaryDir& dir, quint16 port, const QStringList& more = {}) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  receiver.setProcessEnvironment(environment);
  receiver.setWorkingDirectory(dir.path());
  QStringList arguments = {"--host",
                           QString("127.0.0.1:%1").arg(port),
                           "--card-type",
                           "1",
                           "--card-number",
                           "1",
                           "--database",
                           "1",
                           "--log",
                           "all",
                           "--retry",
                           "0",
                           "--quiet",
                           "--link-name",
                           QString("corvane-e2e-%1").arg(QCoreApplication::applicationPid())};
  receiver.start(CORVANE_RECEIVER, arguments + more);
}

// The card server replaying the demo capture once, as fast as it is taken;
// its port (0 when it did not start).
quint16 StartDemoReplay(QProcess& server) {
  server.setProgram(CORVANE_CARDSERVER);
  server.setArguments({"--port", "0", "--capture", CORVANE_DEMO_CAPTURE, "--fast", "--exit-after-replay"});
  server.start();
  return corvane::test_support::ReadListeningPort(server);
}

// The one cell a query answers, as text; empty when it fails.
std::string QueryCell(const std::string& database, const char* sql) {
  std::string cell;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK && sqlite3_step(query) == SQLITE_ROW) {
    cell = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return cell;
}

std::size_t CountEntries(const std::string& log) {
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string bytes = text.str();
  std::size_t entries = 0;
  for (std::size_t at = bytes.find("= "); at != std::string::npos; at = bytes.find("\r\n= ", at + 1)) {
    ++entries;
  }
  return entries;
}

TEST(Receiver, StoresAndLogsEveryRecordOfAFastReplayExactlyOnce) {
  QTemporaryDir dir;
  QProcess server;
  const quint16 port = StartDemoReplay(server);
  ASSERT_NE(port, 0);

  QProcess receiver;
  StartReceiver(receiver, dir, port);
  ASSERT_TRUE(receiver.waitForStarted(5000));

  // The server leaves once everything is sent and taken.
  ASSERT_TRUE(server.waitForFinished(30000));
  EXPECT_EQ(server.exitCode(), 0);
  const std::vector<std::string> expected = ExpectedRows(CORVANE_DEMO_CAPTURE);
  const std::string database = dir.filePath("Corvane.db").toStdString();
  const QDeadlineTimer deadline(10000);
  while (StoredRows(database).size() < expected.size() && !deadline.hasExpired()) {
    QThread::msleep(50);
  }
  receiver.terminate();
  ASSERT_TRUE(receiver.waitForFinished(5000));
  EXPECT_EQ(receiver.exitStatus(), QProcess::NormalExit);

  EXPECT_EQ(StoredRows(database), expected);
  EXPECT_EQ(CountEntries(dir.filePath("Corvane.txt").toStdString()), expected.size());
}

// A watch list given to corvaned: each message that matches an entry is
// printed as an "alert:" line and marked in the store, and no other.
TEST(Receiver, AlertsArePrintedAndMarkedInTheStoreForExactlyTheMatchingMessages) {
  QTemporaryDir dir;
  const std::string watchFile = dir.filePath("watch.txt").toStdString();
  std::ofstream(watchFile) << "# watched\nlabel:SQ\nkind:position_report\n\"ETA\"\nflihgt:broken\n";
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::vector<corvane::store::search::WatchError> errors;
  const auto watch = corvane::store::search::WatchList::FromLines("label:SQ\nkind:position_report\n\"ETA\"", &errors);
  std::size_t expected = 0;
  std::vector<std::size_t> matched;
  for (const MessageRecord& m : AcceptedRecords(CORVANE_DEMO_CAPTURE)) {
    const auto decoding = corvane::store::search::ReadableOf(m, tables);
    watch.Match(
        {m.Data, m.Flight, m.Address, m.Label, decoding ? decoding->kind : std::string_view(), "", 0, false, false},
        matched);
    expected += matched.empty() ? 0 : 1;
  }
  ASSERT_GT(expected, 10U);

  QProcess server;
  const quint16 port = StartDemoReplay(server);
  ASSERT_NE(port, 0);
  QProcess receiver;
  StartReceiver(receiver, dir, port, {"--alerts", QString::fromStdString(watchFile)});
  ASSERT_TRUE(receiver.waitForStarted(5000));
  ASSERT_TRUE(server.waitForFinished(30000));
  ASSERT_TRUE(receiver.waitForFinished(30000));
  const QString said = QString::fromUtf8(receiver.readAllStandardOutput());
  const QString told = QString::fromUtf8(receiver.readAllStandardError());
  EXPECT_EQ(static_cast<std::size_t>(said.count("alert: ")), expected);
  EXPECT_TRUE(told.contains("line 5 left out")) << told.toStdString();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(dir.filePath("Corvane.db").toUtf8().constData(), &db), SQLITE_OK);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM MessageIndex WHERE Alerts IS NOT NULL;", -1, &query, nullptr);
  ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
  EXPECT_EQ(static_cast<std::size_t>(sqlite3_column_int64(query, 0)), expected);
  sqlite3_finalize(query);
  sqlite3_close(db);
}

// Run as systemd runs a Type=notify service (a notification socket and a
// watchdog of 0.4 s): corvaned says it is ready once, after its store
// opened and the card server answered, feeds the watchdog only after that,
// and says when it stops.
TEST(Receiver, AsAServiceItSaysReadyFeedsTheWatchdogAndSaysStopping) {
  QTemporaryDir dir;
  const QByteArray socketPath = dir.filePath("notify").toUtf8();
  const int listener = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  std::vector<std::string> told;
  const auto readTold = [&] {
    char datagram[512];
    for (ssize_t size; (size = recv(listener, datagram, sizeof(datagram), 0)) > 0;) {
      told.emplace_back(datagram, static_cast<std::size_t>(size));
    }
  };
  const auto count = [&](const std::string& start) {
    return std::count_if(told.begin(), told.end(), [&](const std::string& t) { return t.rfind(start, 0) == 0; });
  };

  QProcess server;
  server.setProgram(CORVANE_CARDSERVER);
  server.setArguments({"--port", "0", "--capture", CORVANE_DEMO_CAPTURE});  // replays, then stays connected
  server.start();
  const quint16 port = corvane::test_support::ReadListeningPort(server);
  ASSERT_NE(port, 0);
  QProcess receiver;
  qputenv("NOTIFY_SOCKET", socketPath);  // the receiver's environment is this one's
  qputenv("WATCHDOG_USEC", "400000");
  StartReceiver(receiver, dir, port);
  qunsetenv("NOTIFY_SOCKET");
  qunsetenv("WATCHDOG_USEC");
  ASSERT_TRUE(receiver.waitForStarted(5000));
  const QDeadlineTimer deadline(15000);
  while (count("WATCHDOG=1") < 3 && !deadline.hasExpired()) {
    QThread::msleep(50);
    readTold();
  }
  receiver.terminate();
  ASSERT_TRUE(receiver.waitForFinished(5000));
  readTold();
  close(listener);
  server.kill();
  server.waitForFinished(5000);

  const auto ready =
      std::find_if(told.begin(), told.end(), [](const std::string& t) { return t.rfind("READY=1", 0) == 0; });
  ASSERT_NE(ready, told.end()) << receiver.readAllStandardError().toStdString();
  EXPECT_EQ(count("READY=1"), 1);
  EXPECT_NE(ready->find("STATUS=connected to card 1"), std::string::npos);
  // No ping before ready; at least three after; stopping said last.
  EXPECT_EQ(std::count(told.begin(), ready, "WATCHDOG=1"), 0);
  EXPECT_GE(count("WATCHDOG=1"), 3);
  EXPECT_EQ(told.back(), "STOPPING=1");
}

}  // namespace

namespace {

// A card server streaming as fast as it can while the receiver connects: the
// handling of that stream never makes a call of the connecting sequence
// fail, and every message taken is stored and logged once.
TEST(Receiver, ConnectsEveryTimeToAServerStreamingAsFastAsItCan) {
  QTemporaryDir dir;
  QProcess server;
  server.setProgram(CORVANE_CARDSERVER);
  server.setArguments({"--port", "0", "--capture", CORVANE_DEMO_CAPTURE, "--fast", "--loop"});
  server.start();
  const quint16 port = corvane::test_support::ReadListeningPort(server);
  ASSERT_NE(port, 0);

  for (int run = 0; run < 2; ++run) {
    QProcess receiver;
    receiver.setProcessChannelMode(QProcess::MergedChannels);
    StartReceiver(receiver, dir, port);
    ASSERT_TRUE(receiver.waitForStarted(5000));
    QByteArray said;
    const QDeadlineTimer deadline(30000);
    while (!said.contains("connected to card 1") && receiver.state() == QProcess::Running && !deadline.hasExpired()) {
      receiver.waitForReadyRead(100);
      said += receiver.readAll();
    }
    EXPECT_TRUE(said.contains("connected to card 1")) << "run " << run << ": " << said.toStdString();
    QThread::msleep(300);
    receiver.terminate();
    ASSERT_TRUE(receiver.waitForFinished(30000));
  }
  server.kill();
  server.waitForFinished(3000);
  const std::size_t logged = CountEntries(dir.filePath("Corvane.txt").toStdString());
  EXPECT_GT(logged, 351U);
  // What the store had not taken within the stop's grace waits in the
  // pending file for the next start: stored or waiting, each once.
  std::size_t waiting = 0;
  std::ifstream pending(dir.filePath("Corvane.pending.jsonl").toStdString());
  for (std::string line; std::getline(pending, line);) {
    ++waiting;
  }
  EXPECT_EQ(StoredRows(dir.filePath("Corvane.db").toStdString()).size() + waiting, logged);
}

// corvane-store backs up Corvane.db while corvaned keeps storing a looped
// replay: the copy holds every message stored before the backup began, as
// many as the tool says, and is a sound database.
TEST(Receiver, BackupWhileStoringHoldsEveryMessageStoredBeforeIt) {
  QTemporaryDir dir;
  QProcess server;
  server.setProgram(CORVANE_CARDSERVER);
  server.setArguments({"--port", "0", "--capture", CORVANE_DEMO_CAPTURE, "--fast", "--loop"});
  server.start();
  const quint16 port = corvane::test_support::ReadListeningPort(server);
  ASSERT_NE(port, 0);
  QProcess receiver;
  StartReceiver(receiver, dir, port);
  ASSERT_TRUE(receiver.waitForStarted(5000));
  const std::string store = dir.filePath("Corvane.db").toStdString();
  const QDeadlineTimer deadline(30000);
  while (StoredRows(store).size() < 400 && !deadline.hasExpired()) {
    QThread::msleep(100);
  }
  const std::vector<std::string> before = StoredRows(store);
  ASSERT_GE(before.size(), 400U) << "corvaned stored too little";

  QProcess backup;
  backup.setProcessEnvironment(receiver.processEnvironment());
  backup.setWorkingDirectory(dir.path());
  backup.start(CORVANE_STORE_TOOL, {"backup", "copy.db"});
  ASSERT_TRUE(backup.waitForFinished(60000));
  const std::string said = backup.readAllStandardOutput().toStdString() + backup.readAllStandardError().toStdString();
  EXPECT_EQ(receiver.state(), QProcess::Running) << "corvaned stopped during the backup";
  receiver.terminate();
  receiver.waitForFinished(30000);
  server.kill();
  server.waitForFinished(3000);

  ASSERT_EQ(backup.exitCode(), 0) << said;
  const std::string copy = dir.filePath("copy.db").toStdString();
  const std::vector<std::string> copied = StoredRows(copy);
  EXPECT_TRUE(std::includes(copied.begin(), copied.end(), before.begin(), before.end()));
  EXPECT_NE(said.find(": " + std::to_string(copied.size()) + " messages"), std::string::npos) << said;
  EXPECT_EQ(QueryCell(copy, "PRAGMA integrity_check;"), "ok");
}

}  // namespace
