// Tests of the card server in-process over real sockets: callbacks gating the
// events, capture replay, decoder state, the UDP feed, fast replay waiting on
// a slow client, and misbehaving clients dropped while the others go on.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QUdpSocket>
#include <fstream>
#include <memory>

#include "cardserver/card_server.h"
#include "cardserver/log.h"
#include "cardserver/udp_feed.h"
#include "test_client.h"

namespace corvane::cardserver {
namespace {

using namespace std::chrono_literals;
using test_client::TestClient;
namespace wire = cardlink::wire;
using test_client::WaitUntil;

const wire::Items kIdle{"EVENT", "NewSystemStatus", "1", "0", "0", "0", "0", "0", "0", "0"};
const wire::Items kTraffic{"EVENT", "NewSystemStatus", "0", "1", "0", "0", "0", "0", "0", "0"};

wire::Items Text(const std::string& record) { return {"EVENT", "NewTextData", record}; }

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_client::App();
    config.port = 0;
    config.helloTimeout = 300ms;
    config.idleAfter = 300ms;
    config.log = [this](const std::string& line) { log.push_back(line); };
  }

  CardServer& Start() {
    server = std::make_unique<CardServer>(config);
    std::string error;
    EXPECT_TRUE(server->Start(error)) << error;
    return *server;
  }

  std::unique_ptr<TestClient> Subscriber(bool text, bool status) {
    auto client = std::make_unique<TestClient>();
    EXPECT_TRUE(client->Connect(server->Port()));
    EXPECT_EQ(client->Hello(std::string(kW41ProgId)), wire::Items({"WELCOME", "1"}));
    EXPECT_EQ(client->Call("EnableCallBackText", {text ? "1" : "0"}).at(2), "0");
    EXPECT_EQ(client->Call("EnableCallBackStatus", {status ? "1" : "0"}).at(2), "0");
    return client;
  }

  std::size_t LogLinesWith(const std::string& text) const {
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
  }

  ServerConfig config;
  std::unique_ptr<CardServer> server;
  std::vector<std::string> log;
};

TEST_F(ServerTest, TextEventsGoOnlyToClientsWithTextCallbacksOn) {
  Start();
  auto on = Subscriber(true, false);
  auto off = Subscriber(false, false);
  server->Deliver("first");
  EXPECT_EQ(on->NextEvent(), Text("first"));
  off->Call("EnableCallBackText", {"1"});
  on->Call("EnableCallBackText", {"0"});
  server->Deliver("second");
  EXPECT_EQ(off->NextEvent(), Text("second")) << "\"first\" came while its callbacks were off";
  on->Call("GetParam");
  EXPECT_TRUE(on->events.empty()) << "an event came after text callbacks were turned off";
}

TEST_F(ServerTest, CaptureReplaysByteExactInOrderOnceTextCallbacksAreOn) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("capture.jsonl").toStdString();
  std::ofstream(path)
      << R"({"utc": "2026-12-07T09:00:17.663Z", "txt": "M=2  ADDR=.HB-JCA TA=! ML=2T B=0\r\nCAF\u00c9 \u00ff\u0000."})"
      << "\n"
      << R"({"utc": "2026-12-07T09:00:18.000Z", "txt": "M=2  ADDR=.F-HBNA TA=! ML=H1 B=1\r\nA\rB"})"
      << "\nnot json\n\n"
      << R"({"timestamp": 1796677207, "mode": "2", "label": "SQ", "text": "02XAEDFEDDF1"})"
      << "\n"
      << R"({"utc": "2026-12-07T09:00:17.000Z", "txt": "M=2  ADDR=.A7-BAE TA=! ML=QC B=2\r\nON"})";
  std::string error;
  auto records = LoadCapture(path, config.log, error);
  ASSERT_TRUE(records) << error;
  EXPECT_EQ(LogLinesWith("capture.jsonl:3: line skipped"), 1U);
  config.replay = ReplayPlan{std::move(*records), 1.0, true, false};
  config.exitAfterReplay = true;
  Start();
  bool done = false;
  QObject::connect(server.get(), &CardServer::replayDone, [&done] { done = true; });

  auto client = Subscriber(false, false);
  EXPECT_FALSE(server->Replay()->Started());
  client->Call("EnableCallBackText", {"1"});
  for (const std::string& expected : {std::string("M=2  ADDR=.HB-JCA TA=! ML=2T B=0\r\nCAF\xC9 \xFF") + '\0' + ".",
                                      std::string("M=2  ADDR=.F-HBNA TA=! ML=H1 B=1\r\nA\rB"),
                                      std::string("M=2  ADDR=        TA=! ML=SQ B= \r\n02XAEDFEDDF1"),
                                      std::string("M=2  ADDR=.A7-BAE TA=! ML=QC B=2\r\nON")}) {
    EXPECT_EQ(client->NextEvent(), Text(expected));
  }
  EXPECT_TRUE(WaitUntil([&done] { return done; }));
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(ServerTest, DecoderStateGoesToTrafficBeforeARecordAndBackToIdleWhenQuiet) {
  Start();
  auto both = Subscriber(true, true);
  auto statusOnly = Subscriber(false, true);
  server->Deliver("a");
  server->Deliver("b");
  for (const wire::Items& expected : {kIdle, kTraffic, Text("a"), Text("b"), kIdle}) {
    EXPECT_EQ(both->NextEvent(), expected);
  }
  for (const wire::Items& expected : {kIdle, kTraffic, kIdle}) {
    EXPECT_EQ(statusOnly->NextEvent(), expected);
  }
}

TEST_F(ServerTest, UdpFeedDeliversEveryGoodLineAtOnce) {
  config.udpPort = 0;
  Start();
  ASSERT_TRUE(server->UdpPort());
  auto client = Subscriber(true, false);
  const QByteArray datagram =
      R"({"timestamp": 1796677206, "mode": "2", "label": "_d", "block_id": "K", "ack": "7", "tail": "N8560Z"})"
      "\r\n{broken\n"
      R"({"timestamp": 1796677207, "mode": "2", "label": "SQ", "text": "02XAEDFEDDF1"})";
  QUdpSocket sender;
  sender.writeDatagram(datagram, QHostAddress::LocalHost, *server->UdpPort());
  EXPECT_EQ(client->NextEvent(), Text("M=2  ADDR=.N8560Z TA=7 ML=_\x7f B=K\r\n"));
  EXPECT_EQ(client->NextEvent(), Text("M=2  ADDR=        TA=! ML=SQ B= \r\n02XAEDFEDDF1"));
  EXPECT_EQ(LogLinesWith("UDP message from 127.0.0.1: 1 of 3 lines skipped (first: not a JSON object)"), 1U);
}

TEST_F(ServerTest, FastReplayWaitsForASlowClientAndLosesNothing) {
  constexpr int kRecords = 4000;
  ReplayPlan plan{{}, 1.0, true, false};
  for (int i = 0; i < kRecords; ++i) {
    plan.records.push_back({0, std::to_string(i) + std::string(8 * 1024, 'x')});
  }
  config.replay = std::move(plan);
  Start();
  auto client = Subscriber(false, false);
  client->Pause(true);
  client->Send({"CALL", "99", "EnableCallBackText", "1"});
  ASSERT_TRUE(WaitUntil([this] { return server->Replay()->WaitingForClients(); }));
  EXPECT_FALSE(server->Replay()->Finished());

  client->Pause(false);
  std::size_t texts = 0;
  bool inOrder = true;
  ASSERT_TRUE(WaitUntil([&] {
    for (; !client->frames.empty(); client->frames.pop_front()) {
      if (client->frames.front()[0] == "EVENT") {
        inOrder = inOrder && client->frames.front()[2].starts_with(std::to_string(texts) + "x");
        ++texts;
      }
    }
    return texts == kRecords;
  }));
  EXPECT_TRUE(inOrder);
  EXPECT_TRUE(server->Replay()->Finished());
}

TEST_F(ServerTest, MisbehavingClientsAreDroppedWhileOthersGoOn) {
  Start();
  auto good = Subscriber(true, false);
  TestClient garbage, oversized, callFirst, silent;
  for (TestClient* bad : {&garbage, &oversized, &callFirst, &silent}) {
    ASSERT_TRUE(bad->Connect(server->Port()));
  }
  garbage.SendRaw(
      std::string("\0\0\0\x06\0\0\0\x09"
                  "ab",
                  10));
  oversized.SendRaw("\x7F\xFF\xFF\xFF");
  callFirst.Send({"CALL", "1", "GetParam"});
  EXPECT_EQ(callFirst.Next().at(1), "440");
  for (TestClient* bad : {&garbage, &oversized, &callFirst, &silent}) {
    EXPECT_TRUE(bad->WaitClosed());
  }
  EXPECT_EQ(LogLinesWith("dropped:"), 4U);
  EXPECT_EQ(LogLinesWith("dropped: no hello within 300 ms"), 1U);
  EXPECT_EQ(LogLinesWith("over the limit"), 1U);
  server->Deliver("still here");
  EXPECT_EQ(good->NextEvent(), Text("still here"));
  EXPECT_TRUE(WaitUntil([this] { return server->ClientCount() == 1; }));
}

}  // namespace
}  // namespace corvane::cardserver

namespace corvane::cardserver {
namespace {

TEST(ServerLog, ControlBytesFromTheNetworkAreWrittenAsEscapes) {
  EXPECT_EQ(EscapeControlBytes("skipped: \x1b[2J\r\nrest\x7f"), "skipped: \\x1b[2J\\x0d\\x0arest\\x7f");
  EXPECT_EQ(EscapeControlBytes("Zürich \xe9t\xe9"), "Zürich \xe9t\xe9");
}

TEST(UdpFeed, ADatagramGivesARecordOrAReasonForEveryLine) {
  const DatagramContents contents = ReadDatagram(
      "\n{\"utc\": \"2026-12-07T09:00:30.868Z\", \"txt\": \"M=2  ADDR=.A7-BAE TA=! ML=QC B=2 MSN=S03A\"}\r\n"
      "not json\n   \n[1]\n");
  ASSERT_EQ(contents.records.size(), 1U);
  EXPECT_EQ(contents.records[0].txt, "M=2  ADDR=.A7-BAE TA=! ML=QC B=2 MSN=S03A");
  ASSERT_EQ(contents.refusals.size(), 2U);
  EXPECT_EQ(contents.refusals[1], "not a JSON object");
}

}  // namespace
}  // namespace corvane::cardserver
