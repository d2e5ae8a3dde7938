// The page's server on a receiver with a real SQLite store (as corvaned
// wires it): the store routes answer from the store, the live feed takes
// only a browser with the token, and a browser leaving or the server
// stopping while a store call is under way harms nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>
#include <QWebSocket>
#include <thread>

#include "../store/store_test_support.h"
#include "reference/reference_tables.h"
#include "web/receiver_web.h"
#include "web_test_support.h"

namespace corvane::web {
namespace {

using test::Get;
using test::StatusOf;
using test::WaitFor;

constexpr const char* kToken = "0123456789abcdef-token";
const QByteArray kShown = QByteArray("Authorization: Bearer ") + kToken + "\r\n";

class WebStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    QDir::setCurrent(folder_.path());  // the store lands in the current folder
    QDir(folder_.path()).mkdir("page");
    QFile page(folder_.filePath("page/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html>the page</html>");
    reference::FillBuiltinTables();
    receiver_.ChooseStore(store::kSqliteStore, {});
    store::StoreProgress progress;
    receiver_.StoreOpened(receiver_.OpenChosenStore(progress));
    receiver_.HandleCardRecord("M=2 ADDR=N123UA TA=! ML=H1 B=5 MSN=M01A FID=UA0123\r\nHELLO WORLD");
  }
  void TearDown() override {
    server_.reset();
    receiver_.Stop();
  }
  void Start(std::size_t maxWaitingCalls = 32) {
    WebOptions options;
    options.listen = *ParseListenAddress("127.0.0.1:0", &error_);
    options.token = kToken;
    options.pageFolder = folder_.filePath("page");
    options.maxWaitingCalls = maxWaitingCalls;
    server_ = StartReceiverWeb(receiver_, reference::Global(), options, &error_);
    ASSERT_TRUE(server_) << error_;
  }
  QByteArray Search(const QByteArray& query) { return Get(server_->Port(), "/api/search?q=" + query, kShown); }

  QTemporaryDir folder_;
  decoding::MessageOutputs nothingShown_;
  receiver::Receiver receiver_{nothingShown_};
  std::unique_ptr<WebServer> server_;
  std::string error_;
};

TEST_F(WebStoreTest, StoreRoutesAnswerFromTheStoreAndTheLiveFeedTakesOnlyTheTokenHolder) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const quint16 port = server_->Port();
  ASSERT_TRUE(WaitFor([&] { return Search("HELLO").contains("N123UA"); })) << Search("HELLO").constData();
  EXPECT_EQ(StatusOf(Search("NOTHINGLIKEIT")), 200);
  EXPECT_FALSE(Search("NOTHINGLIKEIT").contains("N123UA"));
  EXPECT_EQ(StatusOf(Get(port, "/api/search?q=HELLO")), 401);
  const QByteArray count = Get(port, "/api/count?q=HELLO", kShown);
  EXPECT_EQ(StatusOf(count), 200) << count.constData();
  const QByteArray stats = Get(port, "/api/stats?period=7d", kShown);
  EXPECT_EQ(StatusOf(stats), 200) << stats.constData();
  EXPECT_TRUE(stats.contains("H1")) << stats.constData();
  EXPECT_EQ(StatusOf(Get(port, "/api/airports", kShown)), 200);
  EXPECT_EQ(StatusOf(Get(port, "/api/stats?period=1y", kShown)), 400);

  const QString live = QStringLiteral("ws://127.0.0.1:%1/api/live?token=").arg(port);
  QWebSocket browser;
  QWebSocket stranger;
  QStringList received;
  QObject::connect(&browser, &QWebSocket::textMessageReceived, [&](const QString& text) { received << text; });
  QNetworkRequest own(QUrl(live + kToken));
  own.setRawHeader("Origin", "http://127.0.0.1:" + QByteArray::number(port));
  browser.open(own);
  stranger.open(QUrl(live + "0123456789abcdef-wrong"));
  ASSERT_TRUE(WaitFor([&] { return server_->Live().Count() == 1; }));
  EXPECT_TRUE(WaitFor([&] { return stranger.state() == QAbstractSocket::UnconnectedState; }));
  receiver_.HandleCardRecord("M=2 ADDR=F-GKXA TA=! ML=5Z B=2\r\nLIVE ONE");
  ASSERT_TRUE(WaitFor([&] { return received.size() == 1; }));
  EXPECT_TRUE(received.front().contains("F-GKXA"));
}

TEST_F(WebStoreTest, ABrowserLeavingOrTheServerStoppingDuringAStoreCallHarmsNothing) {
  ASSERT_NO_FATAL_FAILURE(Start(0));
  ASSERT_TRUE(WaitFor([&] { return Search("HELLO").contains("N123UA"); }));
  const auto ask = [&] {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, server_->Port());
    EXPECT_TRUE(WaitFor([&] { return socket->state() == QAbstractSocket::ConnectedState; }));
    socket->write("GET /api/search?q=HELLO HTTP/1.1\r\nHost: 127.0.0.1\r\n" + kShown + "\r\n");
    return socket;
  };
  store::test::SqliteLock lock(folder_.filePath("Corvane.db").toStdString());
  ASSERT_TRUE(lock.Held());
  auto leaving = ask();
  WaitFor([] { return false; }, 200);  // the worker is in the store call, waiting on the lock
  // Nothing may wait behind it: the next store request is told the server is busy.
  EXPECT_EQ(StatusOf(Search("HELLO")), 503);
  leaving->abort();
  WaitFor([] { return false; }, 100);  // the server lets go of the connection
  lock.Release();
  WaitFor([] { return false; }, 300);  // the answer comes back for a connection that is gone
  EXPECT_TRUE(Search("HELLO").contains("N123UA"));

  store::test::SqliteLock again(folder_.filePath("Corvane.db").toStdString());
  ASSERT_TRUE(again.Held());
  auto waiting = ask();
  WaitFor([] { return false; }, 200);
  std::thread releaser([&again] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    again.Release();
  });
  server_->Stop();  // waits for the call, then lets the connections go
  releaser.join();
  EXPECT_TRUE(WaitFor([&] { return waiting->state() == QAbstractSocket::UnconnectedState; }));
}

}  // namespace
}  // namespace corvane::web
