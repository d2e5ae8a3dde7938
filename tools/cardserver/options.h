// The card server's command line: its options, their checks, and the server
// configuration they make (the capture file read in).
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "cardserver/card_server.h"

namespace corvane::cardserver {

struct Options {
  QHostAddress address{QHostAddress::LocalHost};
  quint16 port = cardlink::wire::kDefaultPort;
  bool servesW41 = true;
  bool servesW51 = true;
  std::vector<int> cards{1};
  std::string capturePath;
  double speed = 1.0;
  bool fast = false;
  bool loop = false;
  bool exitAfterReplay = false;
  std::optional<quint16> udpPort;
  std::optional<MqttFeedConfig> mqttIn;
  int maxHops = 0;
};

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Fail };
  Action action = Action::Run;
  Options options;
  std::string text;  // the help, or what is wrong
};

// Needs a QCoreApplication (for the program's name in the help).
CommandLine ParseCommandLine(const QStringList& arguments);

// "1,5" -> {1, 5}: card status codes 0 to 8; nothing when not such a list.
std::optional<std::vector<int>> ParseCardList(const QString& text);

// The server's configuration; the capture is read here, bad lines logged.
// Nothing (with the reason) when the capture cannot be read.
std::optional<ServerConfig> ConfigOf(const Options& options, const Logger& log, std::string& error);

}  // namespace corvane::cardserver
