// Messages in blocks through a receiver with a real SQLite store: each
// block keeps its report, summary and stored row, a complete message is
// one hit, alert and LiveJSON object, an unfinished one a hit a block.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>

#include "receiver/receiver.h"
#include "reference/reference_tables.h"
#include "store/search/query.h"

namespace corvane::receiver {
namespace {

TEST(BlockJoin, AMessageInBlocksIsOneToSearchWatchAndReadWhileEachBlockKeepsItsRecordPath) {
  QTemporaryDir folder;
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  reference::FillBuiltinTables();
  decoding::UtcTime now{2026, 12, 7, 12, 0, 0, 0};
  decoding::MessageOutputs nothingShown;
  store::StoreProgress progress;
  Receiver receiver(nothingShown, [&] { return now; });
  decoding::MessagePath alone(reference::Global(), nothingShown, [&] { return now; });  // the path as it was
  receiver.ChooseStore(store::kSqliteStore, {});
  receiver.StoreOpened(receiver.OpenChosenStore(progress));
  receiver.SetWatchList(store::search::WatchList::FromLines("ALPHA FOXTROT", nullptr));
  receiver.PublishEveryItem(true);
  std::string liveJson;
  QObject::connect(&receiver, &Receiver::ItemPublished, [&](const std::string& item, const std::string& value) {
    liveJson = item == "LiveJSON" ? value : liveJson;
  });
  std::string texts;  // what the stored rows' texts must be, in order
  std::vector<bool> alerted;
  const auto hand = [&](const std::string& msn, const std::string& text, int second) {
    now.minute = second / 60;
    now.second = second % 60;
    const std::string record = "M=2 ADDR=.N123UA TA=! ML=H1 B=5 MSN=" + msn + " FID=UA0123\r\n" + text;
    receiver.HandleCardRecord(record);
    alone.HandleTextRecord(record);
    EXPECT_EQ(receiver.Path().MessageReport(), alone.MessageReport()) << msn;
    EXPECT_EQ(receiver.Path().LiveData(), alone.LiveData()) << msn;
    alerted.push_back(!receiver.AlertsOfLast().empty());
    texts += text + "--\r\n";
  };
  const auto find = [&](const std::string& query) {
    EXPECT_TRUE(receiver.Store().Flush(std::chrono::seconds(5)));
    store::search::SearchRequest request;
    request.query = *store::search::ParseQuery(query).query;
    return receiver.Store().Search(store::kSqliteStore, "Corvane.db", request).hits;
  };

  hand("M01A", "ALPHA BRAVO \x17", 0);
  hand("M01B", "CHARLIE DELTA \x17", 5);
  hand("M01C", "ECHO FOXTROT\x03", 9);
  const std::string whole = "ALPHA BRAVO CHARLIE DELTA ECHO FOXTROT";
  EXPECT_NE(liveJson.find("\"blocks\":3,\"whole_text\":\"" + whole + "\""), std::string::npos) << liveJson;
  EXPECT_EQ(alerted, (std::vector<bool>{false, false, true})) << "ALPHA and FOXTROT: in the whole text alone";
  hand("M01C", "ECHO FOXTROT\x03", 12);  // the last block again
  for (const char* query : {"ALPHA", "DELTA", "FOXTROT", "flight:UA0123"}) {
    const auto hits = find(query);
    ASSERT_EQ(hits.size(), 1U) << query;
    EXPECT_EQ(hits[0].blocks, 3U);
    EXPECT_EQ(hits[0].wholeText, whole);
  }

  hand("M02A", "GOLF \x17", 20);
  hand("M02B", "HOTEL \x17", 25);           // its last block never comes
  const auto hits = find("flight:UA0123");  // newest first: each block alone, then the joined message
  ASSERT_EQ(hits.size(), 3U);
  EXPECT_TRUE(std::all_of(hits.begin(), hits.end() - 1, [](const auto& hit) { return hit.blocks == 0; }));
  const std::string history = receiver.Store().PlaneHistory(store::kSqliteStore, "Corvane.db", ".N123UA", "261207");
  std::string rows;  // each row's text, its heading left out
  for (auto at = history.find("UA0123\r\n"); at != std::string::npos; at = history.find("UA0123\r\n", at)) {
    at += 8;
    rows += history.substr(at, history.find("--\r\n", at) + 4 - at);
  }
  EXPECT_EQ(rows, texts);
}

}  // namespace
}  // namespace corvane::receiver
