// corvaned: Corvane's receiver without a window. It reads the same settings,
// connects to the card server as the Connect button does, runs every record
// through the message path, stores and logs as configured, prints each report
// and stops cleanly on SIGINT or SIGTERM. Its options may also come from a
// configuration file (--config), as a service runs it.
#include <QCoreApplication>

#include "corvaned/daemon.h"
#include "corvaned/daemon_options.h"
#include "receiver/open_files.h"

int main(int argc, char** argv) {
  corvane::receiver::RaiseOpenFileLimit();
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvaned");
  auto options = corvane::daemon::ParseOptions(app);
  if (!options) {
    return 2;
  }
  corvane::daemon::Daemon daemon(std::move(*options));
  if (!daemon.Start()) {
    return 2;
  }
  return QCoreApplication::exec();
}
