// The station's health check on a PostgreSQL store: the server stopped
// while a message comes in makes it 503 with the store down and the message
// waiting; the server back makes it 200 again with the message stored.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "../decoding/scratch_dir.h"
#include "../support/postgres_server.h"
#include "web/receiver_web.h"
#include "web/station_health.h"

namespace corvane::web {
namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

TEST(PostgresHealthTest, AServerStoppedIs503WithTheMessageWaitingAndBackIs200WithItStored) {
  test_support::PostgresServer server;
  ASSERT_TRUE(server.Installed()) << "no PostgreSQL server binaries under /usr/lib/postgresql (scripts/setup.sh)";
  ASSERT_TRUE(server.Ready()) << "the test server did not start";
  test_support::ScratchDir scratch;
  setenv("XDG_STATE_HOME", (scratch.path() / "state").c_str(), 1);  // the station's pending file

  decoding::MessageOutputs nothingShown;
  store::WriterLimits limits;
  limits.reportAfter = 200ms;
  receiver::Receiver receiver(nothingShown, decoding::SystemUtcNow, limits);
  receiver.ChooseStore(store::kPostgresStore, {server.Url("postgres"), "north"});
  store::StoreProgress progress;
  receiver.StoreOpened(receiver.OpenChosenStore(progress));
  receiver.SetCardLink(true);
  reference::ReferenceTables tables;
  const WebSources sources = SourcesOf(receiver, tables);
  const std::string record = "M=2  ADDR=.F-GKXA TA=! ML=H1 B=1 MSN=M01A FID=AF1234\r\nTEXT ";

  receiver.HandleCardRecord(record + "1");
  ASSERT_TRUE(WaitFor([&] { return sources.health().stored == 1; }));
  EXPECT_EQ(HealthAnswer(sources.health()).status, 200);

  server.Stop();
  receiver.HandleCardRecord(record + "2");
  ASSERT_TRUE(WaitFor([&] { return sources.health().store == StoreState::Down; }));
  StationHealth down = sources.health();
  EXPECT_EQ(HealthAnswer(down).status, 503);
  EXPECT_FALSE(down.storeTrouble.empty());
  EXPECT_EQ(down.pendingMessages, 1U);
  EXPECT_FALSE(down.storeBytes.has_value());  // no file to measure

  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(WaitFor([&] { return sources.health().store == StoreState::Ok; }));
  const StationHealth back = sources.health();
  EXPECT_EQ(HealthAnswer(back).status, 200);
  EXPECT_EQ(back.stored, 2U);
  EXPECT_EQ(back.pendingMessages, 0U);
  EXPECT_EQ(back.writtenLate, 1U);
  receiver.Stop();
}

}  // namespace
}  // namespace corvane::web
