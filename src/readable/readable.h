// Readable decoding of today's ACARS message forms, beside the described
// decoders: what a message's text says, as named fields (numbers, texts,
// lists of names) and as plain lines. A text that fits no known form, or a
// form of which no field can be read with confidence, gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::readable {

// A number, a text, or a list of names.
using Value = std::variant<double, std::string, std::vector<std::string>>;

struct Field {
  std::string name;  // latitude, altitude_ft, arrival, ...
  Value value;
};

struct Decoding {
  std::string kind;           // "Position report", "Media advisory", ...
  std::vector<Field> fields;  // in the order the text gives them
  std::string text;           // one item a line, each ending in CR LF
};

// What decoding needs of a message; text is the card's bytes.
struct Message {
  std::string_view label;
  std::string_view mode;
  std::string_view text;
  std::string_view sublabel;  // where known; empty otherwise
};

// The readable decoding of a message; nothing when its text fits no known
// form. Airport names come from the tables.
std::optional<Decoding> Decode(const Message& message, const reference::ReferenceTables& tables);

}  // namespace corvane::readable
