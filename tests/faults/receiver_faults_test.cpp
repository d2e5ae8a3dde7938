// corvaned under faults of its peers and of its own process: the card server
// killed or stalled while records flow, and corvaned itself killed with
// SIGKILL in the middle of a burst and started again. Afterwards the store is
// sound, every log entry is whole and nothing stored before the fault is gone.
#include <gtest/gtest.h>

#include "fault_harness.h"

namespace corvane::faults {
namespace {

constexpr char kLost[] = "connection to the card server lost";

class ReceiverFaults : public ReceiverFixture {
 protected:
  // Stored rows and log entries agree, the store is sound and the log whole.
  void ExpectSoundAfterwards() {
    EXPECT_TRUE(StoreIsSound(folder.Database()));
    bool whole = false;
    const long logged = LogEntries(ReadFile(folder.Log()), &whole);
    EXPECT_TRUE(whole);
    EXPECT_EQ(Stored(), logged);
  }

  void StartReceiverAndWaitForTraffic() {
    StartReceiver();
    ASSERT_TRUE(WaitForRows(30));
  }
};

TEST_F(ReceiverFaults, AKilledCardServerIsReportedAtOnceAndTheReceiverReconnectsToItsSuccessor) {
  StartReceiverAndWaitForTraffic();

  server.Signal(SIGKILL);
  ASSERT_TRUE(server.WaitForEnd(3000));
  // The closed socket is noticed as soon as the records already sent are read.
  EXPECT_TRUE(receiver.WaitForOutput(kLost, 2000)) << receiver.Output().toStdString();
  EXPECT_TRUE(receiver.Running());
  const long before = Stored();

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
  const long before = Stored();
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
  // Each log entry is flushed whole, and the store holds no message the log
  // does not (but the one in hand). Messages are committed behind the
  // message path, so the last moment's may be logged but not yet stored;
  // how many is measured in bench/ (the receiver benchmark's kill run).
  const long stored = Stored();
  bool whole = false;
  const long logged = LogEntries(ReadFile(folder.Log()), &whole);
  EXPECT_TRUE(StoreIsSound(folder.Database()));
  EXPECT_TRUE(whole);
  EXPECT_GT(stored, 0);
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
