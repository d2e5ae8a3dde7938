// What the fuzz targets share: a check that stops the run when it fails, the
// built-in reference tables, and
// the reading of an input whose first byte sets the size of the pieces the
// rest arrives in (as a network peer's bytes would).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "reference/reference_tables.h"

namespace corvane::fuzz {

// The built-in reference tables, filled once.
inline const reference::ReferenceTables& BuiltinTables() {
  static const reference::ReferenceTables tables = [] {
    reference::ReferenceTables filled;
    filled.FillBuiltinTables();
    return filled;
  }();
  return tables;
}

inline void Require(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

struct PiecedInput {
  std::size_t piece;
  std::string_view bytes;
};

// Nothing for an empty input; a first byte of 0 means pieces of one byte.
inline std::optional<PiecedInput> ReadPiecedInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return std::nullopt;
  }
  return PiecedInput{data[0] == 0 ? 1U : data[0], std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

}  // namespace corvane::fuzz
