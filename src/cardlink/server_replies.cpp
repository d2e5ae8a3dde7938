// Sorting a card server's frames for the client.
#include "cardlink/server_replies.h"

#include <limits>

namespace corvane::cardlink {

namespace {

constexpr std::size_t kStatusFlags = 8;

// A number that fits an int; nothing for anything else.
std::optional<int> ParseInt(const std::string& text) {
  const auto number = wire::ParseNumber(text);
  if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*number);
}

// A relayed record's origin. A hop count that is no number from 0 up still
// marks the record as relayed: it has passed at least one receiver.
RecordOrigin RelayedOrigin(const std::string& station, const std::string& hops) {
  const auto count = ParseInt(hops);
  return {station, count && *count >= 0 ? *count : 1};
}

}  // namespace

ServerReply SortServerFrame(const wire::Items& items) {
  ServerReply reply;
  if (items.empty()) {
    return reply;
  }
  const std::string& kind = items.front();
  if (kind == wire::kWelcome || kind == wire::kRefused) {
    reply.kind = ServerReply::Kind::Opening;
  } else if (kind == wire::kAnswer) {
    reply.kind = ServerReply::Kind::Answer;
    if (items.size() >= 2) {
      reply.answerId = wire::ParseNumber(items[1]);
    }
  } else if (kind == wire::kEvent && items.size() >= 3 && items[1] == "NewTextData") {
    reply.kind = ServerReply::Kind::Text;
    reply.text = items[2];
    if (items.size() >= 5) {
      reply.origin = RelayedOrigin(items[3], items[4]);
    }
    if (items.size() >= 6) {
      reply.origin.id = items[5];
    }
    for (std::size_t i = 6; i < items.size(); ++i) {
      reception::ReadFactItem(items[i], reply.origin.facts);
    }
  } else if (kind == wire::kEvent && items.size() == 2 + kStatusFlags && items[1] == "NewSystemStatus") {
    reply.kind = ServerReply::Kind::Status;
    for (std::size_t i = 0; i < kStatusFlags; ++i) {
      reply.status[i] = ParseInt(items[i + 2]).value_or(0);  // unreadable flags count as 0
    }
  }
  return reply;
}

AnswerOutcome ReadAnswer(const wire::Items& answer) {
  AnswerOutcome outcome;
  const auto number = answer.size() >= 4 ? ParseInt(answer[2]) : std::nullopt;
  if (!number) {
    return outcome;
  }
  outcome.wellFormed = true;
  outcome.error = *number;
  outcome.description = answer[3];
  outcome.results.assign(answer.begin() + 4, answer.end());
  return outcome;
}

}  // namespace corvane::cardlink
