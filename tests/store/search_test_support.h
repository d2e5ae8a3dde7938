// What the search tests of every store share: the real capture as the
// messages a store keeps, the queries asked of it, the plain reading of the
// stored messages that every search must agree with, and a search read page
// after page.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "decoding/latin1_text.h"
#include "reference/reference_tables.h"
#include "store/backend.h"
#include "store/search/index_row.h"
#include "store/search/watch_list.h"

namespace corvane::store::test {

// The real capture's messages as the store keeps them; every 97th raised an
// alert.
inline std::vector<StoreOp> CaptureOps() {
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars-fields.jsonl");
  if (!in) {
    ADD_FAILURE() << "the shared capture of real traffic (../shared/captures) is not on this machine";
  }
  std::vector<StoreOp> ops;
  for (std::string line; std::getline(in, line);) {
    const auto json = nlohmann::json::parse(line);
    const auto text = [&](const char* key) { return *decoding::Utf8ToLatin1(json.at(key).get<std::string>()); };
    const std::string utc = json.at("utc").get<std::string>();  // 2026-12-07T00:00:07.358Z
    StoreOp op;
    op.record = {utc.substr(2, 2) + utc.substr(5, 2) + utc.substr(8, 2),
                 utc.substr(11, 2) + utc.substr(14, 2) + utc.substr(17, 6),
                 text("mode"),
                 std::string(7 - std::min<std::size_t>(7, text("tail").size()), '.') + text("tail"),
                 text("flight"),
                 text("label"),
                 text("block_id"),
                 text("msgno"),
                 text("text")};
    if (ops.size() % 97 == 5) {
      op.alerts = {"flight:TEST"};
    }
    ops.push_back(std::move(op));
  }
  return ops;
}

inline search::Query Parsed(const std::string& text) {
  auto parsed = search::ParseQuery(text);
  EXPECT_TRUE(parsed.query) << text << ": " << (parsed.error ? DescribeError(*parsed.error) : "");
  return parsed.query.value_or(search::Query{});
}

// Queries over the capture; each finds something but the last.
inline std::vector<std::string> CaptureQueries(const std::vector<StoreOp>& ops) {
  const std::string someSecond = "2026-12-07T" + ops.at(700).record.Hour.substr(0, 2) + ":" +
                                 ops[700].record.Hour.substr(2, 2) + ":" + ops[700].record.Hour.substr(4, 2);
  return {
      "POS",
      "kjfk",
      "\"GOOD EVENING\"",
      "N 35",
      "label:H1 -POS",
      "label:h1 has:position",
      "-label:SQ has:position",
      "kind:position_report from:2026-12-07T01:00 to:2026-12-07T02:00",
      "from:" + someSecond + " to:" + someSecond,
      "tail:N8560Z",
      "address:.N8560Z",
      "address:n8560z",
      "flight:WN4899",
      "is:alert",
      "ETA -\"ETA 1\" -kind:estimated_arrival",
      "station:ELSEWHERE",
  };
}

// The positions (1-based, in the order stored) of the first `stored`
// messages the plain reading finds, newest first; `facts` are their index
// rows, `station` the station the store keeps them under.
inline std::vector<long long> PlainReading(const search::Query& query, const std::vector<StoreOp>& ops,
                                           const std::vector<search::IndexRow>& facts, std::size_t stored,
                                           std::string_view station = "") {
  std::vector<long long> found;
  for (std::size_t i = stored; i-- > 0;) {
    const auto& r = ops[i].record;
    const search::MessageFacts message{r.Data,
                                       r.Flight,
                                       r.Address,
                                       r.Label,
                                       facts[i].kind,
                                       station,
                                       facts[i].utc,
                                       facts[i].latitude.has_value(),
                                       !ops[i].alerts.empty()};
    if (search::QueryHolds(query, message)) {
      found.push_back(static_cast<long long>(i) + 1);
    }
  }
  return found;
}

// The positions of the stored messages whose readable decoding has one,
// oldest first (ties in the order stored); ids are the 1-based positions.
inline std::vector<search::PositionRow> PlainPositions(const std::vector<StoreOp>& ops,
                                                       const std::vector<search::IndexRow>& facts) {
  std::vector<search::PositionRow> found;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (facts[i].latitude) {
      const auto& r = ops[i].record;
      found.push_back({static_cast<long long>(i) + 1, facts[i].utc, r.Address, r.Flight, *facts[i].latitude,
                       *facts[i].longitude, facts[i].altitudeFt});
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.utc < b.utc; });
  return found;
}

// The counts of a statistics list by key, and whether it is largest first.
inline std::map<std::string, std::uint64_t> ByKey(const std::vector<search::Counted<std::string>>& counts) {
  std::map<std::string, std::uint64_t> byKey;
  for (const auto& [key, count] : counts) {
    EXPECT_TRUE(byKey.emplace(key, count).second) << "twice: " << key;
  }
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
    return a.count > b.count || (a.count == b.count && a.key < b.key);
  }));
  return byKey;
}

// Stores ops[from, to) in one transaction; each is taken.
inline void WriteOps(StoreBackend& backend, const std::string& name, const std::vector<StoreOp>& ops, std::size_t from,
                     std::size_t to) {
  auto session = backend.OpenSession(name);
  session->Begin();
  for (std::size_t i = from; i < to; ++i) {
    EXPECT_FALSE(session->Apply(ops[i]));
  }
  session->Commit();
}

// Every message the search finds, page after page.
inline std::vector<search::SearchHit> Searched(StoreBackend& backend, const std::string& name,
                                               const search::Query& query, std::size_t pageSize) {
  std::vector<search::SearchHit> found;
  search::SearchRequest request{query, pageSize, std::nullopt};
  for (int pages = 0; pages < 1000; ++pages) {
    const auto page = backend.Search(name, request);
    found.insert(found.end(), page.hits.begin(), page.hits.end());
    if (!page.nextBeforeId) {
      break;
    }
    request.beforeId = page.nextBeforeId;
  }
  return found;
}

}  // namespace corvane::store::test
