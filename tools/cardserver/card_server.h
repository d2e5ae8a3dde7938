// The card server stand-in: a TCP server speaking the card server protocol
// to any number of clients, with simulated cards, and traffic from a capture
// replay and a UDP feed raised as events to the clients that asked for them.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cardserver/log.h"
#include "cardserver/mqtt_feed.h"
#include "cardserver/replay.h"
#include "cardserver/session.h"
#include "cardserver/udp_feed.h"

class QTcpSocket;

namespace corvane::cardserver {

struct ServerConfig {
  QHostAddress address{QHostAddress::LocalHost};
  quint16 port = cardlink::wire::kDefaultPort;  // 0 picks a free port
  SharedState initial;                          // cards, ProgIDs served, parameter string
  std::optional<ReplayPlan> replay;
  bool exitAfterReplay = false;  // raise replayDone once the capture is out
  std::optional<quint16> udpPort;
  std::optional<MqttFeedConfig> mqttIn;  // acarsdec/dumpvdl2 JSON from an MQTT topic
  int maxHops = 0;                       // the feeds drop LiveJSON objects that have passed more receivers
  std::chrono::milliseconds helloTimeout{5000};
  std::chrono::milliseconds idleAfter{1500};  // quiet time before the decoder reports idle
  qint64 fastReplayBacklog = 256 * 1024;      // a fast replay waits while a client has this much unsent
  qint64 dropBacklog = 64 * 1024 * 1024;      // a client with this much unsent is not reading: dropped
  Logger log = LogToStderr;
};

// "127.0.0.1:7441", "[::1]:7441"
std::string Endpoint(const QHostAddress& address, quint16 port);

class CardServer : public QObject {
  Q_OBJECT

 public:
  explicit CardServer(ServerConfig config, QObject* parent = nullptr);
  ~CardServer() override;

  // Listens for clients (and the UDP and MQTT feeds); false with the reason when it
  // cannot.
  bool Start(std::string& error);

  [[nodiscard]] QHostAddress Address() const { return server_.serverAddress(); }
  [[nodiscard]] quint16 Port() const { return server_.serverPort(); }
  [[nodiscard]] std::optional<quint16> UdpPort() const;
  [[nodiscard]] const CaptureReplay* Replay() const { return replay_.get(); }
  [[nodiscard]] std::size_t ClientCount() const { return clients_.size(); }

  // Raises one text record to every client with text callbacks on; a
  // record relayed from a receiver's LiveJSON object carries its origin. A
  // record too big for one frame is logged and not sent.
  // Clients that asked for reception facts get them with the record.
  void Deliver(const std::string& record, const std::optional<capture::RecordOrigin>& origin = std::nullopt,
               const reception::ReceptionFacts& facts = {});

 signals:
  // With exitAfterReplay: the capture is replayed and every client has
  // taken it.
  void replayDone();

 private:
  struct Client;

  void Accept();
  void ReadClient(Client& client);
  void ClientWrote(Client& client);
  void Send(Client& client, const std::string& bytes);
  void Drop(Client& client, const std::string& reason);
  void Forget(QTcpSocket* socket);
  void CheckHello(QTcpSocket* socket);
  Client* Find(const QTcpSocket* socket);
  void BroadcastStatus();
  void GoIdle();
  [[nodiscard]] bool ClientsTakeMore() const;
  void CheckReplayDone();

  ServerConfig config_;
  SharedState shared_;
  QTcpServer server_;
  QTimer idleTimer_;
  std::vector<std::unique_ptr<Client>> clients_;
  std::unique_ptr<CaptureReplay> replay_;
  std::unique_ptr<UdpFeed> udp_;
  std::unique_ptr<MqttFeed> mqtt_;
  bool replayDone_ = false;
};

}  // namespace corvane::cardserver
