// Opening and closing the card server connection, the decoder parameters, the
// mode refresh and the status display.
#include "cardlink/connection_manager.h"

#include <array>

#include "cardlink/event_wait.h"

namespace corvane::cardlink {

namespace {

constexpr const char* kLocalHost = "127.0.0.1";
constexpr int kModeRefreshMs = 2000;
constexpr int kSettleMs = 200;
constexpr int kStartWaitSteps = 10;
constexpr int kStartWaitStepMs = 100;
constexpr std::int16_t kUpdateRate = 100;
constexpr std::int32_t kCardInitializing = 0;
constexpr std::int32_t kCardRunning = 1;
constexpr std::string_view kModeKey = "Mode=";

constexpr std::array<const char*, 9> kStatusTexts = {"Card is being initialized",
                                                     "Card is running",
                                                     "Error during initialization",
                                                     "DSP decoder program not started",
                                                     "Card is used",
                                                     "No card",
                                                     "Timeout error",
                                                     "Device driver error",
                                                     "Device conflict error"};

}  // namespace

const char* CardStatusText(std::int32_t status) {
  if (status < 0 || status >= static_cast<std::int32_t>(kStatusTexts.size())) {
    return "";
  }
  return kStatusTexts[static_cast<std::size_t>(status)];
}

std::string DecoderParameters(std::int16_t IFInput, std::int32_t IFFreqs) {
  std::string parameters =
      "Baudrate=2400.000000;Mode=ACARS;Auto=OFF;Demodulation=DSP;"
      "Shift=1200;Center=1800;Ias=OFF;Data-mode=ITA2-LATIN;"
      "Display-mode=NO-ERROR;Oscillator=4000000;"
      "Gain=40;";
  if (IFInput == 1) {
    parameters += "Input=AF;";
  } else if (IFInput == 2) {
    parameters += "Input=HF;";
  }
  parameters += "Translation=";
  parameters += std::to_string(IFFreqs);
  parameters += ';';
  return parameters;
}

// The value runs from just after "Mode=" to the first ";" found from its
// second character on; without such a ";" it runs to the end.
std::string DecoderModeOf(const std::string& parameters) {
  const auto key = parameters.find(kModeKey);
  if (key == std::string::npos) {
    return {};
  }
  const auto start = key + kModeKey.size();
  const auto end = parameters.find(';', start + 1);
  return parameters.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ErrorText(const AutomationError& error) {
  if (error.number() == kClassNotRegistered) {
    return kNotRegisteredMessage;
  }
  return std::to_string(error.number()) + " - " + error.description();
}

void ConnectionManager::LaterDeleter::operator()(CardServer* server) const {
  if (server != nullptr) {
    server->disconnect();
    server->deleteLater();
  }
}

ConnectionManager::ServerFactory ConnectionManager::DefaultFactory() {
  return [](const std::string& progId, const std::string& host) { return CreateCardServer(progId, host); };
}

ConnectionManager::ConnectionManager(ConnectionView& view, CardSettings& settings, ServerFactory factory)
    : view_(view), settings_(settings), factory_(std::move(factory)) {
  TimerA.setInterval(kModeRefreshMs);
  QObject::connect(&TimerA, &QTimer::timeout, this, [this] { ShowDecoderMode(); });
}

ConnectionManager::~ConnectionManager() { ReleaseServer(); }

bool ConnectionManager::ConnectCard(bool connect) {
  if (connect) {
    opening_ = true;
    lostWhileOpening_ = false;
    const bool opened = OpenConnection();
    opening_ = false;
    return opened;
  }
  CloseConnection();
  return false;
}

void ConnectionManager::ConnectClicked() {
  Connected = ConnectCard(!Connected);
  UpdateConnectButtons();
}

const char* ConnectionManager::ProgIdOfCardType() const {
  switch (settings_.CardType) {
    case 0:
    case 1:
      return kW41ProgId;
    case 2:
      return kW51ProgId;
    default:
      return nullptr;
  }
}

bool ConnectionManager::OpenConnection() {
  view_.SetConnectEnabled(false);
  if (settings_.HostName.empty() || settings_.HostName.front() == '\0') {
    settings_.HostName = kLocalHost;
  }
  const char* progId = ProgIdOfCardType();
  if (progId == nullptr) {
    view_.ShowError("No card type is configured (card type " + std::to_string(settings_.CardType) +
                    "); choose one under Config.");
    return false;
  }
  try {
    ReleaseServer();
    CardServer_ = ServerPointer(factory_(progId, settings_.HostName).release());
    BindEvents(*CardServer_);
    WaitProcessingEvents(kSettleMs);

    // Selecting and checking the card: a failure here (the server gone in
    // the meantime) is reported like a failed creation.
    CardServer_->ConnectByNumber(static_cast<std::int16_t>(settings_.CardNumber - 1));
    WaitProcessingEvents(kSettleMs);
    std::int32_t status = 0;
    CardServer_->GetCardStatus(status);
    if (status != kCardInitializing && status != kCardRunning) {
      ReleaseServer();
      view_.CardNotUsable(status);
      return false;
    }

    Connected = true;
    // Asked before the text callbacks, so that no record comes without the
    // facts its decoder gave (a replay starts as soon as text is on).
    CardServer_->EnableReceptionFacts(true);
    CardServer_->SetUpdateRate(kUpdateRate);
    CardServer_->EnableCallBackText(true);
    CardServer_->EnableCallBackStatus(true);
    CardServer_->EnableCallBackRaw(false);
    SendDecoderParams();
  } catch (const AutomationError& error) {
    Connected = false;
    ReleaseServer();
    view_.ShowError(ErrorText(error));
    return false;
  }

  for (int step = 0; step < kStartWaitSteps && !lostWhileOpening_; ++step) {
    WaitProcessingEvents(kStartWaitStepMs);
  }
  if (lostWhileOpening_) {
    CloseConnection();
    Connected = false;
    view_.ShowError("The connection to the card server was lost while connecting (" + lostReason_ + ")");
    return false;
  }
  ShowDecoderMode();
  TimerA.start();
  return true;
}

// Every step is tried; a failing one is passed over.
void ConnectionManager::CloseConnection() {
  TimerA.stop();
  if (CardServer_) {
    const auto tryStep = [](auto step) {
      try {
        step();
      } catch (const AutomationError&) {
      }
    };
    tryStep([this] { CardServer_->EnableCallBackText(false); });
    tryStep([this] { CardServer_->EnableCallBackStatus(false); });
    tryStep([this] { CardServer_->EnableCallBackRaw(false); });
  }
  ReleaseServer();
}

void ConnectionManager::ReleaseServer() { CardServer_.reset(); }

void ConnectionManager::BindEvents(CardServer& server) {
  QObject::connect(&server, &CardServer::NewTextData, this, [this](const QByteArray& txt, const RecordOrigin& origin) {
    if (onRecord_) {
      onRecord_(txt.toStdString(), origin);
    }
  });
  QObject::connect(&server, &CardServer::NewSystemStatus, this, &ConnectionManager::ShowSystemStatus);
  QObject::connect(&server, &CardServer::ConnectionLost, this, &ConnectionManager::OnConnectionLost);
}

// A server lost while opening makes the opening fail (its calls fail from
// then on; the opening checks after its wait); while open, the connection is
// closed and the loss reported.
void ConnectionManager::OnConnectionLost(const QString& reason) {
  if (opening_) {
    lostWhileOpening_ = true;
    lostReason_ = reason.toStdString();
    return;
  }
  TimerA.stop();
  ReleaseServer();
  if (!Connected) {
    return;
  }
  Connected = false;
  UpdateConnectButtons();
  view_.ConnectionDropped(reason.toStdString());
}

void ConnectionManager::SendDecoderParams() {
  std::string parameters = DecoderParameters(settings_.IFInput, settings_.IFFreqs);
  CardServer_->SetParam(parameters);
}

// A refresh that fails leaves the panel as it was; a lost server is handled
// by OnConnectionLost.
void ConnectionManager::ShowDecoderMode() {
  if (!CardServer_) {
    return;
  }
  std::string parameters;
  try {
    CardServer_->GetParam(parameters);
  } catch (const AutomationError&) {
    return;
  }
  view_.SetModePanel(DecoderModeOf(parameters));
}

void ConnectionManager::UpdateConnectButtons() {
  view_.SetConnectEnabled(CanConnect);
  if (Connected) {
    view_.SetConnectCaption("&Disconnect");
    view_.SetConfigEnabled(false);
  } else {
    view_.SetConnectCaption("&Connect");
    view_.SetConfigEnabled(true);
    view_.SetModePanel("");
    view_.SetStatusPanel("");
  }
}

void ConnectionManager::ShowSystemStatus(int Idle, int Traffic, int /*Error*/, int /*Rq*/, int /*Auto*/, int /*Sync*/,
                                         int /*Phasing*/, int /*Level*/) {
  if (Idle != 0) {
    view_.SetStatusPanel("IDLE");
  }
  if (Traffic != 0) {
    view_.SetStatusPanel("TRAFFIC");
  }
}

}  // namespace corvane::cardlink
