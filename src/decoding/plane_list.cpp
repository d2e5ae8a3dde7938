// Sorted, unique list of aircraft addresses.
#include "decoding/plane_list.h"

#include <algorithm>

namespace corvane::decoding {

namespace {

auto LowerBound(const std::vector<std::string>& entries, std::string_view address) {
  return std::lower_bound(entries.begin(), entries.end(), address,
                          [](const std::string& entry, std::string_view key) { return std::string_view(entry) < key; });
}

}  // namespace

bool PlaneList::Contains(std::string_view address) const {
  const auto at = LowerBound(entries_, address);
  return at != entries_.end() && *at == address;
}

std::optional<std::size_t> PlaneList::Insert(std::string_view address) {
  const auto at = LowerBound(entries_, address);
  if (at != entries_.end() && *at == address) {
    return std::nullopt;
  }
  const auto position = static_cast<std::size_t>(at - entries_.begin());
  entries_.insert(at, std::string(address));
  return position;
}

std::optional<std::size_t> PlaneList::Remove(std::string_view address) {
  const auto at = LowerBound(entries_, address);
  if (at == entries_.end() || *at != address) {
    return std::nullopt;
  }
  const auto position = static_cast<std::size_t>(at - entries_.begin());
  entries_.erase(at);
  return position;
}

}  // namespace corvane::decoding
