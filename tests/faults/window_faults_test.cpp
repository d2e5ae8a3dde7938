// The desktop window while its card server dies or stalls under traffic:
// the window stays up, says the connection was lost within the call bound,
// shows the closed state, and connects again when the user asks.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "../shell/start_window.h"
#include "fault_harness.h"
#include "shell/main_window.h"

namespace corvane::faults {
namespace {

constexpr char kLost[] = "The connection to the card server was lost";

class WindowFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.IsValid());
    previous = QDir::currentPath();
    QDir::setCurrent(folder.Path());
    qputenv("XDG_CONFIG_HOME", folder.File("config").toUtf8());
    port = FreePort();
    ASSERT_TRUE(StartCardServer(server, port));
    ASSERT_TRUE(QDir().mkpath(folder.File("config/Nordquill Software")));
    QFile settings(folder.File("config/Nordquill Software/Corvane.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QString("[General]\nHostName=127.0.0.1:%1\nCardType=1\nCardNumber=1\n").arg(port).toUtf8());
  }
  void TearDown() override { QDir::setCurrent(previous); }

  std::unique_ptr<shell::MainWindow> OpenWindow() {
    shell::ShellSeams seams;
    seams.liveLinkName = QString("corvane-window-faults-%1").arg(QCoreApplication::applicationPid());
    seams.messageBox = [this](QWidget*, const QString& text) { messages.push_back(text); };
    auto window = std::make_unique<shell::MainWindow>(seams);
    StartWindow(*window);
    window->show();
    return window;
  }

  // Clicks Connect and waits for traffic to reach the store.
  void ConnectAndWaitForTraffic(shell::MainWindow& window) {
    QTest::mouseClick(Connect(window), Qt::LeftButton);
    ASSERT_TRUE(window.Connection().Connected) << (messages.empty() ? "" : messages.back().toStdString());
    const long before = StoredRows(folder.Database());
    ASSERT_TRUE(WaitUntil([&] { return StoredRows(folder.Database()) >= before + 20; }, 20000));
  }

  static QPushButton* Connect(shell::MainWindow& window) { return window.findChild<QPushButton*>("Connect"); }

  // Waits for the loss to be reported; its delay in milliseconds, or -1.
  qint64 WaitForLossReport() {
    QElapsedTimer clock;
    clock.start();
    const bool reported = WaitUntil([&] { return !messages.empty() && messages.back().startsWith(kLost); }, 10000);
    return reported ? clock.elapsed() : -1;
  }

  void ExpectClosedState(shell::MainWindow& window) {
    EXPECT_FALSE(window.Connection().Connected);
    EXPECT_EQ(Connect(window)->text(), "&Connect");
    EXPECT_TRUE(Connect(window)->isEnabled());
    EXPECT_TRUE(window.findChild<QPushButton*>("Config")->isEnabled());
    EXPECT_TRUE(window.isVisible());
  }

  WorkFolder folder;
  QString previous;
  quint16 port = 0;
  Child server{folder, "server"};
  std::vector<QString> messages;
};

TEST_F(WindowFaults, AKilledServerIsReportedAtOnceAndConnectReachesItsSuccessor) {
  auto window = OpenWindow();
  ConnectAndWaitForTraffic(*window);

  server.Signal(SIGKILL);
  const qint64 delay = WaitForLossReport();
  EXPECT_GE(delay, 0);
  EXPECT_LT(delay, 2000);
  ExpectClosedState(*window);

  ASSERT_TRUE(StartCardServer(server, port));
  ConnectAndWaitForTraffic(*window);
  EXPECT_EQ(Connect(*window)->text(), "&Disconnect");
  window->close();
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

TEST_F(WindowFaults, AStalledServerIsGivenUpWithinTheCallBoundAndConnectWorksWhenItWakes) {
  auto window = OpenWindow();
  ConnectAndWaitForTraffic(*window);

  // The mode refresh every 2 s meets a server that answers nothing and gives
  // up after 3 s of silence; the window keeps painting meanwhile.
  server.Signal(SIGSTOP);
  const qint64 delay = WaitForLossReport();
  server.Signal(SIGCONT);
  EXPECT_GE(delay, 0);
  EXPECT_LT(delay, 6500);
  ExpectClosedState(*window);

  ConnectAndWaitForTraffic(*window);
  window->close();
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

// With Reconnect on, a killed server is tried again by itself, a refused
// attempt is told in the state panel rather than a box, and the successor
// is reached without a click.
TEST_F(WindowFaults, WithReconnectALostServerIsReachedAgainWithoutAClick) {
  QFile settings(folder.File("config/Nordquill Software/Corvane.conf"));
  ASSERT_TRUE(settings.open(QIODevice::Append));
  settings.write("Reconnect=1\n");
  settings.close();
  auto window = OpenWindow();
  ConnectAndWaitForTraffic(*window);

  server.Signal(SIGKILL);
  auto* state = window->findChild<QLabel*>("StatusBar_3");
  ASSERT_TRUE(WaitUntil([&] { return state->text().startsWith(kLost); }, 5000)) << state->text().toStdString();
  ASSERT_TRUE(WaitUntil([&] { return state->text().startsWith("Connecting again failed: 462"); }, 10000))
      << state->text().toStdString();
  EXPECT_TRUE(state->text().contains(QString("refused at 127.0.0.1:%1").arg(port))) << state->text().toStdString();
  ASSERT_TRUE(StartCardServer(server, port));
  ASSERT_TRUE(WaitUntil([&] { return window->Connection().Connected; }, 20000)) << state->text().toStdString();
  EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
  window->close();
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

}  // namespace
}  // namespace corvane::faults
