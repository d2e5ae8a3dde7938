// corvaned under faults of its peers and of its own process: the card server
// killed or stalled while records flow, and corvaned itself killed with
// SIGKILL in the middle of a burst and started again. Afterwards the store is
// sound, every log entry is whole and nothing stored before the fault is gone.
#include <gtest/gtest.h>

#include "fault_harness.h"

namespace corvane::faults {
namespace {

constexpr char kLost[] = "connection to the card server lost";
constexpr char kConnected[] = "connected to card 1";

class ReceiverFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.IsValid());
    port = FreePort();
    ASSERT_TRUE(StartCardServer(server, port));
  }

  // Stored rows and log entries agree, the store is sound and the log whole.
  void ExpectSoundAfterwards(bool everyMessageStored = true) {
    EXPECT_TRUE(StoreIsSound(folder.Database()));
    bool whole = false;
    const long logged = LogEntries(ReadFile(folder.Log()), &whole);
    EXPECT_TRUE(whole);
    if (everyMessageStored) {
      EXPECT_EQ(StoredRows(folder.Database()), logged);
    } else {
      EXPECT_LE(StoredRows(folder.Database()), logged);
    }
  }

  // Started and through its one-second connecting sequence, with rows stored.
  void StartReceiverAndWaitForTraffic() {
    ASSERT_TRUE(receiver.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
    ASSERT_TRUE(receiver.WaitForOutput(kConnected, 8000)) << receiver.Output().toStdString();
    ASSERT_TRUE(WaitForRows(30));
  }

  bool WaitForRows(long rows, int milliseconds = 20000) {
    return WaitUntil([&] { return StoredRows(folder.Database()) >= rows; }, milliseconds);
  }

  WorkFolder folder;
  quint16 port = 0;
  Child server{folder, "server"};
  Child receiver{folder, "receiver"};
};

TEST_F(ReceiverFaults, AKilledCardServerIsReportedAtOnceAndTheReceiverReconnectsToItsSuccessor) {
  StartReceiverAndWaitForTraffic();

  server.Signal(SIGKILL);
  ASSERT_TRUE(server.WaitForEnd(3000));
  // The closed socket is noticed as soon as the records already sent are read.
  EXPECT_TRUE(receiver.WaitForOutput(kLost, 2000)) << receiver.Output().toStdString();
  EXPECT_TRUE(receiver.Running());
  const long before = StoredRows(folder.Database());

  // A new server on the same port: the receiver's next try connects to it.
  const qsizetype mark = receiver.Output().size();
  ASSERT_TRUE(StartCardServer(server, port));
  EXPECT_TRUE(receiver.WaitForOutput(kConnected, 5000, mark)) << receiver.Output().toStdString();
  EXPECT_TRUE(WaitForRows(before + 30));
  EXPECT_TRUE(receiver.Stop());
  ExpectSoundAfterwards();
}

TEST_F(ReceiverFaults, AStalledCardServerIsTakenForLostWithinTheCallBoundAndReconnectedWhenItWakes) {
  StartReceiverAndWaitForTraffic();

  // Stopped, the server keeps its socket open but answers nothing: the next
  // mode refresh (every 2 s) waits 3 s of silence and gives up.
  server.Signal(SIGSTOP);
  const QDeadlineTimer stalled(8000);
  EXPECT_TRUE(receiver.WaitForOutput(kLost, 8000)) << receiver.Output().toStdString();
  EXPECT_FALSE(stalled.hasExpired());
  EXPECT_TRUE(receiver.Running());

  const qsizetype mark = receiver.Output().size();
  const long before = StoredRows(folder.Database());
  server.Signal(SIGCONT);
  EXPECT_TRUE(receiver.WaitForOutput(kConnected, 8000, mark)) << receiver.Output().toStdString();
  EXPECT_TRUE(WaitForRows(before + 30));
  EXPECT_TRUE(receiver.Stop());
  ExpectSoundAfterwards();
}

TEST_F(ReceiverFaults, AReceiverKilledMidBurstLeavesASoundStoreAndWholeLogAndStartsAgain) {
  ASSERT_TRUE(receiver.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
  ASSERT_TRUE(WaitForRows(60));

  receiver.Signal(SIGKILL);
  ASSERT_TRUE(receiver.WaitForEnd(3000));
  // Each message is committed before its log entry is written, and each
  // entry is flushed whole: at most the message in hand is logged short.
  const long stored = StoredRows(folder.Database());
  bool whole = false;
  const long logged = LogEntries(ReadFile(folder.Log()), &whole);
  EXPECT_TRUE(StoreIsSound(folder.Database()));
  EXPECT_TRUE(whole);
  EXPECT_GE(stored, logged);
  EXPECT_LE(stored, logged + 1);

  // Started again, it opens the store, loads the tables and stores on.
  Child again(folder, "again");
  ASSERT_TRUE(again.Start(CORVANE_RECEIVER, ReceiverArguments(port)));
  EXPECT_TRUE(again.WaitForOutput("Get data from tables", 5000)) << again.Output().toStdString();
  EXPECT_TRUE(WaitForRows(stored + 30));
  EXPECT_TRUE(again.Stop());
  EXPECT_TRUE(StoreIsSound(folder.Database()));
  EXPECT_TRUE(LogEntries(ReadFile(folder.Log()), &whole) >= logged + 30);
  EXPECT_TRUE(whole);
}

}  // namespace
}  // namespace corvane::faults
