// The card server's clients: accepting, reading and answering them, raising
// events to them, and dropping the ones that misbehave.
#include "cardserver/card_server.h"

#include <sys/socket.h>

#include <QTcpSocket>
#include <algorithm>

namespace corvane::cardserver {

namespace {

constexpr qint64 kReadChunk = 64 * 1024;
// Answers waiting to be sent beyond which a client's calls are left unread.
constexpr qint64 kAnswerBacklog = 256 * 1024;
// How long the clients get to leave once a replay that ends the server is out.
constexpr int kClientsLeaveMs = 10000;
// How long a dropped client gets to take what was sent before it is cut off.
constexpr int kCloseGraceMs = 2000;

std::string DurationText(std::chrono::milliseconds time) {
  const auto ms = time.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

std::string Endpoint(const QHostAddress& address, quint16 port) {
  bool isV4 = false;
  const quint32 v4 = address.toIPv4Address(&isV4);
  std::string text;
  if (isV4) {
    text = QHostAddress(v4).toString().toStdString();
  } else {
    text.append("[").append(address.toString().toStdString()).append("]");
  }
  return text.append(":").append(std::to_string(port));
}

struct CardServer::Client {
  Client(QTcpSocket* s, SharedState& shared)
      : socket(s), session(shared), name(Endpoint(s->peerAddress(), s->peerPort())) {}

  QTcpSocket* socket;
  Session session;
  std::string name;
  bool closed = false;  // dropped or gone: nothing more is read or sent
};

CardServer::CardServer(ServerConfig config, QObject* parent)
    : QObject(parent), config_(std::move(config)), shared_(config_.initial) {
  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(config_.idleAfter);
  connect(&idleTimer_, &QTimer::timeout, this, &CardServer::GoIdle);
  connect(&server_, &QTcpServer::newConnection, this, &CardServer::Accept);
  if (config_.replay) {
    replay_ = std::make_unique<CaptureReplay>(
        std::move(*config_.replay),
        [this](const TimedRecord& record) { Deliver(record.txt, std::nullopt, record.facts); },
        [this] { return ClientsTakeMore(); });
    connect(replay_.get(), &CaptureReplay::finished, this, &CardServer::CheckReplayDone);
    config_.replay.reset();
  }
}

CardServer::~CardServer() {
  for (const auto& client : clients_) {
    client->socket->disconnect(this);
  }
}

bool CardServer::Start(std::string& error) {
  if (!server_.listen(config_.address, config_.port)) {
    error = "cannot listen on " + Endpoint(config_.address, config_.port) + ": " + server_.errorString().toStdString();
    return false;
  }
  if (config_.udpPort) {
    udp_ = std::make_unique<UdpFeed>(
        [this](const capture::CaptureRecord& record) { Deliver(record.txt, record.origin, record.facts); }, config_.log,
        config_.maxHops);
    if (!udp_->Bind(config_.address, *config_.udpPort, error)) {
      server_.close();
      return false;
    }
  }
  if (config_.mqttIn) {
    // The same hand-over as the UDP feed's: both feeds behave alike.
    mqtt_ = std::make_unique<MqttFeed>(
        [this](const capture::CaptureRecord& record) { Deliver(record.txt, record.origin, record.facts); }, config_.log,
        config_.maxHops);
    if (!mqtt_->Start(*config_.mqttIn, error)) {
      error = "--mqtt-in: " + error;
      server_.close();
      return false;
    }
  }
  return true;
}

std::optional<quint16> CardServer::UdpPort() const {
  return udp_ ? std::optional<quint16>(udp_->Port()) : std::nullopt;
}

void CardServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    socket->setReadBufferSize(kReadChunk);
    // Events are small and due at once: no waiting to fill a segment.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto& client = *clients_.emplace_back(std::make_unique<Client>(socket, shared_));
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
      if (Client* c = Find(socket)) {
        ReadClient(*c);
      }
    });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
      if (Client* c = Find(socket)) {
        ClientWrote(*c);
      }
    });
    // Forgotten later, never while the list of clients is being walked.
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
      if (Client* c = Find(socket)) {
        c->closed = true;
      }
      QMetaObject::invokeMethod(
          this, [this, socket] { Forget(socket); }, Qt::QueuedConnection);
    });
    QTimer::singleShot(config_.helloTimeout, socket, [this, socket] { CheckHello(socket); });
    config_.log("client " + client.name + " connected");
  }
}

void CardServer::ReadClient(Client& client) {
  while (!client.closed && client.socket->bytesToWrite() < kAnswerBacklog) {
    std::string reply;
    std::optional<std::string> dropReason;
    if (client.session.HasPending()) {
      dropReason = client.session.Receive({}, reply);
    } else {
      const QByteArray chunk = client.socket->read(kReadChunk);
      if (chunk.isEmpty()) {
        break;
      }
      dropReason =
          client.session.Receive(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())), reply);
    }
    Send(client, reply);
    if (dropReason) {
      Drop(client, *dropReason);
    }
  }
  if (client.closed) {
    client.socket->readAll();  // what a dropped client still sends is thrown away
    return;
  }
  if (replay_ && client.session.TextCallbacks()) {
    replay_->Start();
  }
  if (replay_) {
    replay_->Resume();
  }
}

void CardServer::ClientWrote(Client& client) {
  ReadClient(client);
  if (replay_) {
    replay_->Resume();
  }
  CheckReplayDone();
}

void CardServer::Send(Client& client, const std::string& bytes) {
  if (client.closed || bytes.empty()) {
    return;
  }
  client.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  if (client.socket->bytesToWrite() > config_.dropBacklog) {
    Drop(client, "not reading: " + std::to_string(client.socket->bytesToWrite()) + " bytes waiting");
  }
}

void CardServer::Drop(Client& client, const std::string& reason) {
  if (client.closed) {
    return;
  }
  client.closed = true;
  config_.log("client " + client.name + " dropped: " + reason);
  QTcpSocket* socket = client.socket;
  socket->disconnectFromHost();
  if (socket->state() != QAbstractSocket::UnconnectedState) {
    QTimer::singleShot(kCloseGraceMs, socket, [socket] { socket->abort(); });
  }
}

void CardServer::Forget(QTcpSocket* socket) {
  const auto it =
      std::find_if(clients_.begin(), clients_.end(), [socket](const auto& client) { return client->socket == socket; });
  if (it == clients_.end()) {
    return;
  }
  config_.log("client " + (*it)->name + " left");
  clients_.erase(it);
  socket->deleteLater();
  if (replay_) {
    replay_->Resume();
  }
  CheckReplayDone();
}

void CardServer::CheckHello(QTcpSocket* socket) {
  Client* client = Find(socket);
  if (client != nullptr && !client->session.Welcomed()) {
    Drop(*client, "no hello within " + DurationText(config_.helloTimeout));
  }
}

CardServer::Client* CardServer::Find(const QTcpSocket* socket) {
  for (const auto& client : clients_) {
    if (client->socket == socket) {
      return client.get();
    }
  }
  return nullptr;
}

void CardServer::Deliver(const std::string& record, const std::optional<capture::RecordOrigin>& origin,
                         const reception::ReceptionFacts& facts) {
  if (!FitsOneFrame(record, origin)) {
    config_.log("a record of " + std::to_string(record.size()) + " bytes is too big for one frame: not sent");
    return;
  }
  if (!shared_.traffic) {
    shared_.traffic = true;
    BroadcastStatus();
  }
  const std::string frame = TextEventFrame(record, origin);
  // Facts that would not fit one frame are left out rather than the record.
  const bool factsFit = !facts.Empty() && FitsOneFrame(record, origin, &facts);
  const std::string factsFrame = factsFit ? TextEventFrame(record, origin, &facts) : frame;
  for (const auto& client : clients_) {
    if (client->session.Welcomed() && client->session.TextCallbacks()) {
      Send(*client, client->session.ReceptionFacts() ? factsFrame : frame);
    }
  }
  idleTimer_.start();
}

void CardServer::BroadcastStatus() {
  const std::string frame = StatusEventFrame(shared_.traffic);
  for (const auto& client : clients_) {
    if (client->session.Welcomed() && client->session.StatusCallbacks()) {
      Send(*client, frame);
    }
  }
}

void CardServer::GoIdle() {
  shared_.traffic = false;
  BroadcastStatus();
}

// Whether a fast replay may hand out another record: every client taking
// records has little waiting. A looped replay also waits for someone to
// take it, rather than spin on its own.
bool CardServer::ClientsTakeMore() const {
  bool anyone = false;
  for (const auto& client : clients_) {
    if (!client->closed && client->session.TextCallbacks()) {
      anyone = true;
      if (client->socket->bytesToWrite() >= config_.fastReplayBacklog) {
        return false;
      }
    }
  }
  return anyone || !replay_->Looping();
}

// Once the capture is out and every client has it on its way, each client's
// sending side is closed: the client reads everything up to the end and then
// goes. Closing the whole connection instead would make a client's next call
// meet a reset, and a reset throws away what the client had not read yet.
// The server ends when the clients have gone, or after a grace period.
void CardServer::CheckReplayDone() {
  if (!config_.exitAfterReplay || !replay_ || !replay_->Finished()) {
    return;
  }
  if (replayDone_) {
    if (clients_.empty()) {
      emit replayDone();
    }
    return;
  }
  for (const auto& client : clients_) {
    if (!client->closed && client->socket->bytesToWrite() > 0) {
      return;
    }
  }
  replayDone_ = true;
  for (const auto& client : clients_) {
    if (!client->closed) {
      client->closed = true;
      ::shutdown(static_cast<int>(client->socket->socketDescriptor()), SHUT_WR);
    }
  }
  if (clients_.empty()) {
    emit replayDone();
  } else {
    QTimer::singleShot(kClientsLeaveMs, this, &CardServer::replayDone);
  }
}

}  // namespace corvane::cardserver
