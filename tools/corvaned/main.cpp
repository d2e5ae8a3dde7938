// corvaned: Corvane's receiver without a window. It reads the same settings,
// connects to the card server as the Connect button does, runs every record
// through the message path, stores and logs as configured, prints each report
// and stops cleanly on SIGINT or SIGTERM. Its options may also come from a
// configuration file (--config), as a service runs it.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "cardlink/connection_manager.h"
#include "common/command_line_secrets.h"
#include "config/settings.h"
#include "corvaned/config_file.h"
#include "livelink/mqtt_url.h"
#include "receiver/open_files.h"
#include "receiver/receiver.h"
#include "receiver/stop_signals.h"
#include "reference/reference_tables.h"
#include "store/store.h"
#include "web/receiver_web.h"
#include "web/web_settings.h"

namespace {

using namespace corvane;

// The connection's view: what a window would show goes to standard error.
class ConsoleView : public cardlink::ConnectionView {
 public:
  void SetModePanel(const std::string& text) override { Report("decoder mode", text, mode_); }
  void SetStatusPanel(const std::string& text) override { Report("decoder", text, status_); }
  void ShowError(const std::string& text) override { std::cerr << "corvaned: " << text << std::endl; }
  void CardNotUsable(std::int32_t status) override {
    std::cerr << "corvaned: the card cannot be used: status " << status << " (" << cardlink::CardStatusText(status)
              << ")" << std::endl;
  }
  void ConnectionDropped(const std::string& reason) override {
    std::cerr << "corvaned: connection to the card server lost: " << reason << std::endl;
    if (onDropped) {
      onDropped();
    }
  }
  std::function<void()> onDropped;

 private:
  // Says what changed, once.
  static void Report(const char* what, const std::string& text, std::string& last) {
    if (!text.empty() && text != last) {
      std::cerr << "corvaned: " << what << " " << text << std::endl;
    }
    last = text;
  }
  std::string mode_;
  std::string status_;
};

class ConsoleStoreProgress : public store::StoreProgress {
 public:
  void SetProgressStep(const std::string& text) override { std::cerr << "corvaned: " << text << std::endl; }
};

struct Options {
  config::Settings settings;
  std::optional<std::string> log;
  int retrySeconds = 5;
  std::string liveLinkName = "Corvane";
  bool quiet = false;
  std::optional<livelink::MqttUrl> mqttUrl;  // with the password chosen
  std::optional<std::string> alertsFile;     // the watch list's file, instead of the setting Alerts
  std::optional<web::WebOptions> web;        // the web page, when asked for
};

// The web page's address, token, certificate and key from the options or
// the settings HttpAddress, HttpTokenFile, HttpCertificate and HttpKey.
// False, having said why, when they cannot be used.
bool ReadWebOptions(Options& options) {
  const config::Settings& s = options.settings;
  web::WebSetUp setUp = web::ReadWebSettings({s.HttpAddress, s.HttpTokenFile, s.HttpCertificate, s.HttpKey});
  for (const std::string& warning : setUp.warnings) {
    std::cerr << "corvaned: warning: web page: " << warning << '\n';
  }
  if (!setUp.error.empty()) {
    std::cerr << "corvaned: web page: " << setUp.error << '\n';
    return false;
  }
  options.web = std::move(setUp.options);
  return true;
}

// The watch list from the file given or the setting Alerts; says which lines
// cannot be read (they are left out). Nothing when the file cannot be read.
std::optional<store::search::WatchList> ReadWatchList(const Options& options) {
  std::string lines = options.settings.Alerts;
  std::string origin = "setting Alerts";
  if (options.alertsFile) {
    std::ifstream in(*options.alertsFile, std::ios::binary);
    if (!in) {
      std::cerr << "corvaned: --alerts: cannot read " << *options.alertsFile << '\n';
      return std::nullopt;
    }
    lines.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    origin = *options.alertsFile;
  }
  std::vector<store::search::WatchError> errors;
  auto list = store::search::WatchList::FromLines(lines, &errors);
  for (const auto& error : errors) {
    std::cerr << "corvaned: watch list (" << origin << ") line " << error.line << " left out: " << error.message
              << '\n';
  }
  return list;
}

// "alert: MEDICAL | flight:BA306: .G-EUPT BA0306 label 5Z" for a message
// that matched the watch list.
std::string AlertLine(const std::vector<std::string>& alerts, const decoding::MessageRecord& record) {
  std::string line = "alert: ";
  for (std::size_t i = 0; i < alerts.size(); ++i) {
    line += (i > 0 ? " | " : "") + alerts[i];
  }
  return line + ": " + record.Address + " " + record.Flight + " label " + record.Label;
}

// The MQTT options: the URL, its password (the password file, else
// CORVANE_MQTT_PASSWORD, else the URL's), and a station name or topic the
// broker can take. False, having said why, when they cannot be used.
bool ReadMqttOptions(Options& options, bool passwordFileGiven) {
  const config::Settings& s = options.settings;
  std::string error;
  if (s.MqttUrl.empty()) {
    if (passwordFileGiven) {
      std::cerr << "corvaned: --mqtt-password-file needs --mqtt or the setting MqttUrl\n";
    }
    return !passwordFileGiven;
  }
  if (!livelink::ParseMqttUrl(s.MqttUrl, error)) {
    std::cerr << "corvaned: --mqtt: " << error << '\n';
    return false;
  }
  options.mqttUrl = livelink::MqttUrlWithPassword(s.MqttUrl, s.MqttPasswordFile, error);
  if (!options.mqttUrl) {
    std::cerr << "corvaned: " << error << '\n';
    return false;
  }
  if (!s.MqttTopic.empty()) {
    if (const auto problem = livelink::PublishTopicProblem(s.MqttTopic)) {
      std::cerr << "corvaned: --mqtt-topic: " << *problem << '\n';
      return false;
    }
  } else if (const auto problem = livelink::StationNameProblem(s.StationName)) {
    std::cerr << "corvaned: mqtt: " << *problem << "; choose another with --station or the setting StationName, "
              << "or name a topic with --mqtt-topic\n";
    return false;
  }
  return true;
}

// Every local user can read a command line (ps): a password in it is said
// about, never printed.
void WarnOfPasswords(const QCommandLineParser& parser, const QCommandLineOption& databaseUrl,
                     const QCommandLineOption& mqtt) {
  std::string error;
  if (parser.isSet(databaseUrl) && tools::ConnectionStringHoldsPassword(parser.value(databaseUrl).toStdString())) {
    std::cerr << "corvaned: warning: "
              << tools::CommandLinePasswordWarning("--database-url", tools::kSaferPostgresPassword) << '\n';
  }
  if (const auto url = livelink::ParseMqttUrl(parser.value(mqtt).toStdString(), error);
      parser.isSet(mqtt) && url && !url->password.empty()) {
    std::cerr << "corvaned: warning: "
              << tools::CommandLinePasswordWarning(
                     "--mqtt", "--mqtt-password-file FILE or the environment variable CORVANE_MQTT_PASSWORD")
              << '\n';
  }
}

// What a configuration file may set: every option given, a switch (no
// value name) taking true or false.
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

std::optional<Options> ParseOptions(QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Corvane's receiver without a window: connects to the card server named by Corvane's settings (or the\n"
      "options below), decodes every message, stores it (setting \"Database\": 0 none, 1 SQLite Corvane.db,\n"
      "2 Jet-layout Corvane.mdb, in the current directory, 4 a PostgreSQL server shared by a station network),\n"
      "writes the traffic log when asked, and prints\n"
      "each report. Messages the store cannot take at once (locked, read-only, disk full) wait and are\n"
      "written later, if need be from the pending file (Corvane.pending.jsonl beside the store, or for\n"
      "PostgreSQL a file of the station's own in ~/.local/state/corvane), also at the next start.\n"
      "Stops cleanly on SIGINT or SIGTERM.");
  parser.addHelpOption();
  const QCommandLineOption host("host", "Card server host, optionally with :port (default: setting HostName).", "host");
  const QCommandLineOption cardType("card-type", "0 W40PC, 1 W41PC, 2 W51PC (default: setting CardType).", "type");
  const QCommandLineOption cardNumber("card-number", "Card number 1 to 8 (default: setting CardNumber).", "n");
  const QCommandLineOption input("input", "Decoder input: 1 AF, 2 HF, 3 IF1, 4 IF2 (default: setting IF-Input).",
                                 "input");
  const QCommandLineOption translation("translation", "IF translation in Hz (default: setting IF-Freqs).", "hz");
  const QCommandLineOption database(
      "database", "Store: 0 none, 1 SQLite, 2 Jet layout, 4 PostgreSQL (default: setting Database).", "kind");
  const QCommandLineOption databaseUrl(
      "database-url", "PostgreSQL connection string or URI (default: setting DatabaseUrl, else libpq's defaults).",
      "url");
  const QCommandLineOption station("station",
                                   "Station name: stored with each message in PostgreSQL, carried in LiveJSON,\n"
                                   "and how messages this station sent are known when they come back from a\n"
                                   "broker (default: setting StationName, else the host name).",
                                   "name");
  const QCommandLineOption mqtt("mqtt",
                                "Also publish each message's LiveJSON to this MQTT broker, QoS 1:\n"
                                "mqtt://[user[:password]@]host[:port] or mqtts://... (default: setting MqttUrl).",
                                "url");
  const QCommandLineOption mqttTopic(
      "mqtt-topic", "MQTT topic (default: setting MqttTopic, else corvane/<station>/messages).", "topic");
  const QCommandLineOption mqttPasswordFile(
      "mqtt-password-file",
      "File whose first line is the MQTT password (default: setting MqttPasswordFile, else the environment "
      "variable CORVANE_MQTT_PASSWORD, else the URL's password).",
      "file");
  const QCommandLineOption log("log", "Append reports to Corvane.txt: all, or some (no link tests or acks).",
                               "all|some");
  const QCommandLineOption retry("retry",
                                 "Seconds before connecting again after a failure or a lost connection;\n"
                                 "0 exits instead (default 5).",
                                 "seconds", "5");
  const QCommandLineOption quiet("quiet", "Do not print the reports.");
  const QCommandLineOption alerts("alerts",
                                  "Watch list: a file with one entry a line, in corvane-search's query\n"
                                  "language (default: setting Alerts). A message that matches an entry\n"
                                  "prints an \"alert:\" line, is marked in the store and published on the\n"
                                  "alerts topic.",
                                  "file");
  const QCommandLineOption http("http",
                                "Serve the web page (live traffic, search, map, statistics, alerts) on\n"
                                "ADDRESS:PORT, e.g. 127.0.0.1:8080 (default: setting HttpAddress; empty: none).\n"
                                "Any address but loopback needs --http-token-file.",
                                "address:port");
  const QCommandLineOption httpTokenFile("http-token-file",
                                         "File whose first line is the token browsers must show: open the page as\n"
                                         "http://HOST:PORT/#token=TOKEN (default: setting HttpTokenFile).",
                                         "file");
  const QCommandLineOption httpCert("http-cert",
                                    "Serve the page over HTTPS with this certificate (PEM; the chain may follow)\n"
                                    "(default: setting HttpCertificate). Needs --http-key.",
                                    "file");
  const QCommandLineOption httpKey("http-key",
                                   "The certificate's private key (PEM, without a pass phrase)\n"
                                   "(default: setting HttpKey).",
                                   "file");
  const QCommandLineOption link("link-name", "Name of the live link other programs read (default Corvane).", "name",
                                "Corvane");
  const QList<QCommandLineOption> configurable{
      host, cardType,      cardNumber,       input,  translation, database, databaseUrl, station,
      mqtt, mqttTopic,     mqttPasswordFile, log,    retry,       quiet,    link,        alerts,
      http, httpTokenFile, httpCert,         httpKey};
  const QCommandLineOption configFile("config",
                                      "Read options from this file first: one \"name = value\" a line, the names "
                                      "being the long options above without the dashes (quiet = true); '#' starts "
                                      "a comment line, an empty value sets nothing, and the command line wins.",
                                      "file");
  parser.addOptions(configurable);
  parser.addOption(configFile);
  // The configuration file is read before --help is answered, so that
  // "corvaned --config FILE --help" also checks the file.
  QStringList arguments = app.arguments();
  if (parser.parse(arguments)) {
    WarnOfPasswords(parser, databaseUrl, mqtt);  // the file's lines are not on the command line
    if (parser.isSet(configFile)) {
      const auto combined = WithConfigFile(arguments, parser.value(configFile), ConfigurableOptions(configurable));
      if (!combined) {
        return std::nullopt;
      }
      arguments = *combined;
    }
  }
  parser.process(arguments);

  Options options;
  options.settings = config::ReadAllSettings(config::kAppName, 0, 0);
  config::Settings& s = options.settings;
  bool ok = true;
  const auto number = [&](const QCommandLineOption& option, auto& field, long low, long high) {
    if (!parser.isSet(option)) {
      return;
    }
    bool parsed = false;
    const long value = parser.value(option).toLong(&parsed);
    if (!parsed || value < low || value > high) {
      std::cerr << "corvaned: --" << option.names().front().toStdString() << " takes a number from " << low << " to "
                << high << '\n';
      ok = false;
      return;
    }
    field = static_cast<std::remove_reference_t<decltype(field)>>(value);
  };
  if (parser.isSet(host)) {
    s.HostName = parser.value(host).toStdString();
  }
  number(cardType, s.CardType, 0, 2);
  number(cardNumber, s.CardNumber, 1, 8);
  number(input, s.IFInput, 1, 4);
  number(translation, s.IFFreqs, INT32_MIN, INT32_MAX);
  number(database, s.Database, 0, 4);
  if (parser.isSet(databaseUrl)) {
    s.DatabaseUrl = parser.value(databaseUrl).toStdString();
  }
  if (parser.isSet(station)) {
    s.StationName = parser.value(station).toStdString();
  }
  if (parser.isSet(mqtt)) {
    s.MqttUrl = parser.value(mqtt).toStdString();
  }
  if (parser.isSet(mqttTopic)) {
    s.MqttTopic = parser.value(mqttTopic).toStdString();
  }
  if (parser.isSet(mqttPasswordFile)) {
    s.MqttPasswordFile = parser.value(mqttPasswordFile).toStdString();
  }
  ok = ReadMqttOptions(options, parser.isSet(mqttPasswordFile)) && ok;
  if (parser.isSet(http)) {
    s.HttpAddress = parser.value(http).toStdString();
  }
  if (parser.isSet(httpTokenFile)) {
    s.HttpTokenFile = parser.value(httpTokenFile).toStdString();
  }
  if (parser.isSet(httpCert)) {
    s.HttpCertificate = parser.value(httpCert).toStdString();
  }
  if (parser.isSet(httpKey)) {
    s.HttpKey = parser.value(httpKey).toStdString();
  }
  ok = ReadWebOptions(options) && ok;
  number(retry, options.retrySeconds, 0, 3600);
  if (parser.isSet(log)) {
    const QString mode = parser.value(log);
    if (mode != "all" && mode != "some") {
      std::cerr << "corvaned: --log takes all or some\n";
      ok = false;
    }
    options.log = mode.toStdString();
  }
  options.quiet = parser.isSet(quiet);
  if (parser.isSet(alerts)) {
    options.alertsFile = parser.value(alerts).toStdString();
  }
  options.liveLinkName = parser.value(link).toStdString();
  if (ok && (s.CardType < 0 || s.CardType > 2 || s.CardNumber < 1)) {
    std::cerr << "corvaned: no card is configured: pass --card-type and --card-number, or choose them in Corvane's "
                 "configuration dialog\n";
    ok = false;
  }
  if (!ok) {
    return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  receiver::RaiseOpenFileLimit();
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvaned");
  const auto options = ParseOptions(app);
  if (!options) {
    return 2;
  }
  const config::Settings& settings = options->settings;
  const auto say = [](const std::string& line) { std::cerr << "corvaned: " << line << std::endl; };
  const auto sayAll = [&say](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      say(line);
    }
  };

  reference::FillBuiltinTables();
  decoding::MessageOutputs nothingShown;  // no window: the reports are printed instead
  receiver::Receiver receiver(nothingShown);
  receiver.UseStation(settings.StationName);
  auto watchList = ReadWatchList(*options);
  if (!watchList) {
    return 2;
  }
  if (!watchList->Empty()) {
    say("watching for " + std::to_string(watchList->Entries().size()) + " watch list entries");
  }
  receiver.SetWatchList(std::move(*watchList));
  // Other programs follow the traffic through the live link, as with the window.
  if (QString linkError; !receiver.StartLiveLink(QString::fromStdString(options->liveLinkName), &linkError)) {
    say("no live link: " + linkError.toStdString());
  }
  if (options->mqttUrl) {
    if (const auto refused = receiver.StartMqtt(*options->mqttUrl, settings.MqttTopic)) {
      say("mqtt: " + *refused);
      return 2;
    }
    const livelink::MqttPublisher& mqtt = *receiver.Mqtt();
    say("mqtt: publishing to " + options->mqttUrl->Display() + " on topic " + mqtt.Topic() + " as client " +
        mqtt.ClientId());
  }
  receiver.ChooseStore(settings.Database, {settings.DatabaseUrl, settings.StationName});
  if (settings.Database != decoding::kNoStore) {
    ConsoleStoreProgress progress;
    try {
      receiver.StoreOpened(receiver.OpenChosenStore(progress));
    } catch (const std::exception& unusable) {  // another process keeps it, or it cannot be opened at all
      say(std::string("store: ") + unusable.what());
      return 2;
    }
  }
  std::unique_ptr<web::WebServer> page;
  if (options->web) {
    std::string error;
    page = web::StartReceiverWeb(receiver, reference::Global(), *options->web, &error);
    if (!page) {
      say("web page: " + error);
      return 2;
    }
    say("web page at " + page->PageUrl() + (options->web->token ? " (open it with #token=... after the address)" : ""));
    QObject::connect(page.get(), &web::WebServer::Trouble, &app,
                     [&say](const QString& line) { say(line.toStdString()); });
  }
  decoding::TrafficLog& log = receiver.Log();
  if (options->log) {
    log.Click(decoding::LogBox::Checked);
    if (*options->log == "some") {
      log.Click(decoding::LogBox::Unchecked);
    }
  }

  ConsoleView view;
  cardlink::CardSettings card{settings.HostName, settings.CardType, settings.CardNumber, settings.IFInput,
                              settings.IFFreqs};
  cardlink::ConnectionManager connection(view, card);
  connection.CanConnect = true;
  const bool quiet = options->quiet;
  connection.SetRecordHandler([&](const std::string& record, const cardlink::RecordOrigin& origin) {
    receiver.HandleCardRecord(record, origin);
    sayAll(receiver.TroubleLines());
    const decoding::ReadMessage* message = receiver.Path().LastMessage();
    if (message != nullptr && !receiver.AlertsOfLast().empty()) {
      std::cout << AlertLine(receiver.AlertsOfLast(), message->record) << "\r\n";
    }
    if (!quiet && message != nullptr) {
      std::cout << receiver.Path().MessageReport() << "\r\n";
    }
    std::cout << std::flush;
  });
  // Trouble with the store, the broker and records that came back, once each.
  QTimer troubleWatch;
  QObject::connect(&troubleWatch, &QTimer::timeout, &app, [&] { sayAll(receiver.TroubleLines()); });
  troubleWatch.start(250);
  // Ends the run: the store writes what waits (or puts it in the pending
  // file) before the program goes.
  const auto finish = [&](int status) {
    troubleWatch.stop();
    if (page) {
      page->Stop();
    }
    sayAll(receiver.Stop());
    QCoreApplication::exit(status);
  };
  bool stopping = false;
  bool connecting = false;
  QTimer retry;
  retry.setSingleShot(true);
  const auto connect = [&] {
    if (stopping) {
      return;
    }
    std::cerr << "corvaned: connecting to " << card.HostName << std::endl;
    connecting = true;
    connection.Connected = connection.ConnectCard(true);
    connecting = false;
    if (stopping) {
      // A stop signal came while connecting: finish the stop now.
      connection.Connected = connection.ConnectCard(false);
      finish(0);
    } else if (connection.Connected) {
      std::cerr << "corvaned: connected to card " << card.CardNumber << std::endl;
    } else if (options->retrySeconds > 0 && !stopping) {
      retry.start(options->retrySeconds * 1000);
    } else if (!stopping) {
      finish(1);
    }
  };
  QObject::connect(&retry, &QTimer::timeout, &app, connect);
  view.onDropped = [&] {
    if (options->retrySeconds > 0) {
      retry.start(options->retrySeconds * 1000);
    } else {
      finish(1);
    }
  };
  receiver::CallOnStopSignals(&app, [&] {
    stopping = true;
    retry.stop();
    if (connecting) {
      return;
    }
    if (connection.Connected) {
      connection.Connected = connection.ConnectCard(false);
    }
    finish(0);
    std::cerr << "corvaned: stopped" << std::endl;
  });
  QTimer::singleShot(0, &app, connect);
  return QCoreApplication::exec();
}
