// Relaying through a broker with the real programs and a real mosquitto:
// a card server following corvane/+/messages that feeds a receiver
// publishing to the same broker, and two receivers following each other's
// topic, store each message once and go quiet; and a 5 MB message among
// 2,000 normal ones on a card server's --mqtt-in topic is refused at the
// feed while every other message is stored and the receiver keeps its card
// connection.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <map>

#include "../support/mosquitto_broker.h"
#include "network_programs.h"

namespace corvane {
namespace {

using network_test::SqliteCount;
using network_test::SqliteRows;
using network_test::WaitUntil;

// acarsdec JSON lines, one per tail: a link test each, told apart by tail.
QByteArray AcarsdecLines(const QString& prefix, int count) {
  QByteArray lines;
  const qint64 now = QDateTime::currentSecsSinceEpoch();
  for (int i = 0; i < count; ++i) {
    lines += QString(R"({"timestamp": %1, "mode": "2", "label": "Q0", "block_id": "1", "tail": "%2%3"})")
                 .arg(now)
                 .arg(prefix)
                 .arg(i, 7 - static_cast<int>(prefix.size()), 10, QChar('0'))
                 .toUtf8() +
             '\n';
  }
  return lines;
}

class Relay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::MosquittoBroker::Installed()) << "these tests need mosquitto";
    ASSERT_TRUE(broker_.Start());
  }

  // A card server following topic (taking what passed at most one
  // receiver) and the receiver it feeds, which stores into SQLite and, with
  // a station, publishes to the broker.
  QProcess& StartFollower(const QString& name, const QString& topic, const QStringList& receiverOptions) {
    return programs_.StartReceiver(name, {"--mqtt-in", Url(), "--mqtt-in-topic", topic, "--mqtt-in-max-hops", "1"},
                                   QStringList{"--database", "1"} + receiverOptions);
  }

  // Waits until every card server is subscribed and every receiver connected.
  void ExpectReady(const QStringList& names) {
    for (const QString& name : names) {
      EXPECT_TRUE(WaitUntil([&] { return programs_.Said(name + "-card").contains("MQTT feed: subscribed"); }, 20000))
          << programs_.Said(name + "-card").toStdString();
      EXPECT_TRUE(WaitUntil([&] { return programs_.Said(name).contains("connected to card"); }, 20000))
          << programs_.Said(name).toStdString();
    }
  }

  // Publishes each line as one message, QoS 1 (-l), or a file as one (-f).
  void Publish(const QString& topic, const QByteArray& lines, const QString& file = {}) {
    QProcess pub;
    QStringList arguments{"-h", "127.0.0.1", "-p", QString::number(broker_.Port()), "-t", topic, "-q", "1"};
    pub.start("mosquitto_pub", arguments + (file.isEmpty() ? QStringList{"-l"} : QStringList{"-f", file}));
    pub.write(lines);
    pub.closeWriteChannel();
    ASSERT_TRUE(pub.waitForFinished(30000));
    ASSERT_EQ(pub.exitCode(), 0) << pub.readAllStandardError().toStdString();
  }

  // How often each address is in a receiver's store (leading points left out).
  std::map<std::string, int> Stored(const QString& name) const {
    std::map<std::string, int> stored;
    for (std::string address :
         SqliteRows((programs_.Folder(name) + "/Corvane.db").toStdString(), "SELECT Address FROM Planes")) {
      address.erase(0, address.find_first_not_of('.'));
      ++stored[address];
    }
    return stored;
  }

  QString Url() const { return QString::fromStdString(broker_.Url()); }

  test_support::MosquittoBroker broker_;
  network_test::Programs programs_;
};

std::map<std::string, int> OnceEach(const std::vector<QByteArray>& sets) {
  std::map<std::string, int> once;
  for (const QByteArray& lines : sets) {
    for (const QByteArray& line : lines.split('\n')) {
      const auto at = line.indexOf("\"tail\": \"");
      if (at >= 0) {
        once[line.mid(at + 9, line.indexOf('"', at + 9) - at - 9).toStdString()] = 1;
      }
    }
  }
  return once;
}

TEST_F(Relay, BothLoopsStoreEachMessageOnceAndGoQuiet) {
  // The first loop: the card server follows every receiver's topic, its own
  // receiver's included. The second: pair-a and pair-b follow each other.
  StartFollower("loop", "corvane/+/messages", {"--station", "loop", "--mqtt", Url()});
  StartFollower("pair-a", "pair/b", {"--station", "pair-a", "--mqtt", Url(), "--mqtt-topic", "pair/a"});
  StartFollower("pair-b", "pair/a", {"--station", "pair-b", "--mqtt", Url(), "--mqtt-topic", "pair/b"});
  ExpectReady({"loop", "pair-a", "pair-b"});

  const QByteArray toLoop = AcarsdecLines("L", 20);
  const QByteArray toA = AcarsdecLines("A", 20);  // heard first by pair-a, relayed to pair-b
  const QByteArray toB = AcarsdecLines("B", 20);
  Publish("corvane/sdr/messages", toLoop);
  Publish("pair/b", toA);
  Publish("pair/a", toB);

  const auto loopExpected = OnceEach({toLoop});
  const auto pairExpected = OnceEach({toA, toB});
  EXPECT_TRUE(WaitUntil(
      [&] {
        return Stored("loop").size() == loopExpected.size() && Stored("pair-a").size() == pairExpected.size() &&
               Stored("pair-b").size() == pairExpected.size();
      },
      30000));
  cardlink::WaitProcessingEvents(3000);  // a loop would keep on adding rows
  EXPECT_EQ(Stored("loop"), loopExpected);
  EXPECT_EQ(Stored("pair-a"), pairExpected);
  EXPECT_EQ(Stored("pair-b"), pairExpected);
  // The loop receiver's own messages came back and were dropped, and said so;
  // each pair receiver's relays were dropped by the other's card server.
  // (Said when the receiver next looks for trouble: one or more at a time.)
  EXPECT_TRUE(programs_.Said("loop").contains(
      QRegularExpression("corvaned: relay: [0-9]+ messages? this station sent came back from the broker")))
      << programs_.Said("loop").toStdString();
  EXPECT_TRUE(programs_.Said("pair-a-card").contains("dropped: each had passed more than 1 receiver"))
      << programs_.Said("pair-a-card").toStdString();
}

TEST_F(Relay, AFiveMegabyteMessageIsRefusedAtTheFeedAndTheOthersAreStored) {
  QProcess& receiver = StartFollower("big", "acars/feed", {});
  ExpectReady({"big"});
  const QByteArray before = AcarsdecLines("N", 1000);
  const QByteArray after = AcarsdecLines("M", 1000);
  const QString bigFile = programs_.Folder("big.json");
  QFile big(bigFile);
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  big.write(R"({"timestamp": 1796677206, "mode": "2", "label": "H1", "block_id": "1", "tail": "BIG", "text": ")" +
            QByteArray(5 * 1024 * 1024, 'x') + "\"}");
  big.close();

  Publish("acars/feed", before);
  Publish("acars/feed", {}, bigFile);
  Publish("acars/feed", after);

  const std::string store = (programs_.Folder("big") + "/Corvane.db").toStdString();
  EXPECT_TRUE(
      WaitUntil([&] { return SqliteCount(store, "SELECT count(DISTINCT Address) FROM Planes") == 2000; }, 60000))
      << SqliteCount(store, "SELECT count(*) FROM Planes");
  EXPECT_EQ(SqliteCount(store, "SELECT count(*) FROM Planes"), 2000);
  EXPECT_TRUE(programs_.Said("big-card").contains("bytes is too big for one frame"))
      << programs_.Said("big-card").toStdString();
  // With --retry 0 a receiver that lost its card connection would have ended.
  EXPECT_EQ(receiver.state(), QProcess::Running);
  EXPECT_FALSE(programs_.Said("big").contains("connection to the card server lost"))
      << programs_.Said("big").toStdString();
}

}  // namespace
}  // namespace corvane
