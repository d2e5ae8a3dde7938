// The server's side of one live link client, as plain C++: answers the
// client's commands one frame at a time and says which links opened or closed
// and when the conversation ends. The Qt server around it only moves bytes.
//
//              CONNECT ACARS (HandleConnect)          CLOSE (HandleClose)
//   Waiting  ------------------------------> Open  ----------------------> Ended
//      |  CONNECT other topic, bad protocol    |      garbage (Step), client gone
//      +-----------> Ended (refused)           +----> or dropped (Abandon) -> Ended
//
// Every link still open when the conversation ends is closed with it.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "livelink/protocol.h"

namespace corvane::livelink {

// The published items and their current values.
using ItemValues = std::map<std::string, std::string, std::less<>>;

// One advise (opened) or unadvise (closed) of an item.
struct LinkChange {
  std::string item;
  bool opened = false;

  bool operator==(const LinkChange&) const = default;
};

// How a conversation ended.
enum class Ending {
  None,     // still going
  Closed,   // the client said CLOSE; its answer is the last frame
  Refused,  // the CONNECT was refused; the refusal is the last frame
  Dropped,  // the client broke the protocol; DROPPED is the last frame
};

// What handling one frame leads to.
struct StepResult {
  std::string reply;              // frames to send, in order
  std::vector<LinkChange> links;  // links opened and closed, in order
  Ending ending = Ending::None;   // when not None, disconnect once the reply is sent
  std::string reason;             // why it was refused or dropped
};

class Conversation {
 public:
  explicit Conversation(const ItemValues& values) : values_(values) {}

  // Takes bytes from the client; Step() answers them.
  void Feed(std::string_view bytes);

  // Handles the next complete frame the client sent; false when none is
  // waiting or the conversation has ended.
  bool Step(StepResult& result);

  // Ends the conversation from the server's side (the client went away or
  // is being dropped); returns the links that closed with it.
  std::vector<LinkChange> Abandon();

  [[nodiscard]] bool IsOpen() const { return state_ == State::Open; }
  [[nodiscard]] bool HasEnded() const { return state_ == State::Ended; }
  [[nodiscard]] bool IsAdvised(std::string_view item) const { return advised_.find(item) != advised_.end(); }
  [[nodiscard]] std::size_t LinkCount() const { return advised_.size(); }

 private:
  enum class State { Waiting, Open, Ended };

  void Handle(const wire::Items& items, StepResult& result);
  void HandleConnect(const wire::Items& items, StepResult& result);
  void HandleClose(const wire::Items& items, StepResult& result);
  void HandleItemCommand(const wire::Items& items, StepResult& result);
  void Request(const std::string& item, StepResult& result) const;
  void Advise(const std::string& item, StepResult& result);
  void Unadvise(const std::string& item, StepResult& result);
  void End(Ending ending, std::string reason, StepResult& result);
  void CloseAllLinks(std::vector<LinkChange>& links);

  const ItemValues& values_;
  wire::FrameReader reader_;
  State state_ = State::Waiting;
  std::set<std::string, std::less<>> advised_;
};

}  // namespace corvane::livelink
