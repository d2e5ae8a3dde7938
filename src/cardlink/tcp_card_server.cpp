// The card server client over TCP: the hello, calls that wait for their answer
// with the event loop turning (so events and the window go on meanwhile), and
// events handed on one at a time from the event loop. Frames are read and
// sorted as soon as they arrive, so a call's answer is seen however long the
// handling of the records before it takes.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <optional>

#include "cardlink/card_server.h"
#include "cardlink/server_replies.h"
#include "cardlink/wire.h"

namespace corvane::cardlink {

namespace {

constexpr const char* kNotRegisteredText = "Class not registered on local machine";
constexpr const char* kUnavailableText = "The remote server machine does not exist or is unavailable";
constexpr qint64 kReadChunk = 64 * 1024;
// A call waits at most this many wait times, however busy the server is.
constexpr qint64 kLongestWaits = 10;
// Events read ahead of their handling; past this the socket is left unread
// (and the server held back by TCP) until the handlers catch up.
constexpr std::size_t kMostEventsAhead = 10000;
// Events are handed on in slices of this many milliseconds at most, so that
// the event loop (painting, timers, a call's answer) turns between slices.
constexpr qint64 kDeliverySliceMs = 5;

// The host as a host setting would name it, with its port: an IPv6 address
// in brackets, so that the port stands apart.
std::string HostPortText(const HostAndPort& target) {
  const std::string host = target.host.toStdString();
  const bool v6 = target.host.contains(':');
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(target.port);
}

// A machine that answers but has nothing listening on the port: the server
// may well be installed, only not running there, or the port is wrong.
AutomationError RefusedConnection(const HostAndPort& target) {
  return AutomationError(kRemoteServerUnavailable,
                         "The connection was refused at " + HostPortText(target) + ": no card server listens there");
}

class TcpCardServer : public CardServer {
 public:
  explicit TcpCardServer(int waitMs) : waitMs_(waitMs) {
    socket_.setReadBufferSize(static_cast<qint64>(wire::kMaxPayload) + 8);
    QObject::connect(&socket_, &QTcpSocket::readyRead, this, [this] { ReadFrames(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, this,
                     [this] { Lose("the card server closed the connection"); });
    QObject::connect(&socket_, &QTcpSocket::stateChanged, this, [this] { Wake(); });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, this, [this] { Wake(); });
  }

  // The socket outlives nothing it reports to: its own closing must not
  // reach this half-destroyed object.
  ~TcpCardServer() override {
    socket_.disconnect(this);
    socket_.abort();
  }
  TcpCardServer(const TcpCardServer&) = delete;
  TcpCardServer& operator=(const TcpCardServer&) = delete;

  void Open(const std::string& progId, const std::string& hostSetting) {
    const HostAndPort target = ParseHost(hostSetting);
    const bool local = IsLocalHost(target.host);
    socket_.connectToHost(target.host, target.port);
    if (!WaitFor([this] { return socket_.state() == QAbstractSocket::ConnectedState || Failed(); })) {
      socket_.abort();
      throw AutomationError(
          local ? kClassNotRegistered : kRemoteServerUnavailable,
          local ? kNotRegisteredText
                : std::string(kUnavailableText) + " (no answer from " + target.host.toStdString() + ")");
    }
    if (socket_.state() != QAbstractSocket::ConnectedState) {
      const bool refused = socket_.error() == QAbstractSocket::ConnectionRefusedError;
      const std::string why = socket_.errorString().toStdString();
      socket_.abort();
      if (refused) {
        throw RefusedConnection(target);
      }
      throw AutomationError(local ? kClassNotRegistered : kRemoteServerUnavailable,
                            local ? kNotRegisteredText : std::string(kUnavailableText) + " (" + why + ")");
    }
    // Requests are small and awaited: no waiting to fill a segment.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    Hello(progId);
  }

  void ConnectByNumber(std::int16_t card) override { Call("ConnectByNumber", {wire::Number(card)}); }

  void GetCardStatus(std::int32_t& status) override {
    const wire::Items results = Call("GetCardStatus", {});
    status = static_cast<std::int32_t>(NumberResult(results, "GetCardStatus"));
  }

  void SetUpdateRate(std::int16_t rate) override { Call("SetUpdateRate", {wire::Number(rate)}); }
  void EnableCallBackText(bool on) override { Call("EnableCallBackText", {wire::Number(on ? 1 : 0)}); }
  void EnableCallBackStatus(bool on) override { Call("EnableCallBackStatus", {wire::Number(on ? 1 : 0)}); }
  void EnableCallBackRaw(bool on) override { Call("EnableCallBackRaw", {wire::Number(on ? 1 : 0)}); }
  void SetParam(std::string& parameters) override { Call("SetParam", {parameters}); }

  // An older server answers that it has no such operation: it sends no facts.
  bool EnableReceptionFacts(bool on) override {
    try {
      Call("EnableReceptionFacts", {wire::Number(on ? 1 : 0)});
      return true;
    } catch (const AutomationError& error) {
      if (error.number() == kRemoteServerUnavailable) {
        throw;
      }
      return false;
    }
  }

  void GetParam(std::string& parameters) override {
    const wire::Items results = Call("GetParam", {});
    if (results.empty()) {
      throw AutomationError(kRemoteServerUnavailable, "the card server gave GetParam no result");
    }
    parameters = results.front();
  }

 private:
  bool Failed() const {
    return socket_.state() == QAbstractSocket::UnconnectedState &&
           socket_.error() != QAbstractSocket::UnknownSocketError;
  }

  // Runs the event loop until done() holds or the wait runs out; false on
  // running out. The window keeps painting and events keep arriving
  // meanwhile; whatever arrives wakes the loop to check again. The wait runs
  // out when the server has sent nothing for the wait time (a busy server
  // streaming records ahead of the answer is not a silent one), and in any
  // case after ten wait times. Time spent handling records that did arrive
  // counts toward neither: a slow handler is not a silent server.
  template <typename Done>
  bool WaitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    const qint64 handlingBefore = handlingMs_;
    quietSince_.start();
    while (!done()) {
      const qint64 quietLeft = waitMs_ - quietSince_.elapsed();
      const qint64 waited = clock.elapsed() - (handlingMs_ - handlingBefore);
      const qint64 totalLeft = static_cast<qint64>(waitMs_) * kLongestWaits - waited;
      const qint64 left = std::min(quietLeft, totalLeft);
      if (left <= 0) {
        return false;
      }
      QEventLoop loop;
      QEventLoop* outer = waitLoop_;
      waitLoop_ = &loop;
      QTimer::singleShot(static_cast<int>(left), &loop, &QEventLoop::quit);
      loop.exec();
      waitLoop_ = outer;
    }
    return true;
  }

  void Wake() {
    if (waitLoop_ != nullptr) {
      waitLoop_->quit();
    }
  }

  void Hello(const std::string& progId) {
    Send({std::string(wire::kHello), std::string(wire::kProtocolName), std::string(wire::kProtocolVersion), progId});
    waitingHello_ = true;
    const bool answered = WaitFor([this] { return hello_.has_value() || lost_; });
    waitingHello_ = false;
    if (!answered) {
      socket_.abort();
      throw AutomationError(kRemoteServerUnavailable, std::string(kUnavailableText) +
                                                          " (the card server did not answer the hello within " +
                                                          std::to_string(waitMs_ / 1000) + " seconds)");
    }
    if (lost_ || !hello_) {
      throw AutomationError(kRemoteServerUnavailable, std::string(kUnavailableText) + " (" + lostReason_ + ")");
    }
    const wire::Items& answer = *hello_;
    if (answer.front() == wire::kWelcome) {
      return;
    }
    socket_.abort();
    if (answer.front() == wire::kRefused && answer.size() >= 3) {
      const auto number = wire::ParseNumber(answer[1]);
      throw AutomationError(number ? static_cast<int>(*number) : kClassNotRegistered, answer[2]);
    }
    throw AutomationError(kRemoteServerUnavailable, "the card server answered the hello with something else");
  }

  wire::Items Call(const std::string& operation, const wire::Items& arguments) {
    if (lost_) {
      DrainEvents();
      throw AutomationError(kRemoteServerUnavailable,
                            "the connection to the card server is lost (" + lostReason_ + ")");
    }
    if (callInProgress_) {
      throw AutomationError(kCallRejected, "the card server is busy with another call");
    }
    callInProgress_ = true;
    const long long id = ++lastCallId_;
    wire::Items frame = {std::string(wire::kCall), wire::Number(id), operation};
    frame.insert(frame.end(), arguments.begin(), arguments.end());
    answer_.reset();
    answerId_ = id;
    Send(frame);
    const bool answered = WaitFor([this] { return answer_.has_value() || lost_; });
    callInProgress_ = false;
    if (!answered) {
      LoseLater("the card server did not answer " + operation + " within " + std::to_string(waitMs_ / 1000) +
                " seconds");
      DrainEvents();
      throw AutomationError(kRemoteServerUnavailable, lostReason_);
    }
    if (!answer_) {
      DrainEvents();
      throw AutomationError(kRemoteServerUnavailable,
                            "the connection to the card server is lost (" + lostReason_ + ")");
    }
    AnswerOutcome outcome = ReadAnswer(*answer_);
    answer_.reset();
    if (!outcome.wellFormed) {
      LoseLater("the card server sent a malformed answer");
      throw AutomationError(kRemoteServerUnavailable, lostReason_);
    }
    if (outcome.error != 0) {
      throw AutomationError(outcome.error, outcome.description);
    }
    return std::move(outcome.results);
  }

  long long NumberResult(const wire::Items& results, const std::string& operation) {
    const auto number = results.empty() ? std::nullopt : wire::ParseNumber(results.front());
    if (!number) {
      throw AutomationError(kRemoteServerUnavailable, "the card server gave " + operation + " no number");
    }
    return *number;
  }

  // The request leaves at once, before any waiting begins.
  void Send(const wire::Items& items) {
    socket_.write(QByteArray::fromStdString(wire::EncodeFrame(items)));
    socket_.flush();
  }

  // While a call waits for its answer, frames are read however many events
  // wait ahead of it, so that the answer is seen at once; past the limit the
  // oldest events are handed on there and then, as a server that keeps
  // streaming records ahead of the answer would otherwise fill the memory.
  // Without a call waiting, reading pauses while too many events wait, and
  // the server is held back by TCP.
  void ReadFrames() {
    while ((events_.size() < kMostEventsAhead || AwaitingAnswer()) && socket_.bytesAvailable() > 0) {
      while (events_.size() >= kMostEventsAhead) {
        HandOnOldest();
      }
      const QByteArray chunk = socket_.read(kReadChunk);
      quietSince_.restart();
      reader_.Append(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
      wire::Items items;
      std::string error;
      for (auto status = reader_.Next(items, error); status != wire::FrameReader::Status::NeedMore;
           status = reader_.Next(items, error)) {
        if (status == wire::FrameReader::Status::Invalid) {
          LoseLater("the card server broke the protocol: " + error);
          return;
        }
        Sort(items);
      }
    }
    ScheduleDelivery();
  }

  [[nodiscard]] bool AwaitingAnswer() const { return (callInProgress_ && !answer_) || (waitingHello_ && !hello_); }

  // The opening reply and answers are taken at once; events wait their turn.
  void Sort(wire::Items& items) {
    ServerReply reply = SortServerFrame(items);
    switch (reply.kind) {
      case ServerReply::Kind::Opening:
        hello_ = std::move(items);
        Wake();
        break;
      case ServerReply::Kind::Answer:
        if (reply.answerId == answerId_) {
          answer_ = std::move(items);
          Wake();
        }
        break;
      case ServerReply::Kind::Text:
      case ServerReply::Kind::Status:
        events_.push_back(std::move(reply));
        break;
      case ServerReply::Kind::Ignored:
        break;
    }
  }

  void ScheduleDelivery() {
    if (!deliveryScheduled_ && (!events_.empty() || !pendingLoss_.empty())) {
      deliveryScheduled_ = true;
      QTimer::singleShot(0, this, [this] { Deliver(); });
    }
  }

  // Hands on events for one slice, then lets the event loop turn. The quiet
  // clock starts again after each handler: its time is Corvane's, not the
  // server's silence. A loss noticed meanwhile is reported after the events
  // that came before it.
  void Deliver() {
    deliveryScheduled_ = false;
    QElapsedTimer slice;
    slice.start();
    while (!events_.empty() && slice.elapsed() < kDeliverySliceMs) {
      HandOnOldest();
    }
    if (socket_.bytesAvailable() > 0) {
      ReadFrames();
    }
    if (events_.empty() && !pendingLoss_.empty()) {
      const QString reason = QString::fromStdString(pendingLoss_);
      pendingLoss_.clear();
      emit ConnectionLost(reason);
      return;
    }
    ScheduleDelivery();
  }

  // The oldest waiting event to its handler. The handler's time counts as
  // Corvane's, not as the server's silence.
  void HandOnOldest() {
    const ServerReply event = std::move(events_.front());
    events_.pop_front();
    QElapsedTimer handling;
    handling.start();
    Emit(event);
    handlingMs_ += handling.elapsed();
    quietSince_.restart();
  }

  // A call that fails on a lost connection makes its caller release this
  // server: the records that arrived before the loss are handed on first.
  void DrainEvents() {
    while (!events_.empty() || socket_.bytesAvailable() > 0) {
      if (events_.empty()) {
        ReadFrames();
        continue;
      }
      const ServerReply event = std::move(events_.front());
      events_.pop_front();
      Emit(event);
    }
  }

  void Emit(const ServerReply& event) {
    if (event.kind == ServerReply::Kind::Text) {
      emit NewTextData(QByteArray::fromStdString(event.text), event.origin);
    } else {
      const auto& f = event.status;
      emit NewSystemStatus(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]);
    }
  }

  // The records read before the loss are still handed on first.
  void Lose(const std::string& reason) {
    if (lost_) {
      return;
    }
    lost_ = true;
    lostReason_ = reason;
    Wake();
    if (events_.empty() && socket_.bytesAvailable() == 0) {
      emit ConnectionLost(QString::fromStdString(reason));
    } else {
      pendingLoss_ = reason;
      ScheduleDelivery();
    }
  }

  // Marks the connection lost at once and reports it from the event loop, so
  // that the report never cuts into the call that noticed it.
  void LoseLater(const std::string& reason) {
    if (lost_) {
      return;
    }
    lost_ = true;
    lostReason_ = reason;
    socket_.abort();
    pendingLoss_ = reason;
    ScheduleDelivery();
  }

  QTcpSocket socket_;
  wire::FrameReader reader_;
  int waitMs_;
  QEventLoop* waitLoop_ = nullptr;
  QElapsedTimer quietSince_;
  qint64 handlingMs_ = 0;  // time spent in event handlers, all told
  std::deque<ServerReply> events_;
  bool deliveryScheduled_ = false;
  std::string pendingLoss_;  // a loss to report once the events before it are handed on
  bool lost_ = false;
  std::string lostReason_;
  bool callInProgress_ = false;
  bool waitingHello_ = false;
  long long lastCallId_ = 0;
  long long answerId_ = -1;
  std::optional<wire::Items> hello_;
  std::optional<wire::Items> answer_;
};

}  // namespace

HostAndPort ParseHost(const std::string& hostSetting) {
  const QString text = QString::fromLatin1(hostSetting.data(), static_cast<qsizetype>(hostSetting.size())).trimmed();
  HostAndPort target{text, wire::kDefaultPort};
  if (text.startsWith('[')) {
    const auto close = text.indexOf(']');
    if (close > 0) {
      target.host = text.mid(1, close - 1);
      bool ok = false;
      const uint port = text.mid(close + 2).toUInt(&ok);
      if (text.mid(close + 1, 1) == ":" && ok && port > 0 && port <= 65535) {
        target.port = static_cast<quint16>(port);
      }
    }
    return target;
  }
  // One colon separates a port; several mean a bare IPv6 address.
  if (text.count(':') == 1) {
    const auto colon = text.indexOf(':');
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (ok && port > 0 && port <= 65535) {
      target.host = text.left(colon);
      target.port = static_cast<quint16>(port);
    }
  }
  return target;
}

bool IsLocalHost(const QString& host) {
  if (host.compare("localhost", Qt::CaseInsensitive) == 0 ||
      host.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0) {
    return true;
  }
  const QHostAddress address(host);
  if (address.isNull()) {
    return false;
  }
  return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

std::unique_ptr<CardServer> CreateCardServer(const std::string& progId, const std::string& host, int waitMs) {
  auto server = std::make_unique<TcpCardServer>(waitMs);
  server->Open(progId, host);
  return server;
}

}  // namespace corvane::cardlink
