// A live feed for the card server: datagrams of acarsdec or dumpvdl2 JSON
// lines (or Corvane's own LiveJSON objects) on a UDP port, each message
// turned into a card text record and handed on at once. LineFeed holds the
// rules every feed applies, the MQTT feed included.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture.h"
#include "cardserver/log.h"

namespace corvane::cardserver {

// The lines of a datagram, without line ends; blank lines left out.
std::vector<std::string_view> DatagramLines(std::string_view datagram);

// What a datagram holds: a record for each line that reads as a message,
// and the reason for each line that does not.
struct DatagramContents {
  std::vector<capture::CaptureRecord> records;
  std::vector<std::string> refusals;
};
DatagramContents ReadDatagram(std::string_view datagram);

// Takes one record of a feed: the card text record and, for a LiveJSON
// object, where it came from.
using FeedDeliver = std::function<void(const capture::CaptureRecord&)>;

// How a feed hands on the messages of each payload (a datagram, an MQTT
// message), at once and in order, and what it keeps out:
// - a LiveJSON object that has passed more than maxHops receivers, so that
//   receivers that follow each other never pass a message round a loop;
// - a record too big for one frame of the card protocol.
// Lines that are no message are reported once per payload. Repeated reports
// of skipped lines and of dropped messages come at most once per 10 s each;
// ReportHeldBack, called now and then, says what was held back meanwhile.
class LineFeed {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;
  static constexpr auto kReportEvery = std::chrono::seconds(10);

  // name ("MQTT feed") starts the reports that belong to no one payload;
  // payloads ("MQTT messages") names what the feed receives.
  LineFeed(std::string name, std::string payloads, int maxHops, FeedDeliver deliver, Logger log, Now now = Clock::now);

  // The lines of one payload; source ("MQTT message on acars/x") starts its
  // report.
  void Take(std::string_view payload, const std::string& source);
  void ReportHeldBack();

  [[nodiscard]] long long DroppedForHops() const { return droppedForHops_; }
  [[nodiscard]] long long RefusedAsTooBig() const { return refusedAsTooBig_; }

 private:
  // One kind of report: when it was last written, and how much came in since.
  struct Limit {
    std::optional<Clock::time_point> last;
    long long heldBack = 0;
    [[nodiscard]] bool Due(Clock::time_point now) const { return !last || now - *last >= kReportEvery; }
  };

  void Pass(const capture::CaptureRecord& record, const std::string& source);
  void ReportSkipped(const std::string& source, std::size_t skipped, std::size_t lines, const std::string& first);
  void ReportDropped(Clock::time_point now);
  [[nodiscard]] std::string HeldBackSkips() const;

  std::string name_;
  std::string payloads_;
  int maxHops_;
  FeedDeliver deliver_;
  Logger log_;
  Now now_;
  Limit skips_;
  Limit drops_;
  long long droppedForHops_ = 0;
  long long refusedAsTooBig_ = 0;
};

class UdpFeed : public QObject {
  Q_OBJECT

 public:
  using Deliver = FeedDeliver;

  UdpFeed(Deliver deliver, Logger log, int maxHops = 0, QObject* parent = nullptr);

  // Listens on address:port (0 picks a free port); false with the reason when
  // it cannot.
  bool Bind(const QHostAddress& address, quint16 port, std::string& error);
  [[nodiscard]] quint16 Port() const { return socket_.localPort(); }

 private:
  void ReadDatagrams();

  LineFeed lines_;
  QUdpSocket socket_;
  QTimer reportTimer_;
};

}  // namespace corvane::cardserver
