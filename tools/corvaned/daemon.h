// corvaned's run: the station started from the options, the card server
// connected once the store is open and again after a failure or a lost
// connection, each report printed, and a clean stop on SIGINT or SIGTERM.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "cardlink/connection_manager.h"
#include "corvaned/daemon_options.h"
#include "corvaned/service_notify.h"
#include "receiver/background_calls.h"
#include "receiver/receiver.h"
#include "station/station.h"

namespace corvane::daemon {

class ConsoleView;

class Daemon : public QObject, private station::StationFront {
 public:
  explicit Daemon(Options options);
  ~Daemon() override;

  // Starts the station; false, having said why, when the run cannot go on.
  bool Start();

 private:
  // station::StationFront: everything goes to standard error.
  void Say(const std::string& line) override;
  bool GoOnWithout(station::Step step, const std::string& why) override;
  void Warn(station::Step step, const std::string& warning) override;
  void StoreOpenEnded(const std::optional<std::string>& name, const std::string& why) override;

  void HandleRecord(const std::string& record, const cardlink::RecordOrigin& origin);
  void Connect();
  void ConnectionLost();
  void StopSignalled();
  // Ends the run with status: the store writes what waits first.
  void Finish(int status);

  Options options_;
  ServiceNotifier service_;                // systemd, when it runs corvaned as a service
  decoding::MessageOutputs nothingShown_;  // no window: the reports are printed instead
  receiver::Receiver receiver_;
  receiver::BackgroundCalls calls_;
  station::Station station_;
  std::unique_ptr<ConsoleView> view_;
  cardlink::CardSettings card_;
  std::unique_ptr<cardlink::ConnectionManager> connection_;
  station::ReconnectPause pause_;
  QTimer retry_;
  bool stopping_ = false;
  bool connecting_ = false;
};

}  // namespace corvane::daemon
