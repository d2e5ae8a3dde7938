// The door of the page's server: accepting, the per-connection limits and
// the idle clock (see connection_guard.h). A request's head is followed by
// peeking at each chunk before Qt HttpServer reads it: the slot that peeks
// is connected when the socket is made, so it runs before the library's.
#include "web/connection_guard.h"

#include <QDateTime>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include "receiver/open_files.h"

namespace corvane::web {

namespace {

// How long accepting waits after the system refused a connection (no files
// left): long enough for some to close, short enough not to be noticed.
constexpr int kResumeAcceptingMs = 1000;
// A refused connection whose browser reads nothing is cut after this.
constexpr int kRefusedGraceMs = 1000;
// The same trouble is said at most once in this time.
constexpr qint64 kSayAgainMs = 60'000;

// The length of the body a request head announces: 0 when none; nullopt
// when it is of unknown length (chunked). An unreadable length is left to
// the library, which refuses the request.
std::optional<qint64> AnnouncedBody(const QByteArray& head, bool* upgrade) {
  qint64 length = 0;
  for (const QByteArray& line : head.split('\n')) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
      continue;
    }
    const QByteArray name = line.left(colon).trimmed().toLower();
    if (name == "transfer-encoding") {
      return std::nullopt;
    }
    if (name == "upgrade") {
      *upgrade = true;
    }
    if (name == "content-length") {
      length = std::max(length, line.mid(colon + 1).trimmed().toLongLong());
    }
  }
  return length;
}

// Follows the requests of one connection as their bytes come, far enough
// to see each head and the length of the body it announces.
class RequestFraming {
 public:
  enum class Verdict { kFine, kHeadTooLarge, kBodyTooLarge };

  explicit RequestFraming(const ConnectionLimits& limits) : limits_(limits) {}

  Verdict Take(QByteArray bytes) {
    while (!bytes.isEmpty() && !upgraded_) {
      if (bodyLeft_ > 0) {
        const qint64 skipped = std::min<qint64>(bodyLeft_, bytes.size());
        bodyLeft_ -= skipped;
        bytes.remove(0, static_cast<qsizetype>(skipped));
        continue;
      }
      const qsizetype searchFrom = std::max<qsizetype>(0, head_.size() - 3);
      head_ += bytes;
      const qsizetype end = head_.indexOf("\r\n\r\n", searchFrom);
      if (end < 0) {
        return head_.size() > limits_.maxHeadBytes ? Verdict::kHeadTooLarge : Verdict::kFine;
      }
      if (end + 4 > limits_.maxHeadBytes) {
        return Verdict::kHeadTooLarge;
      }
      const auto body = AnnouncedBody(head_.left(end), &upgraded_);
      if (!body || *body > limits_.maxBodyBytes) {
        return Verdict::kBodyTooLarge;
      }
      bodyLeft_ = *body;
      bytes = head_.mid(end + 4);
      head_.clear();
    }
    return Verdict::kFine;
  }

 private:
  const ConnectionLimits limits_;
  QByteArray head_;
  qint64 bodyLeft_ = 0;
  bool upgraded_ = false;  // what follows is WebSocket frames, not requests
};

}  // namespace

// One connection's limits and idle clock; a child of its socket, so it
// goes with it (and the open count with it).
class ConnectionWatch : public QObject {
  Q_OBJECT

 public:
  ConnectionWatch(QTcpSocket* socket, const ConnectionLimits& limits, ConnectionGuard::Refusal refuse,
                  std::shared_ptr<int> open)
      : QObject(socket),
        socket_(socket),
        framing_(limits),
        refuse_(std::move(refuse)),
        open_(std::move(open)),
        idle_(this) {
    ++*open_;
    idle_.setSingleShot(true);
    idle_.setInterval(limits.idle);
    connect(&idle_, &QTimer::timeout, this, &ConnectionWatch::Expire);
    reading_ = connect(socket, &QIODevice::readyRead, this, &ConnectionWatch::Read);
    // A request and its body fit; beyond that the socket stops reading
    // until the library has taken what it holds.
    socket->setReadBufferSize(limits.maxHeadBytes + limits.maxBodyBytes);
    idle_.start();
  }
  ~ConnectionWatch() override { --*open_; }

  static ConnectionWatch* Of(QTcpSocket* socket) {
    return socket ? socket->findChild<ConnectionWatch*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  }
  void Busy() { idle_.stop(); }
  void Idle() {
    if (!refused_) {
      idle_.start();
    }
  }
  void Disarm() {
    idle_.stop();
    disconnect(reading_);
    socket_->setReadBufferSize(0);
  }

 private:
  void Read() {
    if (!socket_->isOpen()) {
      return;
    }
    const qint64 available = socket_->bytesAvailable();
    if (refused_) {
      socket_->skip(available);
      return;
    }
    const auto verdict = framing_.Take(socket_->peek(available));
    if (verdict == RequestFraming::Verdict::kFine) {
      return;
    }
    // What came is dropped before the library reads it, and the browser told why.
    refused_ = true;
    idle_.stop();
    socket_->skip(available);
    refuse_(socket_, verdict == RequestFraming::Verdict::kHeadTooLarge ? 431 : 413);
  }
  void Expire() {
    socket_->abort();
    socket_->deleteLater();
  }

  QTcpSocket* socket_;
  RequestFraming framing_;
  ConnectionGuard::Refusal refuse_;
  std::shared_ptr<int> open_;
  QTimer idle_;
  QMetaObject::Connection reading_;
  bool refused_ = false;
};

ConnectionGuard::ConnectionGuard(const ConnectionLimits& limits, std::optional<QSslConfiguration> tls, Refusal refuse,
                                 QObject* parent)
    : QTcpServer(parent), limits_(limits), tls_(std::move(tls)), refuse_(std::move(refuse)) {
  connect(this, &QTcpServer::acceptError, this, &ConnectionGuard::AcceptFailed);
}

void ConnectionGuard::RequestTaken(QTcpSocket* socket) {
  if (auto* watch = ConnectionWatch::Of(socket)) {
    watch->Busy();
  }
}

void ConnectionGuard::AnswerSent(QTcpSocket* socket) {
  if (auto* watch = ConnectionWatch::Of(socket)) {
    watch->Idle();
  }
}

void ConnectionGuard::HandedOver(QTcpSocket* socket) {
  if (auto* watch = ConnectionWatch::Of(socket)) {
    watch->Disarm();
  }
}

void ConnectionGuard::incomingConnection(qintptr descriptor) {
  if (*open_ >= limits_.maxConnections) {
    RefuseBusy(descriptor);
    return;
  }
  auto* ssl = tls_ ? new QSslSocket(this) : nullptr;
  QTcpSocket* socket = ssl ? ssl : new QTcpSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    return;
  }
  Watch(socket);
  if (ssl) {
    ssl->setSslConfiguration(*tls_);
    ssl->startServerEncryption();
  }
  addPendingConnection(socket);
}

void ConnectionGuard::Watch(QTcpSocket* socket) { new ConnectionWatch(socket, limits_, refuse_, open_); }

// Over the cap: a plain connection is told the server is busy; a TLS one,
// which cannot be told before its handshake, is closed.
void ConnectionGuard::RefuseBusy(qintptr descriptor) {
  auto* socket = new QTcpSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    return;
  }
  connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  QTimer::singleShot(kRefusedGraceMs, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
  if (tls_) {
    socket->abort();
  } else {
    refuse_(socket, 503);
  }
  SayOnce(TroubleKind::kBusy,
          QStringLiteral("web page: %1 connections are open, the most it takes; further browsers are turned away")
              .arg(limits_.maxConnections));
}

// The server stops accepting after such a failure; it starts again shortly,
// as files may have closed by then.
void ConnectionGuard::AcceptFailed(QAbstractSocket::SocketError error) {
  const bool outOfFiles = error == QAbstractSocket::SocketResourceError && receiver::NearOpenFileLimit();
  const QString why = outOfFiles ? QStringLiteral(
                                       "too many open files (%1; raise the limit: LimitNOFILE= in the "
                                       "service, ulimit -n in a shell)")
                                       .arg(QString::fromStdString(receiver::OpenFilesNow().value_or("")))
                                 : errorString();
  SayOnce(TroubleKind::kAccept, QStringLiteral("web page: cannot accept a browser's connection: ") + why);
  QTimer::singleShot(kResumeAcceptingMs, this, [this] { resumeAccepting(); });
}

void ConnectionGuard::SayOnce(TroubleKind kind, const QString& line) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  qint64& last = lastSaid_[kind];
  if (last != 0 && now - last < kSayAgainMs) {
    return;
  }
  last = now;
  emit Trouble(line);
}

std::string ListenFailure(const QTcpServer& server) {
  switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
      return "the port is taken";
    case QAbstractSocket::SocketAccessError:
      return "not allowed (a port below 1024 needs privileges)";
    case QAbstractSocket::SocketAddressNotAvailableError:
      return "the address is not one of this machine's";
    case QAbstractSocket::SocketResourceError:
      if (receiver::NearOpenFileLimit()) {
        return "too many open files (" + receiver::OpenFilesNow().value_or("") + ")";
      }
      [[fallthrough]];
    default:
      return server.errorString().toStdString();
  }
}

}  // namespace corvane::web

#include "connection_guard.moc"
