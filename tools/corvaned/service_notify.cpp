// corvaned and systemd's notification socket, through libsystemd.
#include "corvaned/service_notify.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace corvane::daemon {

namespace {

// Pings or start-up extensions come this often while the loop turns, so
// that systemd hears at least twice within its limit.
constexpr int kDefaultPingMilliseconds = 10000;

void Notify(const std::string& state) { sd_notify(0, state.c_str()); }

}  // namespace

ServiceNotifier::ServiceNotifier() {
  std::uint64_t watchdogUsec = 0;
  const bool watchdog = sd_watchdog_enabled(0, &watchdogUsec) > 0 && watchdogUsec > 0;
  intervalUsec_ = watchdog ? static_cast<long long>(watchdogUsec / 2) : kDefaultPingMilliseconds * 1000LL;
  QObject::connect(&pings_, &QTimer::timeout, this, [this] { Ping(); });
  // The timer fires from the event loop: when the loop stops turning, so do
  // the pings.
  if (watchdog || sd_notify(0, "STATUS=starting") > 0) {
    pings_.start(static_cast<int>(intervalUsec_ / 1000));
  }
}

void ServiceNotifier::Ready(const std::string& status) {
  if (!ready_) {
    ready_ = true;
    Notify("READY=1\nSTATUS=" + status);
  } else {
    Status(status);
  }
}

void ServiceNotifier::Status(const std::string& status) { Notify("STATUS=" + status); }

void ServiceNotifier::Stopping() {
  pings_.stop();
  Notify("STOPPING=1");
}

// Before ready, the start-up's limit is pushed on while the loop turns (a
// card server that is not there yet); after, the watchdog is fed.
void ServiceNotifier::Ping() {
  if (ready_) {
    Notify("WATCHDOG=1");
  } else {
    Notify("EXTEND_TIMEOUT_USEC=" + std::to_string(intervalUsec_ * 3));
  }
}

}  // namespace corvane::daemon
