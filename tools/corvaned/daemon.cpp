// corvaned's run: what a window would show goes to standard error, each
// report and alert to standard output.
#include "corvaned/daemon.h"

#include <QCoreApplication>
#include <iostream>

#include "decoding/utc_clock.h"
#include "receiver/stop_signals.h"

namespace corvane::daemon {

namespace {

void SayLine(const std::string& line) { std::cerr << "corvaned: " << line << std::endl; }

// Lines the store says while it opens (on the background worker).
class ConsoleStoreProgress : public store::StoreProgress {
 public:
  void SetProgressStep(const std::string& text) override { SayLine(text); }
};

// "alert: MEDICAL | flight:BA306: .G-EUPT BA0306 label 5Z" for a message
// that matched the watch list.
std::string AlertLine(const std::vector<std::string>& alerts, const decoding::MessageRecord& record) {
  std::string line = "alert: ";
  for (std::size_t i = 0; i < alerts.size(); ++i) {
    line += (i > 0 ? " | " : "") + alerts[i];
  }
  return line + ": " + record.Address + " " + record.Flight + " label " + record.Label;
}

// How a start step that failed is named, as the options name it.
std::string StepName(station::Step step) {
  switch (step) {
    case station::Step::WatchList:
      return "--alerts";
    case station::Step::LiveLink:
      return "no live link";
    case station::Step::Mqtt:
      return "mqtt";
    case station::Step::WebPage:
      return "web page";
    case station::Step::Store:
      return "store";
  }
  return "start";
}

// The clock that stamps the messages and ages them for retention: the
// system's, or for a benchmark's long run one that runs speed times as fast.
decoding::UtcClock StationClock(double speed) {
  return speed == 1 ? decoding::UtcClock(decoding::SystemUtcNow) : decoding::SpedUpClock(speed);
}

}  // namespace

// The connection's view: what a window would show goes to standard error.
class ConsoleView : public cardlink::ConnectionView {
 public:
  void SetModePanel(const std::string& text) override { Report("decoder mode", text, mode_); }
  void SetStatusPanel(const std::string& text) override { Report("decoder", text, status_); }
  void ShowError(const std::string& text) override { SayLine(text); }
  void CardNotUsable(std::int32_t status) override {
    SayLine("the card cannot be used: status " + std::to_string(status) + " (" + cardlink::CardStatusText(status) +
            ")");
  }
  void ConnectionDropped(const std::string& reason) override {
    SayLine("connection to the card server lost: " + reason);
    if (onDropped) {
      onDropped();
    }
  }
  std::function<void()> onDropped;

 private:
  // Says what changed, once.
  static void Report(const char* what, const std::string& text, std::string& last) {
    if (!text.empty() && text != last) {
      SayLine(std::string(what) + " " + text);
    }
    last = text;
  }
  std::string mode_;
  std::string status_;
};

Daemon::Daemon(Options options)
    : options_(std::move(options)),
      receiver_(nothingShown_, StationClock(options_.clockSpeed)),
      station_(receiver_, calls_, *this),
      view_(std::make_unique<ConsoleView>()),
      card_{options_.settings.HostName, options_.settings.CardType, options_.settings.CardNumber,
            options_.settings.IFInput, options_.settings.IFFreqs},
      connection_(std::make_unique<cardlink::ConnectionManager>(*view_, card_)),
      pause_(options_.retrySeconds, options_.retrySeconds) {
  connection_->CanConnect = true;
  connection_->SetRecordHandler(
      [this](const std::string& record, const cardlink::RecordOrigin& origin) { HandleRecord(record, origin); });
  retry_.setSingleShot(true);
  QObject::connect(&retry_, &QTimer::timeout, this, [this] { Connect(); });
  view_->onDropped = [this] { ConnectionLost(); };
  receiver::CallOnStopSignals(this, [this] { StopSignalled(); });
}

Daemon::~Daemon() = default;

bool Daemon::Start() {
  station::StartChoices choices;
  choices.liveLinkName = QString::fromStdString(options_.liveLinkName);
  choices.watchListFile = options_.alertsFile;
  choices.progress = std::make_shared<ConsoleStoreProgress>();
  if (!station_.Start(options_.settings, choices)) {
    return false;
  }
  decoding::TrafficLog& log = receiver_.Log();
  if (options_.log) {
    log.Click(decoding::LogBox::Checked);
    if (*options_.log == "some") {
      log.Click(decoding::LogBox::Unchecked);
    }
  }
  return true;
}

void Daemon::Say(const std::string& line) { SayLine(line); }

bool Daemon::GoOnWithout(station::Step step, const std::string& why) {
  SayLine(StepName(step) + ": " + why);
  return step == station::Step::LiveLink;  // other programs not following is no reason to stop
}

void Daemon::Warn(station::Step step, const std::string& warning) {
  SayLine("warning: " + StepName(step) + ": " + warning);
}

// The card server is connected once the store is open: records need it.
void Daemon::StoreOpenEnded(const std::optional<std::string>& /*name*/, const std::string& why) {
  if (stopping_) {
    return;
  }
  if (!why.empty()) {  // another process keeps it, or it cannot be opened at all
    SayLine("store: " + why);
    Finish(2);
    return;
  }
  QTimer::singleShot(0, this, [this] { Connect(); });
}

void Daemon::HandleRecord(const std::string& record, const cardlink::RecordOrigin& origin) {
  receiver_.HandleCardRecord(record, origin);
  const decoding::ReadMessage* message = receiver_.Path().LastMessage();
  if (message != nullptr && !receiver_.AlertsOfLast().empty()) {
    std::cout << AlertLine(receiver_.AlertsOfLast(), message->record) << "\r\n";
  }
  if (!options_.quiet && message != nullptr) {
    std::cout << receiver_.Path().MessageReport() << "\r\n";
  }
  std::cout << std::flush;
}

void Daemon::Connect() {
  if (stopping_) {
    return;
  }
  SayLine("connecting to " + card_.HostName);
  connecting_ = true;
  connection_->Connected = connection_->ConnectCard(true);
  connecting_ = false;
  receiver_.SetCardLink(connection_->Connected);
  if (stopping_) {
    // A stop signal came while connecting: finish the stop now.
    connection_->Connected = connection_->ConnectCard(false);
    Finish(0);
  } else if (connection_->Connected) {
    const std::string connected = "connected to card " + std::to_string(card_.CardNumber);
    SayLine(connected);
    service_.Ready(connected);  // the store was open before the first attempt
  } else if (options_.retrySeconds > 0) {
    pause_.Failed();
    retry_.start(pause_.Seconds() * 1000);
  } else {
    Finish(1);
  }
}

void Daemon::ConnectionLost() {
  service_.Status("the connection to the card server was lost");
  receiver_.SetCardLink(false);
  if (options_.retrySeconds > 0) {
    pause_.Restart();
    retry_.start(pause_.Seconds() * 1000);
  } else {
    Finish(1);
  }
}

void Daemon::StopSignalled() {
  stopping_ = true;
  retry_.stop();
  if (connecting_) {
    return;  // Connect finishes the stop when the attempt returns
  }
  if (connection_->Connected) {
    connection_->Connected = connection_->ConnectCard(false);
  }
  Finish(0);
  SayLine("stopped");
}

void Daemon::Finish(int status) {
  service_.Stopping();
  station_.Stop();
  QCoreApplication::exit(status);
}

}  // namespace corvane::daemon
