// The window with its store held by another program (SQLite's exclusive
// transaction, PostgreSQL's table lock): opening the store, a history and a
// deletion never stall the window's event loop, and once the store is free
// it holds exactly what it should.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "../shell/start_window.h"
#include "../support/postgres_server.h"
#include "shell/main_window.h"
#include "shell/plane_window.h"

namespace corvane::shell {
namespace {

using namespace std::chrono_literals;

constexpr const char* kKxaDownlink = "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA";
constexpr const char* kKxaTerminal = "M=2  ADDR=.F-GKXA TA=! ML=H1 B=2 MSN=M02A FID=AF1234\r\n#M1BKXATEXT";
constexpr const char* kUaTerminal = "M=2  ADDR=N123UA  TA=! ML=H1 B=3 MSN=D01A\r\n#M1BPOSN47";

// The longest time the event loop may go without turning. The sanitizers
// slow every step several times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLongestStallMs = 300;
#else
constexpr qint64 kLongestStallMs = 100;
#endif

// Measures the longest gap between turns of the event loop.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&tick_, &QTimer::timeout, [this] { longest_ = std::max(longest_, sinceLast_.restart()); });
    sinceLast_.start();
    tick_.start(5);
  }
  [[nodiscard]] qint64 Longest() const { return longest_; }

 private:
  QTimer tick_;
  QElapsedTimer sinceLast_;
  qint64 longest_ = 0;
};

class WindowStoreWait : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", dir_.filePath("state").toUtf8());
    QDir().mkpath(dir_.filePath("config/Nordquill Software"));
  }
  void TearDown() override { QDir::setCurrent(previous_); }

  void WriteSettings(const std::string& store) {
    std::ofstream(dir_.filePath("config/Nordquill Software/Corvane.conf").toStdString())
        << "[General]\nCardType=1\nCardNumber=1\nX=1500\nY=1500\n"
        << store;
  }

  ShellSeams Seams() {
    ShellSeams seams;
    seams.liveLinkName = QString("corvane-store-wait-test-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [](QWidget*, const QString&) {};
    seams.question = [this](QWidget*, const QString& text) {
      questions.push_back(text);
      return true;
    };
    return seams;
  }

  // A first run makes the store and leaves one message of N123UA in it.
  void MakeStoreWithOneAircraft() {
    MainWindow first(Seams());
    StartWindow(first);
    first.HandleTextRecord(kUaTerminal);
    first.ShutDown();
  }

  // With the store held: open it, take two messages, show a history, delete
  // the other aircraft; the event loop never stalls. The window stays open
  // for the caller to free the store.
  void WorkWhileTheStoreIsHeld(MainWindow& window) {
    StallMeter meter;
    window.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.StoreReady(); }, 20000));
    window.show();
    window.HandleTextRecord(kKxaDownlink);
    window.HandleTextRecord(kUaTerminal);
    window.HandleTextRecord(kKxaTerminal);
    auto* planes = window.findChild<QListWidget*>("Planes");
    ASSERT_EQ(planes->count(), 2);
    planes->setCurrentRow(0);
    QTest::mouseClick(planes->viewport(), Qt::LeftButton, {}, planes->visualItemRect(planes->item(0)).center());
    ASSERT_NE(window.Plane(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Plane()->IsWaiting(); }, 20000));
    const QString history = window.Plane()->findChild<QPlainTextEdit*>("Info")->toPlainText();
    EXPECT_TRUE(history.contains("#M1BKXATEXT")) << history.toStdString();
    QTest::keyClick(planes, Qt::Key_Down);
    QTest::keyClick(planes, Qt::Key_Delete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return planes->count() == 1; }, 20000));
    ASSERT_EQ(questions.size(), 1U);
    EXPECT_TRUE(questions.front().contains("N123UA")) << questions.front().toStdString();
    EXPECT_LT(meter.Longest(), kLongestStallMs);
    std::printf("longest event-loop stall: %lld ms\n", static_cast<long long>(meter.Longest()));
  }

  std::vector<QString> questions;
  QTemporaryDir dir_;
  QString previous_;
};

std::string SqliteAddresses(sqlite3* db) {
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT group_concat(Address || ':' || Data, '|') FROM Planes;", -1, &query, nullptr);
  std::string rows;
  if (sqlite3_step(query) == SQLITE_ROW && sqlite3_column_text(query, 0) != nullptr) {
    rows = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
  }
  sqlite3_finalize(query);
  return rows;
}

TEST_F(WindowStoreWait, AnSqliteStoreInAnExclusiveTransactionNeverHoldsTheWindow) {
  WriteSettings("Database=1\n");
  MakeStoreWithOneAircraft();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.filePath("Corvane.db").toLocal8Bit().constData(), &other), SQLITE_OK);
  sqlite3_busy_timeout(other, 5000);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);

  MainWindow window(Seams());
  WorkWhileTheStoreIsHeld(window);
  ASSERT_EQ(sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
  window.ShutDown();
  EXPECT_EQ(SqliteAddresses(other), ".F-GKXA:/VER/077/F-GKXA|.F-GKXA:#M1BKXATEXT");
  sqlite3_close(other);
}

TEST_F(WindowStoreWait, APostgresTableLockNeverHoldsTheWindow) {
  test_support::PostgresServer server;
  ASSERT_TRUE(server.Installed()) << "PostgreSQL is not installed (scripts/setup.sh)";
  ASSERT_TRUE(server.Ready());
  const std::string url = server.Url("postgres");
  WriteSettings("Database=4\nDatabaseUrl=" + url + "\nStationName=wait\n");
  MakeStoreWithOneAircraft();
  PGconn* holder = PQconnectdb(url.c_str());
  ASSERT_EQ(PQstatus(holder), CONNECTION_OK) << PQerrorMessage(holder);
  PQclear(PQexec(holder, "BEGIN"));
  PGresult* locked = PQexec(holder, "LOCK TABLE planes IN ACCESS EXCLUSIVE MODE");
  ASSERT_EQ(PQresultStatus(locked), PGRES_COMMAND_OK) << PQerrorMessage(holder);
  PQclear(locked);

  MainWindow window(Seams());
  WorkWhileTheStoreIsHeld(window);
  PQclear(PQexec(holder, "COMMIT"));
  ASSERT_TRUE(window.Receiver().Store().Flush(20s));
  window.ShutDown();
  PGresult* rows = PQexec(holder, "SELECT string_agg(Address || ':' || Data, '|' ORDER BY Hour, Data) FROM planes");
  ASSERT_EQ(PQresultStatus(rows), PGRES_TUPLES_OK) << PQerrorMessage(holder);
  EXPECT_STREQ(PQgetvalue(rows, 0, 0), ".F-GKXA:#M1BKXATEXT|.F-GKXA:/VER/077/F-GKXA");
  PQclear(rows);
  PQfinish(holder);
}

}  // namespace
}  // namespace corvane::shell
