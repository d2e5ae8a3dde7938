// A live feed for the card server: datagrams of acarsdec or dumpvdl2 JSON
// lines on a UDP port, each message turned into a card text record and
// handed on at once.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cardserver/log.h"

namespace corvane::cardserver {

// The lines of a datagram, without line ends; blank lines left out.
std::vector<std::string_view> DatagramLines(std::string_view datagram);

// What a datagram holds: a card text record for each line that reads as a
// message, and the reason for each line that does not.
struct DatagramContents {
  std::vector<std::string> records;
  std::vector<std::string> refusals;
};
DatagramContents ReadDatagram(std::string_view datagram);

// Hands on a card text record for each message line of text, at once, and
// logs "<source> skipped: <reason>" for each line that is none: the UDP and
// the MQTT feed both take their messages this way.
using FeedDeliver = std::function<void(const std::string&)>;
void FeedLines(std::string_view text, const std::string& source, const FeedDeliver& deliver, const Logger& log);

class UdpFeed : public QObject {
  Q_OBJECT

 public:
  using Deliver = FeedDeliver;

  UdpFeed(Deliver deliver, Logger log, QObject* parent = nullptr);

  // Listens on address:port (0 picks a free port); false with the reason when
  // it cannot.
  bool Bind(const QHostAddress& address, quint16 port, std::string& error);
  [[nodiscard]] quint16 Port() const { return socket_.localPort(); }

 private:
  void ReadDatagrams();
  void TakeDatagram(std::string_view datagram, const QString& sender);

  Deliver deliver_;
  Logger log_;
  QUdpSocket socket_;
};

}  // namespace corvane::cardserver
