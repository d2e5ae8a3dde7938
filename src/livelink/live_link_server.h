// The live link server: Corvane's stand-in for its DDE source. A QLocalServer
// (a Unix socket here, a named pipe on Windows) that publishes the items
// LiveItem, LiveData and LiveJSON under topic "ACARS" to any number of local clients.
//
// Everything runs on the thread that owns it; slots of LinkOpened and
// LinkClosed run inside its handling and may call SetItem, but must not spin
// the event loop.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "livelink/conversation.h"

class QLocalSocket;

namespace corvane::livelink {

// Where the server says why it dropped a client; qWarning by default.
using LinkLogger = std::function<void(const std::string&)>;

class LiveLinkServer : public QObject {
  Q_OBJECT

 public:
  explicit LiveLinkServer(QObject* parent = nullptr);
  ~LiveLinkServer() override;

  // Listens under `name` (its path: LiveLinkPath), reachable by this user
  // only. A socket file left by a crashed instance is removed first, but
  // only when no server answers on it: when another Corvane is running, this
  // fails and says so in `error`. Whatever belongs to another user at the
  // path is neither talked to nor removed: listening fails.
  bool Listen(const QString& name = QString::fromLatin1(kDefaultServerName), QString* error = nullptr);

  // Stops listening and ends every conversation, closing its links.
  void Close();

  // Sets an item's value and pushes it to every client advised on the item,
  // also when the value has not changed: each set is a new event. A name
  // other than LiveItem, LiveData or LiveJSON, or a value over kMaxValueSize, is
  // refused with a log line.
  void SetItem(const std::string& item, const std::string& value);

  [[nodiscard]] std::optional<std::string> Item(const std::string& item) const;
  [[nodiscard]] bool IsListening() const { return server_.isListening(); }
  [[nodiscard]] QString FullServerName() const { return server_.fullServerName(); }
  [[nodiscard]] std::size_t ClientCount() const;
  [[nodiscard]] std::size_t LinkCount() const;

  // Unsent bytes a client may have before it is dropped (kDefaultBacklogLimit).
  void SetBacklogLimit(qint64 bytes) { backlogLimit_ = bytes; }
  void SetLogger(LinkLogger log) { log_ = std::move(log); }

 signals:
  // One per advise, and one per link closed: by unadvise, by a clean close,
  // or because the client went away or was dropped.
  void LinkOpened();
  void LinkClosed();

 private:
  struct Client;

  void Accept();
  void ReadClient(Client& client);
  void HandleFrames(Client& client);
  void Send(Client& client, const std::string& bytes);
  void Finish(Client& client, const StepResult& result);
  void Drop(Client& client, const std::string& reason);
  void ClientGone(QLocalSocket* socket);
  void Forget(QLocalSocket* socket);
  void Announce(const std::vector<LinkChange>& links);
  void Log(const std::string& message) const;
  Client* Find(const QLocalSocket* socket);
  [[nodiscard]] static bool AnswersOn(const QString& name);

  QLocalServer server_;
  ItemValues values_;
  std::vector<std::unique_ptr<Client>> clients_;
  qint64 backlogLimit_ = kDefaultBacklogLimit;
  LinkLogger log_;
  int nextClientId_ = 1;
};

}  // namespace corvane::livelink
