// The rows of the map and the charts as both kinds of store answer them: text
// cells turned into numbers, and the order the page gets them in.
#include "store/search/overview.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "reception/reception_facts.h"
#include "store/search/search.h"

namespace corvane::store::search {

namespace {

// A number as the stores write it; the whole cell must be the number.
template <typename Number>
Number NumberOf(std::string_view text, const char* what) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw SearchFailed(std::string("the store answered \"") + std::string(text) + "\" for " + what);
  }
  return value;
}

}  // namespace

std::string LimitText(std::size_t rows) {
  constexpr auto kLargest = static_cast<std::size_t>(std::numeric_limits<long long>::max());
  return std::to_string(std::min(rows, kLargest));
}

PositionRow PositionOf(const std::vector<std::string>& cells) {
  PositionRow row;
  row.id = NumberOf<long long>(cells.at(0), "a row number");
  row.utc = NumberOf<UtcMillis>(cells.at(1), "a receive time");
  row.tail = cells.at(2);
  row.flight = cells.at(3);
  row.latitude = NumberOf<double>(cells.at(4), "a latitude");
  row.longitude = NumberOf<double>(cells.at(5), "a longitude");
  if (!cells.at(6).empty()) {
    row.altitudeFt = NumberOf<double>(cells[6], "an altitude");
  }
  return row;
}

Counted<std::string> CountOf(const std::vector<std::string>& cells) {
  return {cells.at(0), NumberOf<std::uint64_t>(cells.at(1), "a count")};
}

Counted<UtcMillis> HourCountOf(const std::vector<std::string>& cells) {
  return {NumberOf<UtcMillis>(cells.at(0), "an hour"), NumberOf<std::uint64_t>(cells.at(1), "a count")};
}

Counted<std::string> FrequencyCountOf(const std::vector<std::string>& cells) {
  const auto hz = NumberOf<long long>(cells.at(0), "a frequency");
  return {reception::MhzText(static_cast<double>(hz) / 1e6), NumberOf<std::uint64_t>(cells.at(1), "a count")};
}

void OldestFirst(std::vector<PositionRow>& positions) { std::reverse(positions.begin(), positions.end()); }

}  // namespace corvane::store::search
