// The Search window on a real SQLite store: Ctrl+F opens it, a query shows
// the right rows, count and chosen message, a bad query its error, the
// aircraft's day opens in the history window, and the export writes what
// is shown. With the store held in an exclusive transaction, searching
// never holds the window's thread, and only the newest query's answer shows
// once the lock goes. Alerts last in their list until seen; the results sort,
// copy and open their message marked.
#include "shell/search_window.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <fstream>

#include "shell/alert_list.h"
#include "shell/plane_window.h"
#include "shell/search_results.h"
#include "shell/watch_list_dialog.h"
#include "shell/window_placement.h"
#include "start_window.h"
#include "store/search/watch_list.h"

namespace corvane::shell {
namespace {

using namespace std::chrono_literals;

constexpr const char* kKxaDownlink = "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA";
constexpr const char* kKxaTerminal = "M=2  ADDR=.F-GKXA TA=! ML=H1 B=2 MSN=M02A FID=AF1234\r\n#M1BKXA \"TEXT\",2\r\nL2";
constexpr const char* kUaTerminal = "M=2  ADDR=N123UA  TA=! ML=H1 B=3 MSN=D01A\r\n#M1BPOSN47";
// The Search window's columns that the tests read.
constexpr int kStation = 1;
constexpr int kLabel = 4;
constexpr int kEntry = 6;
constexpr int kText = 7;

#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLongestStallMs = 300;
#else
constexpr qint64 kLongestStallMs = 100;
#endif

class SearchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    qputenv("XDG_STATE_HOME", dir_.filePath("state").toUtf8());
    QDir().mkpath(dir_.filePath("config/Nordquill Software"));
    std::ofstream(dir_.filePath("config/Nordquill Software/Corvane.conf").toStdString())
        << "[General]\nCardType=1\nCardNumber=1\nX=1500\nY=1500\nDatabase=1\n";
    ShellSeams seams;
    seams.liveLinkName = QString("corvane-search-test-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [](QWidget*, const QString&) {};
    window_ = std::make_unique<MainWindow>(seams);
    StartWindow(*window_);
    window_->show();
    for (const char* record : {kKxaDownlink, kKxaTerminal, kUaTerminal}) {
      window_->HandleTextRecord(record);
    }
    ASSERT_TRUE(window_->Receiver().Store().Flush(10s));
  }
  void TearDown() override {
    window_->ShutDown();
    window_.reset();
    QDir::setCurrent(previous_);
  }

  SearchWindow& OpenAndSearch(const QString& query) {
    window_->OpenSearchWindow();
    SearchWindow& search = *window_->Search();
    auto* box = search.findChild<QLineEdit*>("Query");
    box->setText(query);
    QTest::keyClick(box, Qt::Key_Return);
    return search;
  }

  static QString Status(SearchWindow& search) { return search.findChild<QLabel*>("SearchStatus")->text(); }
  static QStringList Column(SearchWindow& search, int column) {
    auto* results = search.findChild<QTreeWidget*>("Results");
    QStringList texts;
    for (int row = 0; row < results->topLevelItemCount(); ++row) {
      texts << results->topLevelItem(row)->text(column);
    }
    return texts;
  }

  QTemporaryDir dir_;
  QString previous_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(SearchWindowTest, ShowsWhatAQueryFindsAndWhyAQueryCannotBeRead) {
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_NE(window_->Search(), nullptr);
  EXPECT_TRUE(window_->Search()->isVisible());

  SearchWindow& search = OpenAndSearch("label:H1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !search.IsSearching(); }, 10000));
  EXPECT_EQ(Status(search), "2 messages found");
  EXPECT_EQ(Column(search, 0), QStringList({"2026-12-07 21:00:05", "2026-12-07 21:00:05"}));
  EXPECT_EQ(Column(search, 2), QStringList({"N123UA", "F-GKXA"}));
  EXPECT_EQ(Column(search, kText), QStringList({"#M1BPOSN47", "#M1BKXA \"TEXT\",2"}));

  auto* results = search.findChild<QTreeWidget*>("Results");
  results->setCurrentItem(results->topLevelItem(1));
  EXPECT_TRUE(search.findChild<QPlainTextEdit*>("Chosen")->toPlainText().endsWith("#M1BKXA \"TEXT\",2\nL2"));
  QTest::mouseClick(search.findChild<QPushButton*>("OpenDay"), Qt::LeftButton);
  ASSERT_NE(window_->Plane(), nullptr);
  EXPECT_EQ(window_->Plane()->Day, "261207");
  EXPECT_TRUE(window_->Plane()->windowTitle().startsWith("Plane information for .F-GKXA on 2026-12-07"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->Plane()->IsWaiting(); }, 10000));
  EXPECT_TRUE(window_->Plane()->findChild<QPlainTextEdit*>("Info")->toPlainText().contains("/VER/077/F-GKXA"));

  ASSERT_TRUE(search.ExportTo(dir_.filePath("found.csv")).isEmpty());
  QFile csv(dir_.filePath("found.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll(),
            "Time,Station,Tail,Flight,Label,Kind,Text\r\n"
            "2026-12-07 21:00:05,,N123UA,,H1,,#M1BPOSN47\r\n"
            "2026-12-07 21:00:05,,F-GKXA,AF1234,H1,,\"#M1BKXA \"\"TEXT\"\",2\r\nL2\"\r\n");
  ASSERT_TRUE(search.ExportTo(dir_.filePath("found.jsonl")).isEmpty());
  QFile lines(dir_.filePath("found.jsonl"));
  ASSERT_TRUE(lines.open(QIODevice::ReadOnly));
  EXPECT_EQ(lines.readAll().count('\n'), 2);

  OpenAndSearch("label:H1 nosuch:thing");
  EXPECT_TRUE(Status(search).startsWith("The query cannot be read: column 10: unknown field \"nosuch:\""))
      << Status(search).toStdString();
  EXPECT_TRUE(Column(search, 0).isEmpty());
}

std::string Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  sqlite3_exec(db, sql, nullptr, nullptr, &error);
  std::string why = error != nullptr ? error : "";
  sqlite3_free(error);
  return why;
}

TEST_F(SearchWindowTest, ALockedStoreNeverHoldsTheWindowAndOnlyTheNewestQueryAnswers) {
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.filePath("Corvane.db").toLocal8Bit().constData(), &other), SQLITE_OK);
  sqlite3_busy_timeout(other, 5000);
  ASSERT_EQ(Exec(other, "BEGIN EXCLUSIVE;"), "");

  window_->OpenSearchWindow();  // the window is built before the clock runs
  QTest::qWait(50);
  QElapsedTimer sinceLast;
  qint64 longest = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, sinceLast.restart()); });
  sinceLast.start();
  tick.start(5);
  SearchWindow& search = OpenAndSearch("label:80");
  OpenAndSearch("label:H1");
  EXPECT_EQ(Status(search), "searching...");
  QTest::qWait(700);
  EXPECT_TRUE(search.IsSearching());
  EXPECT_EQ(Exec(other, "COMMIT;"), "");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !search.IsSearching(); }, 10000));
  tick.stop();
  sqlite3_close(other);

  EXPECT_EQ(Status(search), "2 messages found");
  EXPECT_EQ(Column(search, 4), QStringList({"H1", "H1"}));
  EXPECT_LT(longest, kLongestStallMs);
}

}  // namespace
}  // namespace corvane::shell

namespace corvane::shell {
namespace {

// A message that matches the watch list is framed in the message area until
// the next message, but stays in the alert list after later ones; the count
// in the status bar opens the list raised even when it was minimised; the
// aircraft keeps its own (not red) mark until it is selected. A store that
// refuses writes shows its sign in the status bar and leaves the list's
// colours alone.
TEST_F(SearchWindowTest, AnAlertLastsUntilSeenAndStoreTroubleHasItsOwnSign) {
  window_->Receiver().SetWatchList(store::search::WatchList::FromLines("label:80\n", nullptr));
  auto* count = window_->findChild<QToolButton*>("AlertCount");
  ASSERT_NE(count, nullptr);
  EXPECT_FALSE(count->isVisible());
  window_->HandleTextRecord(kKxaDownlink);
  EXPECT_EQ(window_->UnseenAlerts(), 1);
  EXPECT_TRUE(count->isVisible());
  EXPECT_EQ(count->text(), "1 alert");
  auto* planes = window_->findChild<QListWidget*>("Planes");
  const auto items = planes->findItems(".F-GKXA", Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1);
  const QColor mark = items.front()->background().color();
  EXPECT_TRUE(items.front()->data(Qt::BackgroundRole).isValid());
  EXPECT_NE(mark.hue(), QColor(Qt::red).hue());
  EXPECT_EQ(items.front()->toolTip(), "Alert: label:80");
  const auto framed = [&] {
    const auto panels = window_->findChildren<QWidget*>();
    return std::any_of(panels.begin(), panels.end(), [](QWidget* w) { return w->styleSheet().contains("border"); });
  };
  EXPECT_TRUE(framed());
  window_->HandleTextRecord(kUaTerminal);
  window_->HandleTextRecord(kKxaTerminal);
  EXPECT_FALSE(framed());
  ASSERT_NE(window_->Alerts(), nullptr);
  AlertList& alerts = *window_->Alerts();
  ASSERT_EQ(alerts.Alerts().size(), 1U);
  EXPECT_EQ(alerts.Alerts().front().entries, "label:80");
  EXPECT_EQ(alerts.Alerts().front().flight, "AF1234");
  EXPECT_EQ(alerts.findChild<QTreeWidget*>("AlertRows")->topLevelItem(0)->text(3), "label:80");
  EXPECT_EQ(window_->UnseenAlerts(), 1);

  alerts.show();
  alerts.showMinimized();
  QTest::mouseClick(count, Qt::LeftButton);
  EXPECT_TRUE(alerts.isVisible());
  EXPECT_FALSE(alerts.isMinimized());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&alerts));
  EXPECT_EQ(window_->UnseenAlerts(), 1);  // opening the list is not seeing each alert

  planes->setCurrentItem(items.front());
  EXPECT_EQ(window_->UnseenAlerts(), 0);
  EXPECT_FALSE(items.front()->data(Qt::BackgroundRole).isValid());
  EXPECT_TRUE(alerts.Alerts().front().seen);
  EXPECT_EQ(count->text(), "Alerts");

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.filePath("Corvane.db").toLocal8Bit().constData(), &other), SQLITE_OK);
  sqlite3_busy_timeout(other, 5000);
  ASSERT_EQ(Exec(other, "BEGIN EXCLUSIVE;"), "");
  const QPalette before = planes->palette();
  window_->HandleTextRecord(kUaTerminal);
  auto* trouble = window_->findChild<QLabel*>("StoreTrouble");
  ASSERT_NE(trouble, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return trouble->isVisible(); }, 10000));
  EXPECT_TRUE(trouble->toolTip().startsWith("The store does not take messages now"));
  EXPECT_EQ(planes->palette().color(QPalette::Text), before.color(QPalette::Text));
  EXPECT_EQ(Exec(other, "COMMIT;"), "");
  sqlite3_close(other);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !trouble->isVisible(); }, 10000));
}

// The Search window shows the watch entry an alert matched and hides the
// columns nothing fills, sorts by any column and still shows the chosen
// message, copies the selected rows as tab-separated text, opens the day
// beside itself within the screen with the message marked, and closes on
// Escape.
TEST_F(SearchWindowTest, ResultsSortCopyAndOpenTheMarkedMessage) {
  window_->Receiver().SetWatchList(store::search::WatchList::FromLines("label:80\n", nullptr));
  window_->HandleTextRecord(kKxaDownlink);
  ASSERT_TRUE(window_->Receiver().Store().Flush(10s));
  SearchWindow& search = OpenAndSearch("tail:F-GKXA");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !search.IsSearching(); }, 10000));
  auto* results = search.findChild<QTreeWidget*>("Results");
  ASSERT_EQ(results->topLevelItemCount(), 3);
  EXPECT_TRUE(results->isColumnHidden(kStation));
  EXPECT_FALSE(results->isColumnHidden(kEntry));
  EXPECT_EQ(Column(search, kEntry), QStringList({"label:80", "", ""}));
  EXPECT_GE(results->header()->sectionSize(0), results->fontMetrics().horizontalAdvance("2026-12-07 21:00:05"));

  results->sortByColumn(kLabel, Qt::DescendingOrder);
  EXPECT_EQ(Column(search, kLabel), QStringList({"H1", "80", "80"}));
  results->setCurrentItem(results->topLevelItem(0));
  EXPECT_TRUE(search.findChild<QPlainTextEdit*>("Chosen")->toPlainText().endsWith("\"TEXT\",2\nL2"));
  results->topLevelItem(2)->setSelected(true);
  EXPECT_EQ(search.SelectedRowsText(),
            "2026-12-07 21:00:05\tF-GKXA\tAF1234\tH1\t\t#M1BKXA \"TEXT\",2\n"
            "2026-12-07 21:00:05\tF-GKXA\tAF1234\t80\t\t/VER/077/F-GKXA\n");
  search.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&search));
  QTest::keyClick(results, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), search.SelectedRowsText());

  results->sortByColumn(0, Qt::DescendingOrder);
  results->setCurrentItem(results->topLevelItem(0));
  const QRect screen = search.screen()->availableGeometry();
  search.move(screen.right() - 200, screen.top() + 40);
  emit results->itemActivated(results->currentItem(), 0);
  PlaneWindow* plane = window_->Plane();
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(plane->Mark, search.Hits().back().record.Hour);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !plane->IsWaiting(); }, 10000));
  EXPECT_TRUE(screen.contains(plane->frameGeometry())) << plane->frameGeometry().x() << " " << screen.width();
  EXPECT_TRUE(plane->MarkedText().startsWith("261207 ")) << plane->MarkedText().toStdString();
  EXPECT_TRUE(plane->MarkedText().contains("/VER/077/F-GKXA"));
  EXPECT_FALSE(plane->MarkedText().contains("TEXT"));

  search.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&search));
  QTest::keyClick(&search, Qt::Key_Escape);
  EXPECT_FALSE(search.isVisible());
}

TEST(WindowPlacement, BesideOnTheRightElseLeftAndAlwaysWithinTheScreen) {
  const QRect screen(0, 0, 1280, 720);
  EXPECT_EQ(PlaceBeside({100, 50, 400, 300}, {420, 300}, screen), QRect(502, 50, 420, 300));
  EXPECT_EQ(PlaceBeside({700, 50, 500, 300}, {420, 300}, screen), QRect(278, 50, 420, 300));
  EXPECT_EQ(PlaceBeside({200, 600, 900, 300}, {420, 300}, screen), QRect(860, 420, 420, 300));
  EXPECT_EQ(PlaceBeside({1300, -40, 300, 300}, {2000, 1200}, QRect(1280, 0, 1920, 1080)), QRect(1280, 0, 1920, 1080));
  EXPECT_EQ(TabSeparated({{"a\tb", "c\r\nd"}, {"", "e"}}), "a b\tc  d\n\te\n");
}

TEST(WatchListDialog, ALineThatCannotBeReadKeepsTheDialogOpenAndSaysWhich) {
  WatchListDialog dialog(nullptr, "MEDICAL\nflihgt:BA306\n", true);
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.findChild<QLabel*>("Problems")->text().contains("line 2: column 1: unknown field"));
  dialog.findChild<QPlainTextEdit*>("Entries")->setPlainText("MEDICAL\nflight:BA306\n");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Entries(), "MEDICAL\nflight:BA306\n");
  EXPECT_TRUE(dialog.Sound());
}

}  // namespace
}  // namespace corvane::shell
