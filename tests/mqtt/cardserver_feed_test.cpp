// corvane-cardserver's MQTT feed: an acarsdec message published to the
// broker reaches a card link client as the same card record that the UDP
// feed makes of it.
#include <gtest/gtest.h>

#include <QUdpSocket>

#include "cardserver/card_server.h"
#include "livelink/mqtt_publisher.h"
#include "support/mosquitto_broker.h"
#include "test_client.h"

namespace corvane::cardserver {
namespace {

using test_client::TestClient;
namespace wire = cardlink::wire;

TEST(MqttFeed, AnAcarsdecMessageBecomesTheSameCardRecordAsOverUdp) {
  ASSERT_TRUE(test_support::MosquittoBroker::Installed()) << "mosquitto is not installed (scripts/setup.sh)";
  test_client::App();
  test_support::MosquittoBroker broker;
  ASSERT_TRUE(broker.Start());
  std::vector<std::string> log;
  ServerConfig config;
  config.port = 0;
  config.udpPort = 0;
  config.mqttIn = MqttFeedConfig{broker.Url(), "acars/#"};
  config.log = [&log](const std::string& line) { log.push_back(line); };
  CardServer server(config);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  ASSERT_TRUE(test_client::WaitUntil([&log] { return !log.empty(); }, 60000));  // subscribed

  TestClient client;
  ASSERT_TRUE(client.Connect(server.Port()));
  client.Hello(std::string(kW41ProgId));
  client.Call("EnableCallBackText", {"1"});
  const std::string message =
      R"({"timestamp": 1796677206.5, "mode": "2", "label": "_d", "block_id": "K", "ack": "7", "tail": "N8560Z"})";
  QUdpSocket udp;
  udp.writeDatagram(message.c_str(), QHostAddress::LocalHost, *server.UdpPort());
  const auto overUdp = client.NextEvent();
  ASSERT_EQ(overUdp, wire::Items({"EVENT", "NewTextData", "M=2  ADDR=.N8560Z TA=7 ML=_\x7f B=K\r\n"}));

  livelink::MqttPublisherOptions options;
  options.url = *livelink::ParseMqttUrl(broker.Url(), error);
  options.topic = "acars/test";
  livelink::MqttPublisher publisher(options);
  publisher.Publish(message);
  EXPECT_EQ(client.NextEvent(60000), overUdp);
}

}  // namespace
}  // namespace corvane::cardserver
