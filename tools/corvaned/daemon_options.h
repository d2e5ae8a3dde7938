// corvaned's command line (and configuration file) turned into the settings
// the station starts from, plus what only a console run has: the traffic
// log's mode, the pause before connecting again, quiet, the live link's
// name and a watch list file.
#pragma once

#include <QCoreApplication>
#include <optional>
#include <string>

#include "config/settings.h"

namespace corvane::daemon {

struct Options {
  config::Settings settings;
  std::optional<std::string> log;  // "all" or "some"
  int retrySeconds = 5;            // 0: end instead of connecting again
  std::string liveLinkName = "Corvane";
  bool quiet = false;
  std::optional<std::string> alertsFile;  // the watch list's file, instead of the setting Alerts
  double clockSpeed = 1;                  // the station's clock runs this many times as fast as the real one
};

// Nothing, having said why on standard error, when the command line or the
// configuration file cannot be used (--help and its like end the program
// as usual).
std::optional<Options> ParseOptions(const QCoreApplication& app);

}  // namespace corvane::daemon
