// The UDP feed: splitting datagrams into JSON lines and turning each into a
// card text record.
#include "cardserver/udp_feed.h"

#include <QNetworkDatagram>

#include "capture/capture.h"

namespace corvane::cardserver {

std::vector<std::string_view> DatagramLines(std::string_view datagram) {
  std::vector<std::string_view> lines;
  while (!datagram.empty()) {
    const std::size_t end = datagram.find('\n');
    std::string_view line = datagram.substr(0, end);
    datagram.remove_prefix(end == std::string_view::npos ? datagram.size() : end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.remove_suffix(1);
    }
    if (line.find_first_not_of(" \t") != std::string_view::npos) {
      lines.push_back(line);
    }
  }
  return lines;
}

DatagramContents ReadDatagram(std::string_view datagram) {
  DatagramContents contents;
  for (const std::string_view line : DatagramLines(datagram)) {
    std::string error;
    if (auto record = capture::ParseCaptureLine(line, error)) {
      contents.records.push_back(std::move(record->txt));
    } else {
      contents.refusals.push_back(std::move(error));
    }
  }
  return contents;
}

UdpFeed::UdpFeed(Deliver deliver, Logger log, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)), log_(std::move(log)) {
  connect(&socket_, &QUdpSocket::readyRead, this, &UdpFeed::ReadDatagrams);
}

bool UdpFeed::Bind(const QHostAddress& address, quint16 port, std::string& error) {
  if (!socket_.bind(address, port)) {
    error = "cannot listen for UDP on port " + std::to_string(port) + ": " + socket_.errorString().toStdString();
    return false;
  }
  return true;
}

void UdpFeed::ReadDatagrams() {
  while (socket_.hasPendingDatagrams()) {
    const QNetworkDatagram datagram = socket_.receiveDatagram();
    const QByteArray data = datagram.data();
    TakeDatagram(std::string_view(data.constData(), static_cast<std::size_t>(data.size())),
                 datagram.senderAddress().toString());
  }
}

void FeedLines(std::string_view text, const std::string& source, const FeedDeliver& deliver, const Logger& log) {
  const DatagramContents contents = ReadDatagram(text);
  for (const std::string& record : contents.records) {
    deliver(record);
  }
  for (const std::string& refusal : contents.refusals) {
    log(source + " skipped: " + refusal);
  }
}

void UdpFeed::TakeDatagram(std::string_view datagram, const QString& sender) {
  FeedLines(datagram, "UDP message from " + sender.toStdString(), deliver_, log_);
}

}  // namespace corvane::cardserver
