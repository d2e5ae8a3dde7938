// A station network with the real programs: three corvaned receivers, each
// fed by its own corvane-cardserver replaying the shipped capture, store into
// one PostgreSQL database and publish to one mosquitto broker. A mosquitto_sub
// client and a fourth receiver fed by corvane-cardserver --mqtt-in follow the
// broker. Every accepted message must reach each of them once per receiver,
// be stored once per receiver, and show once in an aircraft's history; with
// the server and the broker stopped for 30 s under traffic nothing is lost
// and no receiver loses its card connection.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <QDateTime>
#include <QFile>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

#include "../support/mosquitto_broker.h"
#include "../support/postgres_server.h"
#include "capture/capture.h"
#include "decoding/text_record.h"
#include "network_programs.h"
#include "reference/reference_tables.h"
#include "store/store.h"

namespace corvane {
namespace {

using network_test::SqliteCount;
using network_test::WaitUntil;

constexpr int kReceivers = 3;
constexpr const char* kProbeTail = "PROBE1";

// The demo capture's accepted messages, as (address, label, msn, text).
using MessageKey = std::tuple<std::string, std::string, std::string, std::string>;
std::vector<MessageKey> AcceptedMessages() {
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::vector<MessageKey> accepted;
  std::ifstream in(CORVANE_DEMO_CAPTURE);
  std::string error;
  std::string label;
  for (std::string line; std::getline(in, line);) {
    const auto record = capture::ParseCaptureLine(line, error);
    const auto message = record ? decoding::ReadTextRecord(record->txt, record->utc, tables, label) : std::nullopt;
    if (message) {
      const auto& r = message->record;
      accepted.emplace_back(r.Address, r.Label, r.Msn, r.Data);
    }
  }
  return accepted;
}

long CountIn(const std::string& url, const std::string& sql) {
  PGconn* connection = PQconnectdb(url.c_str());
  PGresult* result = PQexec(connection, sql.c_str());
  const long count =
      PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1 ? std::stol(PQgetvalue(result, 0, 0)) : -1;
  PQclear(result);
  PQfinish(connection);
  return count;
}

// Lines of the subscriber's output that came from a receiver's topic; with
// distinct, a line delivered again counts once.
long PublishedLines(const QString& path, bool distinct = false) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return 0;
  }
  std::set<QByteArray> seen;
  long lines = 0;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.startsWith("corvane/station") && (!distinct || seen.insert(line).second)) {
      ++lines;
    }
  }
  return lines;
}

class StationNetwork : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::MosquittoBroker::Installed() && test_support::PostgresServer().Installed())
        << "PostgreSQL or mosquitto is not installed (scripts/setup.sh)";
    postgres_ = std::make_unique<test_support::PostgresServer>();
    ASSERT_TRUE(postgres_->Ready());
    ASSERT_EQ(CountIn(postgres_->Url("postgres"), "SELECT count(*) FROM (SELECT 1) AS one"), 1);
    PGconn* connection = PQconnectdb(postgres_->Url("postgres").c_str());
    PQclear(PQexec(connection, "CREATE DATABASE network"));
    PQfinish(connection);
    url_ = postgres_->Url("network");
    ASSERT_TRUE(broker_.Start());
    accepted_ = AcceptedMessages();
    ASSERT_GT(accepted_.size(), 300U);
  }

  // The followers: mosquitto_sub with a persistent session, and a receiver
  // fed from the broker. Probes published until both have seen one say they
  // are listening.
  void StartFollowers() {
    programs_.Start("mosquitto_sub",
                    {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-t", "corvane/+/messages", "-q", "1",
                     "-c", "-i", "corvane-network-test", "-v"},
                    "subscriber");
    // The stations' own traffic has passed one receiver.
    programs_.StartReceiver("follower",
                            {"--mqtt-in", QString::fromStdString(broker_.Url()), "--mqtt-in-topic",
                             "corvane/+/messages", "--mqtt-in-max-hops", "1"},
                            {"--database", "1"});
    const QString probe = QString(R"({"timestamp": %1, "mode": "2", "label": "Q0", "block_id": "1", "tail": "%2"})")
                              .arg(QDateTime::currentSecsSinceEpoch())
                              .arg(kProbeTail);
    bool subscribed = false;
    bool followed = false;
    const bool listening = WaitUntil(
        [&] {
          if (!subscribed || !followed) {
            QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-t",
                                                "corvane/probe/messages", "-q", "1", "-m", probe});
          }
          subscribed = subscribed || programs_.Said("subscriber").contains(kProbeTail);
          followed = followed || FollowerRows(true) > 0;
          return subscribed && followed;
        },
        30000);
    ASSERT_TRUE(listening) << programs_.Said("follower-card").toStdString();
  }

  long FollowerRows(bool probes) const {
    return SqliteCount(
        (programs_.Folder("follower") + "/Corvane.db").toStdString(),
        std::string("SELECT count(*) FROM Planes WHERE Address ") + (probes ? "" : "NOT ") + "LIKE '%PROBE%'");
  }

  void StartStations(const QStringList& replay) {
    for (int i = 0; i < kReceivers; ++i) {
      const QString station = QString("station%1").arg(i);
      stations_.push_back(
          &programs_.StartReceiver(station, QStringList{"--capture", CORVANE_DEMO_CAPTURE} + replay,
                                   {"--database", "4", "--database-url", QString::fromStdString(url_), "--station",
                                    station, "--mqtt", QString::fromStdString(broker_.Url())}));
    }
  }

  // Everything arrived: every accepted message stored once per station, and
  // published once per station to both followers. After an outage QoS 1 may
  // deliver a message again (its acknowledgement was lost with the broker):
  // then each must be there at least once, and the repeats few.
  void ExpectEverythingOncePerStation(int milliseconds, bool afterOutage = false) {
    const long expected = static_cast<long>(accepted_.size()) * kReceivers;
    const auto stored = [&] { return CountIn(url_, "SELECT count(*) FROM Planes"); };
    const QString subscriberOut = programs_.Folder("subscriber") + "/out.txt";
    const auto published = [&] { return PublishedLines(subscriberOut); };
    EXPECT_TRUE(WaitUntil([&] { return stored() >= expected && published() >= expected; }, milliseconds))
        << stored() << " stored, " << published() << " published of " << expected;
    EXPECT_TRUE(WaitUntil([&] { return FollowerRows(false) >= expected; }, 60000)) << FollowerRows(false);
    cardlink::WaitProcessingEvents(1000);  // anything beyond would show now
    EXPECT_EQ(stored(), expected);
    if (afterOutage) {
      EXPECT_EQ(PublishedLines(subscriberOut, true), expected);
      EXPECT_LE(published(), expected + 50);
      EXPECT_LE(FollowerRows(false), expected + 50);
    } else {
      EXPECT_EQ(published(), expected);
      EXPECT_EQ(FollowerRows(false), expected);
    }
    for (int i = 0; i < kReceivers; ++i) {
      EXPECT_EQ(CountIn(url_, "SELECT count(*) FROM Planes WHERE Station = 'station" + std::to_string(i) + "'"),
                static_cast<long>(accepted_.size()));
    }
  }

  test_support::MosquittoBroker broker_;
  std::unique_ptr<test_support::PostgresServer> postgres_;
  std::string url_;
  std::vector<MessageKey> accepted_;
  network_test::Programs programs_;
  std::vector<QProcess*> stations_;
};

TEST_F(StationNetwork, ThreeReceiversStoreAndPublishEveryMessageOncePerReceiver) {
  StartFollowers();
  StartStations({"--fast"});
  ExpectEverythingOncePerStation(120000);

  // The aircraft heard most: its history shows each of its messages once,
  // though all three stations stored them.
  // The history lists messages with text; one station hearing the same text
  // twice shows it twice, three stations hearing it once show it once.
  std::map<std::string, std::vector<MessageKey>> byAircraft;
  for (const MessageKey& key : accepted_) {
    if (!std::get<3>(key).empty() && !std::get<0>(key).empty()) {
      byAircraft[std::get<0>(key)].push_back(key);
    }
  }
  const auto busiest = std::max_element(byAircraft.begin(), byAircraft.end(),
                                        [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  store::Database database(tables);
  database.SetStoreOptions({url_, "reader"});
  std::string name = "Corvane";
  const std::string history = database.PlaneHistory(store::kPostgresStore, name, busiest->first);
  std::size_t entries = 0;
  for (std::size_t at = history.find("--\r\n"); at != std::string::npos; at = history.find("--\r\n", at + 4)) {
    ++entries;
  }
  EXPECT_EQ(entries, busiest->second.size()) << busiest->first << "\n" << history;
  for (const MessageKey& key : busiest->second) {
    EXPECT_NE(history.find(std::get<3>(key)), std::string::npos) << std::get<3>(key);
  }
}

TEST_F(StationNetwork, ServerAndBrokerStoppedForThirtySecondsUnderTrafficLoseNothing) {
  StartFollowers();
  // The capture's hour replayed in about 60 s: traffic before, during and
  // after the 30 s without server and broker.
  StartStations({"--speed", "60"});
  cardlink::WaitProcessingEvents(5000);
  postgres_->Stop();
  broker_.Stop();
  cardlink::WaitProcessingEvents(30000);
  ASSERT_TRUE(postgres_->Start());
  ASSERT_TRUE(broker_.Start());
  ExpectEverythingOncePerStation(180000, true);
  // No receiver lost its card connection (with --retry 0 it would have ended).
  for (int i = 0; i < kReceivers; ++i) {
    EXPECT_EQ(stations_[static_cast<std::size_t>(i)]->state(), QProcess::Running)
        << programs_.Said(QString("station%1").arg(i)).toStdString();
  }
}

// A relay of a station's traffic that stores into the same database, as a
// shared server and relays together invite: each message stays one row,
// under the station that heard it. A broker delivering a message again
// (QoS 1 may) adds no row either.
TEST_F(StationNetwork, ARelayIntoTheSameStoreAndARedeliveryAddNoRow) {
  const QString broker = QString::fromStdString(broker_.Url());
  const QString database = QString::fromStdString(url_);
  programs_.StartReceiver("relay",
                          {"--mqtt-in", broker, "--mqtt-in-topic", "corvane/+/messages", "--mqtt-in-max-hops", "1"},
                          {"--database", "4", "--database-url", database, "--station", "relay"});
  const auto publish = [&](const QString& object) {
    QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-t",
                                        "corvane/elsewhere/messages", "-q", "1", "-m", object});
  };
  const QString repeated = QString(R"({"mode":"2","address":".REPEAT","label":"H1","block":"1","msn":"M01A",)"
                                   R"("flight":"XX0001","text":"AGAIN","time":"2026-12-07T21:00:05.005Z",)"
                                   R"("station":"elsewhere","hops":1,"id":"0123456789abcdef-1"})");
  const auto repeats = [&] { return CountIn(url_, "SELECT count(*) FROM Planes WHERE Address = '.REPEAT'"); };
  ASSERT_TRUE(WaitUntil(
      [&] {
        publish(repeated);
        return repeats() > 0;
      },
      30000))
      << programs_.Said("relay").toStdString();
  publish(repeated);
  programs_.StartReceiver("station0", {"--capture", CORVANE_DEMO_CAPTURE, "--fast"},
                          {"--database", "4", "--database-url", database, "--station", "station0", "--mqtt", broker});
  const long expected = static_cast<long>(accepted_.size());
  const auto stored = [&] { return CountIn(url_, "SELECT count(*) FROM Planes WHERE Address <> '.REPEAT'"); };
  // The relay follows the broker within moments: its copies, were they
  // stored, would show within the wait after the station's own.
  EXPECT_TRUE(WaitUntil([&] { return stored() >= expected; }, 120000)) << stored() << " of " << expected;
  cardlink::WaitProcessingEvents(10000);
  EXPECT_EQ(stored(), expected);
  EXPECT_EQ(CountIn(url_, "SELECT count(*) FROM Planes WHERE Station = 'relay'"), 0);
  EXPECT_EQ(repeats(), 1);
}

}  // namespace
}  // namespace corvane
