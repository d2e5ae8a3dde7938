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
  } else if (kind == wire::kEvent && items.size() == 3 && items[1] == "NewTextData") {
    reply.kind = ServerReply::Kind::Text;
    reply.text = items[2];
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
