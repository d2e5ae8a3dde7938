// One client's conversation: the commands it may send in each state, the
// answers and errors it gets, and the links it holds.
#include "livelink/conversation.h"

namespace corvane::livelink {

namespace {

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(Printable(text)).append(1, '"');
  return quoted;
}

std::string Frame(std::string_view name, std::string_view first) {
  return wire::EncodeFrame({std::string(name), std::string(first)});
}

std::string Frame(std::string_view name, std::string_view first, std::string_view second) {
  return wire::EncodeFrame({std::string(name), std::string(first), std::string(second)});
}

bool IsItemCommand(std::string_view command) {
  return command == kRequest || command == kAdvise || command == kUnadvise;
}

}  // namespace

void Conversation::Feed(std::string_view bytes) {
  if (state_ != State::Ended) {
    reader_.Append(bytes);
  }
}

bool Conversation::Step(StepResult& result) {
  if (state_ == State::Ended) {
    return false;
  }
  wire::Items items;
  std::string error;
  switch (reader_.Next(items, error)) {
    case wire::FrameReader::Status::NeedMore:
      return false;
    case wire::FrameReader::Status::Invalid:
      result.reply += Frame(kDropped, error);
      End(Ending::Dropped, error, result);
      return true;
    case wire::FrameReader::Status::Frame:
      Handle(items, result);
      return true;
  }
  return false;
}

std::vector<LinkChange> Conversation::Abandon() {
  std::vector<LinkChange> closed;
  CloseAllLinks(closed);
  state_ = State::Ended;
  return closed;
}

void Conversation::Handle(const wire::Items& items, StepResult& result) {
  const std::string& command = items.front();
  if (command == kConnect) {
    HandleConnect(items, result);
  } else if (command == kClose) {
    HandleClose(items, result);
  } else if (IsItemCommand(command)) {
    HandleItemCommand(items, result);
  } else {
    result.reply += ErrorFrame(command, "", kErrUnknownCommand, "unknown command " + Quoted(command));
  }
}

void Conversation::HandleConnect(const wire::Items& items, StepResult& result) {
  if (state_ == State::Open) {
    result.reply += ErrorFrame(kConnect, items.size() > 3 ? items[3] : "", kErrAlreadyConnected,
                               "the conversation on topic \"" + std::string(kTopic) + "\" is already open");
    return;
  }
  if (items.size() != 4 || items[1] != kProtocolName || items[2] != kProtocolVersion) {
    const std::string reason = "expected " + std::string(kConnect) + " " + std::string(kProtocolName) + " " +
                               std::string(kProtocolVersion) + " and a topic";
    result.reply += Frame(kRefused, kErrBadProtocol, reason);
    End(Ending::Refused, reason, result);
    return;
  }
  const std::string& topic = items[3];
  if (topic != kTopic) {
    const std::string reason =
        "no topic " + Quoted(topic) + ": the only topic of Corvane is \"" + std::string(kTopic) + "\"";
    result.reply += Frame(kRefused, kErrUnknownTopic, reason);
    End(Ending::Refused, reason, result);
    return;
  }
  state_ = State::Open;
  result.reply += Frame(kConnected, topic);
}

void Conversation::HandleClose(const wire::Items& items, StepResult& result) {
  if (items.size() != 1) {
    result.reply += ErrorFrame(kClose, "", kErrBadArguments, "CLOSE takes nothing");
    return;
  }
  result.reply += wire::EncodeFrame({std::string(kClosed)});
  End(Ending::Closed, "", result);
}

void Conversation::HandleItemCommand(const wire::Items& items, StepResult& result) {
  const std::string& command = items.front();
  const std::string item = items.size() > 1 ? items[1] : std::string();
  if (items.size() != 2) {
    result.reply += ErrorFrame(command, item, kErrBadArguments, command + " takes one item name");
  } else if (state_ != State::Open) {
    result.reply += ErrorFrame(command, item, kErrNotConnected,
                               "no conversation yet: CONNECT to topic \"" + std::string(kTopic) + "\" first");
  } else if (!IsKnownItem(item)) {
    result.reply +=
        ErrorFrame(command, item, kErrUnknownItem, "no item " + Quoted(item) + ": the items are " + KnownItemList());
  } else if (command == kRequest) {
    Request(item, result);
  } else if (command == kAdvise) {
    Advise(item, result);
  } else {
    Unadvise(item, result);
  }
}

void Conversation::Request(const std::string& item, StepResult& result) const {
  const auto value = values_.find(item);
  result.reply += Frame(kData, item, value == values_.end() ? std::string_view() : std::string_view(value->second));
}

void Conversation::Advise(const std::string& item, StepResult& result) {
  if (!advised_.insert(item).second) {
    result.reply += ErrorFrame(kAdvise, item, kErrAlreadyAdvised, Quoted(item) + " is already advised");
    return;
  }
  result.links.push_back({item, true});
  result.reply += Frame(kAdvised, item);
}

void Conversation::Unadvise(const std::string& item, StepResult& result) {
  if (advised_.erase(item) == 0) {
    result.reply += ErrorFrame(kUnadvise, item, kErrNotAdvised, Quoted(item) + " is not advised");
    return;
  }
  result.links.push_back({item, false});
  result.reply += Frame(kUnadvised, item);
}

void Conversation::End(Ending ending, std::string reason, StepResult& result) {
  CloseAllLinks(result.links);
  state_ = State::Ended;
  result.ending = ending;
  result.reason = std::move(reason);
}

void Conversation::CloseAllLinks(std::vector<LinkChange>& links) {
  for (const std::string& item : advised_) {
    links.push_back({item, false});
  }
  advised_.clear();
}

}  // namespace corvane::livelink
