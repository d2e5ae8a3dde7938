// corvane-cardserver: the card server stand-in as a program. Reads the command
// line, starts the server, says where it listens, and runs until stopped
// (SIGINT, SIGTERM) or, with --exit-after-replay, until the capture is out.
#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "cardserver/card_server.h"
#include "cardserver/options.h"
#include "common/command_line_secrets.h"
#include "common/non_run_actions.h"

namespace {

using namespace corvane::cardserver;

constexpr int kSignalPollMs = 100;

volatile std::sig_atomic_t gStopSignal = 0;

void NoteStopSignal(int signal) { gStopSignal = signal; }

void StopOnSignals(QCoreApplication& app, QTimer& poll) {
  std::signal(SIGINT, NoteStopSignal);
  std::signal(SIGTERM, NoteStopSignal);
  std::signal(SIGPIPE, SIG_IGN);
  QObject::connect(&poll, &QTimer::timeout, &app, [&app] {
    if (gStopSignal != 0) {
      LogToStderr("stopping on signal " + std::to_string(gStopSignal));
      app.quit();
    }
  });
  poll.start(kSignalPollMs);
}

// The first line tests and scripts read to find the port.
void Announce(const CardServer& server, const Options& options) {
  std::printf("corvane-cardserver: listening on %s\n", Endpoint(server.Address(), server.Port()).c_str());
  if (const auto udp = server.UdpPort()) {
    std::printf("corvane-cardserver: UDP feed on %s\n", Endpoint(server.Address(), *udp).c_str());
  }
  if (const auto& mqtt = options.mqttIn) {
    std::string error;
    std::printf("corvane-cardserver: MQTT feed from %s, topic %s\n",
                corvane::livelink::ParseMqttUrl(mqtt->url, error)->Display().c_str(), mqtt->topic.c_str());
  }
  std::fflush(stdout);
}

// Every local user can read a command line (ps): a password in it is said
// about, never printed.
void WarnOfPassword(const Options& options) {
  std::string error;
  if (const auto& mqtt = options.mqttIn) {
    if (const auto url = corvane::livelink::ParseMqttUrl(mqtt->url, error); url && !url->password.empty()) {
      LogToStderr("warning: " +
                  corvane::tools::CommandLinePasswordWarning(
                      "--mqtt-in", "--mqtt-in-password-file FILE or the environment variable CORVANE_MQTT_PASSWORD"));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvane-cardserver");
  QCoreApplication::setApplicationVersion(CORVANE_VERSION);
  const CommandLine commandLine = ParseCommandLine(QCoreApplication::arguments());
  if (const auto status = corvane::tools::HandleNonRunActions(commandLine, "corvane-cardserver", CORVANE_VERSION)) {
    return *status;
  }
  WarnOfPassword(commandLine.options);
  std::string error;
  auto config = ConfigOf(commandLine.options, LogToStderr, error);
  if (!config) {
    LogToStderr(error);
    return 1;
  }
  CardServer server(std::move(*config));
  if (!server.Start(error)) {
    LogToStderr(error);
    return 1;
  }
  QObject::connect(&server, &CardServer::replayDone, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  QTimer signalPoll;
  StopOnSignals(app, signalPoll);
  Announce(server, commandLine.options);
  return QCoreApplication::exec();
}
