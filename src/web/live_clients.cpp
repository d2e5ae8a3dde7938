// The live feed's fan-out.
#include "web/live_clients.h"

#include <algorithm>

namespace corvane::web {

LiveClients::LiveClients(qint64 maxQueuedBytes, QObject* parent) : QObject(parent), maxQueuedBytes_(maxQueuedBytes) {}

LiveClients::~LiveClients() { CloseAll(); }

void LiveClients::Add(std::unique_ptr<QWebSocket> owned) {
  QWebSocket* socket = owned.release();
  socket->setParent(this);
  clients_.push_back({socket, 0});
  connect(socket, &QWebSocket::bytesWritten, this, [this, socket](qint64 written) {
    if (Client* client = Find(socket)) {
      client->queued = std::max<qint64>(0, client->queued - written);
    }
  });
  connect(socket, &QWebSocket::disconnected, this, [this, socket] { Remove(socket); });
  // The browser sends nothing the server needs; what it sends is read and
  // dropped, so it cannot pile up.
  connect(socket, &QWebSocket::textMessageReceived, this, [] {});
}

LiveClients::Client* LiveClients::Find(QWebSocket* socket) {
  const auto found =
      std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.socket == socket; });
  return found == clients_.end() ? nullptr : &*found;
}

void LiveClients::Remove(QWebSocket* socket) {
  const auto found =
      std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.socket == socket; });
  if (found != clients_.end()) {
    clients_.erase(found);
    socket->disconnect(this);
    socket->deleteLater();
  }
}

void LiveClients::Send(const std::string& json) {
  if (clients_.empty() || json.empty()) {
    return;
  }
  const QString frame = QString::fromUtf8(json.data(), static_cast<qsizetype>(json.size()));
  std::vector<QWebSocket*> behind;
  for (Client& client : clients_) {
    if (client.queued + static_cast<qint64>(json.size()) > maxQueuedBytes_) {
      behind.push_back(client.socket);
      continue;
    }
    client.queued += client.socket->sendTextMessage(frame);
  }
  for (QWebSocket* socket : behind) {
    ++dropped_;
    socket->abort();
    Remove(socket);
  }
}

void LiveClients::CloseAll() {
  while (!clients_.empty()) {
    QWebSocket* socket = clients_.back().socket;
    socket->close(QWebSocketProtocol::CloseCodeGoingAway);
    Remove(socket);
  }
}

}  // namespace corvane::web
