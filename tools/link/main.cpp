// corvane-link: the live link's command-line client. Reads the command line,
// runs one request or advise against Corvane's live link, and turns SIGINT
// and SIGTERM into a clean close.
#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "link_options.h"
#include "link_run.h"
#include "receiver/stop_signals.h"

namespace {

using namespace corvane::linktool;

// The exit status for anything but a run, or nothing to go on.
std::optional<int> HandleNonRunActions(const CommandLine& commandLine) {
  switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
      std::fputs(commandLine.text.c_str(), stdout);
      return 0;
    case CommandLine::Action::ShowVersion:
      std::printf("corvane-link %s\n", CORVANE_VERSION);
      return 0;
    case CommandLine::Action::Fail:
      std::fprintf(stderr, "corvane-link: %s\nTry corvane-link --help.\n", commandLine.text.c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvane-link");
  QCoreApplication::setApplicationVersion(CORVANE_VERSION);
  const CommandLine commandLine = ParseCommandLine(QCoreApplication::arguments());
  if (const auto status = HandleNonRunActions(commandLine)) {
    return *status;
  }
  LinkRun run(commandLine.options, stdout, stderr);
  QObject::connect(&run, &LinkRun::Finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
  corvane::receiver::CallOnStopSignals(&run, [&run] { run.Stop(); });
  run.Start();
  return QCoreApplication::exec();
}
