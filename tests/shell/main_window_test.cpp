// Widget tests of the main window on the offscreen platform: start-up with
// and without settings, the store's caption and the narrowing without one,
// the restored position, records shown as a user sees them, the log box's
// cycle, and quitting while connected.
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "config/settings.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

// Each test gets its own settings folder and current directory.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
  }
  void TearDown() override { QDir::setCurrent(previous_); }

  void WriteSettings(const std::string& lines) {
    QDir().mkpath(dir_.filePath("config/Nordquill Software"));
    std::ofstream(dir_.filePath("config/Nordquill Software/Corvane.conf").toStdString()) << "[General]\n" << lines;
  }

  ShellSeams Seams() {
    ShellSeams seams;
    seams.liveLinkName = QString("corvane-shell-test-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [this](QWidget*, const QString& text) { messages.push_back(text); };
    seams.configDialog = [this](QWidget*, config::Settings& settings) {
      ++configRuns;
      if (!acceptConfig) {
        return false;
      }
      settings.CardType = 1;
      settings.CardNumber = 2;
      return true;
    };
    return seams;
  }

  template <typename T>
  static T* Find(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QTemporaryDir dir_;
  QString previous_;
  std::vector<QString> messages;
  int configRuns = 0;
  bool acceptConfig = false;
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsCreatesTheStoreAndAsksForACard) {
  MainWindow window(Seams());
  StartWindow(window);
  EXPECT_EQ(window.windowTitle(), "Corvane V2.1.0 (SQLite DB)");
  EXPECT_TRUE(QFile::exists(dir_.filePath("Corvane.db")));
  EXPECT_EQ(configRuns, 1);
  EXPECT_FALSE(Find<QPushButton>(window, "Connect")->isEnabled());
  EXPECT_EQ(Find<QPushButton>(window, "Connect")->text(), "&Connect");
  EXPECT_TRUE(Find<QPushButton>(window, "Config")->isEnabled());
  EXPECT_EQ(Find<QLabel>(window, "StatusBar_2")->text(), "Count");
  EXPECT_EQ(Find<QLabel>(window, "StatusBar_1")->text(), "");

  // Accepting the dialog later makes Connect usable and keeps the card.
  acceptConfig = true;
  QTest::mouseClick(Find<QPushButton>(window, "Config"), Qt::LeftButton);
  EXPECT_TRUE(Find<QPushButton>(window, "Connect")->isEnabled());
  EXPECT_EQ(config::ReadSetting("Corvane", "CardNumber", std::int32_t{-1}), 2);
  EXPECT_EQ(config::ReadSetting("Corvane", "CardType", std::int32_t{-1}), 1);
}

TEST_F(MainWindowTest, WithoutAStoreTheWindowNarrowsAndKeepsItsButtonsAtTheRightEdge) {
  WriteSettings("CardType=1\nCardNumber=1\nDatabase=0\n");
  MainWindow wide(Seams());
  MainWindow window(Seams());
  StartWindow(window);
  EXPECT_EQ(window.windowTitle(), "Corvane V2.1.0");
  EXPECT_FALSE(QFile::exists(dir_.filePath("Corvane.db")));
  EXPECT_EQ(configRuns, 0);
  EXPECT_TRUE(Find<QPushButton>(window, "Connect")->isEnabled());
  // The window ends a margin after the base frame, as it begins.
  const QRect base = Find<QWidget>(window, "fBas")->geometry();
  EXPECT_EQ(window.width(), base.right() + 1 + base.left());
  for (const char* name : {"Config", "Cancel"}) {
    const int gap = window.width() - Find<QPushButton>(window, name)->geometry().right();
    const int wideGap = wide.width() - Find<QPushButton>(wide, name)->geometry().right();
    EXPECT_EQ(gap, wideGap) << name;
  }
  // Not a pixel of the aircraft list shows.
  window.show();
  EXPECT_TRUE(Find<QListWidget>(window, "Planes")->visibleRegion().isEmpty());
}

TEST_F(MainWindowTest, PositionComesBackFromTwipsAndAnOversizedOneGoesToZero) {
  WriteSettings("CardType=1\nCardNumber=1\nX=40000\nY=1500\n");
  MainWindow window(Seams());
  window.show();
  StartWindow(window);
  EXPECT_EQ(window.x(), 0);
  EXPECT_EQ(window.y(), 100);
  window.move(33, 44);
  window.close();
  EXPECT_EQ(config::ReadSetting("Corvane", "X", std::int32_t{0}), 33 * 15);
  EXPECT_EQ(config::ReadSetting("Corvane", "Y", std::int32_t{0}), 44 * 15);
  EXPECT_EQ(config::ReadSetting("Corvane", "Database", std::int32_t{-9}), 1);
}

TEST_F(MainWindowTest, RecordsShowInTheHeaderPanelsStatusBarAndAircraftList) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  std::vector<std::pair<std::string, std::string>> published;
  QObject::connect(&window, &MainWindow::ItemPublished,
                   [&](const std::string& item, const std::string& value) { published.emplace_back(item, value); });

  window.HandleTextRecord(
      "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA\r\n/SCH/AF123/LFPG/KJFK/07/1230");
  EXPECT_EQ(Find<QLabel>(window, "vMde")->text(), "2");
  EXPECT_EQ(Find<QLabel>(window, "vReg")->text(), ".F-GKXA");
  EXPECT_EQ(Find<QLabel>(window, "vFId")->text(), "AF1234");
  EXPECT_EQ(Find<QLabel>(window, "vLbl")->text(), "Aircraft addressed downlink");
  EXPECT_TRUE(Find<QWidget>(window, "fPXX")->isVisible());
  EXPECT_EQ(Find<QLabel>(window, "vVER_1")->text(), "F-GKXA");
  EXPECT_EQ(Find<QLabel>(window, "vSCH_0")->text(), "AF123");
  EXPECT_FALSE(Find<QWidget>(window, "fMSG")->isVisible());
  EXPECT_EQ(Find<QLabel>(window, "StatusBar_2")->text(), "07/12 21:00:05");

  // An H1 text goes to the raw text panel; a message without FID hides the flight.
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=H1 B=2 MSN=D01A\r\n#M1BPOSN47");
  EXPECT_FALSE(Find<QWidget>(window, "fPXX")->isVisible());
  EXPECT_TRUE(Find<QWidget>(window, "fMSG")->isVisible());
  EXPECT_EQ(Find<QPlainTextEdit>(window, "fMSG")->toPlainText(), "#M1BPOSN47");
  EXPECT_FALSE(Find<QLabel>(window, "vFId")->isVisible());
  EXPECT_FALSE(Find<QLabel>(window, "lFId")->isVisible());
  EXPECT_EQ(Find<QLabel>(window, "vLbl")->text(), "Message to/from terminal - FMC - Left");

  // A record without its block id changes nothing but the raw item.
  window.HandleTextRecord("M=2  ADDR=N999ZZ  TA=! ML=Q0\r\n");
  EXPECT_EQ(Find<QLabel>(window, "vReg")->text(), ".N123UA");

  QListWidget* planes = Find<QListWidget>(window, "Planes");
  ASSERT_EQ(planes->count(), 2);
  EXPECT_EQ(planes->item(0)->text(), ".F-GKXA");
  EXPECT_EQ(planes->item(1)->text(), "N123UA");
  ASSERT_EQ(published.size(), 7U);
  EXPECT_EQ(published[0].first, "LiveItem");
  EXPECT_EQ(published[1].first, "LiveData");
  EXPECT_EQ(published[1].second.substr(0, 13), "0ACARS mode: ");
  EXPECT_EQ(published[2].first, "LiveJSON");
  EXPECT_EQ(published[6].first, "LiveItem");
}

// "Readable text" puts the readable title, the flight's airline and the lines above raw
// text only, redraws the message shown when switched, and is remembered; a decoded panel
// stays.
TEST_F(MainWindowTest, ReadableTextShowsAboveRawTextAndIsRemembered) {
  WriteSettings("CardType=1\nCardNumber=1\nDatabase=0\n");
  MainWindow window(Seams());
  StartWindow(window);
  auto* toggle = window.findChild<QAction*>("ReadableText");
  ASSERT_NE(toggle, nullptr);
  EXPECT_FALSE(toggle->isChecked());
  const std::string raw = "POSN 35.062W109.746, 148,005530,37015,23566,  29,-58,024930,KIAH";
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=21 B=2 MSN=D01A\r\n" + raw);
  auto* text = Find<QPlainTextEdit>(window, "fMSG");
  EXPECT_EQ(text->toPlainText().toStdString(), raw);
  EXPECT_FALSE(text->isHidden());

  toggle->setChecked(true);
  const std::string shown = text->toPlainText().toStdString();
  EXPECT_TRUE(shown.starts_with("Position report\nPosition: 35")) << shown;
  EXPECT_TRUE(shown.ends_with(std::string(56, '-') + "\n" + raw)) << shown;
  EXPECT_EQ(config::ReadSetting("Corvane", "ReadableText", std::int32_t{0}), 1);
  // The airline of the message's flight comes under the title.
  window.HandleTextRecord("M=2  ADDR=G-EUPA  TA=! ML=21 B=2 MSN=D02A FID=BA0123\r\n" + raw);
  EXPECT_TRUE(text->toPlainText().toStdString().starts_with("Position report\nAirline: British Airways\nPosition: 35"))
      << text->toPlainText().toStdString();

  // A flight-data message keeps its decoded panels.
  window.HandleTextRecord("M=2  ADDR=F-GKXA  TA=! ML=SQ B= \r\n02XAABQKABQ13502N10637WV136975/ARINC");
  EXPECT_TRUE(text->isHidden());

  MainWindow again(Seams());
  StartWindow(again);
  EXPECT_TRUE(again.findChild<QAction*>("ReadableText")->isChecked());
  toggle->setChecked(false);
  EXPECT_EQ(config::ReadSetting("Corvane", "ReadableText", std::int32_t{1}), 0);
}

TEST_F(MainWindowTest, TheLogBoxCyclesThroughItsThreeModes) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QCheckBox* box = Find<QCheckBox>(window, "LogData");
  EXPECT_EQ(box->text(), "&No data log");
  const std::vector<std::pair<QString, Qt::CheckState>> cycle = {{"&Log all data", Qt::Checked},
                                                                 {"&Log some data", Qt::PartiallyChecked},
                                                                 {"No data &log", Qt::Unchecked},
                                                                 {"&Log all data", Qt::Checked}};
  for (const auto& [caption, state] : cycle) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    EXPECT_EQ(box->text(), caption);
    EXPECT_EQ(box->checkState(), state);
  }
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=Q0 B=1\r\n");
  EXPECT_TRUE(QFile::exists(dir_.filePath("Corvane.txt")));
}

// A card server that logs its calls.
class LoggingServer : public cardlink::CardServer {
 public:
  explicit LoggingServer(std::vector<std::string>& calls) : calls_(calls) {}
  void ConnectByNumber(std::int16_t) override { calls_.push_back("ConnectByNumber"); }
  void GetCardStatus(std::int32_t& status) override { status = 1; }
  void SetUpdateRate(std::int16_t) override {}
  void EnableCallBackText(bool on) override { calls_.push_back(on ? "text on" : "text off"); }
  void EnableCallBackStatus(bool) override {}
  void EnableCallBackRaw(bool) override {}
  void SetParam(std::string&) override {}
  void GetParam(std::string& parameters) override { parameters = "Mode=ACARS;"; }
  ~LoggingServer() override { calls_.push_back("released"); }

 private:
  std::vector<std::string>& calls_;
};

TEST_F(MainWindowTest, QuittingWhileConnectedClosesTheConnectionFirst) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  std::vector<std::string> calls;
  ShellSeams seams = Seams();
  seams.serverFactory = [&](const std::string&, const std::string&) { return std::make_unique<LoggingServer>(calls); };
  MainWindow window(seams);
  StartWindow(window);
  window.show();
  QTest::mouseClick(Find<QPushButton>(window, "Connect"), Qt::LeftButton);
  ASSERT_TRUE(window.Connection().Connected);
  EXPECT_EQ(Find<QPushButton>(window, "Connect")->text(), "&Disconnect");
  EXPECT_FALSE(Find<QPushButton>(window, "Config")->isEnabled());
  EXPECT_EQ(Find<QLabel>(window, "StatusBar_1")->text(), "ACARS");
  QTest::mouseClick(Find<QPushButton>(window, "Cancel"), Qt::LeftButton);
  EXPECT_FALSE(window.Connection().Connected);
  EXPECT_EQ(calls.back(), "text off");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(calls.back(), "released");
}

}  // namespace
}  // namespace corvane::shell

namespace corvane::shell {
namespace {

TEST_F(MainWindowTest, ALogThatCannotBeWrittenTurnsTheBoxRedUntilItIsWrittenAgain) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  QCheckBox* box = Find<QCheckBox>(window, "LogData");
  const QString normalTip = box->toolTip();
  const QColor normalText = box->palette().color(QPalette::WindowText);
  ASSERT_NE(normalText, QColor(Qt::red));

  // A folder where the log file should be: no one can open it for writing.
  ASSERT_TRUE(QDir().mkdir(dir_.filePath("Corvane.txt")));
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
  EXPECT_EQ(box->text(), "&Log all data");
  EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_TRUE(box->toolTip().contains("cannot open Corvane.txt")) << box->toolTip().toStdString();
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=Q0 B=1\r\n");
  EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(Qt::red));

  ASSERT_TRUE(QDir().rmdir(dir_.filePath("Corvane.txt")));
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=Q0 B=2\r\n");
  EXPECT_EQ(box->palette().color(QPalette::WindowText), normalText);
  EXPECT_EQ(box->toolTip(), normalTip);
  QFile log(dir_.filePath("Corvane.txt"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().startsWith("= "));
}

}  // namespace
}  // namespace corvane::shell

namespace corvane::shell {
namespace {

// A linked client colours the form's own surface, the gaps around the
// controls; a panel, the base frame under it and the text box keep theirs.
TEST_F(MainWindowTest, TheLinkIndicatorColoursTheFormAloneNotItsControls) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  const auto pixel = [&](const char* name, QPoint at) {
    QWidget* widget = Find<QWidget>(window, name);
    return window.grab().toImage().pixelColor(widget->mapTo(&window, at));
  };
  const auto linkedChangesNothingOf = [&](const char* name, QPoint at) {
    emit window.LiveLink().LinkClosed();
    const QColor before = pixel(name, at);
    emit window.LiveLink().LinkOpened();
    EXPECT_EQ(pixel(name, at), before) << name;
  };

  window.HandleTextRecord(
      "M=2  ADDR=.F-GKXA TA=! ML=80 B=1 MSN=M01A FID=AF1234\r\n/VER/077/F-GKXA\r\n/SCH/AF123/LFPG/KJFK/07/1230");
  ASSERT_TRUE(Find<QWidget>(window, "fPXX")->isVisible());
  linkedChangesNothingOf("fPXX", {3, 3});
  linkedChangesNothingOf("fBas", {3, 60});
  window.HandleTextRecord("M=2  ADDR=N123UA  TA=! ML=H1 B=2 MSN=D01A\r\n#M1BPOSN47");
  ASSERT_TRUE(Find<QWidget>(window, "fMSG")->isVisible());
  linkedChangesNothingOf("fMSG", {5, 5});
  linkedChangesNothingOf("LogData", {150, 5});
  EXPECT_EQ(window.LinkIndicator(), QColor(0, 0, 255));
  EXPECT_EQ(pixel("Central", {3, 3}), QColor(0, 0, 255));
}

}  // namespace
}  // namespace corvane::shell

namespace corvane::shell {
namespace {

// A first start has no position: the window opens in the middle of the
// screen rather than in its corner, and its place is stored at quit.
TEST_F(MainWindowTest, AFirstStartCentresTheWindowAndStoresWhereItEnds) {
  WriteSettings("CardType=1\nCardNumber=1\n");
  MainWindow window(Seams());
  StartWindow(window);
  window.show();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(window.geometry().center().x() - screen.center().x()), 2);
  EXPECT_NE(window.pos(), QPoint(0, 0));
  window.move(40, 50);
  window.close();
  EXPECT_EQ(config::ReadSetting("Corvane", "X", std::int32_t{0}), 40 * 15);
  EXPECT_EQ(config::ReadSetting("Corvane", "Y", std::int32_t{0}), 50 * 15);
}

}  // namespace
}  // namespace corvane::shell
