// A scripted card server for the benchmarks: it speaks the card server
// protocol on a loopback port, answers the calls a receiver makes when it
// connects, and then sends numbered records, paced or as fast as taken,
// remembering when each one left.
#pragma once

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "cardlink/wire.h"

namespace corvane::bench {

namespace wire = cardlink::wire;
using Clock = std::chrono::steady_clock;

inline constexpr qint64 kMaxBuffered = 64 * 1024;

inline std::string Record(int sequence) {
  return "M=2  ADDR=.N123UA TA=! ML=H1 B=1 MSN=M01A FID=UA0123\r\n#M1BPOSN47172W122185,PERSY,220118 SEQ " +
         std::to_string(sequence) + " END";
}

class ScriptedCardServer {
 public:
  ScriptedCardServer(int records, int rate) : records_(records), rate_(rate), sent_(static_cast<std::size_t>(records)) {
    pace_.setInterval(10);
    QObject::connect(&pace_, &QTimer::timeout, [this] { SendMore(); });
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      socket_ = server_.nextPendingConnection();
      socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);  // as corvane-cardserver does
      QObject::connect(socket_, &QTcpSocket::readyRead, [this] { Read(); });
      QObject::connect(socket_, &QTcpSocket::bytesWritten, [this] { SendMore(); });
    });
  }
  quint16 port() const { return server_.serverPort(); }
  const std::vector<Clock::time_point>& sent() const { return sent_; }
  int next() const { return next_; }

 private:
  void Read() {
    reader_.Append(socket_->readAll().toStdString());
    wire::Items items;
    std::string error;
    while (reader_.Next(items, error) == wire::FrameReader::Status::Frame) {
      if (items[0] == "HELLO") {
        Send({"WELCOME", "1"});
      } else if (items[0] == "CALL") {
        wire::Items answer{"ANSWER", items[1], "0", ""};
        if (items[2] == "GetCardStatus") {
          answer.push_back("1");
        } else if (items[2] == "GetParam") {
          answer.push_back("Mode=ACARS;");
        } else if (items[2] == "EnableCallBackText" && items[3] == "1") {
          streaming_ = true;
          start_ = Clock::now();
          if (rate_ > 0) {
            pace_.start();
          }
        }
        Send(answer);
        SendMore();
      }
    }
  }
  void Send(const wire::Items& items) { socket_->write(QByteArray::fromStdString(wire::EncodeFrame(items))); }
  // Paced: as many as the rate allows by now. Unpaced: while the socket takes them.
  void SendMore() {
    const auto allowed = [this] {
      if (rate_ <= 0) {
        return socket_->bytesToWrite() < kMaxBuffered;
      }
      const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
      return next_ < static_cast<int>(elapsed * rate_);
    };
    while (streaming_ && next_ < records_ && allowed()) {
      sent_[static_cast<std::size_t>(next_)] = Clock::now();
      Send({"EVENT", "NewTextData", Record(next_)});
      ++next_;
    }
  }

  QTcpServer server_;
  QTcpSocket* socket_ = nullptr;
  wire::FrameReader reader_;
  int records_;
  int rate_;
  QTimer pace_;
  Clock::time_point start_;
  int next_ = 0;
  bool streaming_ = false;
  std::vector<Clock::time_point> sent_;
};

// The sequence number a record or a report carries (" SEQ n END"), or -1.
inline int SequenceIn(const std::string& text) {
  const auto at = text.find(" SEQ ");
  const auto end = text.find(" END", at == std::string::npos ? 0 : at);
  if (at == std::string::npos || end == std::string::npos) {
    return -1;
  }
  return std::stoi(text.substr(at + 5, end - at - 5));
}

inline double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// Starts the receiver (corvaned) on the server's port as card 1 of type 1,
// without retries or message output, with its settings and files in
// folder; extra arguments follow these.
inline void StartReceiver(QProcess& receiver, const QString& program, const ScriptedCardServer& server,
                          const QString& folder, const QStringList& extra) {
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", folder + "/config");
  receiver.setProcessEnvironment(environment);
  receiver.setWorkingDirectory(folder);
  receiver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  receiver.start(program, QStringList{"--host", QString("127.0.0.1:%1").arg(server.port()), "--card-type", "1",
                                      "--card-number", "1", "--retry", "0", "--quiet"} +
                              extra);
}

}  // namespace corvane::bench
