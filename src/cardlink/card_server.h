// The card maker's automation server as Corvane uses it: eight operations and
// two events, created by ProgID on a host. Failures come as automation errors
// with a number and a description. CreateCardServer reaches a server over TCP
// (docs/cardserver-protocol.md); every wait is bounded, and a server that
// goes away or stops answering is reported as a lost connection.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "cardlink/record_origin.h"

namespace corvane::cardlink {

inline constexpr const char* kW41ProgId = "W41System.W41System.1";
inline constexpr const char* kW51ProgId = "W51System.W51System.1";

// The text of a card status code (0 to 8); empty for any other code. Codes
// 0 (initializing) and 1 (running) count as a usable card.
const char* CardStatusText(std::int32_t status);

// Automation error numbers.
inline constexpr int kRemoteServerUnavailable = 462;
inline constexpr int kClassNotRegistered = 463;
inline constexpr int kCallRejected = -2147418111;  // the server is busy with another call

// How long any network wait may take.
inline constexpr int kNetworkWaitMs = 3000;

class AutomationError : public std::runtime_error {
 public:
  AutomationError(int number, const std::string& description)
      : std::runtime_error(description), number_(number), description_(description) {}
  [[nodiscard]] int number() const { return number_; }
  [[nodiscard]] const std::string& description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

class CardServer : public QObject {
  Q_OBJECT

 public:
  ~CardServer() override = default;

  // Each operation throws AutomationError when it fails.
  virtual void ConnectByNumber(std::int16_t card) = 0;
  virtual void GetCardStatus(std::int32_t& status) = 0;
  virtual void SetUpdateRate(std::int16_t rate) = 0;
  virtual void EnableCallBackText(bool on) = 0;
  virtual void EnableCallBackStatus(bool on) = 0;
  virtual void EnableCallBackRaw(bool on) = 0;
  virtual void SetParam(std::string& parameters) = 0;
  virtual void GetParam(std::string& parameters) = 0;
  // Asks for what an SDR decoder knew of each record (frequency, level,
  // link...) with the records; true when the server will send them. A card
  // knows none, and a server that does not know the operation sends none.
  virtual bool EnableReceptionFacts(bool /*on*/) { return false; }

 signals:
  // One card text record, its bytes as the card sent them; origin says
  // which receiver first heard a record the server relayed.
  void NewTextData(const QByteArray& txt, const corvane::cardlink::RecordOrigin& origin = {});
  void NewSystemStatus(int idle, int traffic, int error, int rq, int automatic, int sync, int phasing, int level);
  // The server closed the connection, broke the protocol or stopped answering.
  void ConnectionLost(const QString& reason);
};

// The host and port a host setting names: "127.0.0.1", "name", "name:port",
// "[v6-address]:port"; the default port when none is given.
struct HostAndPort {
  QString host;
  quint16 port = 0;
};
HostAndPort ParseHost(const std::string& hostSetting);

// True when the host is this machine.
bool IsLocalHost(const QString& host);

// Creates the server for a ProgID on a host. A connection refused, on this
// machine or another, gives error 462 naming the host and port. Any other
// failure to connect on this machine gives 463; a remote host that cannot be
// reached, or a server that does not answer in time, 462.
std::unique_ptr<CardServer> CreateCardServer(const std::string& progId, const std::string& host,
                                             int waitMs = kNetworkWaitMs);

}  // namespace corvane::cardlink
