// Readable decoding of today's ACARS message forms, beside the described
// decoders: what a message's text says, as named fields (numbers, texts,
// lists of names) and as plain lines. A text that fits no known form, or a
// form of which no field can be read with confidence, gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::readable {

// A number, a text, a list of names, or a list of numbers (a field the text
// repeats, such as the contracts an ADS-C downlink answers).
using Value = std::variant<double, std::string, std::vector<std::string>, std::vector<double>>;

struct Field {
  // The value is made in place (a variant moved into place costs a copy and
  // makes GCC 12 warn of alternatives it cannot see are unused).
  template <typename V>
  Field(std::string_view fieldName, V&& fieldValue) : name(fieldName), value(std::forward<V>(fieldValue)) {}

  std::string_view name;  // latitude, altitude_ft, arrival, ...: a name of schema.h (static text)
  Value value;
};

struct Decoding {
  std::string_view kind;      // "position_report", ...: an identifier of kinds.h, stable
  std::string_view title;     // "Position report", ...: the kind in words
  std::vector<Field> fields;  // in the order the text gives them; no name twice
  std::string text;           // one item a line, each ending in CR LF
};

// When the message was received, UTC; year 0 when not known. Times the text
// carries with a day of month (or a date) are completed from it.
struct ReceiveTime {
  int year = 0;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// What decoding needs of a message; text is the card's bytes.
struct Message {
  std::string_view label;
  std::string_view mode;
  std::string_view text;
  std::string_view sublabel;  // where known; empty otherwise
  ReceiveTime received{};
  // The block identifier where known: a digit on downlinks, a letter on
  // uplinks; empty otherwise.
  std::string_view blockId{};
};

// The readable decoding of a message; nothing when its text fits no known
// form. Airport names come from the tables.
std::optional<Decoding> Decode(const Message& message, const reference::ReferenceTables& tables);

// The name of a flight's airline as card bytes (Latin-1), from the built-in
// airline list ("BA0123" -> "British Airways"); empty when the list knows no
// airline of that flight.
std::string AirlineNameOf(std::string_view flight);

}  // namespace corvane::readable
