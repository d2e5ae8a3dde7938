// Helpers of the web server's tests: waiting while the event loop runs, and
// a raw HTTP request read to the end of its answer.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <functional>

namespace corvane::web::test {

inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

// Whether answer holds a whole answer (its head and Content-Length bytes).
inline bool WholeAnswer(const QByteArray& answer) {
  const qsizetype end = answer.indexOf("\r\n\r\n");
  const qsizetype length = answer.indexOf("Content-Length: ");
  return end > 0 && length > 0 && answer.size() >= end + 4 + answer.mid(length + 16).split('\r').front().toInt();
}

// Reads from socket until a whole answer has come, the server closed the
// connection or ms passed.
inline QByteArray ReadAnswer(QTcpSocket& socket, int ms = 5000) {
  QByteArray answer;
  WaitFor(
      [&] {
        answer += socket.readAll();
        return WholeAnswer(answer) || socket.state() == QAbstractSocket::UnconnectedState;
      },
      ms);
  return answer;
}

// A raw request and the whole answer (the server keeps the connection, so
// the answer ends at its Content-Length).
inline QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& headers = {}) {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  if (!WaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; })) {
    return {};
  }
  socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n" + headers +
               "\r\n");
  return ReadAnswer(socket);
}

inline int StatusOf(const QByteArray& answer) { return answer.mid(9, 3).toInt(); }

}  // namespace corvane::web::test
