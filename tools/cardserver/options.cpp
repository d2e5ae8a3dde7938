// Reading and checking the card server's command line, and turning the
// options into the server's configuration.
#include "cardserver/options.h"

#include <QCommandLineParser>
#include <cmath>
#include <limits>

namespace corvane::cardserver {

namespace {

const char* const kDescription =
    "Plays the decoder card's server for Corvane: simulated W40PC/W41PC/W51PC cards\n"
    "whose traffic comes from a capture file or a live acarsdec/dumpvdl2 feed.\n"
    "\n"
    "Examples:\n"
    "  corvane-cardserver --capture demo-capture.jsonl --speed 10 --loop\n"
    "  corvane-cardserver --cards 1,5 --progid w51 --port 0\n"
    "  corvane-cardserver --mqtt-in mqtt://broker.local --mqtt-in-topic acars/#\n"
    "  corvane-cardserver --mqtt-in mqtt://broker.local --mqtt-in-topic 'corvane/+/messages' --mqtt-in-max-hops 1\n"
    "  corvane-cardserver --udp 5555\n"
    "    then feed it from an SDR receiver:\n"
    "    acarsdec -j 127.0.0.1:5555 -r 0 131.525 131.725 131.825\n"
    "    dumpvdl2 --output decoded:json:udp:address=127.0.0.1,port=5555 ...";

struct OptionSet {
  QCommandLineOption progid{"progid", "Which server to play: w41 (W40PC/W41PC cards), w51 (W51PC) or both (default).",
                            "w41|w51|both", "both"};
  QCommandLineOption port{"port", "TCP port for clients (default 7441; 0 picks a free port).", "N", "7441"};
  QCommandLineOption listen{"listen", "Address to listen on (default 127.0.0.1; 0.0.0.0 for every interface).",
                            "address", "127.0.0.1"};
  QCommandLineOption cards{"cards", "Status codes 0-8 of the simulated cards, comma-separated (default 1).", "list",
                           "1"};
  QCommandLineOption capture{"capture", "Capture file (JSON Lines) replayed once a client turns text callbacks on.",
                             "file"};
  QCommandLineOption speed{"speed", "Replays the capture this many times faster than it was received (default 1).",
                           "factor", "1"};
  QCommandLineOption fast{"fast", "Replays the capture as fast as the clients take it."};
  QCommandLineOption loop{"loop", "Starts the capture again when it ends."};
  QCommandLineOption udp{"udp", "Takes acarsdec/dumpvdl2 JSON messages from datagrams on this UDP port.", "port"};
  QCommandLineOption mqttIn{"mqtt-in",
                            "Takes acarsdec/dumpvdl2 JSON messages (and receivers' LiveJSON objects,\n"
                            "see --mqtt-in-max-hops) from an MQTT broker (QoS 1):\n"
                            "mqtt://[user[:password]@]host[:port] or mqtts://...",
                            "url"};
  QCommandLineOption mqttInTopic{"mqtt-in-topic", "The topic --mqtt-in subscribes to (wildcards allowed).", "topic"};
  QCommandLineOption maxHops{"mqtt-in-max-hops",
                             "Takes a receiver's LiveJSON object (over MQTT or UDP) only when it has "
                             "passed at most N receivers; others are dropped and counted. 0 (default) "
                             "takes only what no receiver has passed (acarsdec/dumpvdl2 JSON); 1 also "
                             "takes what receivers heard themselves but never what they relayed, which "
                             "keeps receivers that follow each other free of loops.",
                             "N", "0"};
  QCommandLineOption mqttInPasswordFile{"mqtt-in-password-file",
                                        "File whose first line is the --mqtt-in password (else the environment "
                                        "variable CORVANE_MQTT_PASSWORD, else the URL's password).",
                                        "file"};
  QCommandLineOption exitAfterReplay{"exit-after-replay",
                                     "Once the capture is replayed and sent to every client, ends the\n"
                                     "sending side of each connection and exits when the clients have left\n"
                                     "(10 seconds at the most)."};
};

std::optional<quint16> ParsePort(const QString& text) {
  bool ok = false;
  const uint value = text.toUInt(&ok);
  return ok && value <= 65535 ? std::optional<quint16>(static_cast<quint16>(value)) : std::nullopt;
}

// Fills in options from a parsed command line; what is wrong, if anything.
std::optional<std::string> ReadValues(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
  const QString progid = parser.value(set.progid);
  if (progid != "w41" && progid != "w51" && progid != "both") {
    return "--progid takes w41, w51 or both";
  }
  options.servesW41 = progid != "w51";
  options.servesW51 = progid != "w41";
  const auto port = ParsePort(parser.value(set.port));
  if (!port) {
    return "--port takes a port number 0 to 65535";
  }
  options.port = *port;
  if (!options.address.setAddress(parser.value(set.listen))) {
    return "--listen takes an IP address, such as 127.0.0.1 or 0.0.0.0";
  }
  const auto cards = ParseCardList(parser.value(set.cards));
  if (!cards) {
    return "--cards takes status codes 0 to 8, comma-separated";
  }
  options.cards = *cards;
  if (parser.isSet(set.udp)) {
    options.udpPort = ParsePort(parser.value(set.udp));
    if (!options.udpPort) {
      return "--udp takes a port number 0 to 65535";
    }
  }
  if (parser.isSet(set.mqttIn) != parser.isSet(set.mqttInTopic)) {
    return "--mqtt-in and --mqtt-in-topic go together";
  }
  if (parser.isSet(set.mqttInPasswordFile) && !parser.isSet(set.mqttIn)) {
    return "--mqtt-in-password-file needs --mqtt-in";
  }
  if (parser.isSet(set.mqttIn)) {
    std::string error;
    if (!livelink::ParseMqttUrl(parser.value(set.mqttIn).toStdString(), error)) {
      return "--mqtt-in: " + error;
    }
    options.mqttIn = MqttFeedConfig{parser.value(set.mqttIn).toStdString(), parser.value(set.mqttInTopic).toStdString(),
                                    parser.value(set.mqttInPasswordFile).toStdString()};
    // The password file is read now, so that one that cannot be read stops the start.
    if (!livelink::MqttUrlWithPassword(options.mqttIn->url, options.mqttIn->passwordFile, error)) {
      return error;
    }
  }
  bool ok = false;
  const uint maxHops = parser.value(set.maxHops).toUInt(&ok);
  if (!ok || maxHops > static_cast<uint>(std::numeric_limits<int>::max())) {
    return "--mqtt-in-max-hops takes a whole number from 0";
  }
  options.maxHops = static_cast<int>(maxHops);
  if (parser.isSet(set.maxHops) && !parser.isSet(set.mqttIn) && !parser.isSet(set.udp)) {
    return "--mqtt-in-max-hops needs --mqtt-in or --udp";
  }
  options.speed = parser.value(set.speed).toDouble(&ok);
  if (!ok || !std::isfinite(options.speed) || options.speed <= 0) {
    return "--speed takes a factor above 0";
  }
  options.capturePath = parser.value(set.capture).toStdString();
  options.fast = parser.isSet(set.fast);
  options.loop = parser.isSet(set.loop);
  options.exitAfterReplay = parser.isSet(set.exitAfterReplay);
  return std::nullopt;
}

std::optional<std::string> CheckCombination(const QCommandLineParser& parser, const OptionSet& set,
                                            const Options& options) {
  if (options.capturePath.empty()) {
    for (const auto* needsCapture : {&set.speed, &set.fast, &set.loop, &set.exitAfterReplay}) {
      if (parser.isSet(*needsCapture)) {
        return "--" + needsCapture->names().front().toStdString() + " needs --capture";
      }
    }
  }
  if (options.fast && parser.isSet(set.speed)) {
    return "--fast and --speed do not go together";
  }
  if (options.loop && options.exitAfterReplay) {
    return "--loop and --exit-after-replay do not go together";
  }
  if (!parser.positionalArguments().isEmpty()) {
    return "unexpected argument " + parser.positionalArguments().front().toStdString();
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<int>> ParseCardList(const QString& text) {
  std::vector<int> codes;
  for (const QString& part : text.split(',')) {
    bool ok = false;
    const int code = part.trimmed().toInt(&ok);
    if (!ok || code < 0 || code > kHighestCardStatus) {
      return std::nullopt;
    }
    codes.push_back(code);
  }
  return codes;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(kDescription);
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const OptionSet set;
  parser.addOptions({set.progid, set.port, set.listen, set.cards, set.capture, set.speed, set.fast, set.loop, set.udp,
                     set.mqttIn, set.mqttInTopic, set.mqttInPasswordFile, set.maxHops, set.exitAfterReplay});
  CommandLine result;
  if (!parser.parse(arguments)) {
    result.action = CommandLine::Action::Fail;
    result.text = parser.errorText().toStdString();
    return result;
  }
  if (parser.isSet(help) || parser.isSet("help-all")) {
    result.action = CommandLine::Action::ShowHelp;
    result.text = parser.helpText().toStdString();
    return result;
  }
  if (parser.isSet(version)) {
    result.action = CommandLine::Action::ShowVersion;
    return result;
  }
  auto problem = ReadValues(parser, set, result.options);
  if (!problem) {
    problem = CheckCombination(parser, set, result.options);
  }
  if (problem) {
    result.action = CommandLine::Action::Fail;
    result.text = *problem;
  }
  return result;
}

std::optional<ServerConfig> ConfigOf(const Options& options, const Logger& log, std::string& error) {
  ServerConfig config;
  config.address = options.address;
  config.port = options.port;
  config.initial.cardStatus = options.cards;
  config.initial.servesW41 = options.servesW41;
  config.initial.servesW51 = options.servesW51;
  config.udpPort = options.udpPort;
  config.mqttIn = options.mqttIn;
  config.maxHops = options.maxHops;
  config.exitAfterReplay = options.exitAfterReplay;
  config.log = log;
  if (!options.capturePath.empty()) {
    auto records = LoadCapture(options.capturePath, log, error);
    if (!records) {
      return std::nullopt;
    }
    config.replay = ReplayPlan{std::move(*records), options.speed, options.fast, options.loop};
  }
  return config;
}

}  // namespace corvane::cardserver
