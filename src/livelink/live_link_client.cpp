// The live link client: commands go out in order, answers are matched to them
// in the same order, pushed changes pass between them, and every wait ends
// within the timeout.
#include "livelink/live_link_client.h"

#include "livelink/live_link_path.h"

namespace corvane::livelink {

namespace {

// The answer each command gets when it succeeds, and its number of items.
struct AnswerShape {
  std::string_view command;
  std::string_view answer;
  std::size_t items;
  bool echoesSubject;
};

constexpr AnswerShape kAnswerShapes[] = {
    {kConnect, kConnected, 2, true}, {kConnect, kRefused, 3, false},   {kRequest, kData, 3, true},
    {kAdvise, kAdvised, 2, true},    {kUnadvise, kUnadvised, 2, true}, {kClose, kClosed, 1, false},
};
constexpr std::size_t kErrorItems = 5;

bool IsNotRunning(QLocalSocket::LocalSocketError error) {
  return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError;
}

std::string Seconds(int milliseconds) {
  return milliseconds % 1000 == 0 ? std::to_string(milliseconds / 1000) + " s" : std::to_string(milliseconds) + " ms";
}

}  // namespace

LiveLinkClient::LiveLinkClient(QObject* parent) : QObject(parent) {
  answerTimer_.setSingleShot(true);
  connect(&answerTimer_, &QTimer::timeout, this, &LiveLinkClient::TimedOut);
  connect(&socket_, &QLocalSocket::connected, this, &LiveLinkClient::SocketConnected);
  connect(&socket_, &QLocalSocket::errorOccurred, this, &LiveLinkClient::SocketFailed);
  connect(&socket_, &QLocalSocket::disconnected, this, &LiveLinkClient::SocketGone);
  connect(&socket_, &QLocalSocket::readyRead, this, &LiveLinkClient::ReadAnswers);
}

LiveLinkClient::~LiveLinkClient() {
  socket_.disconnect(this);
  socket_.abort();
}

void LiveLinkClient::Open(const QString& serverName, const std::string& topic) {
  if (state_ != State::Idle) {
    emit Failed({std::string(kConnect), topic, std::string(kErrAlreadyConnected), "the client is already in use"});
    return;
  }
  serverName_ = serverName;
  state_ = State::Connecting;
  connected_ = false;
  endExpected_ = false;
  reader_ = wire::FrameReader();
  Command(kConnect, topic, ConnectFrame(topic));
  const quint64 generation = ++generation_;
  QTimer::singleShot(0, this, [this, generation] {
    if (generation == generation_ && state_ == State::Connecting && !connected_) {
      StartConnecting();
    }
  });
}

void LiveLinkClient::Request(const std::string& item) {
  if (Usable(kRequest, item)) {
    Command(kRequest, item, CommandFrame(kRequest, item));
  }
}

void LiveLinkClient::Advise(const std::string& item) {
  if (Usable(kAdvise, item)) {
    Command(kAdvise, item, CommandFrame(kAdvise, item));
  }
}

void LiveLinkClient::Unadvise(const std::string& item) {
  if (Usable(kUnadvise, item)) {
    Command(kUnadvise, item, CommandFrame(kUnadvise, item));
  }
}

void LiveLinkClient::Close() {
  if (state_ == State::Idle || state_ == State::Closing) {
    return;
  }
  if (!connected_) {
    endExpected_ = true;
    socket_.abort();
    Finish();
    return;
  }
  state_ = State::Closing;
  Command(kClose, "", wire::EncodeFrame({std::string(kClose)}));
}

bool LiveLinkClient::Usable(std::string_view command, const std::string& subject) {
  if (state_ == State::Connecting || state_ == State::Open) {
    return true;
  }
  emit Failed({std::string(command), subject, std::string(kErrNotOpen), "the conversation is not open"});
  return false;
}

// Connects to the name's path, but never to a socket of another user's,
// which could pass itself off as Corvane.
void LiveLinkClient::StartConnecting() {
  QString problem;
  const QString path = LiveLinkPath(serverName_, &problem);
  if (path.isEmpty() || !(problem = ForeignLinkProblem(path)).isEmpty()) {
    HangUp({std::string(kConnect), "", std::string(kErrUnsafe), problem.toStdString()});
    return;
  }
  socket_.connectToServer(path);
}

void LiveLinkClient::SocketConnected() {
  connected_ = true;
  if (!unsent_.empty()) {
    socket_.write(unsent_.data(), static_cast<qint64>(unsent_.size()));
    unsent_.clear();
  }
}

void LiveLinkClient::SocketFailed(QLocalSocket::LocalSocketError error) {
  if (connected_ || state_ != State::Connecting) {
    return;  // a connection that ends is handled when it is gone
  }
  const std::string name = Printable(serverName_.toStdString(), 200);
  if (IsNotRunning(error)) {
    HangUp({std::string(kConnect), "", std::string(kErrNotRunning),
            "Corvane is not running (no live link named \"" + name + "\")"});
  } else {
    HangUp({std::string(kConnect), "", std::string(kErrConnectionLost),
            "cannot reach the live link \"" + name + "\": " + socket_.errorString().toStdString()});
  }
}

void LiveLinkClient::SocketGone() {
  ReadAnswers();  // what arrived before the hang-up still counts
  if (state_ != State::Idle && !endExpected_) {
    emit Failed({"", "", std::string(kErrConnectionLost),
                 "the live link \"" + Printable(serverName_.toStdString(), 200) + "\" closed the connection"});
  }
  Finish();
}

void LiveLinkClient::ReadAnswers() {
  if (socket_.bytesAvailable() > 0) {
    const QByteArray bytes = socket_.readAll();
    reader_.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  wire::Items items;
  std::string error;
  while (!endExpected_ && state_ != State::Idle) {
    const auto status = reader_.Next(items, error);
    if (status == wire::FrameReader::Status::NeedMore) {
      return;
    }
    if (status == wire::FrameReader::Status::Invalid) {
      HangUp({"", "", std::string(kErrBadReply), "the live link sent a bad frame: " + error});
      return;
    }
    HandleFrame(items);
  }
}

void LiveLinkClient::HandleFrame(const wire::Items& items) {
  const std::string& name = items.front();
  if (name == kUpdate && items.size() == 3) {
    emit Changed(items[1], items[2]);
  } else if (name == kDropped && items.size() == 2) {
    endExpected_ = true;
    ArmTimer(true);
    emit Failed({"", "", std::string(kErrDropped), "the live link dropped this client: " + items[1]});
  } else {
    HandleAnswer(items);
  }
}

void LiveLinkClient::HandleAnswer(const wire::Items& items) {
  const std::string& name = items.front();
  if (pending_.empty()) {
    HangUp({"", "", std::string(kErrBadReply), "an unexpected " + Printable(name) + " from the live link"});
    return;
  }
  const Pending pending = pending_.front();
  pending_.pop_front();
  ArmTimer(true);
  if (!Fits(pending, items)) {
    HangUp({pending.command, pending.subject, std::string(kErrBadReply),
            "the live link answered " + pending.command + " with " + Printable(name)});
    return;
  }
  Dispatch(pending, items);
}

bool LiveLinkClient::Fits(const Pending& pending, const wire::Items& items) {
  if (items.front() == kError) {
    return items.size() == kErrorItems && items[1] == pending.command;
  }
  for (const AnswerShape& shape : kAnswerShapes) {
    if (shape.command == pending.command && shape.answer == items.front()) {
      return items.size() == shape.items && (!shape.echoesSubject || items[1] == pending.subject);
    }
  }
  return false;
}

void LiveLinkClient::Dispatch(const Pending& pending, const wire::Items& items) {
  const std::string& name = items.front();
  if (name == kError) {
    emit Failed({items[1], items[2], items[3], items[4]});
  } else if (name == kRefused) {
    endExpected_ = true;
    ArmTimer(true);
    emit Failed({pending.command, pending.subject, items[1], items[2]});
  } else if (name == kConnected) {
    if (state_ == State::Connecting) {
      state_ = State::Open;
      emit Opened();
    }
  } else if (name == kData) {
    emit ValueReceived(items[1], items[2]);
  } else if (name == kAdvised) {
    emit Advised(items[1]);
  } else if (name == kUnadvised) {
    emit Unadvised(items[1]);
  } else if (name == kClosed) {
    endExpected_ = true;  // the server hangs up next
    ArmTimer(true);
  }
}

void LiveLinkClient::Command(std::string_view command, const std::string& subject, std::string frame) {
  pending_.push_back({std::string(command), subject});
  if (connected_) {
    socket_.write(frame.data(), static_cast<qint64>(frame.size()));
  } else {
    unsent_ += frame;
  }
  ArmTimer(false);
}

void LiveLinkClient::ArmTimer(bool restart) {
  if (pending_.empty() && !endExpected_) {
    answerTimer_.stop();
  } else if (restart || !answerTimer_.isActive()) {
    answerTimer_.start(timeoutMs_);
  }
}

void LiveLinkClient::TimedOut() {
  if (endExpected_) {
    socket_.abort();  // the server did not hang up as it should
    Finish();
    return;
  }
  const Pending pending = pending_.empty() ? Pending{} : pending_.front();
  HangUp({pending.command, pending.subject, std::string(kErrTimeout),
          "no answer from the live link \"" + Printable(serverName_.toStdString(), 200) + "\" within " +
              Seconds(timeoutMs_)});
}

void LiveLinkClient::HangUp(const LinkError& error) {
  // Closing first, so that a Close() from a slot has nothing left to do.
  state_ = State::Closing;
  endExpected_ = true;
  emit Failed(error);
  socket_.abort();
  Finish();
}

void LiveLinkClient::Finish() {
  if (state_ == State::Idle) {
    return;
  }
  state_ = State::Idle;
  connected_ = false;
  answerTimer_.stop();
  pending_.clear();
  unsent_.clear();
  emit Closed();
}

}  // namespace corvane::livelink
