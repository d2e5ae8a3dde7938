// The client's reading of what a card server sends, apart from any socket:
// each frame sorted into the opening reply, a call's answer or an event, and
// an answer turned into its results or the error it carries. Anything a
// server sends is taken apart here without trusting its shape.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "cardlink/record_origin.h"
#include "cardlink/wire.h"

namespace corvane::cardlink {

struct ServerReply {
  enum class Kind { Opening, Answer, Text, Status, Ignored };
  Kind kind = Kind::Ignored;
  std::optional<long long> answerId;  // Answer: the call it answers, when readable
  std::string text;                   // Text: the card text record
  RecordOrigin origin;                // Text: where a relayed record came from
  std::array<int, 8> status{};        // Status: Idle, Traffic, Error, Rq, Auto, Sync, Phasing, Level
};

// Sorts one frame (never empty, as the frame reader gives them). A text
// event is EVENT, NewTextData, record, and for a relayed record also the
// station that first heard it and its hop count, then its identity, then
// "name=value" reception facts; items of names not known here are ignored.
ServerReply SortServerFrame(const wire::Items& items);

// An answer: ANSWER, id, error number, description, results...
struct AnswerOutcome {
  bool wellFormed = false;  // false: the server broke the protocol
  int error = 0;            // 0 for success
  std::string description;
  wire::Items results;
};
AnswerOutcome ReadAnswer(const wire::Items& answer);

}  // namespace corvane::cardlink
