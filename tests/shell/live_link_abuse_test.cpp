// The window's live link under abuse while records keep arriving: waves of
// well-behaved clients, one client that stops reading and a few that send
// garbage, all at once. Only the misbehaving clients may suffer.
#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLocalSocket>
#include <QPalette>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "cardlink/event_wait.h"
#include "livelink/live_link_client.h"
#include "livelink/live_link_path.h"
#include "livelink/protocol.h"
#include "shell/main_window.h"
#include "start_window.h"

namespace corvane::shell {
namespace {

using namespace std::string_literals;

constexpr int kClients = 200;
constexpr int kWave = 20;
constexpr int kFeedIntervalMs = 3;
constexpr std::size_t kBigText = 16 * 1024;
constexpr qint64 kBacklogLimit = 256 * 1024;
constexpr int kBudgetMs = 15000;

const std::string kSummaryStart = "0ACARS mode: 2  Aircraft reg: .N123UA\r\n";
const QColor kBlue(0, 0, 255);
const QColor kLightGrey(192, 192, 192);

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  const QDeadlineTimer deadline(milliseconds);
  while (!condition() && !deadline.hasExpired()) {
    cardlink::WaitProcessingEvents(2);
  }
  return condition();
}

// The whole frames in `bytes`.
std::vector<livelink::wire::Items> FramesIn(const std::string& bytes) {
  livelink::wire::FrameReader reader;
  reader.Append(bytes);
  std::vector<livelink::wire::Items> frames;
  livelink::wire::Items items;
  std::string error;
  while (reader.Next(items, error) == livelink::wire::FrameReader::Status::Frame) {
    frames.push_back(items);
  }
  return frames;
}

// The n-th card record; a big one carries a 16 KiB text.
std::string Record(int n, bool big) {
  std::string record = "M=2  ADDR=.N123UA TA=! ML=H1 B=1 MSN=M01A FID=UA0123\r\nTEXT " + std::to_string(n);
  if (big) {
    record += ' ';
    for (std::size_t i = 0; i < kBigText; ++i) {
      record += static_cast<char>('A' + (i + static_cast<std::size_t>(n)) % 26);
    }
  }
  return record;
}

// A raw client that breaks the framing, and what it received.
struct GarbageClient {
  QLocalSocket* socket = nullptr;
  std::string received;
  bool gone = false;
};

class LiveLinkAbuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    previous_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    // No store: a disk sync per record would set the pace here, not the link.
    QDir().mkpath(dir_.filePath("config/Nordquill Software"));
    std::ofstream(dir_.filePath("config/Nordquill Software/Corvane.conf").toStdString())
        << "[General]\nCardType=1\nCardNumber=1\nDatabase=0\n";
  }
  void TearDown() override { QDir::setCurrent(previous_); }

  ShellSeams Seams() {
    ShellSeams seams;
    seams.liveLinkName = QString("corvane-abuse-%1").arg(QCoreApplication::applicationPid());
    seams.clock = [] { return decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; };
    seams.messageBox = [this](QWidget*, const QString& text) { messages_.push_back(text); };
    seams.configDialog = [](QWidget*, config::Settings&) { return false; };
    return seams;
  }

  QTemporaryDir dir_;
  QString previous_;
  std::vector<QString> messages_;
};

TEST_F(LiveLinkAbuseTest, ClientWavesASilentClientAndGarbageLeaveTheWindowHandlingEveryRecord) {
  // What the window publishes, logs and signals; it outlives the window.
  int fed = 0;
  int bigFed = 0;
  bool bigRecords = false;
  std::string lastRecord;
  int publishedItems = 0;
  int publishedData = 0;
  std::vector<std::string> log;
  bool silentDropped = false;
  int fedAtDrop = -1;
  int bigAtDrop = -1;
  int linksOpened = 0;
  int linksClosed = 0;
  int blueAfterOpen = 0;
  int greyAfterClose = 0;

  const ShellSeams seams = Seams();
  MainWindow window(seams);
  StartWindow(window);
  window.show();
  livelink::LiveLinkServer& server = window.LiveLink();
  ASSERT_TRUE(server.IsListening());
  server.SetBacklogLimit(kBacklogLimit);
  const QMetaObject::Connection counting =
      QObject::connect(&window, &MainWindow::ItemPublished, [&](const std::string& item, const std::string&) {
        publishedItems += item == "LiveItem" ? 1 : 0;
        publishedData += item == "LiveData" ? 1 : 0;
      });
  server.SetLogger([&](const std::string& line) {
    log.push_back(line);
    if (line.find("not reading") != std::string::npos) {
      silentDropped = true;
      bigRecords = false;
      fedAtDrop = fed;
      bigAtDrop = bigFed;
    }
  });

  // Every object and connection made below belongs to `owner`, which goes
  // before the window does.
  QObject owner;

  // The window's own slots run first, so the colour is checked after each.
  const auto colour = [&] { return window.LinkIndicator(); };
  QObject::connect(&server, &livelink::LiveLinkServer::LinkOpened, &owner, [&] {
    ++linksOpened;
    blueAfterOpen += colour() == kBlue ? 1 : 0;
  });
  QObject::connect(&server, &livelink::LiveLinkServer::LinkClosed, &owner, [&] {
    ++linksClosed;
    greyAfterClose += colour() == kLightGrey ? 1 : 0;
  });

  // The card keeps sending: big records while the silent client is pushed out.
  auto* feeder = new QTimer(&owner);
  feeder->setInterval(kFeedIntervalMs);
  QObject::connect(feeder, &QTimer::timeout, &owner, [&] {
    lastRecord = Record(++fed, bigRecords);
    bigFed += bigRecords ? 1 : 0;
    window.HandleTextRecord(lastRecord);
  });

  // A client that advises LiveItem and reads nothing after the answers: its
  // small read buffer stays full.
  auto* silent = new QLocalSocket(&owner);
  silent->setReadBufferSize(64);
  QObject::connect(silent, &QLocalSocket::connected, &owner, [silent] {
    const std::string hello = livelink::ConnectFrame("ACARS") + livelink::CommandFrame("ADVISE", "LiveItem");
    silent->write(hello.data(), static_cast<qint64>(hello.size()));
  });
  silent->connectToServer(livelink::LiveLinkPath(seams.liveLinkName));
  const std::string answers =
      livelink::wire::EncodeFrame({"CONNECTED", "ACARS"}) + livelink::wire::EncodeFrame({"ADVISED", "LiveItem"});
  ASSERT_TRUE(WaitFor([&] { return silent->bytesAvailable() >= static_cast<qint64>(answers.size()); }, 5000));
  EXPECT_EQ(silent->read(static_cast<qint64>(answers.size())).toStdString(), answers);
  ASSERT_EQ(linksOpened, 1);

  // Clients that break the framing, each its own way, and why they are dropped.
  std::vector<GarbageClient> garbage(4);
  const std::vector<std::string> garbageBytes = {
      "hello there\r\n",  // "hell" reads as a length far over the limit
      "\x00\x40\x00\x01garbage"s,
      "\0\0\0\0"s,
      livelink::ConnectFrame("ACARS") + livelink::CommandFrame("ADVISE", "LiveData") +
          "\0\0\0\x06\0\0\0\x09"
          "ab"s,
  };
  const std::vector<std::string> reasons = {"a frame of 1751477356 bytes, over the limit",
                                            "a frame of 4194305 bytes, over the limit", "an empty frame",
                                            "an item is longer than its frame"};
  const auto sendGarbage = [&] {
    for (std::size_t i = 0; i < garbage.size(); ++i) {
      GarbageClient& client = garbage[i];
      client.socket = new QLocalSocket(&owner);
      QObject::connect(client.socket, &QLocalSocket::connected, &owner, [&client, bytes = garbageBytes[i]] {
        client.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
      });
      QObject::connect(client.socket, &QLocalSocket::readyRead, &owner,
                       [&client] { client.received += client.socket->readAll().toStdString(); });
      QObject::connect(client.socket, &QLocalSocket::disconnected, &owner, [&client] {
        client.received += client.socket->readAll().toStdString();
        client.gone = true;
      });
      client.socket->connectToServer(livelink::LiveLinkPath(seams.liveLinkName));
    }
  };

  // Well-behaved clients: open, advise LiveData, take a value, close.
  int launched = 0;
  int opened = 0;
  int changed = 0;
  int closed = 0;
  int badValues = 0;
  std::string firstBad;
  std::vector<int> changesOf(kClients, 0);
  std::vector<std::string> failures;
  const auto launch = [&](int index) {
    auto* client = new livelink::LiveLinkClient(&owner);
    QObject::connect(client, &livelink::LiveLinkClient::Opened, &owner, [&, client] {
      ++opened;
      client->Advise("LiveData");
    });
    QObject::connect(
        client, &livelink::LiveLinkClient::Changed, &owner,
        [&, client, index](const std::string& item, const std::string& value) {
          ++changed;
          if (item != "LiveData" || !value.starts_with(kSummaryStart) || value.find("TEXT ") == std::string::npos) {
            firstBad = firstBad.empty() ? item + ": " + value.substr(0, 80) : firstBad;
            ++badValues;
          }
          if (changesOf[static_cast<std::size_t>(index)]++ == 0) {
            client->Close();
          }
        });
    QObject::connect(client, &livelink::LiveLinkClient::Failed, &owner, [&, index](const livelink::LinkError& error) {
      failures.push_back("client " + std::to_string(index) + ": " + error.code + ": " + error.message);
    });
    QObject::connect(client, &livelink::LiveLinkClient::Closed, &owner, [&, client] {
      ++closed;
      client->deleteLater();
    });
    client->Open(seams.liveLinkName);
  };

  // A wave starts when the last one has closed. Big records begin with the
  // third wave; the garbage comes with the sixth, and the seventh waits for
  // the silent client to be gone.
  feeder->start();
  const QDeadlineTimer deadline(kBudgetMs);
  while (!deadline.hasExpired() && launched < kClients) {
    if (closed == launched) {
      const int wave = launched / kWave;
      if (wave == 2) {
        bigRecords = true;
      } else if (wave == 5) {
        sendGarbage();
      }
      if (wave != 6 || silentDropped) {
        for (int i = 0; i < kWave; ++i) {
          launch(launched++);
        }
      }
    }
    cardlink::WaitProcessingEvents(2);
  }
  EXPECT_TRUE(WaitFor(
      [&] {
        return closed == launched &&
               std::all_of(garbage.begin(), garbage.end(), [](const GarbageClient& client) { return client.gone; });
      },
      static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0))));
  feeder->stop();

  // Every well-behaved client got values and closed cleanly.
  ASSERT_EQ(launched, kClients);
  EXPECT_EQ(opened, kClients);
  EXPECT_EQ(closed, kClients);
  EXPECT_GE(changed, kClients);
  EXPECT_EQ(badValues, 0) << firstBad;
  EXPECT_EQ(std::count(changesOf.begin(), changesOf.end(), 0), 0);
  EXPECT_TRUE(failures.empty()) << failures.front();

  // The silent client was pushed out by big records, and the records went on.
  EXPECT_TRUE(silentDropped);
  EXPECT_GT(bigAtDrop, 0);
  EXPECT_EQ(bigFed, bigAtDrop);
  EXPECT_GT(fed, fedAtDrop);

  // The garbage clients were told why and dropped; one had opened a link.
  for (std::size_t i = 0; i < garbage.size(); ++i) {
    const auto frames = FramesIn(garbage[i].received);
    ASSERT_FALSE(frames.empty()) << i;
    EXPECT_EQ(frames.back(), (livelink::wire::Items{"DROPPED", reasons[i]})) << i;
    EXPECT_EQ(garbage[i].socket->state(), QLocalSocket::UnconnectedState) << i;
  }
  const auto linked = FramesIn(garbage[3].received);
  ASSERT_GE(linked.size(), 3U);
  EXPECT_EQ(linked[0], (livelink::wire::Items{"CONNECTED", "ACARS"}));
  EXPECT_EQ(linked[1], (livelink::wire::Items{"ADVISED", "LiveData"}));

  // The server said why it dropped each of the five, and nothing else.
  EXPECT_EQ(log.size(), 5U);
  const auto logged = [&](const std::string& text) {
    return std::count_if(log.begin(), log.end(),
                         [&](const std::string& line) { return line.find("dropped: " + text) != std::string::npos; });
  };
  EXPECT_EQ(logged("not reading"), 1);
  for (const std::string& reason : reasons) {
    EXPECT_EQ(logged(reason), 1) << reason;
  }

  // Nothing is left connected or linked, every link that opened closed, and
  // the window showed each change.
  EXPECT_TRUE(WaitFor([&] { return server.ClientCount() == 0 && server.LinkCount() == 0; }, 5000))
      << server.ClientCount() << " clients, " << server.LinkCount() << " links";
  EXPECT_EQ(linksOpened, kClients + 2);
  EXPECT_EQ(linksClosed, linksOpened);
  EXPECT_EQ(blueAfterOpen, linksOpened);
  EXPECT_EQ(greyAfterClose, linksClosed);
  EXPECT_EQ(colour(), kLightGrey);

  // The window handled every record fed, the last one last.
  EXPECT_EQ(publishedItems, fed);
  EXPECT_EQ(publishedData, fed);
  EXPECT_EQ(window.Path().LiveItem(), lastRecord);
  EXPECT_EQ(server.Item("LiveItem"), lastRecord);
  const auto* liveItem = window.findChild<QLabel*>("LiveItem");
  ASSERT_NE(liveItem, nullptr);
  EXPECT_EQ(liveItem->text(), QString::fromLatin1(lastRecord));
  EXPECT_TRUE(window.Path().LiveData().ends_with("Message content:-\r\n" + lastRecord.substr(lastRecord.find("TEXT"))));
  EXPECT_EQ(window.Path().StatusStamp(), "07/12 21:00:05");
  EXPECT_TRUE(messages_.empty()) << messages_.front().toStdString();

  QObject::disconnect(counting);
  server.SetLogger(nullptr);
  window.close();
}

}  // namespace
}  // namespace corvane::shell
