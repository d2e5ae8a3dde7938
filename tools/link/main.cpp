// corvane-link: the live link's command-line client. Reads the command line,
// runs one request or advise against Corvane's live link, and turns SIGINT
// and SIGTERM into a clean close.
#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "common/non_run_actions.h"
#include "link_options.h"
#include "link_run.h"
#include "receiver/stop_signals.h"

namespace {

using namespace corvane::linktool;

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvane-link");
  QCoreApplication::setApplicationVersion(CORVANE_VERSION);
  const CommandLine commandLine = ParseCommandLine(QCoreApplication::arguments());
  if (const auto status = corvane::tools::HandleNonRunActions(commandLine, "corvane-link", CORVANE_VERSION)) {
    return *status;
  }
  LinkRun run(commandLine.options, stdout, stderr);
  QObject::connect(&run, &LinkRun::Finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
  corvane::receiver::CallOnStopSignals(&run, [&run] { run.Stop(); });
  run.Start();
  return QCoreApplication::exec();
}
