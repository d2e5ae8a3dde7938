// The window with real peers: corvane-cardserver replays the demo capture,
// the window connects when Connect is clicked, and corvane-link follows
// LiveItem, LiveData and LiveJSON. Every record, every accepted summary and
// its JSON object reach the link client once, byte-exact and in order; the store holds the rows; the
// window turns blue while linked and light grey after.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../support/listening_port.h"
#include "capture/capture.h"
#include "cardlink/event_wait.h"
#include "decoding/message_path.h"
#include "livelink/live_json.h"
#include "reference/reference_tables.h"
#include "shell/main_window.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

using ItemValue = std::pair<std::string, std::string>;

// What the link client should see: each record as LiveItem and, for each
// accepted one, its summary as LiveData and its object as LiveJSON.
std::vector<ItemValue> ExpectedUpdates() {
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  struct Collector : decoding::MessageOutputs {
    void SetLiveItem(const std::string& value) override { updates.emplace_back("LiveItem", value); }
    void SetLiveData(const std::string& value) override {
      updates.emplace_back("LiveData", value);
      // The window has no StationName setting here: its station is the host name.
      updates.emplace_back("LiveJSON", livelink::LiveJsonOfLast(*path, *tables, {station, 1}));
    }
    std::vector<ItemValue> updates;
    const decoding::MessagePath* path = nullptr;
    const reference::ReferenceTables* tables = nullptr;
    const std::string station = livelink::HostName();
  } collector;
  decoding::MessagePath path(tables, collector);
  collector.path = &path;
  collector.tables = &tables;
  std::ifstream in(CORVANE_DEMO_CAPTURE);
  std::string error;
  for (std::string line; std::getline(in, line);) {
    if (const auto record = capture::ParseCaptureLine(line, error)) {
      path.HandleTextRecord(record->txt);
    }
  }
  return collector.updates;
}

long StoredMessages(const std::string& database) {
  sqlite3* db = nullptr;
  long count = -1;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT count(*) FROM Planes;", -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    count = sqlite3_column_int64(query, 0);
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return count;
}

// A LiveJSON object without its time of reception (the clock differs from the
// expected run's), which must still be a UTC time stamp to the millisecond,
// and without the identity a receiver draws anew for each run (the run's
// 16 hex digits and the message's number), which a published one must have.
std::string WithoutTime(nlohmann::json object, bool published = false) {
  const std::string time = object.at("time");
  EXPECT_TRUE(time.size() == 24 && time.ends_with('Z') && time[10] == 'T') << time;
  object.erase("time");
  const std::string id = object.value("id", "");
  EXPECT_TRUE(!published || (id.size() > 17 && id[16] == '-')) << id;
  object.erase("id");
  return object.dump();
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  const QDeadlineTimer deadline(milliseconds);
  while (!condition() && !deadline.hasExpired()) {
    cardlink::WaitProcessingEvents(20);
  }
  return condition();
}

TEST(LiveTraffic, ALinkClientSeesEveryRecordAndSummaryOnceInOrder) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());

  QProcess server;
  server.start(CORVANE_CARDSERVER, {"--port", "0", "--capture", CORVANE_DEMO_CAPTURE, "--fast"});
  const quint16 port = test_support::ReadListeningPort(server);
  ASSERT_NE(port, 0);
  QDir().mkpath(dir.filePath("config/Nordquill Software"));
  std::ofstream(dir.filePath("config/Nordquill Software/Corvane.conf").toStdString())
      << "[General]\nHostName=127.0.0.1:" << port << "\nCardType=1\nCardNumber=1\n";

  ShellSeams seams;
  seams.liveLinkName = QString("corvane-live-test-%1").arg(QCoreApplication::applicationPid());
  std::vector<QString> messages;
  seams.messageBox = [&](QWidget*, const QString& text) { messages.push_back(text); };
  MainWindow window(seams);
  StartWindow(window);
  window.show();
  const QColor grey = window.LinkIndicator();

  std::vector<ItemValue> expected = ExpectedUpdates();
  QProcess link;
  link.start(CORVANE_LINK_TOOL, {"--server", seams.liveLinkName, "--json", "advise", "LiveItem", "LiveData", "LiveJSON",
                                 "--count", QString::number(expected.size())});
  ASSERT_TRUE(WaitFor([&] { return window.LiveLink().LinkCount() == 3; }, 5000));
  EXPECT_EQ(window.LinkIndicator(), QColor(0, 0, 255));

  QTest::mouseClick(window.findChild<QPushButton*>("Connect"), Qt::LeftButton);
  ASSERT_TRUE(window.Connection().Connected) << (messages.empty() ? "" : messages.front().toStdString());
  ASSERT_TRUE(WaitFor([&] { return link.state() == QProcess::NotRunning; }, 30000));
  EXPECT_EQ(link.exitCode(), 0);

  std::vector<ItemValue> received;
  int readable = 0;
  for (const QByteArray& line : link.readAllStandardOutput().split('\n')) {
    if (line.isEmpty()) {
      continue;
    }
    const auto json = nlohmann::json::parse(line.toStdString());
    if (json.at("item") == "LiveJSON") {
      // corvane-link gives the object itself: it must be the object published.
      readable += json.at("value").contains("readable") ? 1 : 0;
      received.emplace_back("LiveJSON", WithoutTime(json.at("value"), true));
    } else {
      received.emplace_back(json.at("item"), capture::Utf8ToLatin1(json.at("value").get<std::string>()).value());
    }
  }
  for (ItemValue& update : expected) {
    if (update.first == "LiveJSON") {
      update.second = WithoutTime(nlohmann::json::parse(update.second));
    }
  }
  EXPECT_GT(readable, 0);
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(received == expected);
  EXPECT_TRUE(WaitFor([&] { return window.LiveLink().LinkCount() == 0; }, 3000));
  EXPECT_EQ(window.LinkIndicator(), QColor(192, 192, 192));
  EXPECT_NE(grey, QColor(0, 0, 255));
  const auto accepted = std::count_if(expected.begin(), expected.end(),
                                      [](const ItemValue& update) { return update.first == "LiveData"; });
  // The store writer commits behind the message path: every message lands.
  const std::string database = dir.filePath("Corvane.db").toStdString();
  EXPECT_TRUE(WaitFor([&] { return StoredMessages(database) >= accepted; }, 10000));
  EXPECT_EQ(StoredMessages(database), accepted);
  EXPECT_EQ(window.findChild<QListWidget*>("Planes")->count(),
            static_cast<int>(window.Path().Planes().Entries().size()));
  window.close();
  server.kill();
  server.waitForFinished(3000);
  QDir::setCurrent(previous);
}

}  // namespace
}  // namespace corvane::shell
