// What corvaned tells systemd when it runs as a Type=notify service: ready
// once the store is open and the card server answered, a watchdog ping on
// every turn of the event loop the message path runs on (so a stuck path
// stops the pings and systemd restarts the service), the start-up's time
// limit extended while that loop still turns, and stopping. Without
// NOTIFY_SOCKET (not run by systemd) it does nothing.
#pragma once

#include <QObject>
#include <QTimer>
#include <string>

namespace corvane::daemon {

class ServiceNotifier : public QObject {
 public:
  ServiceNotifier();

  // The store is open and the card server answered: the service is up.
  void Ready(const std::string& status);
  // What the service is doing, for systemctl status.
  void Status(const std::string& status);
  void Stopping();
  [[nodiscard]] bool WatchdogOn() const { return pings_.isActive(); }

 private:
  void Ping();

  QTimer pings_;
  bool ready_ = false;
  long long intervalUsec_ = 0;
};

}  // namespace corvane::daemon
