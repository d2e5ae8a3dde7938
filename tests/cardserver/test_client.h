// A small client of the card server protocol for the tests (a QTcpSocket and
// the frame reader), and a bounded wait that runs the event loop until a
// condition holds.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

#include "cardlink/wire.h"

namespace corvane::cardserver::test_client {

namespace wire = cardlink::wire;

inline QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "cardserver_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

class TestClient {
 public:
  TestClient() {
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { Take(); });
  }

  bool Connect(quint16 port) {
    socket_.connectToHost(QHostAddress::LocalHost, port);
    return WaitUntil([this] { return socket_.state() == QAbstractSocket::ConnectedState; });
  }
  void SendRaw(const std::string& bytes) { socket_.write(bytes.data(), static_cast<qint64>(bytes.size())); }
  void Send(const wire::Items& items) { SendRaw(wire::EncodeFrame(items)); }

  // The next frame, or an empty list when none comes in time.
  wire::Items Next(int timeoutMs = 5000) {
    if (!WaitUntil([this] { return !frames.empty(); }, timeoutMs)) {
      return {};
    }
    wire::Items items = std::move(frames.front());
    frames.pop_front();
    return items;
  }

  wire::Items Hello(const std::string& progId) {
    Send({"HELLO", "CORVANE-CARDLINK", "1", progId});
    return Next();
  }

  // The answer to one call; events that come first are kept in events.
  wire::Items Call(const std::string& operation, const wire::Items& args = {}) {
    const std::string id = wire::Number(++lastId_);
    wire::Items call{"CALL", id, operation};
    call.insert(call.end(), args.begin(), args.end());
    Send(call);
    for (wire::Items frame = Next(); !frame.empty(); frame = Next()) {
      if (frame[0] == "ANSWER" && frame.size() >= 2 && frame[1] == id) {
        return frame;
      }
      events.push_back(frame);
    }
    return {};
  }

  // The next event, from those kept or from the connection.
  wire::Items NextEvent(int timeoutMs = 5000) {
    if (events.empty()) {
      return Next(timeoutMs);
    }
    wire::Items event = std::move(events.front());
    events.pop_front();
    return event;
  }

  bool WaitClosed() {
    return WaitUntil([this] { return socket_.state() == QAbstractSocket::UnconnectedState; });
  }

  // A paused client reads nothing, so what the server sends piles up.
  void Pause(bool paused) {
    paused_ = paused;
    socket_.setReadBufferSize(paused ? 16 * 1024 : 0);
    Take();
  }

  std::deque<wire::Items> frames;
  std::deque<wire::Items> events;

 private:
  void Take() {
    if (paused_) {
      return;
    }
    const QByteArray bytes = socket_.readAll();
    reader_.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    wire::Items items;
    std::string error;
    while (reader_.Next(items, error) == wire::FrameReader::Status::Frame) {
      frames.push_back(items);
    }
  }

  QTcpSocket socket_;
  wire::FrameReader reader_;
  long long lastId_ = 0;
  bool paused_ = false;
};

}  // namespace corvane::cardserver::test_client
