// The connection to the card server, held by the main window (or the headless
// receiver). Two states:
//
//   closed --ConnectCard(true) succeeds--> open
//   open --ConnectCard(false), or the server lost--> closed
//
// Opening creates the server for the card type on the host, selects the card,
// checks its status, turns the events on, sends the decoder parameters and
// shows the decoder mode; while open, TimerA refreshes the mode every two
// seconds and status events show IDLE or TRAFFIC.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cardlink/card_server.h"

namespace corvane::cardlink {

// The window's side: the Connect and Config buttons, status-bar panels 1 and
// 3, and message boxes titled with the program's name.
class ConnectionView {
 public:
  virtual ~ConnectionView() = default;
  virtual void SetConnectEnabled(bool /*enabled*/) {}
  virtual void SetConnectCaption(const std::string& /*caption*/) {}
  virtual void SetConfigEnabled(bool /*enabled*/) {}
  virtual void SetModePanel(const std::string& /*text*/) {}    // panel 1
  virtual void SetStatusPanel(const std::string& /*text*/) {}  // panel 3
  virtual void ShowError(const std::string& /*text*/) {}
  // An open connection was lost; the state is closed again.
  virtual void ConnectionDropped(const std::string& /*reason*/) {}
  // The card answered with a status other than initializing (0) or running
  // (1); connecting fails without a message box.
  virtual void CardNotUsable(std::int32_t /*status*/) {}
};

// The card settings the connection uses, as held in memory.
struct CardSettings {
  std::string HostName = "127.0.0.1";
  std::int16_t CardType = -1;    // 0 W40PC, 1 W41PC, 2 W51PC
  std::int16_t CardNumber = -1;  // 1 to 8
  std::int16_t IFInput = 1;      // 1 AF, 2 HF, 3 IF1, 4 IF2
  std::int32_t IFFreqs = 0;      // Hz
};

inline constexpr const char* kNotRegisteredMessage = "Wavecom server is not registered on this client";

// The decoder parameter string for an input and a translation frequency.
std::string DecoderParameters(std::int16_t IFInput, std::int32_t IFFreqs);

// The value of the "Mode=" item of a parameter string; empty without one.
std::string DecoderModeOf(const std::string& parameters);

// The message box text for an automation error.
std::string ErrorText(const AutomationError& error);

class ConnectionManager : public QObject {
  Q_OBJECT

 public:
  using ServerFactory = std::function<std::unique_ptr<CardServer>(const std::string& progId, const std::string& host)>;
  using RecordHandler = std::function<void(const std::string& record, const RecordOrigin& origin)>;
  using PlainRecordHandler = std::function<void(const std::string& record)>;

  ConnectionManager(ConnectionView& view, CardSettings& settings, ServerFactory factory = DefaultFactory());
  ~ConnectionManager() override;

  // Opens (true) or closes (false) the connection; the resulting state.
  bool ConnectCard(bool connect);
  // The Connect button: toggles the connection and brings the buttons in line.
  void ConnectClicked();
  void SendDecoderParams();
  void ShowDecoderMode();
  void UpdateConnectButtons();
  void ShowSystemStatus(int Idle, int Traffic, int Error, int Rq, int Auto, int Sync, int Phasing, int Level);

  // Every card text record goes here (the message path's HandleTextRecord),
  // with where it came from; a handler that takes only the record treats
  // every record as heard by this receiver.
  void SetRecordHandler(RecordHandler handler) { onRecord_ = std::move(handler); }
  void SetRecordHandler(PlainRecordHandler handler) {
    onRecord_ = [handler = std::move(handler)](const std::string& record, const RecordOrigin&) { handler(record); };
  }

  bool Connected = false;
  bool CanConnect = false;
  QTimer TimerA;

  [[nodiscard]] CardServer* Server() const { return CardServer_.get(); }

  static ServerFactory DefaultFactory();

 private:
  // Servers are released with deleteLater, so that one never disappears
  // under a call still waiting for its answer.
  struct LaterDeleter {
    void operator()(CardServer* server) const;
  };
  using ServerPointer = std::unique_ptr<CardServer, LaterDeleter>;

  bool OpenConnection();
  void CloseConnection();
  void ReleaseServer();
  void BindEvents(CardServer& server);
  void OnConnectionLost(const QString& reason);
  [[nodiscard]] const char* ProgIdOfCardType() const;

  ConnectionView& view_;
  CardSettings& settings_;
  ServerFactory factory_;
  RecordHandler onRecord_;
  ServerPointer CardServer_;
  bool opening_ = false;
  bool lostWhileOpening_ = false;
  std::string lostReason_;
};

}  // namespace corvane::cardlink
