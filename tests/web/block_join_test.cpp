// A message sent in three blocks, through a receiver with a real SQLite
// store as corvaned wires it: each block keeps the report, summary and
// Planes row a message path of its own gives it, while the search, the
// watch list and LiveJSON take the message as one; an unfinished message
// stays findable block by block.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "decoding/message_path.h"
#include "receiver/receiver.h"
#include "reference/reference_tables.h"
#include "store/search/query.h"

namespace corvane::receiver {
namespace {

constexpr const char* kHeader = "M=2 ADDR=.N123UA TA=! ML=H1 B=%c MSN=M%s FID=UA0123\r\n";
const std::vector<std::string> kTexts = {"ALPHA BRAVO \x17", "CHARLIE DELTA \x17", "ECHO FOXTROT\x03"};

std::string BlockRecord(char block, const std::string& msn, const std::string& text) {
  char header[96];
  std::snprintf(header, sizeof header, kHeader, block, msn.c_str());
  return header + text;
}

std::vector<std::string> Column(const std::string& file, const char* sql) {
  std::vector<std::string> values;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK) {
    while (sqlite3_step(query) == SQLITE_ROW) {
      const auto* text = static_cast<const char*>(sqlite3_column_blob(query, 0));
      values.emplace_back(text != nullptr ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(query, 0)));
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return values;
}

class BlockJoinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    QDir::setCurrent(folder_.path());
    reference::FillBuiltinTables();
    receiver_.ChooseStore(store::kSqliteStore, {});
    store::StoreProgress progress;
    receiver_.StoreOpened(receiver_.OpenChosenStore(progress));
    std::string error;
    ASSERT_TRUE(watch_.Add("ALPHA FOXTROT", &error)) << error;
    receiver_.SetWatchList(watch_);
    receiver_.PublishEveryItem(true);
    QObject::connect(&receiver_, &Receiver::ItemPublished, [this](const std::string& item, const std::string& value) {
      if (item == "LiveJSON") {
        liveJson_.push_back(value);
      }
    });
  }

  // Hands the record to the receiver and to a message path of its own at
  // the same time; the path's report and summary, and whether the receiver
  // raised an alert.
  void Hand(const std::string& record, int second) {
    now_.minute = second / 60;
    now_.second = second % 60;
    receiver_.HandleCardRecord(record);
    alerted_.push_back(!receiver_.AlertsOfLast().empty());
    reports_.push_back(receiver_.Path().MessageReport());
    summaries_.push_back(receiver_.Path().LiveData());
    alone_.HandleTextRecord(record);
    aloneReports_.push_back(alone_.MessageReport());
    aloneSummaries_.push_back(alone_.LiveData());
  }

  std::vector<store::search::SearchHit> Find(const std::string& text) {
    EXPECT_TRUE(receiver_.Store().Flush(std::chrono::seconds(5)));
    store::search::SearchRequest request;
    request.query = *store::search::ParseQuery(text).query;
    return receiver_.Store().Search(store::kSqliteStore, "Corvane.db", request).hits;
  }

  QTemporaryDir folder_;
  decoding::UtcTime now_{2026, 12, 7, 12, 0, 0, 0};
  decoding::MessageOutputs nothingShown_;
  Receiver receiver_{nothingShown_, [this] { return now_; }};
  decoding::MessageOutputs aloneOutputs_;
  decoding::MessagePath alone_{reference::Global(), aloneOutputs_, [this] { return now_; }};
  store::search::WatchList watch_;
  std::vector<std::string> liveJson_, reports_, summaries_, aloneReports_, aloneSummaries_;
  std::vector<bool> alerted_;
};

TEST_F(BlockJoinTest, ThreeBlocksAreOneMessageToReadSearchAndWatchWhileEachKeepsItsOwnRecordPath) {
  Hand(BlockRecord('1', "01A", kTexts[0]), 0);
  Hand(BlockRecord('2', "01B", kTexts[1]), 5);
  Hand(BlockRecord('3', "01C", kTexts[2]), 9);

  EXPECT_EQ(reports_, aloneReports_);
  EXPECT_EQ(summaries_, aloneSummaries_);
  ASSERT_TRUE(receiver_.Store().Flush(std::chrono::seconds(5)));
  EXPECT_EQ(Column("Corvane.db", "SELECT Data FROM Planes ORDER BY rowid;"), kTexts);

  const std::string whole = "ALPHA BRAVO CHARLIE DELTA ECHO FOXTROT";
  for (const char* word : {"ALPHA", "DELTA", "FOXTROT", "flight:UA0123"}) {
    const auto hits = Find(word);
    ASSERT_EQ(hits.size(), 1U) << word;
    EXPECT_EQ(hits[0].blocks, 3U);
    EXPECT_EQ(hits[0].wholeText, whole);
    EXPECT_EQ(hits[0].record.Data, kTexts[2]);
  }
  EXPECT_EQ(alerted_, (std::vector<bool>{false, false, true})) << "ALPHA and FOXTROT are in the whole text alone";
  ASSERT_EQ(liveJson_.size(), 3U);
  EXPECT_EQ(liveJson_[0].find("\"blocks\""), std::string::npos);
  EXPECT_NE(liveJson_[2].find("\"blocks\":3,\"whole_text\":\"" + whole + "\""), std::string::npos) << liveJson_[2];
  EXPECT_NE(liveJson_[2].find("\"alerts\":[\"ALPHA FOXTROT\"]"), std::string::npos) << liveJson_[2];

  // The same last block again is found in the message it repeats.
  Hand(BlockRecord('3', "01C", kTexts[2]), 12);
  EXPECT_EQ(Find("FOXTROT").size(), 1U);
  EXPECT_EQ(Column("Corvane.db", "SELECT Data FROM Planes;").size(), 4U);
}

TEST_F(BlockJoinTest, TheBlocksOfAnUnfinishedOrBrokenMessageStayFoundEachAsItself) {
  Hand(BlockRecord('1', "02A", "GOLF HOTEL \x17"), 0);
  Hand(BlockRecord('2', "02B", "INDIA JULIET \x17"), 5);  // the last never comes
  Hand(BlockRecord('3', "03A", "KILO \x17"), 10);
  Hand(BlockRecord('4', "03C", "LIMA\x03"), 15);  // B is missing
  Hand(BlockRecord('5', "04A", "MIKE \x17"), 20);
  Hand(BlockRecord('6', "04B", "NOVEMBER\x03"), 150);  // too late

  EXPECT_EQ(reports_, aloneReports_);
  EXPECT_EQ(summaries_, aloneSummaries_);
  EXPECT_EQ(Find("flight:UA0123").size(), 6U);
  for (const char* word : {"GOLF", "JULIET", "KILO", "LIMA", "MIKE", "NOVEMBER"}) {
    const auto hits = Find(word);
    ASSERT_EQ(hits.size(), 1U) << word;
    EXPECT_EQ(hits[0].blocks, 0U) << word;
  }
  EXPECT_EQ(Column("Corvane.db", "SELECT count(*) FROM MessageIndex WHERE PartOf IS NOT NULL;"),
            std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace corvane::receiver
