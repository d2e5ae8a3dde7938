// The aircraft list: every address seen while a store is configured, once
// each, in ascending byte order, compared exactly.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::decoding {

class PlaneList {
 public:
  [[nodiscard]] bool Contains(std::string_view address) const;

  // Inserts the address at its sorted place; the position it took, or
  // nothing when it was listed already.
  std::optional<std::size_t> Insert(std::string_view address);

  // Removes the address; the position it had, or nothing when not listed.
  std::optional<std::size_t> Remove(std::string_view address);

  [[nodiscard]] const std::vector<std::string>& Entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace corvane::decoding
