// A station's life, as the window and corvaned both run it: the outputs the
// settings ask for started in one order (reference tables, station name,
// the traffic log's rotation, watch list, live link, MQTT, ADS-B, web page, then
// the store, opened on the background worker), the receiver's trouble said
// as it comes, and the stop. The front end (a window, a console) decides what a failed step
// means and how each thing is said; the order and the steps live here.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "adsb/adsb_json.h"
#include "adsb/adsb_poller.h"
#include "adsb/aircraft_table.h"
#include "config/settings.h"
#include "receiver/background_calls.h"
#include "receiver/receiver.h"
#include "store/store.h"
#include "web/web_server.h"

namespace corvane::station {

// The steps of a start, in the order they are taken.
enum class Step { WatchList, LiveLink, Mqtt, WebPage, Store };

// How often the receiver is asked for trouble lines (store, log, broker).
inline constexpr std::chrono::milliseconds kTroubleWatchInterval{250};

// What a front end does with what the station has to say.
class StationFront {
 public:
  virtual ~StationFront() = default;
  // News and trouble, a line each: what started, the store's and the
  // broker's trouble, watch list lines left out.
  virtual void Say(const std::string& line) = 0;
  // A step that could not be taken, and why: true goes on without it,
  // false ends the start there.
  virtual bool GoOnWithout(Step step, const std::string& why) = 0;
  // A step that was taken, with something its user should know.
  virtual void Warn(Step step, const std::string& warning) = 0;
  // The store is open under name, or is not used: none was chosen (why
  // empty) or it cannot be used (why says so). Records may come in now.
  virtual void StoreOpenEnded(const std::optional<std::string>& name, const std::string& why) = 0;
};

struct StartChoices {
  QString liveLinkName;                            // empty: no live link
  std::optional<std::string> watchListFile;        // read instead of the setting Alerts
  std::shared_ptr<store::StoreProgress> progress;  // told how the store's opening goes
};

class Station : public QObject {
  Q_OBJECT

 public:
  // calls runs the store's opening; both outlive the station.
  Station(receiver::Receiver& receiver, receiver::BackgroundCalls& calls, StationFront& front);
  ~Station() override;

  // Takes the steps in order; false when one failed that the front would
  // not go on without (the store's outcome comes later, to StoreOpenEnded).
  bool Start(const config::Settings& settings, const StartChoices& choices);
  // The watch list from entries, one a line; lines that cannot be read are
  // said (naming origin) and left out.
  void UseWatchList(const std::string& entries, const std::string& origin);
  // Retention from the settings KeepDays, KeepAlertDays and KeepSize, at
  // once; a size that cannot be read is said and sets no limit.
  void UseRetention(const config::Settings& settings);
  // The web page at the address the settings give now, at once: the page
  // that runs stops, and one starts when the address is not empty (a failure
  // goes to the front as at the start).
  void UseWebPage(const config::Settings& settings);
  [[nodiscard]] web::WebServer* Web() const { return web_.get(); }
  // The ADS-B aircraft heard lately, with today's messages matched to them.
  [[nodiscard]] const adsb::AircraftTable& Aircraft() const { return aircraft_; }
  // /api/adsb's answer as of now.
  [[nodiscard]] std::string AdsbAnswer() const;
  [[nodiscard]] bool StoreReady() const { return storeReady_; }
  // The end of a run: store calls still under way end, the page stops, and
  // the receiver writes what waits (or keeps it in the pending file); the
  // lines it gives are said. Runs once.
  void Stop();

 private:
  void UseLogRotation(const std::string& name);
  bool StartWatchList(const config::Settings& settings, const StartChoices& choices);
  bool StartLiveLink(const QString& name);
  bool StartMqtt(const config::Settings& settings);
  bool StartWebPage(const config::Settings& settings);
  void StartAdsb(const config::Settings& settings);
  void TallyLastMessage();
  void OpenStore(const config::Settings& settings, std::shared_ptr<store::StoreProgress> progress);
  void OpeningEnded(const std::optional<std::string>& name, const std::string& why);
  void SayAll(const std::vector<std::string>& lines);

  receiver::Receiver& receiver_;
  receiver::BackgroundCalls& calls_;
  StationFront& front_;
  std::unique_ptr<web::WebServer> web_;
  adsb::AircraftTable aircraft_;
  std::string adsbSource_;
  std::optional<adsb::StationPosition> stationPosition_;
  std::unique_ptr<adsb::AdsbPoller> adsbPoller_;
  QTimer troubleWatch_;
  bool storeReady_ = false;
  bool stopped_ = false;
};

// The pause before the next attempt to reach the card server: it starts at
// first and doubles after each failed attempt, up to longest.
class ReconnectPause {
 public:
  ReconnectPause(int firstSeconds, int longestSeconds) : first_(firstSeconds), longest_(longestSeconds) {}
  // The connection was lost: the next pause is the first one.
  void Restart() { seconds_ = first_; }
  [[nodiscard]] int Seconds() const { return seconds_; }
  // An attempt failed: the next pause is longer.
  void Failed() { seconds_ = std::min(seconds_ * 2, longest_); }

 private:
  int first_;
  int longest_;
  int seconds_ = first_;
};

}  // namespace corvane::station
