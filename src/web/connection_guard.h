// The page server's door: it accepts the browsers' connections (wrapping
// them in TLS when it has a certificate) and holds each to limits a station
// left running for months needs, before Qt HttpServer reads a byte:
//   - at most maxConnections open at once; more are answered 503 and closed;
//   - a request must come whole within idle of the connection's opening or
//     of the last answer, else the connection is closed (half-sent and idle
//     connections would otherwise hold a file each for ever);
//   - a request head over maxHeadBytes is answered 431, a body announced
//     over maxBodyBytes (or of unknown length) 413, both before the body is
//     read, and the connection closed;
//   - running out of files to accept with is said as such, and accepting
//     resumes a moment later rather than stopping for good.
// A connection's life:
//   accepted --RequestTaken--> answering --AnswerSent--> accepted (idle clock again)
//   accepted --idle clock runs out / refused--> closed
//   accepted --HandedOver--> a WebSocket of the live feed (no more limits here)
#pragma once

#include <QSslConfiguration>
#include <QTcpServer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QTcpSocket;

namespace corvane::web {

struct ConnectionLimits {
  std::chrono::milliseconds idle{10'000};
  int maxConnections = 512;
  qint64 maxHeadBytes = 16 * 1024;
  qint64 maxBodyBytes = 64 * 1024;
};

class ConnectionGuard : public QTcpServer {
  Q_OBJECT

 public:
  // Writes the answer of a refused request (status 413, 431 or 503) and
  // closes the connection after it.
  using Refusal = std::function<void(QTcpSocket* socket, int status)>;

  ConnectionGuard(const ConnectionLimits& limits, std::optional<QSslConfiguration> tls, Refusal refuse,
                  QObject* parent = nullptr);

  [[nodiscard]] int OpenConnections() const { return *open_; }

  // The server holds a request of this connection: its idle clock waits for the answer.
  static void RequestTaken(QTcpSocket* socket);
  // The answer is written: the idle clock runs again.
  static void AnswerSent(QTcpSocket* socket);
  // The connection has become a WebSocket: its requests are no longer read here.
  static void HandedOver(QTcpSocket* socket);

 signals:
  // A line about trouble at the door (no files left to accept with, too many browsers).
  void Trouble(const QString& line);

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  void Watch(QTcpSocket* socket);
  void RefuseBusy(qintptr descriptor);
  void AcceptFailed(QAbstractSocket::SocketError error);
  enum class TroubleKind { kBusy, kAccept };
  void SayOnce(TroubleKind kind, const QString& line);

  ConnectionLimits limits_;
  std::optional<QSslConfiguration> tls_;
  Refusal refuse_;
  std::shared_ptr<int> open_ = std::make_shared<int>(0);
  std::map<TroubleKind, qint64> lastSaid_;
};

// Why listening failed, in words a station's owner can act on.
std::string ListenFailure(const QTcpServer& server);

}  // namespace corvane::web
