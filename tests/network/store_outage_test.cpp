// Receivers writing into a real PostgreSQL server through the ordinary ways a
// station fails: two receivers started in one folder through an outage, a
// receiver killed outright three seconds into an outage, and a table another
// session keeps locked for 40 s while the receiver is stopped and killed.
// Every message a receiver published over MQTT (so accepted) must be stored
// exactly once, under the station that heard it.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

#include "../support/mosquitto_broker.h"
#include "../support/postgres_server.h"
#include "cardlink/event_wait.h"
#include "decoding/latin1_text.h"
#include "network_programs.h"

namespace corvane {
namespace {

// A message as the store keeps it: station, date, hour, address, text.
using Key = std::tuple<std::string, std::string, std::string, std::string, std::string>;

void Wait(int milliseconds) { cardlink::WaitProcessingEvents(milliseconds); }

using network_test::WaitUntil;

// "2026-12-07T21:00:05.005Z" as the store's Date "261207" and Hour "210005.005".
std::pair<std::string, std::string> DateAndHour(const std::string& time) {
  if (time.size() < 23) {
    return {};
  }
  return {time.substr(2, 2) + time.substr(5, 2) + time.substr(8, 2),
          time.substr(11, 2) + time.substr(14, 2) + time.substr(17, 2) + time.substr(19, 4)};
}

class StoreOutage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::MosquittoBroker::Installed()) << "mosquitto is not installed (scripts/setup.sh)";
    postgres_ = std::make_unique<test_support::PostgresServer>();
    ASSERT_TRUE(postgres_->Installed()) << "PostgreSQL is not installed (scripts/setup.sh)";
    ASSERT_TRUE(postgres_->Ready());
    PGconn* admin = PQconnectdb(postgres_->Url("postgres").c_str());
    PQclear(PQexec(admin, "CREATE DATABASE outage"));
    PQfinish(admin);
    url_ = postgres_->Url("outage");
    ASSERT_TRUE(broker_.Start());
    QDir().mkpath(dir_.filePath("state"));
    Start("mosquitto_sub",
          {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-t", "corvane/+/messages", "-q", "1", "-v"},
          "subscriber");
    Wait(500);
  }

  void TearDown() override {
    for (auto& [name, process] : processes_) {
      process->terminate();
      process->waitForFinished(10000);
    }
  }

  // Every program of a test shares one user state folder, as on a station.
  QProcess& Start(const QString& program, const QStringList& arguments, const QString& name,
                  const QString& folder = {}) {
    auto& slot = processes_[name];
    if (slot) {
      slot->waitForFinished(10000);
    }
    slot = std::make_unique<QProcess>();
    const QString workFolder = dir_.filePath(folder.isEmpty() ? name : folder);
    QDir().mkpath(workFolder + "/config");
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", workFolder + "/config");
    environment.insert("XDG_STATE_HOME", dir_.filePath("state"));
    slot->setProcessEnvironment(environment);
    slot->setWorkingDirectory(workFolder);
    slot->setStandardOutputFile(dir_.filePath(name + ".out"), QIODevice::Append);
    slot->setStandardErrorFile(dir_.filePath(name + ".err"), QIODevice::Append);
    slot->start(program, arguments);
    slot->waitForStarted();
    return *slot;
  }

  QString Said(const QString& name) const {
    QFile out(dir_.filePath(name + ".out"));
    QFile err(dir_.filePath(name + ".err"));
    out.open(QIODevice::ReadOnly);
    err.open(QIODevice::ReadOnly);
    return QString::fromUtf8(out.readAll() + err.readAll());
  }

  // A card server replaying the demo capture (100 messages a second at the
  // default speed), over and over; returns its port.
  int StartCardServer(const QString& name, int speed = 1000) {
    Start(CORVANE_CARDSERVER,
          {"--port", "0", "--capture", CORVANE_DEMO_CAPTURE, "--loop", "--speed", QString::number(speed)},
          name + "-card");
    const int port = network_test::ListeningPort([&] { return Said(name + "-card"); });
    EXPECT_NE(port, 0) << Said(name + "-card").toStdString();
    return port;
  }

  QProcess& StartReceiver(const QString& station, int port, const QString& folder = {}) {
    return Start(CORVANE_RECEIVER,
                 {"--host", QString("127.0.0.1:%1").arg(port), "--card-type", "1", "--card-number", "1", "--retry", "1",
                  "--quiet", "--link-name", dir_.filePath("link-" + station), "--database", "4", "--database-url",
                  QString::fromStdString(url_), "--station", station, "--mqtt", QString::fromStdString(broker_.Url())},
                 station, folder);
  }

  // What the subscriber received, once each.
  std::set<Key> Published() const {
    QFile file(dir_.filePath("subscriber.out"));
    file.open(QIODevice::ReadOnly);
    std::set<Key> published;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const auto space = line.indexOf(' ');
      const auto json = nlohmann::json::parse(line.mid(space + 1).toStdString(), nullptr, false);
      if (space < 0 || !json.is_object()) {
        continue;
      }
      const std::string station = line.left(space).split('/').value(1).toStdString();
      const auto [date, hour] = DateAndHour(json.value("time", ""));
      const auto text = [&](const char* key) { return decoding::Utf8ToLatin1(json.value(key, "")).value_or("?"); };
      published.emplace(station, date, hour, text("address"), text("text"));
    }
    return published;
  }

  // Every stored row, and how many times each was stored.
  std::map<Key, int> Stored() const {
    std::map<Key, int> stored;
    PGconn* connection = PQconnectdb((url_ + "?client_encoding=LATIN1").c_str());
    PGresult* result = PQexec(connection, "SELECT Station, Date, Hour, Address, Data FROM Planes");
    for (int row = 0; PQresultStatus(result) == PGRES_TUPLES_OK && row < PQntuples(result); ++row) {
      const auto cell = [&](int column) { return std::string(PQgetvalue(result, row, column)); };
      ++stored[{cell(0), cell(1), cell(2), cell(3), cell(4)}];
    }
    PQclear(result);
    PQfinish(connection);
    return stored;
  }

  // Stops every receiver, then checks that each published message is stored
  // exactly once under its station, and nothing is stored twice.
  void ExpectEveryPublishedMessageStoredOnce(const QStringList& stations) {
    for (const QString& station : stations) {
      QProcess& receiver = *processes_.at(station);
      receiver.terminate();
      EXPECT_TRUE(receiver.waitForFinished(15000)) << station.toStdString();
    }
    Wait(1000);
    const std::set<Key> published = Published();
    const std::map<Key, int> stored = Stored();
    EXPECT_GT(published.size(), 500U);
    std::size_t missing = 0;
    for (const Key& key : published) {
      missing += stored.contains(key) ? 0 : 1;
    }
    std::size_t twice = 0;
    for (const auto& [key, count] : stored) {
      twice += count > 1 ? 1 : 0;
    }
    std::string said;
    for (const QString& station : stations) {
      said += Said(station).toStdString();
    }
    EXPECT_EQ(missing, 0U) << published.size() << " published\n" << said;
    EXPECT_EQ(twice, 0U) << stored.size() << " stored\n" << said;
  }

  // The receiver's peak memory, from the kernel's account.
  static long PeakKilobytes(const QProcess& process) {
    QFile status(QString("/proc/%1/status").arg(process.processId()));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("VmHWM:")) {
        return line.mid(6).trimmed().split(' ').value(0).toLong();
      }
    }
    return -1;
  }

  test_support::MosquittoBroker broker_;
  std::unique_ptr<test_support::PostgresServer> postgres_;
  std::string url_;
  QTemporaryDir dir_;
  std::map<QString, std::unique_ptr<QProcess>> processes_;
};

// Both receivers started in one folder: each keeps its own pending file, so
// each message comes back once, under its own station.
TEST_F(StoreOutage, TwoReceiversInOneFolderThroughAnOutageStoreEachMessageOnceUnderItsOwnStation) {
  StartReceiver("north", StartCardServer("north", 600), "shared");
  StartReceiver("south", StartCardServer("south", 600), "shared");
  Wait(5000);
  postgres_->Stop();
  Wait(25000);
  ASSERT_TRUE(postgres_->Start());
  Wait(8000);
  ExpectEveryPublishedMessageStoredOnce({"north", "south"});
}

// Killed outright 3 s into an outage: what it had accepted was on disk.
TEST_F(StoreOutage, AReceiverKilledThreeSecondsIntoAnOutageLosesNothingItAccepted) {
  const int port = StartCardServer("north");
  StartReceiver("north", port);
  Wait(4000);
  postgres_->Stop();
  Wait(3000);
  ::kill(static_cast<pid_t>(processes_.at("north")->processId()), SIGKILL);
  processes_.at("north")->waitForFinished(5000);
  ASSERT_TRUE(postgres_->Start());
  StartReceiver("north", port);
  Wait(6000);
  ExpectEveryPublishedMessageStoredOnce({"north"});
}

// Another session keeps Planes locked for 40 s at 100 messages a second: a
// stop keeps its 3 s grace, a kill loses nothing, memory stays bounded.
TEST_F(StoreOutage, ATableLockedForFortySecondsLosesNothingThroughAStopAndAKill) {
  const int port = StartCardServer("north");
  StartReceiver("north", port);
  Wait(3000);
  PGconn* holder = PQconnectdb(url_.c_str());
  PQclear(PQexec(holder, "BEGIN"));
  PGresult* locked = PQexec(holder, "LOCK TABLE planes IN ACCESS EXCLUSIVE MODE");
  ASSERT_EQ(PQresultStatus(locked), PGRES_COMMAND_OK) << PQerrorMessage(holder);
  PQclear(locked);
  QElapsedTimer lockHeld;
  lockHeld.start();

  Wait(8000);
  QProcess& first = *processes_.at("north");
  EXPECT_LT(PeakKilobytes(first), 64 * 1024);
  QElapsedTimer stopping;
  stopping.start();
  first.terminate();
  EXPECT_TRUE(first.waitForFinished(10000));
  EXPECT_LT(stopping.elapsed(), 4500) << "the stop waited on the lock";

  StartReceiver("north", port);
  Wait(10000);
  ::kill(static_cast<pid_t>(processes_.at("north")->processId()), SIGKILL);
  processes_.at("north")->waitForFinished(5000);
  StartReceiver("north", port);
  Wait(static_cast<int>(std::max<qint64>(0, 40000 - lockHeld.elapsed())));
  PQclear(PQexec(holder, "COMMIT"));
  PQfinish(holder);
  Wait(6000);
  EXPECT_TRUE(Said("north").contains("store: cannot write")) << Said("north").toStdString();
  ExpectEveryPublishedMessageStoredOnce({"north"});
}

}  // namespace
}  // namespace corvane
