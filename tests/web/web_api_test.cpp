// The page's API over a real SQLite store: a click on a bar of the station
// or label chart (the query the page makes of its key) finds what the bar
// counts, and a stored readable decoding or alerts text that does not parse
// is left out of an answer, which stays JSON.
#include "web/web_api.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../decoding/scratch_dir.h"
#include "../store/store_test_support.h"
#include "decoding/text_record.h"
#include "decoding/utc_clock.h"
#include "store/search/hit_json.h"

namespace corvane::web {
namespace {

using Json = nlohmann::json;

constexpr const char* kOwnStation = "Home loft";

// The answer to GET path?q=text, its work run at once; discarded when its
// body is not JSON.
Json Asked(const WebSources& sources, const char* path, const std::string& text = {}) {
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("q"), QString::fromStdString(text));
  auto routed = RouteApi(QString::fromLatin1(path), query, sources, false);
  const HttpAnswer answer =
      std::holds_alternative<StoreWork>(routed) ? std::get<StoreWork>(routed)()() : std::get<HttpAnswer>(routed);
  EXPECT_EQ(answer.status, 200) << text << ": " << answer.body.toStdString();
  return Json::parse(answer.body.toStdString(), nullptr, false);
}

class WebApi : public ::testing::Test {
 protected:
  void SetUp() override {
    tables_.FillBuiltinTables();
    name_ = (scratch_.path() / "Corvane").string();
    store::StoreProgress progress;
    database_.OpenStore(store::kSqliteStore, name_, progress);
    sources_.store = [this] { return StoreAccess{&database_, store::kSqliteStore, name_, {}}; };
    sources_.station = [] { return std::string(kOwnStation); };
    sources_.tables = [this] { return &tables_; };
  }

  // A message received today (so that the charts of today count it).
  void Store(const std::string& label, const std::string& text) {
    auto record =
        store::test::Message(decoding::DateField(decoding::SystemUtcNow()), "000000.000", ".N123AB", "BA0306", text);
    record.Label = label;
    database_.StoreMessage(store::kSqliteStore, name_, record);
  }

  test_support::ScratchDir scratch_;
  reference::ReferenceTables tables_;
  store::Database database_{tables_};
  std::string name_;
  WebSources sources_;
};

TEST_F(WebApi, EachStationAndLabelBarFindsTheMessagesItCounts) {
  Store("H1", "POS N35");
  Store("_ ", "");  // the uplink acknowledgement's label ("_" and DEL), as the receiver stores it
  Store("_ ", "");
  database_.SetRelayedStation("Z\xC3\xBCrich");
  Store("H1", "ETA 1200");
  database_.SetRelayedStation({});
  ASSERT_TRUE(database_.Flush(std::chrono::seconds(5)));

  const Json stats = Asked(sources_, "/api/stats");
  ASSERT_FALSE(stats.is_discarded());
  std::map<std::string, std::uint64_t> bars;
  for (const char* series : {"byStation", "byLabel"}) {
    const std::string field = series == std::string("byStation") ? "station:" : "label:";
    for (const auto& bar : stats.at(series)) {
      // The page quotes a key that is not only letters and digits, keeping it whole.
      const std::string query = field + "\"" + bar.at("key").get<std::string>() + "\"";
      bars[query] = bar.at("count").get<std::uint64_t>();
      EXPECT_EQ(Asked(sources_, "/api/count", query).value("count", -1), bars[query]) << query;
    }
  }
  EXPECT_EQ(
      bars,
      (std::map<std::string, std::uint64_t>{
          {"station:\"Home loft\"", 3}, {"station:\"Z\xC3\xBCrich\"", 1}, {"label:\"H1\"", 2}, {"label:\"_ \"", 2}}));
}

TEST_F(WebApi, AStoredTextThatDoesNotParseIsLeftOutAndTheAnswerStaysJson) {
  Store("H1", "POS N35");
  Store("H1", "POS N36");
  ASSERT_TRUE(database_.Flush(std::chrono::seconds(5)));
  ASSERT_TRUE(store::test::Exec(name_,
                                "UPDATE MessageIndex SET Readable = '{\"broken', Alerts = '[1,' WHERE Id = 1;"
                                "UPDATE MessageIndex SET Alerts = '[\"POS\"]' WHERE Id = 2;"));

  const Json found = Asked(sources_, "/api/search", "POS");
  ASSERT_FALSE(found.is_discarded());
  ASSERT_EQ(found.at("hits").size(), 2U);
  EXPECT_EQ(found["hits"][0].at("alerts"), Json::array({"POS"}));
  EXPECT_FALSE(found["hits"][1].contains("readable") || found["hits"][1].contains("alerts"));

  // The one writer of a hit for corvane-search and the Search window's export.
  store::search::SearchHit hit;
  hit.readable = "{\"broken";
  hit.alerts = "[\"POS\"]";
  const Json line = Json::parse(store::search::HitJsonLine(hit), nullptr, false);
  ASSERT_FALSE(line.is_discarded());
  EXPECT_FALSE(line.contains("readable"));
  EXPECT_EQ(line.at("alerts"), Json::array({"POS"}));
}

}  // namespace
}  // namespace corvane::web
