// The card link against the real corvane-cardserver program on a free
// loopback port: creation errors, the connection sequence, records and status
// during the start wait, a server killed mid-stream, and reconnecting.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>

#include "../support/listening_port.h"
#include "cardlink/connection_manager.h"
#include "cardlink/event_wait.h"
#include "cardlink/wire.h"

namespace corvane::cardlink {
namespace {

// A running corvane-cardserver; killed when the test ends.
class ServerProcess {
 public:
  explicit ServerProcess(const QStringList& arguments) {
    process_.setProgram(CORVANE_CARDSERVER);
    process_.setArguments(QStringList{"--port", "0"} + arguments);
    process_.start();
    port_ = test_support::ReadListeningPort(process_);
  }
  ~ServerProcess() { Kill(); }

  void Kill() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  [[nodiscard]] quint16 port() const { return port_; }
  [[nodiscard]] std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  QProcess process_;
  quint16 port_ = 0;
};

class RecordingView : public ConnectionView {
 public:
  void SetConnectCaption(const std::string& caption) override { connectCaption = caption; }
  void SetConfigEnabled(bool enabled) override { configEnabled = enabled; }
  void SetModePanel(const std::string& text) override { panel1 = text; }
  void SetStatusPanel(const std::string& text) override { panel3 = text; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ConnectionDropped(const std::string& reason) override { dropped.push_back(reason); }
  std::string connectCaption;
  bool configEnabled = false;
  std::string panel1;
  std::string panel3;
  std::vector<std::string> errors;
  std::vector<std::string> dropped;
};

// A port nothing listens on.
quint16 ClosedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return port;
}

std::string WriteCapture(const QTemporaryDir& dir, int records) {
  const std::string path = dir.filePath("capture.jsonl").toStdString();
  std::ofstream out(path);
  for (int i = 0; i < records; ++i) {
    out << R"({"utc": "2026-12-07T21:00:)" << (10 + i) << R"(.000Z", "txt": "M=2  ADDR=.N123UA TA=! ML=H1 B=1 MSN=M)"
        << (10 + i) << R"(A FID=UA0123\r\nRECORD )" << i << R"(\r\n\u00e9"})" << '\n';
  }
  return path;
}

TEST(RealCardServer, CreationErrorsCarryTheirNumbers) {
  ServerProcess server({"--progid", "w41"});
  ASSERT_NE(server.port(), 0);
  // The server does not serve this ProgID.
  try {
    CreateCardServer(kW51ProgId, server.host());
    FAIL() << "created a server that is not served";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), kClassNotRegistered);
  }
  // Nothing listens on this machine's port: the connection is refused, which
  // says where, not that no server is installed.
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  try {
    CreateCardServer(kW41ProgId, closed);
    FAIL() << "created a server where none listens";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), kRemoteServerUnavailable);
    EXPECT_NE(error.description().find("refused at " + closed + ":"), std::string::npos) << error.description();
  }
  // A remote host that cannot be reached fails within the bound. 192.0.2.1 is
  // a documentation address that no host answers for, unless a test network
  // made it its gateway, which refuses the connection.
  QElapsedTimer clock;
  clock.start();
  try {
    CreateCardServer(kW41ProgId, "192.0.2.1:7441", 1500);
    FAIL() << "reached an unreachable host";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), kRemoteServerUnavailable);
    const std::string& text = error.description();
    EXPECT_TRUE(text.find("The remote server machine does not exist or is unavailable") != std::string::npos ||
                text.find("refused at 192.0.2.1:7441:") != std::string::npos)
        << text;
  }
  EXPECT_LT(clock.elapsed(), 4000);

  // A server that takes the connection but never answers the hello.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  clock.restart();
  try {
    CreateCardServer(kW41ProgId, "127.0.0.1:" + std::to_string(silent.serverPort()), 800);
    FAIL() << "a silent server was taken for a card server";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number(), kRemoteServerUnavailable);
    EXPECT_NE(error.description().find("did not answer the hello"), std::string::npos) << error.description();
  }
  EXPECT_GE(clock.elapsed(), 700);
  EXPECT_LT(clock.elapsed(), 2500);
}

// A hand-made card server on a loopback port: it welcomes the client and
// hands every call frame to onCall, which answers as the test needs.
class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::function<void(const wire::Items& call)> onCall) : onCall_(std::move(onCall)) {
    listener_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
      peer_ = listener_.nextPendingConnection();
      QObject::connect(peer_, &QTcpSocket::readyRead, [this] { Read(); });
    });
  }
  [[nodiscard]] std::string Host() const { return "127.0.0.1:" + std::to_string(listener_.serverPort()); }
  void Send(const wire::Items& frame) { peer_->write(QByteArray::fromStdString(wire::EncodeFrame(frame))); }
  [[nodiscard]] QTcpSocket* Socket() const { return peer_; }

 private:
  void Read() {
    reader_.Append(peer_->readAll().toStdString());
    wire::Items items;
    std::string error;
    while (reader_.Next(items, error) == wire::FrameReader::Status::Frame) {
      if (items[0] == "HELLO") {
        Send({"WELCOME", "1"});
      } else if (items[0] == "CALL") {
        onCall_(items);
      }
    }
  }

  QTcpServer listener_;
  QTcpSocket* peer_ = nullptr;
  wire::FrameReader reader_;
  std::function<void(const wire::Items&)> onCall_;
};

// A server that keeps sending records while it takes its time to answer is
// busy, not silent: the call waits for the answer.
TEST(CardServerClient, ABusyServerIsNotTakenForASilentOne) {
  int events = 0;
  QTimer streamer;
  std::string pendingId;
  ScriptedPeer peer([&](const wire::Items& call) {
    if (events == 0) {
      pendingId = call[1];
      streamer.start(100);
    }
  });
  // Records every 100 ms for 1.5 s, then the answer.
  QObject::connect(&streamer, &QTimer::timeout, [&] {
    peer.Send({"EVENT", "NewTextData", "M=2 record"});
    if (++events == 15) {
      streamer.stop();
      peer.Send({"ANSWER", pendingId, "0", "", "Mode=ACARS;"});
    }
  });
  auto server = CreateCardServer(kW41ProgId, peer.Host(), 800);
  int received = 0;
  QObject::connect(server.get(), &CardServer::NewTextData, [&](const QByteArray&) { ++received; });
  std::string parameters;
  EXPECT_NO_THROW(server->GetParam(parameters));
  EXPECT_EQ(parameters, "Mode=ACARS;");
  // Records read before the answer are handed on from the event loop.
  WaitProcessingEvents(100);
  EXPECT_EQ(received, 15);

  // Silence after that is a lost server within the wait.
  QElapsedTimer clock;
  clock.start();
  EXPECT_THROW(server->GetParam(parameters), AutomationError);
  EXPECT_LT(clock.elapsed(), 2000);
}

// A server that streams records ahead of its answer without end would fill
// the memory if the client only kept them: past its read-ahead the client
// hands the oldest on while it waits, so at the answer few are left waiting,
// and none is lost or reordered.
TEST(CardServerClient, RecordsStreamedAheadOfAnAnswerAreHandedOnWhileTheCallWaits) {
  constexpr int kRecords = 60000;
  ScriptedPeer peer([&](const wire::Items& call) {
    QByteArray burst;
    for (int n = 0; n < kRecords; ++n) {
      burst += QByteArray::fromStdString(wire::EncodeFrame({"EVENT", "NewTextData", "M=2 " + std::to_string(n)}));
    }
    peer.Socket()->write(burst);
    peer.Send({"ANSWER", call[1], "0", "", "Mode=ACARS;"});
  });
  auto server = CreateCardServer(kW41ProgId, peer.Host(), 5000);
  int received = 0;
  bool inOrder = true;
  QObject::connect(server.get(), &CardServer::NewTextData, [&](const QByteArray& text) {
    inOrder = inOrder && text == QByteArray("M=2 ") + QByteArray::number(received);
    ++received;
  });
  std::string parameters;
  EXPECT_NO_THROW(server->GetParam(parameters));
  EXPECT_EQ(parameters, "Mode=ACARS;");
  EXPECT_GE(received, kRecords - 20000) << "records kept back while the call waited";
  WaitProcessingEvents(500);
  EXPECT_EQ(received, kRecords);
  EXPECT_TRUE(inOrder);
}

// A handler slower than the whole wait, with a server that answers at once:
// the time spent handling is Corvane's, not the server's silence.
TEST(CardServerClient, ASlowRecordHandlerNeverFailsACall) {
  ScriptedPeer peer([&](const wire::Items& call) {
    // Two records, and the answer a moment after them.
    peer.Send({"EVENT", "NewTextData", "M=2 record"});
    peer.Send({"EVENT", "NewTextData", "M=2 record"});
    const wire::Items answer = {"ANSWER", call[1], "0", "", "Mode=ACARS;"};
    QTimer::singleShot(20, peer.Socket(), [&peer, answer] { peer.Send(answer); });
  });
  auto server = CreateCardServer(kW41ProgId, peer.Host(), 400);
  int handled = 0;
  QObject::connect(server.get(), &CardServer::NewTextData, [&](const QByteArray&) {
    QThread::msleep(500);
    ++handled;
  });
  std::string parameters;
  for (int call = 0; call < 3; ++call) {
    EXPECT_NO_THROW(server->GetParam(parameters)) << "call " << call;
  }
  EXPECT_GE(handled, 2);
}

TEST(RealCardServer, ACardThatIsNotThereLeavesTheConnectionClosedQuietly) {
  ServerProcess server({"--cards", "5"});
  ASSERT_NE(server.port(), 0);
  RecordingView view;
  CardSettings settings{server.host(), 1, 1, 1, 0};
  ConnectionManager manager(view, settings);
  manager.CanConnect = true;
  manager.ConnectClicked();
  EXPECT_FALSE(manager.Connected);
  EXPECT_TRUE(view.errors.empty());
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_TRUE(view.configEnabled);
}

TEST(RealCardServer, RecordsFlowFromTheStartWaitOnAndAKilledServerIsNoticed) {
  QTemporaryDir dir;
  const std::string capture = WriteCapture(dir, 40);
  auto server = std::make_unique<ServerProcess>(
      QStringList{"--capture", QString::fromStdString(capture), "--speed", "20", "--loop"});
  ASSERT_NE(server->port(), 0);
  RecordingView view;
  CardSettings settings{server->host(), 1, 1, 2, -500};
  ConnectionManager manager(view, settings);
  manager.CanConnect = true;
  std::vector<std::string> records;
  manager.SetRecordHandler([&](const std::string& record) { records.push_back(record); });

  manager.ConnectClicked();
  ASSERT_TRUE(manager.Connected) << (view.errors.empty() ? "" : view.errors.front());
  // Records (one every 50 ms) and the status already came during the wait.
  EXPECT_GE(records.size(), 5U);
  EXPECT_EQ(view.panel3, "TRAFFIC");
  EXPECT_EQ(view.panel1, "ACARS");
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.front(), "M=2  ADDR=.N123UA TA=! ML=H1 B=1 MSN=M10A FID=UA0123\r\nRECORD 0\r\n\xE9");
  // The server took the decoder parameters.
  std::string parameters;
  manager.Server()->GetParam(parameters);
  EXPECT_EQ(parameters, DecoderParameters(2, -500));

  server->Kill();
  const QDeadlineTimer deadline(4000);
  while (manager.Connected && !deadline.hasExpired()) {
    WaitProcessingEvents(20);
  }
  EXPECT_FALSE(manager.Connected);
  EXPECT_EQ(view.dropped.size(), 1U);
  EXPECT_EQ(view.connectCaption, "&Connect");
  EXPECT_EQ(manager.Server(), nullptr);

  // A new server on a new port: connecting again works.
  server = std::make_unique<ServerProcess>(QStringList{"--capture", QString::fromStdString(capture), "--speed", "20"});
  settings.HostName = server->host();
  records.clear();
  manager.ConnectClicked();
  EXPECT_TRUE(manager.Connected);
  EXPECT_FALSE(records.empty());
  manager.ConnectClicked();
  EXPECT_FALSE(manager.Connected);
}

}  // namespace
}  // namespace corvane::cardlink
