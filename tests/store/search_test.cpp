// Search where a fault could hide: the query language's errors say where,
// every query over the real capture stored in SQLite and in the Jet layout
// finds exactly what a plain reading of the stored messages finds (page by
// page), messages stored before the index are indexed later and a deletion
// leaves the index whole, and the watch list matches as the plain reading
// does.
#include <gtest/gtest.h>

#include "../decoding/scratch_dir.h"
#include "search_test_support.h"
#include "store/jet/jet_backend.h"
#include "store/search/index_row.h"
#include "store/search/query_plan.h"
#include "store/search/watch_list.h"
#include "store/sqlite/sqlite_backend.h"
#include "store_test_support.h"

namespace corvane::store::test {
namespace {

using search::ParseQuery;
using search::Query;
using test_support::ScratchDir;

class Search : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    tables.FillBuiltinTables();
    backend = GetParam() ? std::unique_ptr<StoreBackend>(new JetBackend) : std::make_unique<SqliteBackend>();
    name = (scratch.path() / "Corvane").string() + std::string(backend->Extension());
    backend->CreateDatabase(name);
    backend->CreateTables(name);
    ops = CaptureOps();
    for (const auto& op : ops) {
      const auto row = search::IndexRowOf(op, tables);
      facts.push_back(row);
    }
  }

  void Write(std::size_t from, std::size_t to) { WriteOps(*backend, name, ops, from, to); }

  // The row numbers (1-based, as stored) of the messages the plain reading
  // finds, newest first.
  std::vector<long long> PlainScan(const Query& query, std::size_t stored) {
    return PlainReading(query, ops, facts, stored);
  }

  // Every row the search finds, page after page.
  std::vector<long long> Searched(const Query& query, std::size_t pageSize) {
    std::vector<long long> found;
    for (const auto& hit : test::Searched(*backend, name, query, pageSize)) {
      found.push_back(hit.id);
    }
    return found;
  }

  ScratchDir scratch;
  reference::ReferenceTables tables;
  std::unique_ptr<StoreBackend> backend;
  std::string name;
  std::vector<StoreOp> ops;
  std::vector<search::IndexRow> facts;
};

TEST(SearchQuery, ErrorsSayWhatAndWhere) {
  const auto error = [](const std::string& text) {
    const auto parsed = ParseQuery(text);
    return parsed.error ? DescribeError(*parsed.error) : std::string("no error");
  };
  EXPECT_EQ(error("label:H1 flihgt:BA306"),
            "column 10: unknown field \"flihgt:\" (known: flight, tail, address, "
            "label, kind, station, from, to, has:position, is:alert, freq, link, level)");
  EXPECT_EQ(error("POS \"GOOD EVENING"), "column 5: the quote opened here is never closed");
  EXPECT_EQ(error("from:2026-13-01"),
            "column 1: \"from:2026-13-01\" is not a UTC date (2026-12-07) or date and "
            "time (2026-12-07T21:53 or 2026-12-07T21:53:16)");
  EXPECT_EQ(error("MEDICAL OR FIRE"),
            "column 9: \"OR\" is not supported: all terms must hold (use several "
            "searches instead)");
  EXPECT_EQ(error("  AND "), "column 1: nothing to search for");
  EXPECT_EQ(error("-POS"), "column 1: a query needs at least one term that is not excluded with \"-\"");
  EXPECT_EQ(error("flight:"), "column 1: \"flight:\" needs a value");
  EXPECT_EQ(error("*^()"), "column 1: \"*^()\" has no letters or digits to search for");
  EXPECT_EQ(error(std::string(2'000'000, 'A')), "column 4097: the query is longer than 4096 characters");
  // What FTS5 would read as its own syntax is only words here.
  const Query words = Parsed(std::string("NEAR(a b) 12:30* ^c ") + '\0' + "d");
  ASSERT_EQ(words.terms.size(), 5U);
  EXPECT_EQ(words.terms[0].words, (std::vector<std::string>{"NEAR", "A"}));
  EXPECT_EQ(words.terms[2].words, (std::vector<std::string>{"12", "30"}));
  EXPECT_EQ(words.terms[4].words, (std::vector<std::string>{"D"}));
  // Field values as compared; a date alone ends on its last millisecond.
  const Query fields = Parsed("flight:ba0306 tail:n-123ua address:.N123UA from:2026-12-07 to:2026-12-07");
  EXPECT_EQ(fields.terms[0].value, "BA306");
  EXPECT_EQ(fields.terms[1].value, "N123UA");
  EXPECT_EQ(fields.terms[2].value, "N123UA");
  EXPECT_EQ(fields.terms[4].time - fields.terms[3].time, 86'400'000 - 1);
  // Inside quotes a quote written twice is one quote of the value, spaces
  // and all kept; a doubled quote does not close the value.
  const Query quoted = Parsed(R"(label:"A""" station:"Bob's ""North"" site " "SAY ""HI"" NOW")");
  ASSERT_EQ(quoted.terms.size(), 3U);
  EXPECT_EQ(quoted.terms[0].value, "A\"");
  EXPECT_EQ(quoted.terms[1].value, "Bob's \"North\" site ");
  EXPECT_EQ(quoted.terms[2].words, (std::vector<std::string>{"SAY", "HI", "NOW"}));
  // Frequencies in MHz to the Hz, trailing zeros not counted; levels as one
  // number, a range with an open end, or a bound.
  const Query reception = Parsed("freq:131.7250 freq:8.927 link:VDL2 level:-20..-5 level:..-30 level:>=-10");
  EXPECT_EQ(reception.terms[0].hz, 131'725'000);
  EXPECT_EQ(reception.terms[1].hz, 8'927'000);
  EXPECT_EQ(reception.terms[2].value, "vdl2");
  EXPECT_EQ(reception.terms[3].range.low, -20);
  EXPECT_EQ(reception.terms[3].range.high, -5);
  EXPECT_FALSE(reception.terms[4].range.low);
  EXPECT_EQ(reception.terms[5].range.low, -10);
  EXPECT_FALSE(reception.terms[5].range.lowStrict);
  EXPECT_TRUE(Parsed("level:<-3").terms[0].range.highStrict);
  EXPECT_EQ(error("freq:131.7251234"), "column 1: \"freq:131.7251234\" is not a frequency in MHz (131.725)");
  EXPECT_EQ(error("freq:131,725"), "column 1: \"freq:131,725\" is not a frequency in MHz (131.725)");
  EXPECT_EQ(error("link:satellite"), "column 1: \"link:\" is one of acars, vdl2, hfdl, satcom");
  for (const char* bad : {"level:-5..-20", "level:..", "level:>", "level:loud", "level:-20..-5..0"}) {
    EXPECT_EQ(error(bad), "column 1: \"" + std::string(bad) + "\" is not a level or range (-12, -20..-5, >-10, <=-30)");
  }
  const auto unclosed = ParseQuery(R"(POS label:"A"")");
  ASSERT_TRUE(unclosed.error.has_value());
  EXPECT_EQ(DescribeError(*unclosed.error), "column 11: the quote opened here is never closed");
}

TEST(SearchPlan, SortsTheTermsAndNarrowsOneTimeRange) {
  Query query = Parsed("POS \"N 35\" -FPN -\"ETA 1\" -label:SQ station:\"Home loft\" station:Oslo has:position");
  query.ownStation = "Home loft";
  const search::QueryPlan plan = search::PlanQuery(query);
  ASSERT_EQ(plan.text.size(), 2U);
  EXPECT_FALSE(plan.text[0].IsPhrase());
  EXPECT_EQ(plan.text[1].words, (std::vector<std::string>{"N", "35"}));
  ASSERT_EQ(plan.excludedText.size(), 2U);
  EXPECT_EQ(plan.excludedText[1].words, (std::vector<std::string>{"ETA", "1"}));
  ASSERT_EQ(plan.fields.size(), 4U);
  EXPECT_TRUE(plan.fields[0].excluded);
  // This receiver's station also under no name; presence needs no value.
  EXPECT_EQ(plan.fields[1].values, (std::vector<std::string>{"Home loft", ""}));
  EXPECT_EQ(plan.fields[2].values, (std::vector<std::string>{"Oslo"}));
  EXPECT_TRUE(plan.fields[3].values.empty());
  EXPECT_TRUE(plan.ReadsIndexRow());
  EXPECT_FALSE(plan.ReadsStoredMessage());
  EXPECT_FALSE(plan.received.from || plan.received.to);

  // Excluded times keep the other side: the range is 02:00 (after the
  // excluded minute 01:59) to just before 04:00.
  const auto range = search::PlanQuery(Parsed("address:N1 from:2026-12-07T01:00 to:2026-12-07T05:00"
                                              " -to:2026-12-07T01:59 -from:2026-12-07T04:00"))
                         .received;
  const search::UtcMillis day = search::PlanQuery(Parsed("from:2026-12-07")).received.from.value();
  EXPECT_EQ(range.from, day + 2 * 3'600'000);
  EXPECT_EQ(range.to, day + 4 * 3'600'000 - 1);

  // A page fetches one hit more than it shows, within the largest page.
  const search::PagePlan page = search::PlanPage({Parsed("address:N1"), 50'000, 77});
  EXPECT_EQ(page.limit, search::kMaxPage);
  EXPECT_EQ(page.Fetched(), search::kMaxPage + 1);
  EXPECT_EQ(page.beforeId, 77);
  EXPECT_TRUE(page.query.ReadsStoredMessage());
  EXPECT_FALSE(page.query.ReadsIndexRow());
}

TEST_P(Search, EveryQueryFindsExactlyWhatAPlainReadingFinds) {
  Write(0, ops.size());
  const std::vector<std::string> queries = CaptureQueries(ops);
  for (const auto& text : queries) {
    const Query query = Parsed(text);
    const auto expected = PlainScan(query, ops.size());
    if (text != "station:ELSEWHERE") {
      EXPECT_FALSE(expected.empty()) << text;  // each query has something to find
    }
    EXPECT_EQ(Searched(query, 37), expected) << text;
    EXPECT_EQ(backend->CountMatches(name, query), expected.size()) << text;
  }
  EXPECT_GT(PlainScan(Parsed("has:position"), ops.size()).size(), 300U);
  // What FTS5 would read as its own syntax is searched for as words.
  for (const std::string text : {"NEAR(POS N35)", "\"AND\" \"OR\" \"NOT\"", "POS* ^N35 col:x", "\"POS\"\"N\""}) {
    const Query query = Parsed(text.substr(0, text.find(" col:")));
    EXPECT_EQ(Searched(query, 50), PlainScan(query, ops.size())) << text;
  }
}

TEST_P(Search, OlderMessagesAreIndexedInBatchesAndADeletionLeavesTheIndexWhole) {
  // Messages stored by a program that kept no index.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(name.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Planes VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9);", -1, &insert, nullptr);
    for (std::size_t i = 0; i < 1500; ++i) {
      const auto& r = ops[i].record;
      int column = 1;
      for (const std::string* value :
           {&r.Date, &r.Hour, &r.Mode, &r.Address, &r.Flight, &r.Label, &r.Bloc, &r.Msn, &r.Data}) {
        sqlite3_bind_text(insert, column++, value->data(), static_cast<int>(value->size()), SQLITE_TRANSIENT);
      }
      ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (auto& op : ops) {
      op.alerts.clear();  // what was stored before the index raised no alert
    }
  }
  // The writer opens the store: the newer messages are indexed as they come,
  // the older ones a batch at a time, resumed by a second session.
  Write(1500, ops.size());
  EXPECT_EQ(backend->IndexingProgress(name).done, 0U);
  EXPECT_EQ(backend->IndexingProgress(name).total, 1500U);
  {
    auto session = backend->OpenSession(name);
    session->Begin();
    EXPECT_EQ(session->IndexOlder(1000)->done, 1000U);
    session->Commit();
  }
  auto session = backend->OpenSession(name);
  session->Begin();
  const auto progress = session->IndexOlder(1000);
  session->Commit();
  EXPECT_TRUE(progress->Finished());
  EXPECT_EQ(progress->done, 1500U);
  const Query query = Parsed("label:H1 POS");
  EXPECT_EQ(Searched(query, 100), PlainScan(query, ops.size()));

  // An aircraft deleted: its messages leave the text index too, which stays
  // sound.
  StoreOp deletion;
  deletion.kind = StoreOp::Kind::Delete;
  deletion.record.Address = ".N8560Z";
  session->Begin();
  session->Apply(deletion);
  session->Commit();
  EXPECT_EQ(backend->CountMatches(name, Parsed("tail:N8560Z")), 0U);
  EXPECT_TRUE(Exec(name, "INSERT INTO MessageWords(MessageWords, rank) VALUES('integrity-check', 1);"));
  const auto remaining = Select(name, "SELECT COUNT(*) FROM Planes;");
  EXPECT_EQ(std::to_string(backend->CountMatches(name, Parsed("from:2000-01-01"))), remaining.at(0).at(0));
}

TEST_P(Search, PositionsAndStatisticsAreThoseOfAPlainReading) {
  Write(0, ops.size());
  const auto plain = PlainPositions(ops, facts);
  ASSERT_GT(plain.size(), 300U);
  EXPECT_EQ(backend->Positions(name, 0, 1'000'000), plain);
  // From a message's own time on; the limit keeps the newest, oldest first.
  const search::UtcMillis since = plain[plain.size() / 2].utc;
  const auto first = std::find_if(plain.begin(), plain.end(), [&](const auto& p) { return p.utc >= since; });
  EXPECT_EQ(backend->Positions(name, since, 1'000'000), std::vector(first, plain.end()));
  EXPECT_EQ(backend->Positions(name, since, 25), std::vector(plain.end() - 25, plain.end()));
  EXPECT_EQ(backend->Positions(name, plain.back().utc + 1, 10).size(), 0U);

  // The range holds its first millisecond, not its last.
  const search::UtcMillis from = facts[300].utc;
  const search::UtcMillis to = facts[1200].utc;
  std::uint64_t inRange = 0;
  std::map<std::string, std::uint64_t> labels;
  std::map<std::string, std::uint64_t> aircraft;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (facts[i].utc >= from && facts[i].utc < to) {
      ++inRange;
      ++labels[facts[i].label];
      aircraft[ops[i].record.Address] += facts[i].tailKey.empty() ? 0 : 1;
    }
  }
  const auto statistics = backend->StatisticsOf(name, from, to, 5);
  EXPECT_EQ(statistics.Total(), inRange);
  EXPECT_EQ(ByKey(statistics.byLabel), labels);
  EXPECT_EQ(ByKey(statistics.byStation), (std::map<std::string, std::uint64_t>{{"", inRange}}));
  std::uint64_t kinds = 0;
  for (const auto& [kind, count] : ByKey(statistics.byKind)) {
    kinds += count;
  }
  EXPECT_EQ(kinds, inRange);
  for (std::size_t i = 0; i < statistics.byHour.size(); ++i) {
    EXPECT_EQ(statistics.byHour[i].key % search::kHourMillis, 0);
    EXPECT_TRUE(i == 0 || statistics.byHour[i - 1].key < statistics.byHour[i].key);
  }
  ASSERT_EQ(statistics.topAircraft.size(), 5U);
  const auto top = ByKey(statistics.topAircraft);
  for (const auto& [address, count] : aircraft) {
    if (top.contains(address)) {
      EXPECT_EQ(top.at(address), count) << address;
    } else {
      EXPECT_LE(count, statistics.topAircraft.back().count) << address;
    }
  }
}

// What the decoders knew: counted by frequency and link over the range as a
// plain reading counts them (a card's messages left out), and removed with
// their messages by a deletion and by retention, so that no fact outlives
// its message.
TEST_P(Search, ReceptionFactsAreCountedAndLeaveWithTheirMessages) {
  for (std::size_t i = 0; i < ops.size(); i += 3) {
    ops[i].facts.frequencyMhz = i % 2 == 0 ? 131.725 : 136.975;
    ops[i].facts.link = i % 2 == 0 ? "acars" : "vdl2";
    ops[i].facts.level = -20.5;
  }
  Write(0, ops.size());
  const search::UtcMillis from = facts[100].utc;
  const search::UtcMillis to = facts[900].utc;
  std::map<std::string, std::uint64_t> frequencies;
  std::map<std::string, std::uint64_t> links;
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (facts[i].utc >= from && facts[i].utc < to && !ops[i].facts.Empty()) {
      ++frequencies[reception::MhzText(*ops[i].facts.frequencyMhz)];
      ++links[ops[i].facts.link];
    }
  }
  const auto statistics = backend->StatisticsOf(name, from, to, 5);
  EXPECT_EQ(ByKey(statistics.byFrequency), frequencies);
  EXPECT_EQ(ByKey(statistics.byLink), links);
  const auto hit = test::Searched(*backend, name, Parsed("freq:136.975"), 1).front();
  EXPECT_EQ(hit.facts, ops.at(static_cast<std::size_t>(hit.id - 1)).facts);

  const auto orphans = [this] {
    return Select(name, "SELECT COUNT(*) FROM MessageReception WHERE Id NOT IN (SELECT rowid FROM Planes);");
  };
  StoreOp deletion;
  deletion.kind = StoreOp::Kind::Delete;
  deletion.record.Address = ops[0].record.Address;
  auto session = backend->OpenSession(name);
  session->Begin();
  session->Apply(deletion);
  session->Commit();
  EXPECT_EQ(orphans().at(0).at(0), "0");
  session->Begin();
  EXPECT_GT(session->Prune({facts[600].utc, facts[600].utc, 100000}), 0U);
  session->Commit();
  EXPECT_EQ(orphans().at(0).at(0), "0");
  const auto left = Select(name, "SELECT COUNT(*) FROM MessageReception WHERE FreqHz = 131725000;").at(0).at(0);
  EXPECT_NE(left, "0");
  EXPECT_EQ(std::to_string(backend->CountMatches(name, Parsed("freq:131.725"))), left);
}

// A search while the writer holds a large batch open: it is answered, from
// the store as it was before the batch (a writer whose page cache spills
// would hold the file's exclusive lock and shut the search out).
TEST_P(Search, ASearchIsAnsweredWhileALargeBatchIsBeingWritten) {
  Write(0, 100);
  auto session = backend->OpenSession(name);
  session->Begin();
  constexpr std::size_t kRounds = 4;  // about 8,700 messages: more than a default page cache holds
  for (std::size_t round = 0; round < kRounds; ++round) {
    for (const StoreOp& op : ops) {
      session->Apply(op);
    }
  }
  EXPECT_EQ(backend->CountMatches(name, Parsed("from:2000-01-01")), 100U);
  session->Commit();
  EXPECT_EQ(backend->CountMatches(name, Parsed("from:2000-01-01")), 100U + kRounds * ops.size());
}

INSTANTIATE_TEST_SUITE_P(SqliteAndJet, Search, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Jet" : "Sqlite"; });

TEST(WatchList, MatchesAsThePlainReadingDoesAndSaysWhichLinesItCannotRead) {
  std::vector<search::WatchError> errors;
  const auto list = search::WatchList::FromLines(
      "# watched\r\nMEDICAL\n\"go around\"\nflight:BA306\ntail:G-EUPT label:H1\nkind:cpdlc_message -label:AA\n"
      "from:2026-12-07\nflihgt:X\nhas:position POS\n",
      &errors);
  ASSERT_EQ(errors.size(), 2U);
  EXPECT_EQ(errors[0].line, 7U);
  EXPECT_EQ(errors[1].line, 8U);
  ASSERT_EQ(list.Entries().size(), 6U);
  std::vector<std::size_t> matched;
  const auto match = [&](search::MessageFacts message) {
    list.Match(message, matched);
    return matched;
  };
  using Found = std::vector<std::size_t>;
  EXPECT_EQ(match({"PAX NEEDS MEDICAL HELP", "", "", "5Z", "", "", 0, false, false}), Found{0});
  EXPECT_EQ(match({"medical.", "", "", "5Z", "", "", 0, false, false}), Found{0});
  EXPECT_EQ(match({"MEDICALLY FINE", "", "", "5Z", "", "", 0, false, false}), Found{});
  EXPECT_EQ(match({"WE MADE A GO-AROUND", "BA0306", "", "5Z", "", "", 0, false, false}), (Found{1, 2}));
  EXPECT_EQ(match({"AROUND GO", "", ".G-EUPT", "H1", "", "", 0, false, false}), Found{3});
  EXPECT_EQ(match({"", "", "GEUPT", "H1", "", "", 0, false, false}), Found{3});
  EXPECT_EQ(match({"", "", "", "BA", "cpdlc_message", "", 0, false, false}), Found{4});
  EXPECT_EQ(match({"", "", "", "AA", "cpdlc_message", "", 0, false, false}), Found{});
  EXPECT_EQ(match({"POS N35", "", "", "H1", "", "", 0, true, false}), Found{5});
  EXPECT_EQ(match({"POS N35", "", "", "H1", "", "", 0, false, false}), Found{});
}

}  // namespace
}  // namespace corvane::store::test
