// corvaned's options: each is a setting of Corvane's (which it overrides)
// or a choice of the console run; a configuration file may stand for any of
// them, the command line winning.
#include "corvaned/daemon_options.h"

#include <QCommandLineParser>
#include <cmath>
#include <fstream>
#include <iostream>

#include "common/command_line_secrets.h"
#include "config/byte_size.h"
#include "corvaned/config_file.h"
#include "decoding/traffic_log.h"
#include "livelink/mqtt_url.h"

namespace corvane::daemon {

namespace {

constexpr char kDescription[] =
    "Corvane's receiver without a window: connects to the card server named by Corvane's settings (or the\n"
    "options below), decodes every message, stores it (setting \"Database\": 0 none, 1 SQLite Corvane.db,\n"
    "2 Jet-layout Corvane.mdb, in the current directory, 4 a PostgreSQL server shared by a station network),\n"
    "writes the traffic log when asked, and prints\n"
    "each report. Messages the store cannot take at once (locked, read-only, disk full) wait and are\n"
    "written later, if need be from the pending file (Corvane.pending.jsonl beside the store, or for\n"
    "PostgreSQL a file of the station's own in ~/.local/state/corvane), also at the next start.\n"
    "Stops cleanly on SIGINT or SIGTERM.";

// An option left out of --help: one for measuring the station, not for running it.
QCommandLineOption HiddenOption(QCommandLineOption option) {
  option.setFlags(QCommandLineOption::HiddenFromHelp);
  return option;
}

// Every option corvaned takes.
struct OptionSet {
  QCommandLineOption host{"host", "Card server host, optionally with :port (default: setting HostName).", "host"};
  QCommandLineOption cardType{"card-type", "0 W40PC, 1 W41PC, 2 W51PC (default: setting CardType).", "type"};
  QCommandLineOption cardNumber{"card-number", "Card number 1 to 8 (default: setting CardNumber).", "n"};
  QCommandLineOption input{"input", "Decoder input: 1 AF, 2 HF, 3 IF1, 4 IF2 (default: setting IF-Input).", "input"};
  QCommandLineOption translation{"translation", "IF translation in Hz (default: setting IF-Freqs).", "hz"};
  QCommandLineOption database{
      "database", "Store: 0 none, 1 SQLite, 2 Jet layout, 4 PostgreSQL (default: setting Database).", "kind"};
  QCommandLineOption databaseUrl{
      "database-url", "PostgreSQL connection string or URI (default: setting DatabaseUrl, else libpq's defaults).",
      "url"};
  QCommandLineOption station{"station",
                             "Station name: stored with each message in PostgreSQL, carried in LiveJSON,\n"
                             "and how messages this station sent are known when they come back from a\n"
                             "broker (default: setting StationName, else the host name).",
                             "name"};
  QCommandLineOption mqtt{"mqtt",
                          "Also publish each message's LiveJSON to this MQTT broker, QoS 1:\n"
                          "mqtt://[user[:password]@]host[:port] or mqtts://... (default: setting MqttUrl).",
                          "url"};
  QCommandLineOption mqttTopic{"mqtt-topic",
                               "MQTT topic (default: setting MqttTopic, else corvane/<station>/messages).", "topic"};
  QCommandLineOption mqttPasswordFile{
      "mqtt-password-file",
      "File whose first line is the MQTT password (default: setting MqttPasswordFile, else the environment "
      "variable CORVANE_MQTT_PASSWORD, else the URL's password).",
      "file"};
  QCommandLineOption log{"log", "Append reports to Corvane.txt: all, or some (no link tests or acks).", "all|some"};
  QCommandLineOption logRotate{"log-rotate",
                               "daily: start a new Corvane.txt each UTC day, the old one renamed\n"
                               "Corvane-YYYY-MM-DD.txt; none: one file (default: setting LogRotate).",
                               "daily|none"};
  QCommandLineOption retry{"retry",
                           "Seconds before connecting again after a failure or a lost connection;\n"
                           "0 exits instead (default 5).",
                           "seconds", "5"};
  QCommandLineOption quiet{"quiet", "Do not print the reports."};
  QCommandLineOption alerts{"alerts",
                            "Watch list: a file with one entry a line, in corvane-search's query\n"
                            "language (default: setting Alerts). A message that matches an entry\n"
                            "prints an \"alert:\" line, is marked in the store and published on the\n"
                            "alerts topic.",
                            "file"};
  QCommandLineOption http{"http",
                          "Serve the web page (live traffic, search, map, statistics, alerts) on\n"
                          "ADDRESS:PORT, e.g. 127.0.0.1:8080 (default: setting HttpAddress; empty: none).\n"
                          "Any address but loopback needs --http-token-file.",
                          "address:port"};
  QCommandLineOption httpTokenFile{"http-token-file",
                                   "File whose first line is the token browsers must show: open the page as\n"
                                   "http://HOST:PORT/#token=TOKEN (default: setting HttpTokenFile).",
                                   "file"};
  QCommandLineOption httpCert{"http-cert",
                              "Serve the page over HTTPS with this certificate (PEM; the chain may follow)\n"
                              "(default: setting HttpCertificate). Needs --http-key.",
                              "file"};
  QCommandLineOption httpKey{"http-key",
                             "The certificate's private key (PEM, without a pass phrase)\n"
                             "(default: setting HttpKey).",
                             "file"};
  QCommandLineOption keepDays{"keep-days",
                              "Messages received more than this many days ago leave the store, its search "
                              "index and statistics, a few at a time (default: setting KeepDays; 0 keeps "
                              "everything).",
                              "days"};
  QCommandLineOption keepAlertDays{"keep-alert-days",
                                   "Messages that raised an alert stay this many days instead, when longer "
                                   "(default: setting KeepAlertDays; 0 keeps them for ever).",
                                   "days"};
  QCommandLineOption keepSize{"keep-size",
                              "Once the store takes more than this on disk (e.g. 500M or 2G; SQLite and Jet\n"
                              "layout: the file, PostgreSQL: its tables), the oldest messages leave it,\n"
                              "alerts too (default: setting KeepSize; 0 sets no limit).",
                              "size"};
  QCommandLineOption adsb{"adsb",
                          "Read ADS-B aircraft every second from dump1090's or readsb's aircraft.json, an\n"
                          "http:// address (e.g. http://127.0.0.1:8080/data/aircraft.json) or a file path;\n"
                          "the page's /api/adsb lists them beside the messages they sent today\n"
                          "(default: setting AdsbSource; empty: none).",
                          "url|file"};
  QCommandLineOption stationPosition{"station-position",
                                     "The receiver's position in decimal degrees, north and east positive,\n"
                                     "e.g. 51.47,-0.45 (default: settings StationLatitude and StationLongitude).",
                                     "lat,lon"};
  QCommandLineOption link{"link-name", "Name of the live link other programs read (default Corvane).", "name",
                          "Corvane"};
  QCommandLineOption configFile{"config",
                                "Read options from this file first: one \"name = value\" a line, the names "
                                "being the long options above without the dashes (quiet = true); '#' starts "
                                "a comment line, an empty value sets nothing, and the command line wins.",
                                "file"};
  // The benchmarks' long runs: the messages' time, and retention's, runs this
  // many times as fast as the real time from the start (1440: a day a minute).
  QCommandLineOption clockSpeed = HiddenOption({"clock-speed", "Clock speed factor.", "factor", "1"});

  // What a configuration file may set: all but --config itself.
  [[nodiscard]] QList<QCommandLineOption> Configurable() const {
    return {host,   cardType,       cardNumber,       input,    translation, database, databaseUrl,   station,
            mqtt,   mqttTopic,      mqttPasswordFile, log,      logRotate,   retry,    quiet,         link,
            alerts, http,           httpTokenFile,    httpCert, httpKey,     keepDays, keepAlertDays, keepSize,
            adsb,   stationPosition};
  }
  // The options whose text is a setting's text as it stands.
  [[nodiscard]] std::vector<std::pair<const QCommandLineOption*, std::string config::Settings::*>> TextSettings()
      const {
    return {{&host, &config::Settings::HostName},
            {&databaseUrl, &config::Settings::DatabaseUrl},
            {&station, &config::Settings::StationName},
            {&mqtt, &config::Settings::MqttUrl},
            {&mqttTopic, &config::Settings::MqttTopic},
            {&mqttPasswordFile, &config::Settings::MqttPasswordFile},
            {&http, &config::Settings::HttpAddress},
            {&httpTokenFile, &config::Settings::HttpTokenFile},
            {&httpCert, &config::Settings::HttpCertificate},
            {&httpKey, &config::Settings::HttpKey},
            {&logRotate, &config::Settings::LogRotate},
            {&keepSize, &config::Settings::KeepSize},
            {&adsb, &config::Settings::AdsbSource}};
  }
};

// Every local user can read a command line (ps): a password in it is said
// about, never printed.
void WarnOfPasswords(const QCommandLineParser& parser, const OptionSet& set) {
  std::string error;
  if (parser.isSet(set.databaseUrl) &&
      tools::ConnectionStringHoldsPassword(parser.value(set.databaseUrl).toStdString())) {
    std::cerr << "corvaned: warning: "
              << tools::CommandLinePasswordWarning("--database-url", tools::kSaferPostgresPassword) << '\n';
  }
  if (const auto url = livelink::ParseMqttUrl(parser.value(set.mqtt).toStdString(), error);
      parser.isSet(set.mqtt) && url && !url->password.empty()) {
    std::cerr << "corvaned: warning: "
              << tools::CommandLinePasswordWarning(
                     "--mqtt", "--mqtt-password-file FILE or the environment variable CORVANE_MQTT_PASSWORD")
              << '\n';
  }
}

std::vector<tools::ConfigOption> ConfigurableOptions(const QList<QCommandLineOption>& options) {
  std::vector<tools::ConfigOption> known;
  for (const QCommandLineOption& option : options) {
    known.push_back({option.names().front().toStdString(), !option.valueName().isEmpty()});
  }
  return known;
}

// The arguments with those the configuration file stands for put first,
// after the program's name, so that the command line's own win. Nothing,
// having said why, when the file cannot be read or holds a line that
// cannot be used.
std::optional<QStringList> WithConfigFile(const QStringList& arguments, const QString& file,
                                          const std::vector<tools::ConfigOption>& known) {
  std::ifstream in(file.toStdString(), std::ios::binary);
  if (!in) {
    std::cerr << "corvaned: --config: cannot read " << file.toStdString() << '\n';
    return std::nullopt;
  }
  std::string error;
  const auto fromFile = tools::ConfigFileArguments(in, file.toStdString(), known, &error);
  if (!fromFile) {
    std::cerr << "corvaned: " << error << '\n';
    return std::nullopt;
  }
  QStringList combined{arguments.front()};
  for (const std::string& argument : *fromFile) {
    combined << QString::fromStdString(argument);
  }
  return combined + arguments.mid(1);
}

// The command line with the configuration file's options before it. The
// file is read before --help is answered, so that "corvaned --config FILE
// --help" also checks the file.
std::optional<QStringList> FullCommandLine(QCommandLineParser& parser, const OptionSet& set,
                                           const QStringList& arguments) {
  if (!parser.parse(arguments)) {
    return arguments;  // process() below says what is wrong
  }
  WarnOfPasswords(parser, set);  // the file's lines are not on the command line
  if (!parser.isSet(set.configFile)) {
    return arguments;
  }
  return WithConfigFile(arguments, parser.value(set.configFile), ConfigurableOptions(set.Configurable()));
}

// A number option within [low, high] into field; false, having said so,
// when it is not one.
template <typename Field>
bool ReadNumber(const QCommandLineParser& parser, const QCommandLineOption& option, Field& field, long low, long high) {
  if (!parser.isSet(option)) {
    return true;
  }
  bool parsed = false;
  const long value = parser.value(option).toLong(&parsed);
  if (!parsed || value < low || value > high) {
    std::cerr << "corvaned: --" << option.names().front().toStdString() << " takes a number from " << low << " to "
              << high << '\n';
    return false;
  }
  field = static_cast<Field>(value);
  return true;
}

// "51.47,-0.45" into the settings StationLatitude and StationLongitude;
// false, having said so, when it is not a position.
bool ReadStationPosition(const QCommandLineParser& parser, const OptionSet& set, config::Settings& s) {
  if (!parser.isSet(set.stationPosition)) {
    return true;
  }
  const QStringList parts = parser.value(set.stationPosition).split(QLatin1Char(','));
  bool latitudeOk = false;
  bool longitudeOk = false;
  const double latitude = parts.size() == 2 ? parts[0].trimmed().toDouble(&latitudeOk) : 0;
  const double longitude = parts.size() == 2 ? parts[1].trimmed().toDouble(&longitudeOk) : 0;
  if (!latitudeOk || !longitudeOk || std::abs(latitude) > 90 || std::abs(longitude) > 180) {
    std::cerr << "corvaned: --station-position takes LAT,LON in decimal degrees, e.g. 51.47,-0.45\n";
    return false;
  }
  s.StationLatitude = parts[0].trimmed().toStdString();
  s.StationLongitude = parts[1].trimmed().toStdString();
  return true;
}

bool ReadSettingOptions(const QCommandLineParser& parser, const OptionSet& set, config::Settings& s) {
  for (const auto& [option, field] : set.TextSettings()) {
    if (parser.isSet(*option)) {
      s.*field = parser.value(*option).toStdString();
    }
  }
  bool ok = ReadNumber(parser, set.cardType, s.CardType, 0, 2);
  ok = ReadNumber(parser, set.cardNumber, s.CardNumber, 1, 8) && ok;
  ok = ReadNumber(parser, set.input, s.IFInput, 1, 4) && ok;
  ok = ReadNumber(parser, set.translation, s.IFFreqs, INT32_MIN, INT32_MAX) && ok;
  ok = ReadNumber(parser, set.database, s.Database, 0, 4) && ok;
  ok = ReadNumber(parser, set.keepDays, s.KeepDays, 0, 100000) && ok;
  ok = ReadNumber(parser, set.keepAlertDays, s.KeepAlertDays, 0, 100000) && ok;
  ok = ReadStationPosition(parser, set, s) && ok;
  if (parser.isSet(set.keepSize) && !config::ParseByteSize(s.KeepSize)) {
    std::cerr << "corvaned: --keep-size takes a size such as 500M or 2G (0: no limit)\n";
    ok = false;
  }
  if (parser.isSet(set.logRotate) && !decoding::LogRotationNamed(s.LogRotate)) {
    std::cerr << "corvaned: --log-rotate takes daily or none\n";
    ok = false;
  }
  if (parser.isSet(set.mqttPasswordFile) && s.MqttUrl.empty()) {
    std::cerr << "corvaned: --mqtt-password-file needs --mqtt or the setting MqttUrl\n";
    ok = false;
  }
  return ok;
}

bool ReadRunOptions(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
  bool ok = ReadNumber(parser, set.retry, options.retrySeconds, 0, 3600);
  if (parser.isSet(set.log)) {
    const QString mode = parser.value(set.log);
    if (mode != "all" && mode != "some") {
      std::cerr << "corvaned: --log takes all or some\n";
      ok = false;
    }
    options.log = mode.toStdString();
  }
  options.quiet = parser.isSet(set.quiet);
  if (parser.isSet(set.alerts)) {
    options.alertsFile = parser.value(set.alerts).toStdString();
  }
  options.liveLinkName = parser.value(set.link).toStdString();
  return ok;
}

bool ReadClockSpeed(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
  bool parsed = false;
  options.clockSpeed = parser.value(set.clockSpeed).toDouble(&parsed);
  if (!parsed || !(options.clockSpeed >= 1 && options.clockSpeed <= 1e6)) {
    std::cerr << "corvaned: --clock-speed takes a number from 1 to 1000000\n";
    return false;
  }
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(const QCoreApplication& app) {
  const OptionSet set;
  QCommandLineParser parser;
  parser.setApplicationDescription(kDescription);
  parser.addHelpOption();
  parser.addOptions(set.Configurable());
  parser.addOption(set.configFile);
  parser.addOption(set.clockSpeed);
  const auto arguments = FullCommandLine(parser, set, app.arguments());
  if (!arguments) {
    return std::nullopt;
  }
  parser.process(*arguments);

  Options options;
  options.settings = config::ReadAllSettings(config::kAppName, 0, 0);
  const config::Settings& s = options.settings;
  bool ok = ReadSettingOptions(parser, set, options.settings);
  ok = ReadRunOptions(parser, set, options) && ok;
  ok = ReadClockSpeed(parser, set, options) && ok;
  if (ok && (s.CardType < 0 || s.CardType > 2 || s.CardNumber < 1)) {
    std::cerr << "corvaned: no card is configured: pass --card-type and --card-number, or choose them in Corvane's "
                 "configuration dialog\n";
    ok = false;
  }
  return ok ? std::optional<Options>(std::move(options)) : std::nullopt;
}

}  // namespace corvane::daemon
