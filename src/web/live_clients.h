// The browsers following the live feed: each accepted message's LiveJSON
// object goes to every one of them as one text frame. Each browser has a
// bounded queue (what it has not yet taken off the socket); one whose queue
// fills is dropped, so a slow or stalled browser never holds up the
// message path or the others.
#pragma once

#include <QObject>
#include <QWebSocket>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace corvane::web {

class LiveClients : public QObject {
  Q_OBJECT

 public:
  // A browser whose unsent frames pass maxQueuedBytes is dropped.
  explicit LiveClients(qint64 maxQueuedBytes = 4 * 1024 * 1024, QObject* parent = nullptr);
  ~LiveClients() override;

  void SetMaxQueuedBytes(qint64 bytes) { maxQueuedBytes_ = bytes; }
  void Add(std::unique_ptr<QWebSocket> socket);
  // Sends the object to every browser.
  void Send(const std::string& json);
  [[nodiscard]] std::size_t Count() const { return clients_.size(); }
  // How many browsers were dropped for falling behind.
  [[nodiscard]] std::uint64_t Dropped() const { return dropped_; }
  void CloseAll();

 private:
  struct Client {
    QWebSocket* socket = nullptr;
    qint64 queued = 0;
  };
  void Remove(QWebSocket* socket);
  Client* Find(QWebSocket* socket);

  qint64 maxQueuedBytes_;
  std::vector<Client> clients_;
  std::uint64_t dropped_ = 0;
};

}  // namespace corvane::web
