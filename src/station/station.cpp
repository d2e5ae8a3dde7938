// The station's start, store opening and stop, in the one order the window
// and corvaned share.
#include "station/station.h"

#include <QDateTime>
#include <fstream>
#include <iterator>

#include "adsb/flight_callsign.h"
#include "config/byte_size.h"
#include "livelink/mqtt_url.h"
#include "reference/reference_tables.h"
#include "store/search/index_row.h"
#include "web/receiver_web.h"
#include "web/web_settings.h"

namespace corvane::station {

namespace {

// The store's outcome, carried from the worker to the station's thread.
struct Opened {
  std::optional<std::string> name;  // nothing: the store cannot be used
  std::string why;
};

Opened OpenOnWorker(receiver::Receiver& receiver, store::StoreProgress& progress) {
  try {
    return {receiver.OpenChosenStore(progress), {}};
  } catch (const store::StoreInUse& inUse) {  // another process writes it
    return {std::nullopt, inUse.what()};
  } catch (const std::exception& failure) {
    return {std::nullopt, std::string("the store could not be opened: ") + failure.what()};
  }
}

// Told nothing: for a front that shows no progress.
class NoProgress : public store::StoreProgress {};

// "messages leave the store after 30 days (alerts after 120), the oldest
// first once it passes 2G".
std::string RetentionText(const store::Retention& keep) {
  std::string text;
  if (keep.keepDays > 0) {
    text = "messages leave the store after " + std::to_string(keep.keepDays) + " days";
    if (keep.keepAlertDays == 0) {
      text += " (alerts stay)";
    } else if (keep.keepAlertDays > keep.keepDays) {
      text += " (alerts after " + std::to_string(keep.keepAlertDays) + ")";
    }
  }
  if (keep.keepBytes > 0) {
    text += (text.empty() ? "the oldest messages leave the store" : ", the oldest first") +
            std::string(" once it passes ") + config::ByteSizeText(keep.keepBytes);
  }
  return text;
}

}  // namespace

Station::Station(receiver::Receiver& receiver, receiver::BackgroundCalls& calls, StationFront& front)
    : receiver_(receiver), calls_(calls), front_(front), aircraft_(adsb::CallsignOfFlight) {
  QObject::connect(&troubleWatch_, &QTimer::timeout, this, [this] { SayAll(receiver_.TroubleLines()); });
}

Station::~Station() { Stop(); }

bool Station::Start(const config::Settings& settings, const StartChoices& choices) {
  // The built-in tables come first: the page reads them, and opening a store
  // adds the stored ones to them.
  reference::FillBuiltinTables();
  receiver_.UseStation(settings.StationName);
  UseLogRotation(settings.LogRotate);
  troubleWatch_.start(kTroubleWatchInterval);
  if (!StartWatchList(settings, choices) || !StartLiveLink(choices.liveLinkName) || !StartMqtt(settings)) {
    return false;
  }
  StartAdsb(settings);
  if (!StartWebPage(settings)) {
    return false;
  }
  OpenStore(settings, choices.progress ? choices.progress : std::make_shared<NoProgress>());
  return true;
}

bool Station::StartWatchList(const config::Settings& settings, const StartChoices& choices) {
  std::string entries = settings.Alerts;
  std::string origin = "setting Alerts";
  if (choices.watchListFile) {
    std::ifstream in(*choices.watchListFile, std::ios::binary);
    if (!in) {
      return front_.GoOnWithout(Step::WatchList, "cannot read " + *choices.watchListFile);
    }
    entries.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    origin = *choices.watchListFile;
  }
  UseWatchList(entries, origin);
  if (const std::size_t count = receiver_.WatchList().Entries().size(); count > 0) {
    front_.Say("watching for " + std::to_string(count) + " watch list entries");
  }
  return true;
}

// The setting LogRotate: a name the log does not know keeps one file, and
// is said.
void Station::UseLogRotation(const std::string& name) {
  const auto rotation = decoding::LogRotationNamed(name);
  if (!rotation) {
    front_.Say("traffic log: LogRotate \"" + name + "\" is neither none nor daily; the log keeps one file");
  }
  receiver_.Log().SetRotation(rotation.value_or(decoding::LogRotation::None));
}

void Station::UseRetention(const config::Settings& settings) {
  const std::optional<std::uint64_t> keepBytes = config::ParseByteSize(settings.KeepSize);
  if (!keepBytes) {
    front_.Say("retention: KeepSize \"" + settings.KeepSize + "\" is not a size like 2G; the store has no size limit");
  }
  const store::Retention retention{settings.KeepDays, settings.KeepAlertDays, keepBytes.value_or(0)};
  receiver_.Store().SetRetention(retention);
  if (retention.On()) {
    front_.Say("retention: " + RetentionText(retention));
  }
}

void Station::UseWatchList(const std::string& entries, const std::string& origin) {
  std::vector<store::search::WatchError> errors;
  receiver_.SetWatchList(store::search::WatchList::FromLines(entries, &errors));
  for (const auto& error : errors) {
    front_.Say("watch list (" + origin + ") line " + std::to_string(error.line) + " left out: " + error.message);
  }
}

// Other programs follow the traffic through the live link under this name.
bool Station::StartLiveLink(const QString& name) {
  if (name.isEmpty() || receiver_.LiveLink().IsListening()) {
    return true;
  }
  QString error;
  return receiver_.StartLiveLink(name, &error) || front_.GoOnWithout(Step::LiveLink, error.toStdString());
}

// With the setting MqttUrl, every message's LiveJSON also goes to that
// broker (topic: setting MqttTopic, else corvane/<station>/messages;
// password: the file the setting MqttPasswordFile names, else
// CORVANE_MQTT_PASSWORD, else the URL's).
bool Station::StartMqtt(const config::Settings& settings) {
  if (settings.MqttUrl.empty() || receiver_.Mqtt() != nullptr) {
    return true;
  }
  std::string error;
  const auto url = livelink::MqttUrlWithPassword(settings.MqttUrl, settings.MqttPasswordFile, error);
  if (!url) {
    return front_.GoOnWithout(Step::Mqtt, error);
  }
  if (const auto refused = receiver_.StartMqtt(*url, settings.MqttTopic)) {
    return front_.GoOnWithout(Step::Mqtt, *refused);  // a station name or topic MQTT cannot carry
  }
  const livelink::MqttPublisher& mqtt = *receiver_.Mqtt();
  front_.Say("mqtt: publishing to " + url->Display() + " on topic " + mqtt.Topic() + " as client " + mqtt.ClientId());
  return true;
}

// With the setting HttpAddress, the web page (its token from the file the
// setting HttpTokenFile names, over HTTPS with the settings HttpCertificate
// and HttpKey).
void Station::UseWebPage(const config::Settings& settings) {
  if (stopped_) {
    return;
  }
  if (web_) {
    web_->Stop();
    web_.reset();
    front_.Say("web page stopped");
  }
  StartWebPage(settings);
}

bool Station::StartWebPage(const config::Settings& settings) {
  if (settings.HttpAddress.empty() || web_) {
    return true;
  }
  web::WebSetUp setUp =
      web::ReadWebSettings({settings.HttpAddress, settings.HttpTokenFile, settings.HttpCertificate, settings.HttpKey});
  std::string error = setUp.error;
  if (setUp.options) {
    web_ =
        web::StartReceiverWeb(receiver_, reference::Global(), *setUp.options, &error, [this] { return AdsbAnswer(); });
  }
  if (!web_) {
    return front_.GoOnWithout(Step::WebPage, error);
  }
  for (const std::string& warning : setUp.warnings) {
    front_.Warn(Step::WebPage, warning);
  }
  QObject::connect(web_.get(), &web::WebServer::Trouble, this,
                   [this](const QString& line) { front_.Say(line.toStdString()); });
  front_.Say("web page at " + web_->PageUrl() +
             (setUp.options->token ? " (open it with #token=... after the address)" : ""));
  return true;
}

// With the setting AdsbSource, aircraft.json is read every second into the
// aircraft table, and every accepted message is tallied against it. The
// tally is kept here, from the message path, rather than counted in the
// store: the receiver sees every message as it comes, so a tally costs a
// few map look-ups per message where counting would ask the store once for
// each aircraft every time the page asks, and it works without a store. A
// source that cannot be read yet is no reason to stop: it is said, and
// tried every second.
void Station::StartAdsb(const config::Settings& settings) {
  stationPosition_ = adsb::StationPositionOf(settings.StationLatitude, settings.StationLongitude);
  if (!stationPosition_ && (!settings.StationLatitude.empty() || !settings.StationLongitude.empty())) {
    front_.Say("adsb: StationLatitude \"" + settings.StationLatitude + "\" and StationLongitude \"" +
               settings.StationLongitude +
               "\" are not a position in decimal degrees; the station's position is unknown");
  }
  if (settings.AdsbSource.empty() || adsbPoller_) {
    return;
  }
  adsbSource_ = settings.AdsbSource;
  adsbPoller_ = std::make_unique<adsb::AdsbPoller>(
      adsbSource_,
      [this](const adsb::FeedSnapshot& snapshot) { aircraft_.TakeFeed(snapshot, QDateTime::currentMSecsSinceEpoch()); },
      [this](const std::string& line) { front_.Say(line); });
  QObject::connect(&receiver_, &receiver::Receiver::MessageAccepted, this, [this] { TallyLastMessage(); });
  adsbPoller_->Start();
  front_.Say("adsb: reading aircraft from " + adsbSource_ + " every second");
}

// The message the path accepted last: its registration, flight, time and
// the position its readable decoding found.
void Station::TallyLastMessage() {
  const decoding::ReadMessage* message = receiver_.Path().LastMessage();
  if (message == nullptr) {
    return;
  }
  const decoding::MessageRecord& record = message->record;
  adsb::MessageFacts facts{record.Address,
                           record.Flight,
                           store::search::RecordUtc(record).value_or(QDateTime::currentMSecsSinceEpoch()),
                           {},
                           {}};
  if (const readable::Decoding* decoding = receiver_.ReadableOfLast()) {
    for (const readable::Field& field : decoding->fields) {
      if (const auto* number = std::get_if<double>(&field.value)) {
        if (field.name == "latitude") {
          facts.latitude = *number;
        } else if (field.name == "longitude") {
          facts.longitude = *number;
        }
      }
    }
  }
  aircraft_.TakeMessage(facts);
}

std::string Station::AdsbAnswer() const {
  const adsb::UtcMillis now = QDateTime::currentMSecsSinceEpoch();
  return adsb::AdsbJson({adsbSource_, stationPosition_, now,
                         adsbSource_.empty() ? std::vector<adsb::AircraftView>() : aircraft_.Aircraft(now)});
}

// The store opens on the background worker, so a window paints and the
// live link answers meanwhile (a PostgreSQL host that drops packets, a store
// another program locks). Records wait for it: opening loads the stored
// reference tables that the message path reads.
void Station::OpenStore(const config::Settings& settings, std::shared_ptr<store::StoreProgress> progress) {
  receiver_.ChooseStore(settings.Database, {settings.DatabaseUrl, settings.StationName});
  UseRetention(settings);
  if (settings.Database == decoding::kNoStore) {
    OpeningEnded(std::nullopt, {});
    return;
  }
  const bool running = calls_.Run([&receiver = receiver_, progress] { return OpenOnWorker(receiver, *progress); }, this,
                                  [this](const Opened& opened) { OpeningEnded(opened.name, opened.why); });
  if (!running) {
    OpeningEnded(std::nullopt, "the store could not be opened: the program is stopping");
  }
}

void Station::OpeningEnded(const std::optional<std::string>& name, const std::string& why) {
  receiver_.StoreOpened(name);
  storeReady_ = true;
  front_.StoreOpenEnded(name, why);
}

void Station::SayAll(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    front_.Say(line);
  }
}

void Station::Stop() {
  if (stopped_) {
    return;
  }
  stopped_ = true;
  // A store call still under way ends first (each has its own time limit);
  // then what waits for the store is written, or kept in the pending file,
  // the live link closes and MQTT gets its grace.
  calls_.Stop();
  adsbPoller_.reset();
  if (web_) {
    web_->Stop();
  }
  troubleWatch_.stop();
  SayAll(receiver_.Stop());
}

}  // namespace corvane::station
