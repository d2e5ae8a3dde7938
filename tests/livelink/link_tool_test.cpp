// The real corvane-link program against an in-process live link server: JSON
// lines for every pushed value up to --count, and the message and exit status
// when Corvane is not running.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <nlohmann/json.hpp>

#include "capture/capture.h"
#include "livelink/live_link_server.h"
#include "test_support.h"

namespace corvane::livelink {
namespace {

using namespace std::string_literals;
using testing::UniqueServerName;
using testing::WaitFor;

TEST(LinkTool, JsonAdvisePrintsEachValueUntilTheCount) {
  const QString name = UniqueServerName();
  LiveLinkServer server;
  ASSERT_TRUE(server.Listen(name));
  int closed = 0;
  QObject::connect(&server, &LiveLinkServer::LinkClosed, [&closed] { ++closed; });

  QProcess tool;
  tool.start(CORVANE_LINK_TOOL, {"--server", name, "--json", "advise", "LiveItem", "LiveData", "--count", "3"});
  ASSERT_TRUE(WaitFor([&] { return server.LinkCount() == 2; }));
  const std::vector<std::pair<std::string, std::string>> sent = {
      {"LiveItem", "M=2  ADDR=.N123UA\r\n\0\xe9\xff"s},
      {"LiveData", "0ACARS mode: 2 Aircraft reg: .N123UA\r\n"s},
      {"LiveItem", "third"},
      {"LiveItem", "past the count"},
  };
  for (const auto& [item, value] : sent) {
    server.SetItem(item, value);
  }
  ASSERT_TRUE(WaitFor([&] { return tool.state() == QProcess::NotRunning; }));
  EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  EXPECT_EQ(closed, 2);  // it closed cleanly

  const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
  ASSERT_EQ(lines.size(), 4);  // three lines and nothing after the last newline
  EXPECT_TRUE(lines[3].isEmpty());
  const QRegularExpression utc("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$");
  for (int i = 0; i < 3; ++i) {
    const auto json = nlohmann::json::parse(lines[i].toStdString());
    EXPECT_EQ(json.at("item"), sent[i].first);
    EXPECT_EQ(capture::Utf8ToLatin1(json.at("value").get<std::string>()), sent[i].second);
    EXPECT_TRUE(utc.match(QString::fromStdString(json.at("time"))).hasMatch()) << json.dump();
  }
}

TEST(LinkTool, SaysWhenCorvaneIsNotRunningOrTheItemIsUnknown) {
  const QString name = UniqueServerName();
  QProcess tool;
  tool.start(CORVANE_LINK_TOOL, {"--server", name, "request", "LiveData"});
  ASSERT_TRUE(tool.waitForFinished(10000));
  EXPECT_EQ(tool.exitCode(), 1);
  EXPECT_EQ(tool.readAllStandardError().toStdString(),
            "corvane-link: Corvane is not running (no live link named \"" + name.toStdString() + "\")\n");
  EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());

  LiveLinkServer server;
  ASSERT_TRUE(server.Listen(name));
  tool.start(CORVANE_LINK_TOOL, {"--server", name, "request", "LiveDate"});
  ASSERT_TRUE(WaitFor([&] { return tool.state() == QProcess::NotRunning; }));
  EXPECT_EQ(tool.exitCode(), 1);
  EXPECT_TRUE(tool.readAllStandardError().contains("no item \"LiveDate\": the items are LiveItem, LiveData"));
}

}  // namespace
}  // namespace corvane::livelink
