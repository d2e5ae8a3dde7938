// Throughput and latency of the whole receiver: this program plays the card
// server (the real protocol, on a loopback port), starts the real corvaned
// against it, sends numbered records as fast as the receiver takes them, and
// times each record from its send to the moment corvaned prints its report,
// which it does once the message is stored and logged.
//
//   corvane_receiver_bench CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE]
//
// RATE paces the sends (records per second); without it they go as fast as
// the receiver takes them, and the latency then mostly measures the queue.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cardlink/wire.h"

namespace {

namespace wire = corvane::cardlink::wire;
using Clock = std::chrono::steady_clock;

constexpr qint64 kMaxBuffered = 64 * 1024;

std::string Record(int sequence) {
  return "M=2  ADDR=.N123UA TA=! ML=H1 B=1 MSN=M01A FID=UA0123\r\n#M1BPOSN47172W122185,PERSY,220118 SEQ " +
         std::to_string(sequence) + " END";
}

class FakeCardServer {
 public:
  FakeCardServer(int records, int rate) : records_(records), rate_(rate), sent_(static_cast<std::size_t>(records)) {
    pace_.setInterval(10);
    QObject::connect(&pace_, &QTimer::timeout, [this] { SendMore(); });
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      socket_ = server_.nextPendingConnection();
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

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr, "usage: %s CORVANED RECORDS DATABASE(0|1|2) WORKDIR [RATE]\n", argv[0]);
    return 2;
  }
  const int records = std::stoi(argv[2]);
  FakeCardServer server(records, argc == 6 ? std::stoi(argv[5]) : 0);
  QProcess receiver;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", QString(argv[4]) + "/config");
  receiver.setProcessEnvironment(environment);
  receiver.setWorkingDirectory(argv[4]);
  receiver.setProgram(argv[1]);
  receiver.setArguments({"--host", QString("127.0.0.1:%1").arg(server.port()), "--card-type", "1", "--card-number", "1",
                         "--database", argv[3], "--log", "all", "--retry", "0"});
  receiver.setProcessChannelMode(QProcess::SeparateChannels);
  std::vector<double> latencies;
  latencies.reserve(static_cast<std::size_t>(records));
  Clock::time_point last;
  QByteArray pending;
  QObject::connect(&receiver, &QProcess::readyReadStandardOutput, [&] {
    pending += receiver.readAllStandardOutput();
    const auto now = Clock::now();
    for (auto at = pending.indexOf(" SEQ "); at >= 0; at = pending.indexOf(" SEQ ")) {
      const auto end = pending.indexOf(" END", at);
      if (end < 0) {
        break;
      }
      const int sequence = pending.mid(at + 5, end - at - 5).toInt();
      latencies.push_back(std::chrono::duration<double, std::milli>(now - server.sent()[sequence]).count());
      last = now;
      pending.remove(0, end + 4);
    }
    if (static_cast<int>(latencies.size()) == records) {
      receiver.terminate();
    }
  });
  receiver.start();
  QObject::connect(&receiver, &QProcess::finished, &app, &QCoreApplication::quit);
  QObject::connect(&receiver, &QProcess::errorOccurred, &app, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      std::fprintf(stderr, "cannot start %s\n", argv[1]);
      QCoreApplication::exit(1);
    }
  });
  QTimer::singleShot(120000, &app, &QCoreApplication::quit);
  app.exec();
  if (latencies.empty()) {
    std::fprintf(stderr, "no record came back\n");
    return 1;
  }
  const double seconds = std::chrono::duration<double>(last - server.sent().front()).count();
  std::printf("records %d sent, %zu reported; %.0f records/s; latency median %.2f ms, p99 %.2f ms\n", server.next(),
              latencies.size(), static_cast<double>(latencies.size()) / seconds, Percentile(latencies, 0.5),
              Percentile(latencies, 0.99));
  return static_cast<int>(latencies.size()) == records ? 0 : 1;
}
