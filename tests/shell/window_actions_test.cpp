// The window's actions as a user meets them on the offscreen platform: the
// message area's one context menu (on a text and on a message without text),
// the Recent messages window, the history window's lines, and the browser
// actions when no page or no browser is there.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "shell/main_window.h"
#include "shell/plane_window.h"
#include "shell/recent_messages.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

constexpr const char* kKxaDownlink = "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA";
constexpr const char* kUaPosition =
    "M=2  ADDR=N123UA  TA=! ML=21 B=2 MSN=D01A FID=UA0123\r\n"
    "POSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH";
constexpr const char* kUaLinkTest = "M=2  ADDR=N123UA  TA=! ML=Q0 B=3\r\n";
constexpr const char* kUaAcknowledgement = "M=2  ADDR=N123UA  TA=! ML=_\x7f B=4\r\n";

const QStringList kEveryAction = {"Copy",
                                  "Select All",
                                  "Readable text",
                                  "Search...",
                                  "Watch list...",
                                  "Map in the browser",
                                  "Statistics in the browser",
                                  "Recent messages",
                                  "Alerts"};

class WindowActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    QDir().mkpath(dir_.filePath("config/Nordquill Software"));
    std::ofstream(dir_.filePath("config/Nordquill Software/Corvane.conf").toStdString())
        << "[General]\nCardType=1\nCardNumber=1\nX=1500\nY=1500\n";
  }
  void TearDown() override { QDir::setCurrent(previous_); }

  ShellSeams Seams() {
    ShellSeams seams;
    seams.liveLinkName = QString("corvane-actions-test-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [this](QWidget*, const QString& text) { messages.push_back(text); };
    seams.openUrl = [this](const QUrl& url) {
      opened.push_back(url);
      return browserStarts;
    };
    seams.configDialog = [this](QWidget*, config::Settings& settings) {
      settings.HttpAddress = dialogWebAddress;
      return true;
    };
    return seams;
  }

  // Right-clicks widget at `at`, and gives the actions of
  // every menu that opened (each closed as soon as it shows).
  static std::vector<QStringList> RightClick(QWidget* widget, QPoint at) {
    std::vector<QStringList> menus;
    MenuWatch watch(menus);
    qApp->installEventFilter(&watch);
    // What the platform sends on a right press: a context menu event to
    // the widget under the pointer, which passes it on to its parents.
    QWidget* under = widget->childAt(at) != nullptr ? widget->childAt(at) : widget;
    const QPoint local = under->mapFrom(widget, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, under->mapToGlobal(local));
    QApplication::sendEvent(under, &event);
    QTest::qWait(50);
    qApp->removeEventFilter(&watch);
    return menus;
  }

  struct MenuWatch : QObject {
    explicit MenuWatch(std::vector<QStringList>& menus) : menus_(menus) {}
    bool eventFilter(QObject* object, QEvent* event) override {
      if (auto* menu = qobject_cast<QMenu*>(object); menu != nullptr && event->type() == QEvent::Show) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
          if (!action->isSeparator() && action->isVisible()) {
            texts << action->text();
          }
        }
        menus_.push_back(texts);
        QTimer::singleShot(0, menu, &QMenu::close);
      }
      return false;
    }
    std::vector<QStringList>& menus_;
  };

  std::vector<QString> messages;
  std::vector<QUrl> opened;
  bool browserStarts = true;
  std::string dialogWebAddress;
  QTemporaryDir dir_;
  QString previous_;
};

TEST_F(WindowActionsTest, TheMessageAreaOpensOneMenuWithEveryActionWithOrWithoutText) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  window.HandleTextRecord(kUaPosition);
  auto* text = window.findChild<QPlainTextEdit*>("fMSG");
  ASSERT_TRUE(text->isVisible());
  const auto onText = RightClick(text->viewport(), text->viewport()->rect().center());
  ASSERT_EQ(onText.size(), 1U);
  EXPECT_EQ(onText.front(), kEveryAction) << onText.front().join("|").toStdString();

  window.HandleTextRecord(kUaLinkTest);
  ASSERT_FALSE(text->isVisible());
  auto* base = window.findChild<QWidget*>("fBas");
  for (const QPoint at : {base->rect().center(), QPoint(base->width() / 2, base->height() - 10), QPoint(150, 15)}) {
    const auto onEmpty = RightClick(base, at);
    ASSERT_EQ(onEmpty.size(), 1U) << at.x() << "," << at.y();
    EXPECT_EQ(onEmpty.front(), kEveryAction) << onEmpty.front().join("|").toStdString();
  }

  // Every window action shows a shortcut, and the shortcut works without
  // the menu.
  for (const char* name : {"ReadableText", "SearchAction", "WatchListAction", "MapAction", "StatisticsAction",
                           "RecentAction", "AlertsAction"}) {
    EXPECT_FALSE(window.findChild<QAction*>(name)->shortcut().isEmpty()) << name;
  }
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
  ASSERT_NE(window.Recent(), nullptr);
  EXPECT_TRUE(window.Recent()->isVisible());
}

TEST_F(WindowActionsTest, RecentMessagesPauseFilterShowTheReadableTextAndOpenTheDay) {
  MainWindow window(Seams());
  StartWindow(window);
  window.UseWatchList("flight:AF1234");
  window.HandleTextRecord(kKxaDownlink);
  window.HandleTextRecord(kUaPosition);
  window.HandleTextRecord(kUaLinkTest);
  window.OpenRecentMessages();
  RecentMessagesWindow* recent = window.Recent();
  QTableView* table = recent->Table();
  ASSERT_TRUE(QTest::qWaitFor([&] { return table->model()->rowCount() == 3; }, 5000));
  const auto cell = [&](int row, int column) { return table->model()->index(row, column).data().toString(); };
  EXPECT_EQ(cell(0, RecentMessagesModel::kTime), "21:00:05");
  EXPECT_EQ(cell(0, RecentMessagesModel::kAircraft), ".F-GKXA");
  EXPECT_TRUE(table->model()->index(0, 0).data(Qt::ForegroundRole).isValid());  // the alert
  EXPECT_FALSE(table->model()->index(1, 0).data(Qt::ForegroundRole).isValid());
  EXPECT_EQ(cell(1, RecentMessagesModel::kFlight), "UA0123");
  EXPECT_EQ(cell(1, RecentMessagesModel::kLabel), "21");
  EXPECT_EQ(cell(1, RecentMessagesModel::kKind), "Position report");
  EXPECT_EQ(cell(1, RecentMessagesModel::kText), "POSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH");
  EXPECT_EQ(cell(2, RecentMessagesModel::kLabel), "Q0");
  EXPECT_EQ(cell(2, RecentMessagesModel::kText), "");

  // Paused, the list holds still and counts what waits.
  auto* pause = recent->findChild<QPushButton*>("Pause");
  QTest::mouseClick(pause, Qt::LeftButton);
  window.HandleTextRecord(kUaAcknowledgement);
  QTest::qWait(20);
  EXPECT_EQ(table->model()->rowCount(), 3);
  EXPECT_TRUE(pause->text().contains("1 new")) << pause->text().toStdString();
  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ(table->model()->rowCount(), 4);

  // The filter keeps the rows that match in any column.
  auto* filter = recent->findChild<QLineEdit*>("Filter");
  QTest::keyClicks(filter, "n123");
  EXPECT_EQ(table->model()->rowCount(), 3);
  QTest::keyClicks(filter, "ua position");
  EXPECT_EQ(table->model()->rowCount(), 0);
  filter->setText("kiah");
  ASSERT_EQ(table->model()->rowCount(), 1);

  // The selected row's readable text, then Enter opens its aircraft's day.
  table->setCurrentIndex(table->model()->index(0, 0));
  const QString detail = recent->findChild<QPlainTextEdit*>("Detail")->toPlainText();
  EXPECT_TRUE(detail.startsWith("Position report\nPosition: 35")) << detail.toStdString();
  EXPECT_TRUE(detail.endsWith(std::string(56, '-').c_str() +
                              QString("\nPOSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH")));
  QTest::keyClick(table, Qt::Key_Return);
  ASSERT_NE(window.Plane(), nullptr);
  EXPECT_TRUE(window.Plane()->isVisible());
  EXPECT_EQ(window.Plane()->Address, "N123UA");
  EXPECT_EQ(window.Plane()->Day, "261207");

  // The cap keeps the newest rows, also of a batch larger than it.
  RecentMessagesModel capped(3);
  for (int n = 1; n <= 5; ++n) {
    capped.Add({"261207", "210005.005", "N" + std::to_string(n), {}, "H1", {}, {}, {}, {}, {}});
  }
  capped.Flush();
  ASSERT_EQ(capped.rowCount(), 3);
  EXPECT_EQ(capped.At(0).address, "N3");
  capped.Add({"261207", "210006.005", "N6", {}, "H1", {}, {}, {}, {}, {}});
  capped.Flush();
  ASSERT_EQ(capped.rowCount(), 3);
  EXPECT_EQ(capped.At(0).address, "N4");
  EXPECT_EQ(capped.At(2).address, "N6");
}

TEST_F(WindowActionsTest, TheHistoryShowsLabelsKindsAndMessagesWithoutText) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  window.HandleTextRecord(kUaLinkTest);
  window.HandleTextRecord(kUaPosition);
  window.HandleTextRecord(kUaAcknowledgement);
  auto* planes = window.findChild<QListWidget*>("Planes");
  ASSERT_EQ(planes->count(), 1);
  QTest::mouseClick(planes->viewport(), Qt::LeftButton, {}, planes->visualItemRect(planes->item(0)).center());
  ASSERT_NE(window.Plane(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Plane()->IsWaiting(); }, 10000));
  const QString history = window.Plane()->findChild<QPlainTextEdit*>("Info")->toPlainText();
  EXPECT_EQ(history.toStdString(),
            "261207 210005.005:   label Q0  (no text)\n--\n"
            "261207 210005.005: UA0123  label 21  Position report\n"
            "POSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH--\n"
            "261207 210005.005:   label _  (no text)\n--\n");
}

TEST_F(WindowActionsTest, TheBrowserActionsSayWhyNothingOpensAndTheDialogTurnsThePageOnAtOnce) {
  MainWindow window(Seams());
  StartWindow(window);
  window.findChild<QAction*>("MapAction")->trigger();
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_TRUE(messages.back().startsWith("The web page is off, so its map cannot be shown"))
      << messages.back().toStdString();
  EXPECT_TRUE(opened.empty());

  // OK in the dialog with an address starts the page without a restart; a
  // browser that does not start is said, with the address to open.
  dialogWebAddress = "127.0.0.1:0";
  window.findChild<QPushButton*>("Config")->click();
  window.findChild<QAction*>("StatisticsAction")->trigger();
  ASSERT_EQ(opened.size(), 1U);
  const QUrl page = opened.back();
  EXPECT_EQ(page.fragment(), "stats");
  QTcpSocket client;
  client.connectToHost("127.0.0.1", static_cast<quint16>(page.port()));
  EXPECT_TRUE(client.waitForConnected(5000)) << page.toString().toStdString();
  client.abort();
  messages.clear();
  browserStarts = false;
  window.findChild<QAction*>("MapAction")->trigger();
  ASSERT_EQ(messages.size(), 1U);
  EXPECT_EQ(messages.back(), QString("The browser did not start to show the map: open %1#map in a browser.")
                                 .arg(page.toString(QUrl::RemoveFragment)));

  // And an empty address turns it off again.
  dialogWebAddress.clear();
  window.findChild<QPushButton*>("Config")->click();
  window.findChild<QAction*>("MapAction")->trigger();
  EXPECT_EQ(opened.size(), 2U);
  EXPECT_TRUE(messages.back().startsWith("The web page is off")) << messages.back().toStdString();
  window.ShutDown();
}

}  // namespace
}  // namespace corvane::shell
