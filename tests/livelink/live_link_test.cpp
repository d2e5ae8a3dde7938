// The live link server and client over real local sockets, in-process: round
// trips of any bytes, errors, several clients and links, the link signals,
// clients that stop reading or send garbage, and safe listening in a folder
// of the user's own.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <memory>

#include "livelink/live_link_path.h"
#include "livelink/live_link_server.h"
#include "test_support.h"

namespace corvane::livelink {
namespace {

using namespace std::string_literals;
using testing::FramesIn;
using testing::Recorder;
using testing::UniqueServerName;
using testing::WaitFor;

const std::string kRecord = "M=2  ADDR=.N123UA TA=! ML=H1 B=2 MSN=M01A FID=BA0123\r\n#DFB\0\xb0\xe9\xff\r\n"s;
const std::string kSummary = "0ACARS mode: 2 Aircraft reg: .N123UA\r\n"s;

// A listening server and what it reports.
class LiveLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name = UniqueServerName();
    QString error;
    ASSERT_TRUE(server.Listen(name, &error)) << error.toStdString();
    server.SetLogger([this](const std::string& line) { log.push_back(line); });
    QObject::connect(&server, &LiveLinkServer::LinkOpened, [this] { ++opened; });
    QObject::connect(&server, &LiveLinkServer::LinkClosed, [this] { ++closed; });
  }

  // A client with its conversation open.
  std::unique_ptr<LiveLinkClient> OpenClient(std::unique_ptr<Recorder>& recorder) {
    auto client = std::make_unique<LiveLinkClient>();
    recorder = std::make_unique<Recorder>(*client);
    client->Open(name);
    EXPECT_TRUE(WaitFor([&] { return recorder->opened == 1; }));
    return client;
  }

  // A plain socket that speaks the protocol only as far as it is told.
  std::unique_ptr<QLocalSocket> RawClient(const std::string& bytes) {
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(server.FullServerName());
    EXPECT_TRUE(socket->waitForConnected(3000));
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    return socket;
  }

  QString name;
  LiveLinkServer server;
  std::vector<std::string> log;
  int opened = 0;
  int closed = 0;
};

std::string ConnectAndAdvise(const std::string& item) { return ConnectFrame("ACARS") + CommandFrame("ADVISE", item); }

TEST_F(LiveLinkTest, RequestAdviseAndUnadviseCarryAnyBytes) {
  std::unique_ptr<Recorder> seen;
  auto client = OpenClient(seen);
  client->Request("LiveItem");
  ASSERT_TRUE(WaitFor([&] { return seen->values.size() == 1; }));
  EXPECT_EQ(seen->values[0], std::make_pair("LiveItem"s, ""s));

  server.SetItem("LiveItem", kRecord);
  client->Request("LiveItem");
  ASSERT_TRUE(WaitFor([&] { return seen->values.size() == 2; }));
  EXPECT_EQ(seen->values[1].second, kRecord);

  client->Advise("LiveData");
  ASSERT_TRUE(WaitFor([&] { return seen->advised.size() == 1 && opened == 1; }));
  server.SetItem("LiveData", kSummary);
  server.SetItem("LiveData", kSummary);  // the same value again is a new event
  server.SetItem("LiveItem", "not advised");
  ASSERT_TRUE(WaitFor([&] { return seen->changes.size() == 2; }));
  EXPECT_EQ(seen->changes[1], std::make_pair("LiveData"s, kSummary));

  client->Unadvise("LiveData");
  ASSERT_TRUE(WaitFor([&] { return seen->unadvised.size() == 1; }));
  server.SetItem("LiveData", "after unadvise");
  client->Request("LiveData");
  // The request is answered after any change the server would have pushed.
  ASSERT_TRUE(WaitFor([&] { return seen->values.size() == 3; }));
  EXPECT_EQ(seen->values[2].second, "after unadvise");
  EXPECT_EQ(seen->changes.size(), 2U);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(seen->errors.empty());

  client->Close();
  ASSERT_TRUE(WaitFor([&] { return seen->closed == 1 && server.ClientCount() == 0; }));
  EXPECT_TRUE(seen->errors.empty());
}

TEST_F(LiveLinkTest, UnknownTopicIsRefusedAndUnknownItemIsAnError) {
  LiveLinkClient refused;
  Recorder refusal(refused);
  refused.Open(name, "Acars");
  ASSERT_TRUE(WaitFor([&] { return refusal.closed == 1; }));
  ASSERT_EQ(refusal.errors.size(), 1U);
  EXPECT_EQ(refusal.errors[0].code, "unknown-topic");
  EXPECT_NE(refusal.errors[0].message.find("\"Acars\""), std::string::npos) << refusal.errors[0].message;
  EXPECT_EQ(refusal.opened, 0);

  std::unique_ptr<Recorder> seen;
  auto client = OpenClient(seen);
  client->Request("LiveSummary");
  client->Advise("livedata");
  client->Request("LiveData");
  ASSERT_TRUE(WaitFor([&] { return seen->values.size() == 1; }));
  ASSERT_EQ(seen->errors.size(), 2U);
  EXPECT_EQ(seen->errors[0].code, "unknown-item");
  EXPECT_EQ(seen->errors[0].subject, "LiveSummary");
  EXPECT_EQ(seen->errors[1].command, "ADVISE");
  EXPECT_EQ(opened, 0);
}

TEST_F(LiveLinkTest, SeveralClientsAndLinksEachGetTheirOwnItems) {
  std::unique_ptr<Recorder> bothSeen;
  std::unique_ptr<Recorder> dataSeen;
  std::unique_ptr<Recorder> noneSeen;
  auto both = OpenClient(bothSeen);
  auto data = OpenClient(dataSeen);
  auto none = OpenClient(noneSeen);
  both->Advise("LiveItem");
  both->Advise("LiveData");
  data->Advise("LiveData");
  ASSERT_TRUE(WaitFor([&] { return opened == 3; }));
  EXPECT_EQ(server.LinkCount(), 3U);

  for (int i = 0; i < 5; ++i) {
    server.SetItem("LiveItem", kRecord + std::to_string(i));
    server.SetItem("LiveData", kSummary + std::to_string(i));
  }
  ASSERT_TRUE(WaitFor([&] { return bothSeen->changes.size() == 10 && dataSeen->changes.size() == 5; }));
  EXPECT_EQ(bothSeen->changes[8], std::make_pair("LiveItem"s, kRecord + "4"));
  EXPECT_EQ(dataSeen->changes[4], std::make_pair("LiveData"s, kSummary + "4"));
  none->Request("LiveData");
  ASSERT_TRUE(WaitFor([&] { return noneSeen->values.size() == 1; }));
  EXPECT_TRUE(noneSeen->changes.empty());

  // A clean close and a client that vanishes both close their links.
  both->Close();
  ASSERT_TRUE(WaitFor([&] { return closed == 2; }));
  data.reset();
  ASSERT_TRUE(WaitFor([&] { return closed == 3; }));
  EXPECT_EQ(opened, 3);
  EXPECT_EQ(server.LinkCount(), 0U);
  ASSERT_TRUE(WaitFor([&] { return server.ClientCount() == 1; }));
}

TEST_F(LiveLinkTest, AdviseTwiceOpensOneLinkAndAnAbruptExitClosesTheRest) {
  auto socket = RawClient(ConnectAndAdvise("LiveItem") + CommandFrame("ADVISE", "LiveItem") +
                          CommandFrame("ADVISE", "LiveData") + CommandFrame("UNADVISE", "LiveData"));
  ASSERT_TRUE(WaitFor([&] { return opened == 2 && closed == 1; }));
  EXPECT_EQ(server.LinkCount(), 1U);
  socket->abort();
  ASSERT_TRUE(WaitFor([&] { return closed == 2; }));
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(log.empty());
}

// A client that never reads is dropped once its backlog passes the limit;
// a reading client gets every value meanwhile.
TEST_F(LiveLinkTest, AClientThatStopsReadingIsDroppedAndOthersGoOn) {
  const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(silent, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(server.FullServerName());
  ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof(address.sun_path));
  std::copy(path.begin(), path.end(), address.sun_path);
  ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  const std::string hello = ConnectAndAdvise("LiveItem");
  ASSERT_EQ(::write(silent, hello.data(), hello.size()), static_cast<ssize_t>(hello.size()));

  std::unique_ptr<Recorder> seen;
  auto reader = OpenClient(seen);
  reader->Advise("LiveItem");
  ASSERT_TRUE(WaitFor([&] { return opened == 2; }));

  constexpr int kValues = 48;
  const std::string big(512 * 1024, '\xe9');
  for (int i = 0; i < kValues; ++i) {
    server.SetItem("LiveItem", std::to_string(i) + big);
    ASSERT_TRUE(WaitFor([&] { return seen->changes.size() == static_cast<std::size_t>(i) + 1; }));
    EXPECT_EQ(seen->changes.back().second, std::to_string(i) + big);
  }
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(server.LinkCount(), 1U);
  ASSERT_EQ(log.size(), 1U);
  EXPECT_NE(log[0].find("not reading"), std::string::npos) << log[0];
  ::close(silent);
}

TEST_F(LiveLinkTest, GarbageAndOversizedFramesDropOnlyThatClient) {
  std::unique_ptr<Recorder> seen;
  auto good = OpenClient(seen);
  good->Advise("LiveData");

  auto garbage = RawClient(ConnectAndAdvise("LiveItem") +
                           "\0\0\0\x06\0\0\0\x09"
                           "ab"s);
  ASSERT_TRUE(WaitFor([&] { return garbage->state() == QLocalSocket::UnconnectedState; }));
  const auto last = FramesIn(garbage->readAll().toStdString());
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last.back(), (wire::Items{"DROPPED", "an item is longer than its frame"}));

  auto oversized = RawClient("hello there\r\n");  // "hell" reads as a length far over 4 MiB
  ASSERT_TRUE(WaitFor([&] { return oversized->state() == QLocalSocket::UnconnectedState; }));

  EXPECT_EQ(opened, 2);
  EXPECT_EQ(closed, 1);
  ASSERT_EQ(log.size(), 2U);
  EXPECT_NE(log[0].find("dropped: an item is longer"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("over the limit"), std::string::npos) << log[1];
  server.SetItem("LiveData", kSummary);
  ASSERT_TRUE(WaitFor([&] { return seen->changes.size() == 1; }));
}

TEST_F(LiveLinkTest, ClientReportsNotRunningAndSilentServers) {
  LiveLinkClient client;
  Recorder seen(client);
  const QString missing = UniqueServerName();
  client.Open(missing);
  ASSERT_TRUE(WaitFor([&] { return seen.closed == 1; }));
  ASSERT_EQ(seen.errors.size(), 1U);
  EXPECT_EQ(seen.errors[0].code, "not-running");
  EXPECT_EQ(seen.errors[0].message, "Corvane is not running (no live link named \"" + missing.toStdString() + "\")");

  QLocalServer silent;  // accepts, never answers
  ASSERT_TRUE(silent.listen(UniqueServerName()));
  client.SetTimeout(200);
  client.Open(silent.fullServerName());
  ASSERT_TRUE(WaitFor([&] { return seen.closed == 2; }));
  ASSERT_EQ(seen.errors.size(), 2U);
  EXPECT_EQ(seen.errors[1].code, "timeout");
  EXPECT_EQ(seen.opened, 0);
}

// Listening: a stale socket file is replaced, a live server is left alone,
// anything else under the name is never removed.
class ListenTest : public ::testing::Test {
 protected:
  void TearDown() override { QFile::remove(path); }  // what a failed test left

  QString name = UniqueServerName();
  QString path = LiveLinkPath(name, nullptr, LinkFolder::Create);
};

TEST_F(ListenTest, AStaleSocketFileIsReplacedAndOnlyTheUserMayConnect) {
  const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray bytes = QFile::encodeName(path);
  std::copy(bytes.begin(), bytes.end(), address.sun_path);
  ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(stale);  // a crashed instance: the file stays, nobody listens
  ASSERT_TRUE(QFile::exists(path));

  LiveLinkServer server;
  QString error;
  ASSERT_TRUE(server.Listen(name, &error)) << error.toStdString();
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(server.FullServerName()).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & (S_IRWXG | S_IRWXO), 0U);
  LiveLinkClient client;
  Recorder seen(client);
  client.Open(name);
  EXPECT_TRUE(WaitFor([&] { return seen.opened == 1; }));
}

TEST_F(ListenTest, ASecondServerFailsWhileTheFirstIsAlive) {
  auto first = std::make_unique<LiveLinkServer>();
  ASSERT_TRUE(first->Listen(name));
  LiveLinkServer second;
  QString error;
  EXPECT_FALSE(second.Listen(name, &error));
  EXPECT_TRUE(error.contains("another Corvane is running")) << error.toStdString();
  LiveLinkClient client;
  Recorder seen(client);
  client.Open(name);
  EXPECT_TRUE(WaitFor([&] { return seen.opened == 1; }));

  first.reset();
  EXPECT_TRUE(second.Listen(name, &error)) << error.toStdString();
}

TEST_F(ListenTest, AFileThatIsNoSocketIsLeftAlone) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("keep me");
  file.close();
  LiveLinkServer server;
  QString error;
  EXPECT_FALSE(server.Listen(name, &error));
  EXPECT_TRUE(error.contains("is not a socket")) << error.toStdString();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "keep me");
  file.close();
}

// A link of another user's is neither listened over nor talked to. As root
// that is a live socket given away to "nobody"; otherwise the root folder,
// which root owns, stands for it.
TEST_F(ListenTest, ALinkOfAnotherUserIsNeitherTakenNorUsed) {
  QLocalServer impostor;
  QString foreign = QStringLiteral("/");
  if (::geteuid() == 0) {
    ASSERT_TRUE(impostor.listen(path));
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    foreign = path;
  }
  LiveLinkServer server;
  QString error;
  EXPECT_FALSE(server.Listen(foreign, &error));
  EXPECT_EQ(error, "the live link " + foreign + " belongs to another user");
  LiveLinkClient client;
  Recorder seen(client);
  client.Open(foreign);
  ASSERT_TRUE(WaitFor([&] { return seen.closed == 1; }));
  ASSERT_EQ(seen.errors.size(), 1U);
  EXPECT_EQ(seen.errors[0].code, "unsafe");
  EXPECT_FALSE(impostor.hasPendingConnections());
}

// Plain names go into $XDG_RUNTIME_DIR when only this user may enter it,
// else into <temp>/corvane-<uid>, made private; that folder opened to others
// stops both ends.
struct Variable {  // set for one test, as it was afterwards
  Variable(const char* name, const QString& value) : name(name), old(qgetenv(name)) {
    qputenv(name, QFile::encodeName(value));
  }
  ~Variable() { old.isNull() ? qunsetenv(name) : qputenv(name, old); }
  const char* name;
  QByteArray old;
};

TEST(LiveLinkPathTest, APlainNameGoesIntoAFolderOfTheUsersOwn) {
  QTemporaryDir base;
  const QString runtime = base.path() + "/run";
  const QString temp = base.path() + "/tmp";
  ASSERT_TRUE(QDir().mkdir(runtime) && QDir().mkdir(temp));
  ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
  const Variable tempFolder("TMPDIR", temp);
  const Variable runtimeFolder("XDG_RUNTIME_DIR", runtime);
  QString error;
  EXPECT_EQ(LiveLinkPath("Corvane"), runtime + "/Corvane");
  EXPECT_EQ(LiveLinkPath("/any/where"), "/any/where");

  ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0755), 0);
  const QString own = temp + QStringLiteral("/corvane-%1").arg(::geteuid());
  EXPECT_EQ(LiveLinkPath("Corvane", &error, LinkFolder::Create), own + "/Corvane") << error.toStdString();
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(own).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700U);

  ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0755), 0);
  EXPECT_EQ(LiveLinkPath("Corvane", &error), "");
  EXPECT_TRUE(error.contains("is open to other users")) << error.toStdString();
  LiveLinkServer server;
  EXPECT_FALSE(server.Listen("Corvane", &error));
  EXPECT_TRUE(error.contains("is open to other users")) << error.toStdString();
  LiveLinkClient client;
  Recorder seen(client);
  client.Open("Corvane");
  ASSERT_TRUE(WaitFor([&] { return seen.closed == 1; }));
  ASSERT_EQ(seen.errors.size(), 1U);
  EXPECT_EQ(seen.errors[0].code, "unsafe");
}

}  // namespace
}  // namespace corvane::livelink
