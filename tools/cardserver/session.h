// The card server's side of one client connection, as plain C++: it takes the
// bytes the client sends, answers its hello and its calls, and says when the
// client must be dropped. The Qt server around it only moves bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture.h"
#include "cardlink/wire.h"

namespace corvane::cardserver {

inline constexpr std::string_view kW41ProgId = "W41System.W41System.1";
inline constexpr std::string_view kW51ProgId = "W51System.W51System.1";

// What a card's decoder holds before anyone sets it.
inline constexpr std::string_view kDefaultParam =
    "Baudrate=2400.000000;Mode=ACARS;Auto=OFF;Demodulation=DSP;Shift=1200;Center=1800;Ias=OFF;"
    "Data-mode=ITA2-LATIN;Display-mode=NO-ERROR;Oscillator=4000000;Gain=40;Input=AF;Translation=0;";

inline constexpr int kHighestCardStatus = 8;

// How much a session answers from one read before it waits for the client
// to take its answers.
inline constexpr std::size_t kReplyBudget = 256U * 1024U;

// Error numbers and descriptions the server answers with.
inline constexpr int kErrSubscript = 9;
// A server drives up to eight cards; a slot without a card reads "No card".
inline constexpr long long kCardSlots = 8;
inline constexpr int kNoCardStatus = 5;
inline constexpr int kErrObjectNotSet = 91;
inline constexpr int kErrNotSupported = 438;
inline constexpr int kErrAutomation = 440;
inline constexpr int kErrArguments = 450;
inline constexpr int kErrClassNotRegistered = 463;

// What every client of one server shares.
struct SharedState {
  std::vector<int> cardStatus{1};  // one status code (0 to 8) per simulated card
  bool servesW41 = true;
  bool servesW51 = true;
  std::string param{kDefaultParam};
  bool traffic = false;  // the decoder's state: receiving, or idle
};

// The frames of the two events. A record relayed from a receiver's LiveJSON
// object also carries the station that first heard it and its hop count.
// Given facts (for a client that asked for them, and only when some are
// known), the event carries the station, hop count and identity items
// always (empty, 0 and empty for a record heard here) and then one
// "name=value" item per known fact.
std::string TextEventFrame(std::string_view record, const std::optional<capture::RecordOrigin>& origin = std::nullopt,
                           const reception::ReceptionFacts* facts = nullptr);
std::string StatusEventFrame(bool traffic);

// The payload size of a record's text event, item headers included: one
// above cardlink::wire::kMaxPayload cannot be sent.
std::size_t TextEventPayloadSize(std::string_view record, const std::optional<capture::RecordOrigin>& origin,
                                 const reception::ReceptionFacts* facts = nullptr);
[[nodiscard]] inline bool FitsOneFrame(std::string_view record, const std::optional<capture::RecordOrigin>& origin,
                                       const reception::ReceptionFacts* facts = nullptr) {
  return TextEventPayloadSize(record, origin, facts) <= cardlink::wire::kMaxPayload;
}

// Bytes as a short, printable text for log lines.
std::string Printable(std::string_view bytes, std::size_t limit = 40);

class Session {
 public:
  explicit Session(SharedState& shared) : shared_(shared) {}

  // Takes bytes from the client and appends the frames to send back to reply.
  // Returns why the client must be dropped (after its reply is sent), or
  // nothing. Once dropped, the session takes nothing more. It stops once the
  // reply reaches kReplyBudget, keeping the frames not yet answered: call it
  // again with no bytes, once the reply is on its way, while HasPending().
  std::optional<std::string> Receive(std::string_view bytes, std::string& reply);

  [[nodiscard]] bool HasPending() const { return pending_; }

  [[nodiscard]] bool Welcomed() const { return welcomed_; }
  [[nodiscard]] bool Dropped() const { return dropped_; }
  [[nodiscard]] bool TextCallbacks() const { return textCallbacks_; }
  [[nodiscard]] bool StatusCallbacks() const { return statusCallbacks_; }
  // The client asked for the reception facts of the records it is sent.
  [[nodiscard]] bool ReceptionFacts() const { return receptionFacts_; }
  [[nodiscard]] const std::string& ProgId() const { return progId_; }

 private:
  std::optional<std::string> Handle(const cardlink::wire::Items& items, std::string& reply);
  std::optional<std::string> HandleHello(const cardlink::wire::Items& items, std::string& reply);
  std::optional<std::string> HandleCall(const cardlink::wire::Items& items, std::string& reply);
  [[nodiscard]] bool Serves(std::string_view progId) const;

  // One operation: fills in the error (0 on success) and the results.
  struct Outcome {
    int error = 0;
    std::string description;
    cardlink::wire::Items results;
  };
  Outcome Perform(std::string_view operation, const cardlink::wire::Items& args);
  Outcome ConnectByNumber(const cardlink::wire::Items& args);
  Outcome GetCardStatus(const cardlink::wire::Items& args) const;
  Outcome SetUpdateRate(const cardlink::wire::Items& args) const;
  Outcome EnableCallBack(const cardlink::wire::Items& args, bool& flag);
  Outcome SetParam(const cardlink::wire::Items& args);
  Outcome GetParam(const cardlink::wire::Items& args) const;

  SharedState& shared_;
  cardlink::wire::FrameReader reader_;
  bool welcomed_ = false;
  bool dropped_ = false;
  bool pending_ = false;
  std::string progId_;
  std::optional<std::size_t> card_;
  bool textCallbacks_ = false;
  bool statusCallbacks_ = false;
  bool rawCallbacks_ = false;
  bool receptionFacts_ = false;
};

}  // namespace corvane::cardserver
