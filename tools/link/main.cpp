// corvane-link: the live link's command-line client. Reads the command line,
// runs one request or advise against Corvane's live link, and turns SIGINT
// and SIGTERM into a clean close.
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <optional>

#include "link_options.h"
#include "link_run.h"

namespace {

using namespace corvane::linktool;

int gSignalPipe[2] = {-1, -1};

void NoteStopSignal(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM reach the event loop as a call of run.Stop().
void StopOnSignals(LinkRun& run) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) {
    return;
  }
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &run);
  QObject::connect(notifier, &QSocketNotifier::activated, &run, [&run] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(gSignalPipe[0], &byte, 1);
    run.Stop();
  });
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

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
  StopOnSignals(run);
  run.Start();
  return QCoreApplication::exec();
}
