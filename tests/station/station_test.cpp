// The station's start: the steps run in order and stop at the first one the
// front will not go on without; watch list lines that cannot be read are
// said, never silently dropped; the store's outcome (opened, none chosen, in
// use by another receiver) reaches the front once, after the other steps;
// and what the receiver counts for the station's health and metrics.
#include "station/station.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace corvane::station {
namespace {

// Records what the station tells its front; goOn decides failed steps.
class RecordingFront : public StationFront {
 public:
  explicit RecordingFront(bool goOn) : goOn_(goOn) {}
  void Say(const std::string& line) override { said.push_back(line); }
  bool GoOnWithout(Step step, const std::string& why) override {
    failed.emplace_back(step, why);
    return goOn_;
  }
  void Warn(Step /*step*/, const std::string& warning) override { warnings.push_back(warning); }
  void StoreOpenEnded(const std::optional<std::string>& name, const std::string& why) override {
    stores.emplace_back(name, why);
  }
  [[nodiscard]] bool SaidSomething(const std::string& part) const {
    return std::any_of(said.begin(), said.end(),
                       [&](const std::string& line) { return line.find(part) != std::string::npos; });
  }

  std::vector<std::string> said;
  std::vector<std::pair<Step, std::string>> failed;
  std::vector<std::string> warnings;
  std::vector<std::pair<std::optional<std::string>, std::string>> stores;

 private:
  bool goOn_;
};

// A card record's header, its text to follow.
constexpr char kRecordHead[] = "M=2 ADDR=N123UA TA=! ML=H1 B=5 MSN=M01A FID=UA0123\r\n";

// A receiver, its worker and a station, as a front end holds them.
struct StationRun {
  explicit StationRun(bool goOn) : front(goOn) {}
  decoding::MessageOutputs nothingShown;
  receiver::Receiver receiver{nothingShown};
  receiver::BackgroundCalls calls;
  RecordingFront front;
  Station station{receiver, calls, front};
};

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

class StationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    QDir::setCurrent(folder_.path());  // the SQLite store lands in the current folder
    settings_.StationName = "north";
    settings_.Alerts = "label:H1\nlabel:\"unclosed\n";
    settings_.HttpAddress = "127.0.0.1:0";
    settings_.Database = store::kSqliteStore;
  }
  QTemporaryDir folder_;
  config::Settings settings_;
};

TEST_F(StationTest, AFailedStepEndsTheStartOnlyWhenTheFrontSaysSo) {
  settings_.MqttUrl = "mqtt://broker:0";  // a port no broker has
  StationRun ending(false);
  EXPECT_FALSE(ending.station.Start(settings_, {}));
  ASSERT_EQ(ending.front.failed.size(), 1U);
  EXPECT_EQ(ending.front.failed[0].first, Step::Mqtt);
  EXPECT_FALSE(ending.front.failed[0].second.empty());
  // Nothing after the failed step ran: no page, no store chosen.
  EXPECT_EQ(ending.station.Web(), nullptr);
  EXPECT_TRUE(ending.front.stores.empty());
  EXPECT_EQ(ending.receiver.ChosenStore(), decoding::kNoStore);
  // The watch list before it did run, and its unreadable line was said.
  EXPECT_EQ(ending.receiver.WatchList().Entries().size(), 1U);
  EXPECT_TRUE(ending.front.SaidSomething("watch list (setting Alerts) line 2 left out"));

  StationRun goingOn(true);
  EXPECT_TRUE(goingOn.station.Start(settings_, {}));
  EXPECT_NE(goingOn.station.Web(), nullptr);
  EXPECT_TRUE(goingOn.front.SaidSomething("web page at http://127.0.0.1:"));
  ASSERT_TRUE(WaitFor([&] { return !goingOn.front.stores.empty(); }));
  EXPECT_EQ(goingOn.front.stores[0].first, std::optional<std::string>("Corvane.db"));
  EXPECT_TRUE(goingOn.receiver.HasStore());
}

TEST_F(StationTest, TheStoresOutcomeReachesTheFrontOnceWhateverItIs) {
  StationRun first(false);
  ASSERT_TRUE(first.station.Start(settings_, {}));
  ASSERT_TRUE(WaitFor([&] { return first.station.StoreReady(); }));
  EXPECT_TRUE(first.receiver.HasStore());

  // A second receiver on the same store: told why, and it goes on without.
  settings_.HttpAddress.clear();
  StationRun second(false);
  ASSERT_TRUE(second.station.Start(settings_, {}));
  ASSERT_TRUE(WaitFor([&] { return second.station.StoreReady(); }));
  ASSERT_EQ(second.front.stores.size(), 1U);
  EXPECT_FALSE(second.front.stores[0].first.has_value());
  EXPECT_FALSE(second.front.stores[0].second.empty());
  EXPECT_FALSE(second.receiver.HasStore());

  // None chosen: said at once, with no reason, and records are taken.
  settings_.Database = decoding::kNoStore;
  StationRun none(false);
  ASSERT_TRUE(none.station.Start(settings_, {}));
  ASSERT_EQ(none.front.stores.size(), 1U);
  EXPECT_EQ(none.front.stores[0], (std::pair<std::optional<std::string>, std::string>{std::nullopt, ""}));
  EXPECT_TRUE(none.station.StoreReady());

  // The stop runs once; a later one says nothing more.
  first.station.Stop();
  const std::size_t lines = first.front.said.size();
  first.station.Stop();
  EXPECT_EQ(first.front.said.size(), lines);
}

TEST_F(StationTest, TheTrafficLogRotatesAsTheSettingSaysAndATakenNameIsSaidOnce) {
  settings_.Database = decoding::kNoStore;
  settings_.HttpAddress.clear();
  settings_.Alerts.clear();
  settings_.LogRotate = "weekly";
  StationRun unknown(false);
  ASSERT_TRUE(unknown.station.Start(settings_, {}));
  EXPECT_EQ(unknown.receiver.Log().Rotation(), decoding::LogRotation::None);
  EXPECT_TRUE(unknown.front.SaidSomething("traffic log: LogRotate \"weekly\""));

  settings_.LogRotate = "daily";
  StationRun run(false);
  decoding::UtcTime now{2026, 12, 9, 23, 59, 59, 999};
  run.receiver.Path().SetClock([&now] { return now; });
  ASSERT_TRUE(run.station.Start(settings_, {}));
  ASSERT_EQ(run.receiver.Log().Rotation(), decoding::LogRotation::Daily);
  run.receiver.Log().Click(decoding::LogBox::Checked);
  ASSERT_TRUE(QDir().mkdir("Corvane-2026-12-09.txt"));  // the dated name is taken
  const auto handle = [&](const char* text) { run.receiver.HandleCardRecord(std::string(kRecordHead) + text); };

  handle("ONE");
  now = {2026, 12, 10, 0, 0, 0, 0};
  handle("TWO");
  const std::vector<std::string> trouble = run.receiver.TroubleLines();
  ASSERT_EQ(trouble.size(), 1U);
  EXPECT_EQ(trouble[0].rfind("traffic log: cannot rename Corvane.txt to Corvane-2026-12-09.txt: ", 0), 0U)
      << trouble[0];
  handle("THREE");
  EXPECT_TRUE(run.receiver.TroubleLines().empty());

  ASSERT_TRUE(QDir().rmdir("Corvane-2026-12-09.txt"));
  handle("FOUR");
  EXPECT_EQ(run.receiver.TroubleLines(), std::vector<std::string>{"traffic log: the new day's file started"});
  EXPECT_TRUE(QFile::exists("Corvane-2026-12-09.txt") && QFile::exists("Corvane.txt"));
}

// What the receiver counts for the health check and metrics: accepted
// messages by label and source (a relayed one apart), records the path did
// not take, messages that matched the watch list, the card link the front
// sets, and the last message's time.
TEST(ReceiverCountsTest, CountsMessagesBySourceAlertsRefusalsAndCardConnects) {
  decoding::MessageOutputs nothingShown;
  receiver::Receiver receiver(nothingShown, [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; });
  receiver.SetWatchList(store::search::WatchList::FromLines("flight:TW0002\n", nullptr));
  const auto record = [](const char* label, const char* flight) {
    return std::string("M=2  ADDR=.T-WEBA TA=! ML=") + label + " B=1 MSN=M01A FID=" + flight + "\r\nTEXT";
  };
  EXPECT_EQ(receiver::LastMessageIso(receiver.Counts()), "");
  receiver.HandleCardRecord(record("H1", "TW0001"));
  receiver.HandleCardRecord(record("H1", "TW0002"));
  receiver.HandleCardRecord(record("5Z", "TW0002"), {"south", 1, "south-1"});
  receiver.HandleCardRecord("not a card record");
  const receiver::ReceiverCounts& counts = receiver.Counts();
  using Key = std::pair<std::string, std::string>;
  EXPECT_EQ(counts.accepted, (std::map<Key, std::uint64_t>{{{"H1", "card"}, 2}, {{"5Z", "relay"}, 1}}));
  EXPECT_EQ(counts.refusedRecords, 1U);
  EXPECT_EQ(counts.alertMessages, 2U);
  EXPECT_EQ(receiver::LastMessageIso(counts), "2026-12-07T21:00:05.005Z");

  for (const bool up : {true, true, false, false, true}) {
    receiver.SetCardLink(up);
  }
  EXPECT_TRUE(counts.cardLinkUp);
  EXPECT_EQ(counts.cardConnects, 2U);  // a link set up again without a loss between is no new connection
}

}  // namespace
}  // namespace corvane::station
