// The traffic log's folder made read-only, before and while corvaned logs,
// and settings files that are damaged or hold values of the wrong kind, read
// by corvaned and by the desktop program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include "fault_harness.h"

namespace corvane::faults {
namespace {

using LogFaults = ReceiverFixture;

TEST_F(LogFaults, AFolderMadeReadOnlyWhileLoggingKeepsTheOpenLogGoingAndTheStoreComesBack) {
  StartReceiver();
  ASSERT_TRUE(LogGrowsBy(20));

  // The log is open and keeps taking entries; the store cannot make its
  // journal meanwhile, so its inserts fail until the folder is writable.
  folder.SetWritable(folder.Path(), false, true);
  EXPECT_TRUE(LogGrowsBy(30));
  EXPECT_TRUE(receiver.Running());
  const long stored = StoredRows(folder.Database());
  folder.SetWritable(folder.Path(), true, true);
  EXPECT_TRUE(WaitUntil([&] { return StoredRows(folder.Database()) >= stored + 20; }, 20000));

  EXPECT_TRUE(receiver.Stop());
  bool whole = false;
  LogEntries(ReadFile(folder.Log()), &whole);
  EXPECT_TRUE(whole);
  EXPECT_TRUE(StoreIsSound(folder.Database()));
}

TEST_F(LogFaults, ALogThatCannotBeOpenedIsReportedRetriedAndResumedWhenTheFolderIsWritable) {
  folder.SetWritable(folder.Path(), false, true);
  QStringList arguments = ReceiverArguments(port);
  arguments[arguments.indexOf("--database") + 1] = "0";
  ASSERT_TRUE(receiver.Start(CORVANE_RECEIVER, arguments));
  EXPECT_TRUE(receiver.WaitForOutput("traffic log: cannot open Corvane.txt", 8000)) << receiver.Output().toStdString();
  EXPECT_TRUE(receiver.Running());
  EXPECT_FALSE(QFile::exists(folder.Log()));

  folder.SetWritable(folder.Path(), true, true);
  EXPECT_TRUE(receiver.WaitForOutput("traffic log: writing again", 8000)) << receiver.Output().toStdString();
  EXPECT_TRUE(LogGrowsBy(20));
  EXPECT_TRUE(receiver.Stop());
  bool whole = false;
  LogEntries(ReadFile(folder.Log()), &whole);
  EXPECT_TRUE(whole);
}

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.IsValid());
    ASSERT_TRUE(QDir().mkpath(folder.File("config/Nordquill Software")));
  }

  QString SettingsFile() const { return folder.File("config/Nordquill Software/Corvane.conf"); }
  void WriteSettings(const QByteArray& bytes) const {
    QFile file(SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  WorkFolder folder;
};

// Bytes of every value, with line breaks, brackets and equals signs among them.
QByteArray Garbage() {
  QByteArray bytes(4096, '\0');
  QRandomGenerator random(20261208);
  for (char& byte : bytes) {
    byte = static_cast<char>(random.bounded(256));
  }
  return "[General\n=\xff\xfe" + bytes + "\nCardType\n[[\n";
}

constexpr char kWrongKinds[] =
    "[General]\nHostName=@ByteArray(\\0\\x1)\nCardType=W41\nCardNumber=first\nIF-Input=AF\n"
    "IF-Freqs=lots\nDatabase=yes\nX=left\nY=-99999999999\n";

TEST_F(SettingsFaults, CorvanedGivesAClearErrorForDamagedSettingsAndLeavesTheFileAsItIs) {
  const QByteArray garbage = Garbage();
  WriteSettings(garbage);
  Child receiver(folder, "receiver");
  ASSERT_TRUE(receiver.Start(CORVANE_RECEIVER, {"--quiet"}));
  ASSERT_TRUE(receiver.WaitForEnd(10000));
  EXPECT_EQ(receiver.Process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(receiver.Process().exitCode(), 2);
  EXPECT_TRUE(receiver.Output().contains("no card is configured")) << receiver.Output().toStdString();
  EXPECT_EQ(ReadFile(SettingsFile()), garbage);
}

TEST_F(SettingsFaults, CorvanedTakesDefaultsForValuesOfTheWrongKindAndRuns) {
  const quint16 port = FreePort();
  Child server(folder, "server");
  ASSERT_TRUE(StartCardServer(server, port));
  WriteSettings(kWrongKinds);
  Child receiver(folder, "receiver");
  // The card comes from the options; the store kind falls back to SQLite.
  ASSERT_TRUE(receiver.Start(CORVANE_RECEIVER,
                             {"--host", QString("127.0.0.1:%1").arg(port), "--card-type", "1", "--card-number", "1",
                              "--quiet", "--link-name", QString("corvane-faults-settings-%1").arg(::getpid())}));
  EXPECT_TRUE(receiver.WaitForOutput(kConnected, 8000)) << receiver.Output().toStdString();
  EXPECT_TRUE(receiver.Output().contains("decoder mode ACARS"));
  EXPECT_TRUE(WaitUntil([&] { return StoredRows(folder.Database()) >= 10; }, 20000));
  EXPECT_TRUE(receiver.Stop());
  EXPECT_EQ(ReadFile(SettingsFile()), QByteArray(kWrongKinds));
}

TEST_F(SettingsFaults, TheDesktopProgramStartsOnDamagedOrWrongKindSettings) {
  for (const QByteArray& settings : {Garbage(), QByteArray(kWrongKinds)}) {
    WriteSettings(settings);
    Child window(folder, "window");
    ASSERT_TRUE(window.Start(CORVANE_DESKTOP, {}));
    // Up and waiting for the user (the configuration dialog of a first
    // start, as no card is known), without having written the settings.
    EXPECT_FALSE(window.WaitForEnd(3000)) << window.Output().toStdString();
    EXPECT_EQ(ReadFile(SettingsFile()), settings);
  }
}

// A stop signal (as at the end of a session) ends the window as Quit does:
// position and store setting written, the live link's socket gone.
TEST_F(SettingsFaults, TheDesktopProgramStoppedByASignalShutsDownAsQuitDoes) {
  WriteSettings("[General]\nCardType=1\nCardNumber=1\n");
  if (RunningAsRoot()) {
    for (const QString& path : {folder.File("config"), folder.File("config/Nordquill Software"), SettingsFile()}) {
      ASSERT_EQ(::chown(path.toLocal8Bit().constData(), kOrdinaryUser, kOrdinaryUser), 0);
    }
  }
  const QString socket = folder.File(QString("corvane-%1/Corvane").arg(RunningAsRoot() ? kOrdinaryUser : ::getuid()));
  Child window(folder, "window");
  ASSERT_TRUE(window.Start(CORVANE_DESKTOP, {}));
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(socket); }, 8000)) << window.Output().toStdString();
  EXPECT_TRUE(window.Stop(8000)) << window.Output().toStdString();
  const QByteArray settings = ReadFile(SettingsFile());
  EXPECT_TRUE(settings.contains("Database=1")) << settings.toStdString();
  // Where the window stood (the platform may have nudged it by its frame).
  EXPECT_TRUE(settings.contains("\nX=")) << settings.toStdString();
  EXPECT_TRUE(settings.contains("\nY=")) << settings.toStdString();
  EXPECT_FALSE(QFile::exists(socket));
}

}  // namespace
}  // namespace corvane::faults
