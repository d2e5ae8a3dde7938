// End-to-end tests of the corvane-cardserver program: its options, serving a
// capture to a real client over TCP and exiting after the replay, and
// stopping on SIGTERM.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fstream>

#include "cardserver/session.h"
#include "test_client.h"

namespace corvane::cardserver {
namespace {

using test_client::TestClient;
namespace wire = cardlink::wire;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { test_client::App(); }

  // Starts the program; the port it announces, or 0.
  quint16 Launch(const QStringList& arguments) {
    program.start(CORVANE_CARDSERVER, arguments);
    if (!program.waitForReadyRead(5000)) {
      return 0;
    }
    const auto match = QRegularExpression("^corvane-cardserver: listening on 127\\.0\\.0\\.1:(\\d+)\\n")
                           .match(QString::fromUtf8(program.readLine()));
    return match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
  }

  // Runs the program to its end; its exit status and standard output.
  static std::pair<int, QString> Run(const QStringList& arguments) {
    QProcess process;
    process.start(CORVANE_CARDSERVER, arguments);
    process.waitForFinished(5000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput())};
  }

  QProcess program;
};

TEST_F(ProgramTest, HelpListsEveryOptionAndBadOptionsExitWithTwo) {
  const auto [status, help] = Run({"--help"});
  EXPECT_EQ(status, 0);
  for (const char* option : {"--progid", "--port", "--listen", "--cards", "--capture", "--speed", "--fast", "--loop",
                             "--udp", "--exit-after-replay", "acarsdec -j 127.0.0.1:5555"}) {
    EXPECT_TRUE(help.contains(option)) << option;
  }
  for (const QStringList& bad : {QStringList{"--bogus"}, QStringList{"--cards", "1,9"}, QStringList{"--progid", "w40"},
                                 QStringList{"--port", "70000"}, QStringList{"--fast"},
                                 QStringList{"--capture", "x", "--speed", "0"}, QStringList{"stray"}}) {
    EXPECT_EQ(Run(bad).first, 2) << bad.join(' ').toStdString();
  }
}

TEST_F(ProgramTest, ServesACaptureAndExitsOnceItIsReplayed) {
  QTemporaryDir dir;
  const QString capture = dir.filePath("capture.jsonl");
  constexpr int kRecords = 500;  // enough that some are still unsent when the replay ends
  std::ofstream out(capture.toStdString());
  for (int i = 0; i < kRecords; ++i) {
    out << R"({"utc": "2026-12-07T09:00:17Z", "txt": "M=2  ADDR=.HB-JCA\r\n)" << i << std::string(1000, '.') << "\"}\n";
  }
  out.close();
  const quint16 port = Launch(
      {"--port", "0", "--progid", "w51", "--cards", "1,5", "--capture", capture, "--fast", "--exit-after-replay"});
  ASSERT_NE(port, 0);

  TestClient w41;
  ASSERT_TRUE(w41.Connect(port));
  EXPECT_EQ(w41.Hello(std::string(kW41ProgId)),
            wire::Items({"REFUSED", "463", "Class not registered on local machine"}));
  TestClient w51;
  ASSERT_TRUE(w51.Connect(port));
  EXPECT_EQ(w51.Hello(std::string(kW51ProgId)), wire::Items({"WELCOME", "1"}));
  w51.Call("ConnectByNumber", {"1"});
  EXPECT_EQ(w51.Call("GetCardStatus"), wire::Items({"ANSWER", "2", "0", "", "5"}));
  w51.Call("EnableCallBackText", {"1"});
  for (int i = 0; i < kRecords; ++i) {
    const wire::Items event = w51.NextEvent();
    ASSERT_EQ(event, wire::Items({"EVENT", "NewTextData",
                                  "M=2  ADDR=.HB-JCA\r\n" + std::to_string(i) + std::string(1000, '.')}));
  }
  // The server ends its sending side; the client reads to the end and goes,
  // and then the server exits.
  EXPECT_TRUE(w51.WaitClosed());
  EXPECT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(5000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
}

TEST_F(ProgramTest, StopsCleanlyOnSigterm) {
  ASSERT_NE(Launch({"--port", "0"}), 0);
  program.terminate();
  EXPECT_TRUE(program.waitForFinished(5000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
}  // namespace corvane::cardserver
