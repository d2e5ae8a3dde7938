// The signal handler only writes a byte into a socket pair; a notifier on the
// other end runs the stop on the event loop.
#include "receiver/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace corvane::receiver {

namespace {

int gSignalPipe[2] = {-1, -1};

void NoteStopSignal(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

}  // namespace

void CallOnStopSignals(QObject* owner, std::function<void()> stop) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) {
    return;
  }
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [stop = std::move(stop)] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(gSignalPipe[0], &byte, 1);
    stop();
  });
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace corvane::receiver
