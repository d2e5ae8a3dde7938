// Fuzz target: any bytes as a search query (up to the first newline) and a
// message text (the rest). Reading the query must give a query or an error
// that points inside it, never both; a query a watch list takes must match
// the text through the list's one-pass matching exactly when the plain
// reading says it holds.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "store/search/query.h"
#include "store/search/watch_list.h"

using corvane::fuzz::Require;
namespace search = corvane::store::search;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = bytes.find('\n');
  const std::string_view query = bytes.substr(0, newline);
  const std::string_view text = newline == std::string_view::npos ? std::string_view() : bytes.substr(newline + 1);

  const auto parsed = search::ParseQuery(query);
  Require(parsed.query.has_value() != parsed.error.has_value());
  if (parsed.error) {
    Require(parsed.error->column <= query.size());
    return 0;
  }
  Require(search::TextWords(search::IndexText(text)) == search::TextWords(text));
  const search::MessageFacts message{text, "BA0306", ".G-EUPT", "H1", "position_report", "HOME", 0, true, false};
  const bool holds = search::QueryHolds(*parsed.query, message);
  search::WatchList list;
  if (list.Add(query, nullptr)) {
    std::vector<std::size_t> matched;
    list.Match(message, matched);
    Require(matched.size() == (holds ? 1U : 0U));
  }
  return 0;
}
