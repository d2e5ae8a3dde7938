// Reads aircraft.json every second from an http:// address (Qt Network,
// each request given kRequestTimeout) or a file, and parses it on a worker
// thread of its own, so that neither the message path nor the window ever
// waits for the decoder. One reading at a time: a tick that finds the last
// one still under way is skipped.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "adsb/aircraft_feed.h"

namespace corvane::adsb {

inline constexpr std::chrono::milliseconds kPollInterval{1000};
inline constexpr std::chrono::milliseconds kRequestTimeout{5000};
// A larger answer is not an aircraft.json (thousands of aircraft take a few
// hundred kilobytes).
inline constexpr qint64 kLargestFeed = 32 * 1024 * 1024;

class AdsbPoller : public QObject {
  Q_OBJECT

 public:
  using SnapshotFn = std::function<void(const FeedSnapshot&)>;
  using TroubleFn = std::function<void(const std::string& line)>;

  // source: "http://host:port/path" or a file path. Each reading parsed goes
  // to onSnapshot; trouble is said once when it starts and once when it
  // ends. Both are called on this object's thread.
  AdsbPoller(std::string source, SnapshotFn onSnapshot, TroubleFn onTrouble, QObject* parent = nullptr);
  ~AdsbPoller() override;

  void Start();
  [[nodiscard]] bool IsUrl() const { return isUrl_; }

 private:
  void Poll();
  void Fetched(QNetworkReply* reply);
  // Reads (a file) and parses on the worker; Done follows on this thread.
  void ParseOnWorker(std::optional<QByteArray> fetched);
  void Done(std::optional<FeedSnapshot> snapshot, const std::string& why);

  std::string source_;
  bool isUrl_ = false;
  SnapshotFn onSnapshot_;
  TroubleFn onTrouble_;
  QTimer timer_;
  QNetworkAccessManager network_;
  QThreadPool worker_;
  bool busy_ = false;
  bool troubled_ = false;
};

}  // namespace corvane::adsb
