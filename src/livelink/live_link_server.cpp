// The live link server's clients: listening safely, accepting and reading
// them, pushing item changes, and dropping the ones that misbehave or stop
// reading, so that no client can hold up the window.
#include "livelink/live_link_server.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

#include "livelink/live_link_path.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace corvane::livelink {

namespace {

constexpr qint64 kReadChunk = 64 * 1024;
// How long Listen waits for a running server to answer on the name.
constexpr int kProbeTimeoutMs = 1000;
// How long a client whose conversation ended gets to take its last frames.
constexpr int kCloseGraceMs = 2000;

// Whether something other than a socket sits where the socket would go.
// Listening would replace it, so it is left alone and listening refused.
bool PathTakenByOtherFile(const QString& path) {
#ifdef Q_OS_UNIX
  struct stat info {};
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISSOCK(info.st_mode);
#else
  Q_UNUSED(path);
  return false;
#endif
}

}  // namespace

struct LiveLinkServer::Client {
  Client(QLocalSocket* s, const ItemValues& values, int id)
      : socket(s), conversation(values), name("client #" + std::to_string(id)) {}

  QLocalSocket* socket;
  Conversation conversation;
  std::string name;
  bool closed = false;  // ended, dropped or gone: nothing more is read or sent
};

LiveLinkServer::LiveLinkServer(QObject* parent) : QObject(parent) {
  values_.emplace(kLiveItem, "");
  values_.emplace(kLiveData, "");
  values_.emplace(kLiveJson, "");
  connect(&server_, &QLocalServer::newConnection, this, &LiveLinkServer::Accept);
}

LiveLinkServer::~LiveLinkServer() {
  for (const auto& client : clients_) {
    client->socket->disconnect(this);
  }
}

bool LiveLinkServer::Listen(const QString& name, QString* error) {
  const auto fail = [error](const QString& reason) {
    if (error != nullptr) {
      *error = reason;
    }
    return false;
  };
  if (server_.isListening()) {
    return fail(QStringLiteral("the live link already listens as \"%1\"").arg(server_.serverName()));
  }
  QString problem;
  const QString path = LiveLinkPath(name, &problem, LinkFolder::Create);
  if (path.isEmpty()) {
    return fail(QStringLiteral("cannot open the live link \"%1\": %2").arg(name, problem));
  }
  // Whatever another user put there is neither talked to nor removed.
  if (problem = ForeignLinkProblem(path); !problem.isEmpty()) {
    return fail(problem);
  }
  if (AnswersOn(path)) {
    return fail(QStringLiteral("another Corvane is running: the live link \"%1\" answers").arg(name));
  }
  if (PathTakenByOtherFile(path)) {
    return fail(QStringLiteral("cannot open the live link \"%1\": %2 is not a socket").arg(name, path));
  }
  QLocalServer::removeServer(path);  // what a crashed instance left behind
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(path)) {
    return fail(QStringLiteral("cannot open the live link \"%1\": %2").arg(name, server_.errorString()));
  }
  return true;
}

bool LiveLinkServer::AnswersOn(const QString& name) {
  QLocalSocket probe;
  probe.connectToServer(name);
  const bool answered = probe.waitForConnected(kProbeTimeoutMs);
  probe.abort();
  return answered;
}

void LiveLinkServer::Close() {
  server_.close();
  for (const auto& client : clients_) {
    if (!client->closed) {
      client->closed = true;
      Announce(client->conversation.Abandon());
      client->socket->abort();
    }
  }
}

void LiveLinkServer::SetItem(const std::string& item, const std::string& value) {
  const auto entry = values_.find(item);
  if (entry == values_.end()) {
    Log("no item \"" + Printable(item) + "\" to set: the items are " + KnownItemList());
    return;
  }
  if (value.size() > kMaxValueSize) {
    Log("a value of " + std::to_string(value.size()) + " bytes for " + item + " is not published: over the limit");
    return;
  }
  entry->second = value;
  // Whom to tell is settled first: a drop announced on the way may run
  // code that changes the list of clients.
  std::vector<const QLocalSocket*> advised;
  for (const auto& client : clients_) {
    if (!client->closed && client->conversation.IsAdvised(item)) {
      advised.push_back(client->socket);
    }
  }
  const std::string frame = UpdateFrame(item, value);
  for (const QLocalSocket* socket : advised) {
    if (Client* client = Find(socket)) {
      Send(*client, frame);
    }
  }
}

std::optional<std::string> LiveLinkServer::Item(const std::string& item) const {
  const auto entry = values_.find(item);
  return entry == values_.end() ? std::nullopt : std::optional<std::string>(entry->second);
}

std::size_t LiveLinkServer::ClientCount() const {
  std::size_t count = 0;
  for (const auto& client : clients_) {
    count += client->closed ? 0 : 1;
  }
  return count;
}

std::size_t LiveLinkServer::LinkCount() const {
  std::size_t count = 0;
  for (const auto& client : clients_) {
    count += client->conversation.LinkCount();
  }
  return count;
}

void LiveLinkServer::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    socket->setReadBufferSize(kReadChunk);
    clients_.push_back(std::make_unique<Client>(socket, values_, nextClientId_++));
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (Client* client = Find(socket)) {
        ReadClient(*client);
      }
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { ClientGone(socket); });
    ReadClient(*clients_.back());
  }
}

void LiveLinkServer::ReadClient(Client& client) {
  while (!client.closed) {
    const QByteArray chunk = client.socket->read(kReadChunk);
    if (chunk.isEmpty()) {
      break;
    }
    client.conversation.Feed(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    HandleFrames(client);
  }
  if (client.closed && client.socket->isOpen()) {
    client.socket->readAll();  // what a finished client still sends is thrown away
  }
}

void LiveLinkServer::HandleFrames(Client& client) {
  StepResult result;
  while (!client.closed && client.conversation.Step(result)) {
    // Links first, so that a drop while sending closes them after they opened.
    Announce(result.links);
    Send(client, result.reply);
    if (result.ending != Ending::None) {
      Finish(client, result);
    }
    result = StepResult();
  }
}

void LiveLinkServer::Send(Client& client, const std::string& bytes) {
  if (client.closed || bytes.empty()) {
    return;
  }
  client.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  if (client.socket->bytesToWrite() > backlogLimit_) {
    Drop(client, "not reading: " + std::to_string(client.socket->bytesToWrite()) + " bytes waiting");
  }
}

void LiveLinkServer::Finish(Client& client, const StepResult& result) {
  if (client.closed) {
    return;
  }
  client.closed = true;
  if (result.ending == Ending::Dropped) {
    Log(client.name + " dropped: " + result.reason);
  } else if (result.ending == Ending::Refused) {
    Log(client.name + " refused: " + result.reason);
  }
  QLocalSocket* socket = client.socket;
  socket->disconnectFromServer();
  if (socket->state() != QLocalSocket::UnconnectedState) {
    QTimer::singleShot(kCloseGraceMs, socket, [socket] { socket->abort(); });
  }
}

void LiveLinkServer::Drop(Client& client, const std::string& reason) {
  if (client.closed) {
    return;
  }
  client.closed = true;
  Log(client.name + " dropped: " + reason);
  Announce(client.conversation.Abandon());
  client.socket->abort();
}

void LiveLinkServer::ClientGone(QLocalSocket* socket) {
  if (Client* client = Find(socket); client != nullptr && !client->closed) {
    client->closed = true;
    Announce(client->conversation.Abandon());
  }
  // Forgotten later, never while the list of clients is being walked.
  QMetaObject::invokeMethod(
      this, [this, socket] { Forget(socket); }, Qt::QueuedConnection);
}

void LiveLinkServer::Forget(QLocalSocket* socket) {
  const auto it =
      std::find_if(clients_.begin(), clients_.end(), [socket](const auto& client) { return client->socket == socket; });
  if (it == clients_.end()) {
    return;
  }
  clients_.erase(it);
  socket->disconnect(this);
  socket->deleteLater();
}

void LiveLinkServer::Announce(const std::vector<LinkChange>& links) {
  for (const LinkChange& link : links) {
    if (link.opened) {
      emit LinkOpened();
    } else {
      emit LinkClosed();
    }
  }
}

void LiveLinkServer::Log(const std::string& message) const {
  if (log_) {
    log_(message);
  } else {
    qWarning("corvane live link: %s", message.c_str());
  }
}

LiveLinkServer::Client* LiveLinkServer::Find(const QLocalSocket* socket) {
  for (const auto& client : clients_) {
    if (client->socket == socket) {
      return client.get();
    }
  }
  return nullptr;
}

}  // namespace corvane::livelink
