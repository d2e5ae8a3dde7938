// The fields a readable decoding may carry: each name once, with its JSON
// type, unit and meaning. This table is the one machine-readable statement
// of the readable object's fields; docs/readable-schema.md says the same in
// words, and the tests hold every decoding of the real capture to it.
#pragma once

#include <span>
#include <string_view>

namespace corvane::readable {

enum class FieldType {
  kNumber,      // a JSON number (whole numbers written as integers)
  kInteger,     // a JSON number that is always whole
  kText,        // a JSON string
  kTimeOfDay,   // a JSON string "HH:MM" or "HH:MM:SS", UTC, no date known
  kUtcTime,     // a JSON string "2026-12-07T21:53:00Z" (ISO 8601, UTC)
  kTextList,    // a JSON array of strings
  kIntegerList  // a JSON array of whole numbers
};

struct FieldSchema {
  std::string_view name;
  FieldType type;
  std::string_view unit;  // "" when none
  std::string_view meaning;
};

// Every field, in the order of the schema's page.
std::span<const FieldSchema> AllFields();

// The field of that name; null for a name not in the schema.
const FieldSchema* FindField(std::string_view name);

// "number", "integer", "string", "string HH:MM[:SS]", "string ISO 8601 UTC",
// "array of strings", "array of integers".
std::string_view TypeName(FieldType type);

}  // namespace corvane::readable
