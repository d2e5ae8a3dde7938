// First start, end to end: with no settings the configuration dialog opens
// before the window is usable; the user points it at a running card server
// stand-in, searches, takes the card found and presses OK; the five settings
// are written and Connect becomes usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../support/listening_port.h"
#include "cardlink/event_wait.h"
#include "config/settings.h"
#include "shell/main_window.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

TEST(FirstStart, TheDialogFindsTheCardAndItsSettingsAreWritten) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());

  QProcess server;
  server.start(CORVANE_CARDSERVER, {"--port", "0", "--cards", "5,1,5,5,5,5,5,5"});
  const quint16 port = test_support::ReadListeningPort(server);
  ASSERT_NE(port, 0);

  ShellSeams seams;
  seams.liveLinkName = QString("corvane-first-start-%1").arg(QCoreApplication::applicationPid());
  std::vector<QString> messages;
  seams.messageBox = [&](QWidget*, const QString& text) { messages.push_back(text); };
  seams.pause = [](int) { cardlink::WaitProcessingEvents(5); };
  MainWindow window(seams);

  bool dialogSeen = false;
  // The user acts once the dialog is up (start-up runs the event loop
  // earlier too, while the store is being created).
  QTimer user;
  user.setInterval(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog->objectName() != "Config") {
      return;
    }
    user.stop();
    EXPECT_EQ(dialog->windowTitle(), "Configuration");
    dialogSeen = true;
    // Before anything is chosen, OK is not available.
    EXPECT_FALSE(dialog->findChild<QPushButton*>("OK")->isEnabled());
    QTest::mouseClick(dialog->findChild<QRadioButton*>("vHostTyp_1"), Qt::LeftButton);
    auto* host = dialog->findChild<QLineEdit*>("vHostNam");
    host->selectAll();
    QTest::keyClicks(host, QString("127.0.0.1:%1").arg(port));
    QTest::mouseClick(dialog->findChild<QRadioButton*>("vCardTyp_1"), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QPushButton*>("Search"), Qt::LeftButton);
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("vCardNum_1")->isEnabled());
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("vCardNum_1")->isChecked());
    EXPECT_FALSE(dialog->findChild<QRadioButton*>("vCardNum_0")->isEnabled());
    QTest::mouseClick(dialog->findChild<QPushButton*>("OK"), Qt::LeftButton);
  });
  user.start();
  // A dialog still open after a while is closed so the test ends.
  QTimer::singleShot(20000, [] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      dialog->close();
    }
  });
  StartWindow(window);
  EXPECT_TRUE(dialogSeen);
  EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages.front().toStdString());

  const std::string expectedHost = "127.0.0.1:" + std::to_string(port);
  EXPECT_EQ(config::ReadSetting("Corvane", "HostName", std::string("absent")), expectedHost);
  EXPECT_EQ(config::ReadSetting("Corvane", "CardType", std::int32_t{-9}), 1);
  EXPECT_EQ(config::ReadSetting("Corvane", "CardNumber", std::int32_t{-9}), 2);
  EXPECT_EQ(config::ReadSetting("Corvane", "IF-Input", std::int32_t{-9}), 1);
  EXPECT_EQ(config::ReadSetting("Corvane", "IF-Freqs", std::int32_t{-9}), 0);
  EXPECT_TRUE(window.findChild<QPushButton*>("Connect")->isEnabled());

  // And the card it found is the one Connect opens.
  window.show();
  QTest::mouseClick(window.findChild<QPushButton*>("Connect"), Qt::LeftButton);
  EXPECT_TRUE(window.Connection().Connected);
  window.close();
  server.kill();
  server.waitForFinished(3000);
  QDir::setCurrent(previous);
}

}  // namespace
}  // namespace corvane::shell
