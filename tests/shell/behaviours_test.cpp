// Widget tests of the main window's behaviours on the offscreen platform:
// compact mode and the topmost lock from the status bar, the registration and
// label filters, the aircraft list with its history window, and the docking.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "shell/main_window.h"
#include "shell/plane_window.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

constexpr const char* kKxaDownlink = "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA";
constexpr const char* kKxaTerminal = "M=2  ADDR=.F-GKXA TA=! ML=H1 B=2 MSN=M02A FID=AF1234\r\n#M1BKXATEXT";
constexpr const char* kUaTerminal = "M=2  ADDR=N123UA  TA=! ML=H1 B=3 MSN=D01A\r\n#M1BPOSN47";
constexpr const char* kUaDownlink = "M=2  ADDR=N123UA  TA=! ML=80 B=4 MSN=D02A FID=UA0001\r\n/VER/077/N123UA";

// Each test gets its own settings folder, current directory and store, and a
// window started at (100, 100) with a card set.
class BehaviourTest : public ::testing::Test {
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
    seams.question = [this](QWidget*, const QString& text) {
      questions.push_back(text);
      return answerYes;
    };
    seams.liveLinkName = QString("corvane-behaviour-test-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [](QWidget*, const QString&) {};
    return seams;
  }

  template <typename T>
  static T* Find(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // A real double click: press, release, then the second press that the
  // platform reports as a double click, and its release.
  static void DoubleClick(QWidget* widget, Qt::MouseButton button) {
    QTest::mousePress(widget, button);
    QTest::mouseRelease(widget, button);
    QTest::mouseDClick(widget, button);
    QTest::mouseRelease(widget, button);
  }

  static bool Topmost(const MainWindow& window) { return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

  static bool Yellow(QWidget* widget) {
    return widget->autoFillBackground() && widget->palette().color(QPalette::Window) == QColor(255, 255, 0);
  }

  static void ClickEntry(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr) << row;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }

  // The history is read off the window's thread.
  static bool HistoryShown(PlaneWindow& plane) {
    return QTest::qWaitFor([&] { return !plane.IsWaiting(); }, 10000);
  }

  std::vector<QString> questions;
  bool answerYes = true;
  QTemporaryDir dir_;
  QString previous_;
};

TEST_F(BehaviourTest, LeftDoubleClicksOnTheMiddlePanelCompactAndRestoreTheWindow) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QLabel* panel = Find<QLabel>(window, "StatusBar_2");
  QWidget* base = Find<QWidget>(window, "fBas");
  QCheckBox* logData = Find<QCheckBox>(window, "LogData");
  const int height = window.height();
  const QRect baseGeometry = base->geometry();
  ASSERT_TRUE(logData->isVisible());
  ASSERT_FALSE(Topmost(window));

  // Panels 1 and 3 do nothing, whichever button.
  for (const char* name : {"StatusBar_1", "StatusBar_3"}) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
      DoubleClick(Find<QLabel>(window, name), button);
      EXPECT_FALSE(window.IsLocked()) << name;
      EXPECT_FALSE(Topmost(window)) << name;
      EXPECT_EQ(window.height(), height) << name;
      EXPECT_EQ(base->geometry(), baseGeometry) << name;
      EXPECT_TRUE(logData->isVisible()) << name;
    }
  }

  // Compact: only the header and the status bar stay, on top of the others.
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_TRUE(window.IsLocked());
  EXPECT_TRUE(Topmost(window));
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(base->y(), 0);
  const int header = Find<QWidget>(window, "sBAS")->y() + 1;
  EXPECT_EQ(base->height(), header);
  EXPECT_LT(base->height(), baseGeometry.height());
  EXPECT_EQ(window.height(), window.statusBar()->height() + header);
  EXPECT_LT(window.height(), height);
  EXPECT_FALSE(logData->isVisible());

  // Back exactly to where it was, and released.
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_FALSE(window.IsLocked());
  EXPECT_FALSE(Topmost(window));
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.height(), height);
  EXPECT_EQ(base->y(), baseGeometry.y());
  EXPECT_EQ(base->height(), baseGeometry.height());
  EXPECT_TRUE(logData->isVisible());

  // Once more, to be sure the pair is repeatable.
  DoubleClick(panel, Qt::LeftButton);
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_EQ(window.height(), height);
  EXPECT_EQ(base->geometry(), baseGeometry);
  EXPECT_FALSE(Topmost(window));
}

TEST_F(BehaviourTest, RightDoubleClicksOnlyLockAndMixedSequencesFollowTheSavedLayout) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QLabel* panel = Find<QLabel>(window, "StatusBar_2");
  QWidget* base = Find<QWidget>(window, "fBas");
  QCheckBox* logData = Find<QCheckBox>(window, "LogData");
  const int height = window.height();
  const QRect baseGeometry = base->geometry();

  // Right: topmost lock only, the window keeps its layout.
  DoubleClick(panel, Qt::RightButton);
  EXPECT_TRUE(window.IsLocked());
  EXPECT_TRUE(Topmost(window));
  EXPECT_EQ(window.height(), height);
  EXPECT_EQ(base->geometry(), baseGeometry);
  EXPECT_TRUE(logData->isVisible());

  // Left after it: unlocked and released; nothing was compacted, so the
  // window keeps its size.
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_FALSE(window.IsLocked());
  EXPECT_FALSE(Topmost(window));
  EXPECT_EQ(window.height(), height);
  EXPECT_EQ(base->geometry(), baseGeometry);
  EXPECT_TRUE(logData->isVisible());

  // Left (compact), then right: still compact, but no longer on top.
  DoubleClick(panel, Qt::LeftButton);
  const int compact = window.height();
  const QRect compactBase = base->geometry();
  ASSERT_LT(compact, height);
  DoubleClick(panel, Qt::RightButton);
  EXPECT_FALSE(window.IsLocked());
  EXPECT_FALSE(Topmost(window));
  EXPECT_EQ(window.height(), compact);
  EXPECT_EQ(base->geometry(), compactBase);
  EXPECT_FALSE(logData->isVisible());

  // Left again: compact from the compact size, which overwrites the saved
  // layout; the next left restores to the compact dimensions.
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_TRUE(window.IsLocked());
  EXPECT_TRUE(Topmost(window));
  EXPECT_EQ(window.height(), compact);
  EXPECT_EQ(base->geometry(), compactBase);
  EXPECT_FALSE(logData->isVisible());
  DoubleClick(panel, Qt::LeftButton);
  EXPECT_FALSE(window.IsLocked());
  EXPECT_FALSE(Topmost(window));
  EXPECT_EQ(window.height(), compact);
  EXPECT_EQ(base->y(), 0);
  EXPECT_EQ(base->height(), compactBase.height());
  EXPECT_TRUE(logData->isVisible());
}

TEST_F(BehaviourTest, TheRegistrationFilterFollowsTheShownAddress) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QLabel* reg = Find<QLabel>(window, "vReg");
  QLabel* label = Find<QLabel>(window, "vLbl");

  // Nothing shown yet: no filter.
  ASSERT_EQ(reg->text(), "");
  DoubleClick(reg, Qt::LeftButton);
  EXPECT_EQ(window.Path().RegFilter, "");
  EXPECT_FALSE(Yellow(reg));

  window.HandleTextRecord(kKxaDownlink);
  ASSERT_EQ(reg->text(), ".F-GKXA");
  DoubleClick(reg, Qt::LeftButton);
  EXPECT_EQ(window.Path().RegFilter, ".F-GKXA");
  EXPECT_TRUE(Yellow(reg));
  EXPECT_EQ(window.Path().LabelFilter, "");

  // Another aircraft leaves the header alone; the same one shows with any label.
  window.HandleTextRecord(kUaTerminal);
  EXPECT_EQ(reg->text(), ".F-GKXA");
  EXPECT_EQ(label->text(), "Aircraft addressed downlink");
  window.HandleTextRecord(kKxaTerminal);
  EXPECT_EQ(reg->text(), ".F-GKXA");
  EXPECT_EQ(label->text(), "Message to/from terminal - FMC - Left");

  // A second double click clears it, and every aircraft shows again.
  DoubleClick(reg, Qt::LeftButton);
  EXPECT_EQ(window.Path().RegFilter, "");
  EXPECT_FALSE(Yellow(reg));
  window.HandleTextRecord(kUaTerminal);
  EXPECT_EQ(reg->text(), ".N123UA");
}

TEST_F(BehaviourTest, TheLabelFilterTakesTheLabelCodeIncludingAcknowledgements) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QLabel* reg = Find<QLabel>(window, "vReg");
  QLabel* label = Find<QLabel>(window, "vLbl");

  DoubleClick(label, Qt::LeftButton);
  EXPECT_EQ(window.Path().LabelFilter, "");
  EXPECT_FALSE(Yellow(label));

  // The code, not the caption.
  window.HandleTextRecord(kKxaDownlink);
  ASSERT_EQ(label->text(), "Aircraft addressed downlink");
  DoubleClick(label, Qt::LeftButton);
  EXPECT_EQ(window.Path().LabelFilter, "80");
  EXPECT_TRUE(Yellow(label));
  EXPECT_EQ(window.Path().RegFilter, "");
  window.HandleTextRecord(kUaTerminal);
  EXPECT_EQ(reg->text(), ".F-GKXA");
  window.HandleTextRecord(kUaDownlink);
  EXPECT_EQ(reg->text(), ".N123UA");
  DoubleClick(label, Qt::LeftButton);
  EXPECT_EQ(window.Path().LabelFilter, "");
  EXPECT_FALSE(Yellow(label));

  // An uplink acknowledgement arrives as "_" and DEL and compares as "_ ".
  window.HandleTextRecord("M=2  ADDR=.F-GKXA TA=! ML=_\x7f B=5\r\n");
  ASSERT_EQ(reg->text(), ".F-GKXA");
  const QString ackCaption = label->text();
  ASSERT_FALSE(ackCaption.isEmpty());
  DoubleClick(label, Qt::LeftButton);
  EXPECT_EQ(window.Path().LabelFilter, "_ ");
  EXPECT_TRUE(Yellow(label));
  window.HandleTextRecord(kUaDownlink);
  EXPECT_EQ(reg->text(), ".F-GKXA");
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=_\x7f B=6\r\n");
  EXPECT_EQ(reg->text(), ".N123UA");
  EXPECT_EQ(label->text(), ackCaption);
  window.HandleTextRecord(kKxaTerminal);
  EXPECT_EQ(reg->text(), ".N123UA");
}

TEST_F(BehaviourTest, AircraftListOpensRefillsAndDeletesHistory) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QListWidget* planes = Find<QListWidget>(window, "Planes");

  // The Delete key before anything is selected only creates a hidden window.
  window.HandleTextRecord(kKxaDownlink);
  window.HandleTextRecord(kUaTerminal);
  ASSERT_EQ(planes->count(), 2);
  QTest::keyClick(planes, Qt::Key_Delete);
  ASSERT_NE(window.Plane(), nullptr);
  EXPECT_FALSE(window.Plane()->isVisible());
  EXPECT_EQ(planes->count(), 2);
  EXPECT_TRUE(questions.empty());

  // A click opens the day's history of that aircraft.
  ClickEntry(planes, 0);
  PlaneWindow* plane = window.Plane();
  ASSERT_NE(plane, nullptr);
  ASSERT_TRUE(HistoryShown(*plane));
  EXPECT_TRUE(plane->isVisible());
  EXPECT_EQ(plane->objectName(), "Plane");
  EXPECT_EQ(plane->windowTitle(), "Plane information for .F-GKXA");
  QPlainTextEdit* info = Find<QPlainTextEdit>(*plane, "Info");
  EXPECT_TRUE(info->toPlainText().contains("/VER/077/F-GKXA")) << info->toPlainText().toStdString();
  EXPECT_FALSE(info->toPlainText().contains("#M1BPOSN47"));
  EXPECT_EQ(info->textCursor().position(), info->document()->characterCount() - 1);
  EXPECT_GT(plane->x(), window.frameGeometry().right() - 5);
  EXPECT_EQ(plane->y(), window.frameGeometry().top());

  // An arrow key moves the history with the selection.
  QTest::keyClick(planes, Qt::Key_Down);
  ASSERT_TRUE(HistoryShown(*plane));
  EXPECT_EQ(window.Plane(), plane);
  EXPECT_TRUE(plane->isVisible());
  EXPECT_EQ(plane->windowTitle(), "Plane information for N123UA");
  EXPECT_TRUE(info->toPlainText().contains("#M1BPOSN47")) << info->toPlainText().toStdString();
  EXPECT_FALSE(info->toPlainText().contains("/VER/077/F-GKXA"));

  // Delete with no selected entry only hides the window.
  planes->clearSelection();
  QTest::keyClick(planes, Qt::Key_Delete);
  EXPECT_FALSE(plane->isVisible());
  EXPECT_EQ(planes->count(), 2);

  // Up, then Delete: the question names the aircraft shown and its count;
  // no keeps everything.
  ClickEntry(planes, 1);
  QTest::keyClick(planes, Qt::Key_Up);
  ASSERT_TRUE(HistoryShown(*plane));
  ASSERT_EQ(plane->windowTitle(), "Plane information for .F-GKXA");
  answerYes = false;
  QTest::keyClick(planes, Qt::Key_Delete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return questions.size() == 1; }, 10000));
  EXPECT_EQ(questions.back(), "Delete the one stored message of .F-GKXA, of every day? This cannot be undone.");
  EXPECT_TRUE(plane->isVisible());
  EXPECT_EQ(planes->count(), 2);

  // Yes removes it and its stored messages.
  answerYes = true;
  QTest::keyClick(planes, Qt::Key_Delete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return planes->count() == 1; }, 10000));
  EXPECT_FALSE(plane->isVisible());
  EXPECT_EQ(planes->item(0)->text(), "N123UA");

  // The deleted aircraft comes back with its next message, stored afresh
  // without its earlier ones.
  window.HandleTextRecord(kKxaTerminal);
  window.HandleTextRecord(kKxaTerminal);
  ASSERT_EQ(planes->count(), 2);
  ASSERT_EQ(planes->item(0)->text(), ".F-GKXA");
  ClickEntry(planes, 0);
  ASSERT_TRUE(HistoryShown(*plane));
  EXPECT_EQ(plane->windowTitle(), "Plane information for .F-GKXA");
  EXPECT_TRUE(info->toPlainText().contains("#M1BKXATEXT")) << info->toPlainText().toStdString();
  EXPECT_FALSE(info->toPlainText().contains("/VER/077/F-GKXA"));
  QTest::keyClick(planes, Qt::Key_Delete);
  ASSERT_TRUE(QTest::qWaitFor([&] { return questions.size() == 3; }, 10000));
  EXPECT_TRUE(questions.back().startsWith("Delete the 2 stored messages of .F-GKXA")) << questions.back().toStdString();
}

TEST_F(BehaviourTest, TheHistoryWindowDocksOnceTheMainWindowHasMoved) {
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  ASSERT_EQ(window.pos(), QPoint(100, 100));
  QListWidget* planes = Find<QListWidget>(window, "Planes");
  window.HandleTextRecord(kKxaDownlink);
  ClickEntry(planes, 0);
  PlaneWindow* plane = window.Plane();
  ASSERT_NE(plane, nullptr);
  ASSERT_TRUE(plane->isVisible());

  // At the start-up position the history window stays where it is put.
  const QPoint elsewhere(30, 400);
  plane->move(elsewhere);
  QTest::qWait(300);
  EXPECT_EQ(plane->pos(), elsewhere);

  // Once the main window has moved, the history window follows its right edge.
  window.move(160, 130);
  QTRY_VERIFY_WITH_TIMEOUT(plane->y() == window.frameGeometry().top(), 1000);
  EXPECT_GT(plane->x(), window.frameGeometry().right() - 5);
  EXPECT_LT(plane->x(), window.frameGeometry().right() + 10);
  plane->move(elsewhere);
  QTRY_VERIFY_WITH_TIMEOUT(plane->pos() != elsewhere, 1000);
  EXPECT_EQ(plane->y(), window.frameGeometry().top());

  // A hidden history window is left alone.
  plane->hide();
  plane->move(elsewhere);
  window.move(200, 150);
  QTest::qWait(300);
  EXPECT_EQ(plane->pos(), elsewhere);
}

}  // namespace
}  // namespace corvane::shell
