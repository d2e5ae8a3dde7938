// The UDP feed: splitting datagrams into JSON lines, turning each into a
// card text record, and the checks and reports every feed shares.
#include "cardserver/udp_feed.h"

#include <QNetworkDatagram>

#include "cardserver/session.h"

namespace corvane::cardserver {

namespace {

constexpr int kReportCheckMs = 1000;

std::string Count(long long count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

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
      contents.records.push_back(std::move(*record));
    } else {
      contents.refusals.push_back(std::move(error));
    }
  }
  return contents;
}

LineFeed::LineFeed(std::string name, std::string payloads, int maxHops, FeedDeliver deliver, Logger log, Now now)
    : name_(std::move(name)),
      payloads_(std::move(payloads)),
      maxHops_(maxHops),
      deliver_(std::move(deliver)),
      log_(std::move(log)),
      now_(std::move(now)) {}

void LineFeed::Take(std::string_view payload, const std::string& source) {
  const std::vector<std::string_view> lines = DatagramLines(payload);
  std::size_t skipped = 0;
  std::string firstReason;
  const long long droppedBefore = droppedForHops_;
  for (const std::string_view line : lines) {
    std::string error;
    if (const auto record = capture::ParseCaptureLine(line, error)) {
      Pass(*record, source);
    } else if (skipped++ == 0) {
      firstReason = std::move(error);
    }
  }
  if (skipped > 0) {
    ReportSkipped(source, skipped, lines.size(), firstReason);
  }
  if (droppedForHops_ > droppedBefore) {
    drops_.heldBack += droppedForHops_ - droppedBefore;
    ReportDropped(now_());
  }
}

// A record goes on unless it has passed too many receivers or cannot travel
// in one frame (the receiver would drop its connection over it).
void LineFeed::Pass(const capture::CaptureRecord& record, const std::string& source) {
  if (record.origin && record.origin->hops > maxHops_) {
    ++droppedForHops_;
    return;
  }
  if (!FitsOneFrame(record.txt, record.origin)) {
    ++refusedAsTooBig_;
    log_(source + ": a record of " + std::to_string(record.txt.size()) + " bytes is too big for one frame (" +
         std::to_string(cardlink::wire::kMaxPayload) + " bytes at most with its event): refused");
    return;
  }
  deliver_(record);
}

void LineFeed::ReportSkipped(const std::string& source, std::size_t skipped, std::size_t lines,
                             const std::string& first) {
  const Clock::time_point now = now_();
  if (!skips_.Due(now)) {
    ++skips_.heldBack;
    return;
  }
  std::string line = source + ": " + std::to_string(skipped) + " of " +
                     Count(static_cast<long long>(lines), "line", "lines") + " skipped (first: " + first + ")";
  if (skips_.heldBack > 0) {
    line += "; " + HeldBackSkips();
  }
  log_(line);
  skips_ = {now, 0};
}

std::string LineFeed::HeldBackSkips() const {
  return std::to_string(skips_.heldBack) + " more " + payloads_ + " with skipped lines came in since the last report";
}

void LineFeed::ReportDropped(Clock::time_point now) {
  if (drops_.heldBack == 0 || !drops_.Due(now)) {
    return;
  }
  const std::string passed = maxHops_ == 0 ? "each had passed a receiver already"
                                           : "each had passed more than " + Count(maxHops_, "receiver", "receivers");
  log_(name_ + ": " + Count(drops_.heldBack, "message", "messages") + " dropped: " + passed + " (--mqtt-in-max-hops " +
       std::to_string(maxHops_) + ")");
  drops_ = {now, 0};
}

void LineFeed::ReportHeldBack() {
  const Clock::time_point now = now_();
  if (skips_.heldBack > 0 && skips_.Due(now)) {
    log_(name_ + ": " + HeldBackSkips());
    skips_ = {now, 0};
  }
  ReportDropped(now);
}

UdpFeed::UdpFeed(Deliver deliver, Logger log, int maxHops, QObject* parent)
    : QObject(parent), lines_("UDP feed", "datagrams", maxHops, std::move(deliver), std::move(log)) {
  connect(&socket_, &QUdpSocket::readyRead, this, &UdpFeed::ReadDatagrams);
  connect(&reportTimer_, &QTimer::timeout, this, [this] { lines_.ReportHeldBack(); });
  reportTimer_.start(kReportCheckMs);
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
    lines_.Take(std::string_view(data.constData(), static_cast<std::size_t>(data.size())),
                "UDP message from " + datagram.senderAddress().toString().toStdString());
  }
}

}  // namespace corvane::cardserver
