// One client connection of the card server: hello, calls and answers, and the
// reasons a client is dropped.
#include "cardserver/session.h"

#include <cstddef>

namespace corvane::cardserver {

namespace wire = cardlink::wire;

namespace {

constexpr std::string_view kDescSubscript = "Subscript out of range";
constexpr std::string_view kDescObjectNotSet = "Object variable not set";
constexpr std::string_view kDescNotSupported = "Object doesn't support this property or method";
constexpr std::string_view kDescArguments = "Wrong number of arguments or invalid property assignment";
constexpr std::string_view kDescClassNotRegistered = "Class not registered on local machine";
constexpr std::string_view kDescBadHello = "Automation error: expected HELLO CORVANE-CARDLINK 1 and a ProgID";

std::string RefusedFrame(int error, std::string_view description) {
  return wire::EncodeFrame({std::string(wire::kRefused), wire::Number(error), std::string(description)});
}

std::optional<bool> ParseBoolean(std::string_view text) {
  const auto number = wire::ParseNumber(text);
  if (number == 0 || number == 1) {
    return *number == 1;
  }
  return std::nullopt;
}

}  // namespace

namespace {

constexpr std::string_view kNewTextData = "NewTextData";
constexpr std::size_t kItemHeader = 4;

}  // namespace

namespace {

// The items after the record: the origin's (all three when facts follow),
// then the facts.
wire::Items ItemsAfterRecord(const std::optional<capture::RecordOrigin>& origin,
                             const reception::ReceptionFacts* facts) {
  wire::Items items;
  const bool withFacts = facts != nullptr && !facts->Empty();
  if (origin || withFacts) {
    items.push_back(origin ? origin->station : std::string());
    items.push_back(wire::Number(origin ? origin->hops : 0));
    if ((origin && !origin->id.empty()) || withFacts) {
      items.push_back(origin ? origin->id : std::string());
    }
  }
  if (withFacts) {
    for (std::string& item : reception::FactItems(*facts)) {
      items.push_back(std::move(item));
    }
  }
  return items;
}

}  // namespace

std::string TextEventFrame(std::string_view record, const std::optional<capture::RecordOrigin>& origin,
                           const reception::ReceptionFacts* facts) {
  wire::Items items{std::string(wire::kEvent), std::string(kNewTextData), std::string(record)};
  for (std::string& item : ItemsAfterRecord(origin, facts)) {
    items.push_back(std::move(item));
  }
  return wire::EncodeFrame(items);
}

std::size_t TextEventPayloadSize(std::string_view record, const std::optional<capture::RecordOrigin>& origin,
                                 const reception::ReceptionFacts* facts) {
  std::size_t size = 3 * kItemHeader + wire::kEvent.size() + kNewTextData.size() + record.size();
  for (const std::string& item : ItemsAfterRecord(origin, facts)) {
    size += kItemHeader + item.size();
  }
  return size;
}

std::string StatusEventFrame(bool traffic) {
  // Idle, Traffic, Error, Rq, Auto, Sync, Phasing, Level
  wire::Items items{std::string(wire::kEvent), "NewSystemStatus", wire::Number(traffic ? 0 : 1),
                    wire::Number(traffic ? 1 : 0)};
  items.resize(items.size() + 6, "0");
  return wire::EncodeFrame(items);
}

std::string Printable(std::string_view bytes, std::size_t limit) {
  std::string text;
  for (const char c : bytes.substr(0, limit)) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x20 && byte < 0x7F ? c : '?';
  }
  if (bytes.size() > limit) {
    text += "...";
  }
  return text;
}

std::optional<std::string> Session::Receive(std::string_view bytes, std::string& reply) {
  if (dropped_) {
    return std::nullopt;
  }
  reader_.Append(bytes);
  wire::Items items;
  std::string error;
  for (;;) {
    pending_ = reply.size() >= kReplyBudget;
    if (pending_) {
      return std::nullopt;
    }
    const auto status = reader_.Next(items, error);
    if (status == wire::FrameReader::Status::NeedMore) {
      return std::nullopt;
    }
    auto dropReason = status == wire::FrameReader::Status::Invalid ? "bad frame: " + error : Handle(items, reply);
    if (dropReason) {
      dropped_ = true;
      return dropReason;
    }
  }
}

std::optional<std::string> Session::Handle(const wire::Items& items, std::string& reply) {
  if (!welcomed_) {
    return HandleHello(items, reply);
  }
  if (items.front() == wire::kCall) {
    return HandleCall(items, reply);
  }
  return "sent a " + Printable(items.front()) + " message where a CALL was expected";
}

std::optional<std::string> Session::HandleHello(const wire::Items& items, std::string& reply) {
  if (items.front() != wire::kHello) {
    reply += RefusedFrame(kErrAutomation, kDescBadHello);
    return "sent " + Printable(items.front()) + " before HELLO";
  }
  if (items.size() != 4 || items[1] != wire::kProtocolName || items[2] != wire::kProtocolVersion) {
    reply += RefusedFrame(kErrAutomation, kDescBadHello);
    return "refused: a HELLO for another protocol";
  }
  if (!Serves(items[3])) {
    reply += RefusedFrame(kErrClassNotRegistered, kDescClassNotRegistered);
    return "refused: " + Printable(items[3]) + " is not served";
  }
  welcomed_ = true;
  progId_ = items[3];
  reply += wire::EncodeFrame({std::string(wire::kWelcome), std::string(wire::kProtocolVersion)});
  return std::nullopt;
}

bool Session::Serves(std::string_view progId) const {
  return (progId == kW41ProgId && shared_.servesW41) || (progId == kW51ProgId && shared_.servesW51);
}

std::optional<std::string> Session::HandleCall(const wire::Items& items, std::string& reply) {
  if (items.size() < 2 || !wire::ParseNumber(items[1])) {
    return "sent a CALL without a call id";
  }
  const bool statusWasOn = statusCallbacks_;
  Outcome outcome;
  if (items.size() < 3) {
    outcome = {kErrArguments, std::string(kDescArguments), {}};
  } else {
    outcome = Perform(items[2], wire::Items(items.begin() + 3, items.end()));
  }
  wire::Items answer{std::string(wire::kAnswer), items[1], wire::Number(outcome.error), outcome.description};
  answer.insert(answer.end(), outcome.results.begin(), outcome.results.end());
  reply += wire::EncodeFrame(answer);
  // A client that turns status callbacks on learns the current state at once.
  if (statusCallbacks_ && !statusWasOn) {
    reply += StatusEventFrame(shared_.traffic);
  }
  return std::nullopt;
}

Session::Outcome Session::Perform(std::string_view operation, const wire::Items& args) {
  if (operation == "ConnectByNumber") {
    return ConnectByNumber(args);
  }
  if (operation == "GetCardStatus") {
    return GetCardStatus(args);
  }
  if (operation == "SetUpdateRate") {
    return SetUpdateRate(args);
  }
  if (operation == "EnableCallBackText") {
    return EnableCallBack(args, textCallbacks_);
  }
  if (operation == "EnableCallBackStatus") {
    return EnableCallBack(args, statusCallbacks_);
  }
  if (operation == "EnableCallBackRaw") {
    return EnableCallBack(args, rawCallbacks_);
  }
  if (operation == "EnableReceptionFacts") {
    return EnableCallBack(args, receptionFacts_);
  }
  if (operation == "SetParam") {
    return SetParam(args);
  }
  if (operation == "GetParam") {
    return GetParam(args);
  }
  return {kErrNotSupported, std::string(kDescNotSupported), {}};
}

Session::Outcome Session::ConnectByNumber(const wire::Items& args) {
  const auto index = args.size() == 1 ? wire::ParseNumber(args[0]) : std::nullopt;
  if (!index) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  if (*index < 0 || *index >= kCardSlots) {
    return {kErrSubscript, std::string(kDescSubscript), {}};
  }
  card_ = static_cast<std::size_t>(*index);
  return {};
}

Session::Outcome Session::GetCardStatus(const wire::Items& args) const {
  if (!args.empty()) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  if (!card_) {
    return {kErrObjectNotSet, std::string(kDescObjectNotSet), {}};
  }
  // A slot without a simulated card reports that no card is there.
  const int status = *card_ < shared_.cardStatus.size() ? shared_.cardStatus[*card_] : kNoCardStatus;
  return {0, {}, {wire::Number(status)}};
}

Session::Outcome Session::SetUpdateRate(const wire::Items& args) const {
  if (args.size() != 1 || !wire::ParseNumber(args[0])) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  return {};
}

Session::Outcome Session::EnableCallBack(const wire::Items& args, bool& flag) {
  const auto on = args.size() == 1 ? ParseBoolean(args[0]) : std::nullopt;
  if (!on) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  flag = *on;
  return {};
}

Session::Outcome Session::SetParam(const wire::Items& args) {
  if (args.size() != 1) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  shared_.param = args[0];
  return {};
}

Session::Outcome Session::GetParam(const wire::Items& args) const {
  if (!args.empty()) {
    return {kErrArguments, std::string(kDescArguments), {}};
  }
  return {0, {}, {shared_.param}};
}

}  // namespace corvane::cardserver
