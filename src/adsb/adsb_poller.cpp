// The poller's reading and its trouble lines.
#include "adsb/adsb_poller.h"

#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace corvane::adsb {

AdsbPoller::AdsbPoller(std::string source, SnapshotFn onSnapshot, TroubleFn onTrouble, QObject* parent)
    : QObject(parent),
      source_(std::move(source)),
      isUrl_(source_.starts_with("http://") || source_.starts_with("https://")),
      onSnapshot_(std::move(onSnapshot)),
      onTrouble_(std::move(onTrouble)) {
  worker_.setMaxThreadCount(1);
  timer_.setInterval(kPollInterval);
  connect(&timer_, &QTimer::timeout, this, &AdsbPoller::Poll);
}

// A reading under way on the worker ends first; what it posts back is
// dropped with this object.
AdsbPoller::~AdsbPoller() {
  timer_.stop();
  worker_.waitForDone();
}

void AdsbPoller::Start() {
  timer_.start();
  Poll();
}

void AdsbPoller::Poll() {
  if (busy_) {
    return;
  }
  busy_ = true;
  if (!isUrl_) {
    ParseOnWorker(std::nullopt);
    return;
  }
  QNetworkRequest request(QUrl(QString::fromStdString(source_)));
  request.setTransferTimeout(static_cast<int>(kRequestTimeout.count()));
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  QNetworkReply* reply = network_.get(request);
  connect(reply, &QNetworkReply::finished, this, [this, reply] { Fetched(reply); });
}

void AdsbPoller::Fetched(QNetworkReply* reply) {
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() != QNetworkReply::NoError || status != 200) {
    Done(std::nullopt, reply->error() != QNetworkReply::NoError ? reply->errorString().toStdString()
                                                                : "the answer was HTTP " + std::to_string(status));
    return;
  }
  if (reply->bytesAvailable() > kLargestFeed) {
    Done(std::nullopt, "the answer is larger than any aircraft.json");
    return;
  }
  ParseOnWorker(reply->readAll());
}

void AdsbPoller::ParseOnWorker(std::optional<QByteArray> fetched) {
  worker_.start([this, fetched = std::move(fetched)] {
    QByteArray text;
    std::string why;
    if (fetched) {
      text = *fetched;
    } else {
      QFile file(QString::fromStdString(source_));
      if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot read it: " + file.errorString().toStdString();
      } else if (file.size() > kLargestFeed) {
        why = "the file is larger than any aircraft.json";
      } else {
        text = file.readAll();
      }
    }
    std::optional<FeedSnapshot> snapshot;
    if (why.empty()) {
      snapshot = ParseAircraftJson(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
      why = snapshot ? std::string() : "it is not an aircraft.json (no \"aircraft\" list)";
    }
    QMetaObject::invokeMethod(
        this, [this, snapshot = std::move(snapshot), why] { Done(snapshot, why); }, Qt::QueuedConnection);
  });
}

void AdsbPoller::Done(std::optional<FeedSnapshot> snapshot, const std::string& why) {
  busy_ = false;
  if (!snapshot) {
    if (!troubled_) {
      troubled_ = true;
      onTrouble_("adsb: " + source_ + ": " + why + "; trying every second");
    }
    return;
  }
  if (troubled_) {
    troubled_ = false;
    onTrouble_("adsb: reading " + source_ + " again");
  }
  onSnapshot_(*snapshot);
}

}  // namespace corvane::adsb
