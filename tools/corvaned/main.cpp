// corvaned: Corvane's receiver without a window. It reads the same settings,
// connects to the card server as the Connect button does, runs every record
// through the message path, stores and logs as configured, prints each report
// and stops cleanly on SIGINT or SIGTERM.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <iostream>
#include <optional>

#include "cardlink/connection_manager.h"
#include "common/command_line_secrets.h"
#include "common/stop_signals.h"
#include "config/settings.h"
#include "decoding/message_path.h"
#include "livelink/live_json.h"
#include "livelink/live_link_server.h"
#include "livelink/mqtt_publisher.h"
#include "reference/reference_tables.h"
#include "store/store.h"

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

// Says when the traffic log stops taking entries and when it takes them
// again, once each: the log retries at every entry, so a folder made
// writable again brings it back without a restart.
class LogTroubleReport {
 public:
  void Check(const decoding::TrafficLog& log) {
    const std::string& error = log.LastError();
    if (error == reported_) {
      return;
    }
    if (error.empty()) {
      std::cerr << "corvaned: traffic log: writing again" << std::endl;
    } else if (reported_.empty()) {
      std::cerr << "corvaned: traffic log: " << error << std::endl;
    }
    reported_ = error;
  }

 private:
  std::string reported_;
};

// Says when the store stops taking writes and when it has caught up, once
// each; the store writer keeps the messages meanwhile.
class StoreTroubleReport {
 public:
  std::string pendingPath;
  std::string unreadablePath;
  std::string rejectedPath;

  void Check(const std::optional<store::WriterStatus>& status) {
    if (!status) {
      return;
    }
    if (status->fromEarlierRun > shown_.fromEarlierRun) {
      std::cerr << "corvaned: store: wrote " << status->fromEarlierRun - shown_.fromEarlierRun
                << " messages that an earlier run left waiting" << std::endl;
    }
    if (status->refusals > shown_.refusals) {
      std::cerr << "corvaned: store: cannot write (" << status->reason
                << "); messages wait and will be written when it takes writes again" << std::endl;
    }
    if (status->catchUps > shown_.catchUps) {
      std::cerr << "corvaned: store: writing again; " << status->writtenLate << " messages written late" << std::endl;
    }
    if (status->pendingError != shown_.pendingError && !status->pendingError.empty()) {
      std::cerr << "corvaned: store: the pending file cannot be written (" << status->pendingError
                << "); messages wait in memory" << std::endl;
    }
    if (status->unreadable > shown_.unreadable) {
      std::cerr << "corvaned: store: " << status->unreadable - shown_.unreadable
                << " lines of the pending file were no message; they are kept in " << unreadablePath << std::endl;
    }
    if (status->rejected > shown_.rejected) {
      std::cerr << "corvaned: store: " << status->rejected - shown_.rejected << " messages the store can never take ("
                << status->rejection << ") are kept in " << rejectedPath << std::endl;
    }
    if (status->lost > shown_.lost) {
      std::cerr << "corvaned: store: " << status->lost - shown_.lost
                << " messages could be kept neither in the store nor in the pending file" << std::endl;
    }
    shown_ = *status;
  }

 private:
  store::WriterStatus shown_;
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
};

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
  const QCommandLineOption link("link-name", "Name of the live link other programs read (default Corvane).", "name",
                                "Corvane");
  parser.addOptions({host, cardType, cardNumber, input, translation, database, databaseUrl, station, mqtt, mqttTopic,
                     mqttPasswordFile, log, retry, quiet, link});
  parser.process(app);
  WarnOfPasswords(parser, databaseUrl, mqtt);

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

// The MQTT publisher the settings ask for (URL, password, station and topic
// were checked with the options); says where it publishes, without the
// password.
std::unique_ptr<livelink::MqttPublisher> StartMqtt(const config::Settings& settings, const livelink::MqttUrl& url) {
  livelink::MqttPublisherOptions mqtt;
  mqtt.url = url;
  mqtt.topic = settings.MqttTopic;
  mqtt.station = settings.StationName;
  auto publisher = std::make_unique<livelink::MqttPublisher>(std::move(mqtt));
  std::cerr << "corvaned: mqtt: publishing to " << url.Display() << " on topic " << publisher->Topic() << " as client "
            << publisher->ClientId() << std::endl;
  return publisher;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvaned");
  const auto options = ParseOptions(app);
  if (!options) {
    return 2;
  }

  reference::FillBuiltinTables();
  // Other programs follow the traffic through the live link, as with the window.
  livelink::LiveLinkServer liveLink;
  QString linkError;
  if (!liveLink.Listen(QString::fromStdString(options->liveLinkName), &linkError)) {
    std::cerr << "corvaned: no live link: " << linkError.toStdString() << std::endl;
  }
  struct Publisher : decoding::MessageOutputs {
    explicit Publisher(livelink::LiveLinkServer& link) : link_(link) {}
    void SetLiveItem(const std::string& record) override { Set("LiveItem", record); }
    // After each accepted message's summary, its LiveJSON object.
    void SetLiveData(const std::string& summary) override {
      Set("LiveData", summary);
      if (path_ != nullptr && (link_.IsListening() || mqtt_)) {
        const std::string& json = liveJson_.OfLast(*path_);
        Set("LiveJSON", json);
        if (mqtt_ && !json.empty()) {
          mqtt_->Publish(json);
        }
      }
    }
    void Set(const std::string& item, const std::string& value) {
      if (link_.IsListening()) {
        link_.SetItem(item, value);
      }
    }
    livelink::LiveLinkServer& link_;
    const decoding::MessagePath* path_ = nullptr;
    livelink::LiveJsonWriter liveJson_{reference::Global()};
    std::unique_ptr<livelink::MqttPublisher> mqtt_;
  } outputs(liveLink);
  livelink::MqttTroubleReport mqttTrouble;
  QTimer mqttWatch;
  if (!options->settings.MqttUrl.empty()) {
    outputs.mqtt_ = StartMqtt(options->settings, *options->mqttUrl);
    // Trouble with the broker and the way back, once each.
    QObject::connect(&mqttWatch, &QTimer::timeout, &app, [&] {
      for (const std::string& line : mqttTrouble.Check(outputs.mqtt_->Status())) {
        std::cerr << "corvaned: " << line << std::endl;
      }
    });
    mqttWatch.start(250);
  }
  decoding::MessagePath path(reference::Global(), outputs);
  outputs.path_ = &path;
  store::Database database(reference::Global());
  path.DBType = options->settings.Database;
  if (path.DBType == store::kPostgresStore) {
    database.SetStoreOptions({options->settings.DatabaseUrl, options->settings.StationName});
  }
  if (path.DBType != decoding::kNoStore) {
    ConsoleStoreProgress progress;
    path.DBName = "Corvane";
    try {
      database.OpenStore(path.DBType, path.DBName, progress);
    } catch (const store::StoreInUse& inUse) {
      std::cerr << "corvaned: store: " << inUse.what() << std::endl;
      return 2;
    }
    path.SetStore(&database);
  }
  decoding::TrafficLog log;
  if (options->log) {
    log.Click(decoding::LogBox::Checked);
    if (*options->log == "some") {
      log.Click(decoding::LogBox::Unchecked);
    }
    path.SetTrafficLog(&log);
  }

  ConsoleView view;
  cardlink::CardSettings card{options->settings.HostName, options->settings.CardType, options->settings.CardNumber,
                              options->settings.IFInput, options->settings.IFFreqs};
  cardlink::ConnectionManager connection(view, card);
  connection.CanConnect = true;
  const bool quiet = options->quiet;
  LogTroubleReport logTrouble;
  // A record this station sent out that comes back through a card server
  // following the broker is dropped before the message path, counted and
  // reported; any other relayed record is stored and published as first
  // heard by its own station.
  const std::string ownStation =
      options->settings.StationName.empty() ? livelink::HostName() : options->settings.StationName;
  outputs.liveJson_.SetStation(ownStation);
  cardlink::ReturnedRecords returned(ownStation);
  const auto reportReturned = [&returned] {
    if (const auto line = returned.Report()) {
      std::cerr << "corvaned: " << *line << std::endl;
    }
  };
  QTimer returnedWatch;
  QObject::connect(&returnedWatch, &QTimer::timeout, &app, reportReturned);
  returnedWatch.start(1000);
  connection.SetRecordHandler([&](const std::string& record, const cardlink::RecordOrigin& origin) {
    if (returned.CameBack(origin)) {
      reportReturned();
      return;
    }
    if (origin.Relayed()) {
      database.SetRelayedStation(origin.station);
      outputs.liveJson_.SetRelayed(origin.station, origin.hops);
    }
    path.HandleTextRecord(record);
    if (origin.Relayed()) {
      database.SetRelayedStation({});
      outputs.liveJson_.SetHeardHere();
    }
    logTrouble.Check(log);
    if (!quiet && path.LastMessage()) {
      std::cout << path.MessageReport() << "\r\n" << std::flush;
    }
  });

  StoreTroubleReport storeTrouble;
  if (const store::StoreWriter* writer = database.Writer(path.DBType, path.DBName)) {
    storeTrouble.pendingPath = writer->Pending().Path();
    storeTrouble.unreadablePath = writer->Pending().UnreadablePath();
    storeTrouble.rejectedPath = writer->Pending().RejectedPath();
  }
  QTimer storeWatch;
  QObject::connect(&storeWatch, &QTimer::timeout, &app,
                   [&] { storeTrouble.Check(database.Status(path.DBType, path.DBName)); });
  storeWatch.start(250);
  // Ends the run: the store writes what waits (or puts it in the pending
  // file) before the program goes.
  const auto finish = [&](int status) {
    log.Close();
    storeWatch.stop();
    database.Close();
    storeTrouble.Check(database.Status(path.DBType, path.DBName));
    if (const auto left = database.Status(path.DBType, path.DBName); left && left->pendingFile) {
      std::cerr << "corvaned: store: messages not yet written wait in " << storeTrouble.pendingPath
                << " for the next start" << std::endl;
    }
    // MQTT: what waits gets its grace to go out; what does not is said.
    mqttWatch.stop();
    if (const std::size_t left = outputs.mqtt_ ? outputs.mqtt_->Stop() : 0; left > 0) {
      std::cerr << "corvaned: mqtt: " << left << " messages were not delivered before the stop" << std::endl;
    }
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
  tools::CallOnStopSignals(&app, [&] {
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
