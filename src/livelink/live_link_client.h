// A live link client that never blocks: opens a conversation on a topic,
// requests, advises and unadvises items, and reports answers, pushed changes
// and errors as signals. Every answer is awaited at most 3 s by default.
//
//          Open                connected, CONNECTED          Close
//   Idle ---------> Connecting --------------------> Open ---------> Closing
//    ^                  |  not running, REFUSED,       |  lost,        |  CLOSED and the
//    |                  |  timeout                     |  dropped,     |  server hangs up,
//    +------------------+------------------------------+--timeout------+  or timeout
//                                  (Finish: emits Closed)
#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <string>

#include "livelink/protocol.h"

namespace corvane::livelink {

// What went wrong: the command it answers (empty when none), its subject
// (the item or topic), a code from protocol.h, and a message for people.
struct LinkError {
  std::string command;
  std::string subject;
  std::string code;
  std::string message;
};

class LiveLinkClient : public QObject {
  Q_OBJECT

 public:
  enum class State { Idle, Connecting, Open, Closing };

  explicit LiveLinkClient(QObject* parent = nullptr);
  ~LiveLinkClient() override;

  void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

  // Connects (from the event loop, so every outcome arrives as a signal) and
  // opens a conversation on the topic: Opened, or Failed then Closed.
  // Commands may be given at once; they are sent after the CONNECT.
  void Open(const QString& serverName = QString::fromLatin1(kDefaultServerName),
            const std::string& topic = std::string(kTopic));

  // ValueReceived with the item's current value, or Failed.
  void Request(const std::string& item);
  // Advised, then Changed for every change of the item; or Failed.
  void Advise(const std::string& item);
  // Unadvised, or Failed.
  void Unadvise(const std::string& item);
  // Ends the conversation cleanly; Closed once the server has hung up.
  void Close();

  [[nodiscard]] State state() const { return state_; }
  [[nodiscard]] const QString& ServerName() const { return serverName_; }

 signals:
  void Opened();
  void ValueReceived(const std::string& item, const std::string& value);
  void Advised(const std::string& item);
  void Changed(const std::string& item, const std::string& value);
  void Unadvised(const std::string& item);
  void Failed(const corvane::livelink::LinkError& error);
  // The connection has ended, for whatever reason; the client is Idle again.
  void Closed();

 private:
  struct Pending {
    std::string command;
    std::string subject;
  };

  void StartConnecting();
  void SocketConnected();
  void SocketFailed(QLocalSocket::LocalSocketError error);
  void SocketGone();
  void ReadAnswers();
  void HandleFrame(const wire::Items& items);
  void HandleAnswer(const wire::Items& items);
  void Dispatch(const Pending& pending, const wire::Items& items);
  [[nodiscard]] static bool Fits(const Pending& pending, const wire::Items& items);
  bool Usable(std::string_view command, const std::string& subject);
  void Command(std::string_view command, const std::string& subject, std::string frame);
  void ArmTimer(bool restart);
  void TimedOut();
  // Reports the error, drops the connection and finishes.
  void HangUp(const LinkError& error);
  void Finish();

  QLocalSocket socket_;
  QTimer answerTimer_;
  QString serverName_;
  State state_ = State::Idle;
  bool connected_ = false;
  bool endExpected_ = false;  // the server is about to hang up, or we did
  std::string unsent_;        // frames given before the socket connected
  std::deque<Pending> pending_;
  wire::FrameReader reader_;
  int timeoutMs_ = kAnswerTimeoutMs;
  quint64 generation_ = 0;  // tells a deferred connect of an earlier Open apart
};

}  // namespace corvane::livelink
