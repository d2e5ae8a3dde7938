// The Recent messages window at a busy station: an offscreen main window
// (SQLite store, log off) is fed the real capture at 100 records a second,
// one record per event-loop turn as the card link delivers them, first with
// the Recent messages window closed and then open and following the newest
// row; then a burst of 1,000 records in one turn. A 5 ms timer measures the
// gaps between turns of the event loop: the longest, and the 99th
// percentile; and the time of the burst's one batch into the table. With --screenshot the open window is grabbed to a
// PNG.
//
//   corvane_recent_messages_bench [--records N] [--screenshot FILE.png] WORKDIR
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "shell/main_window.h"
#include "shell/recent_messages.h"

namespace {

// The gaps between turns of the event loop, as a 5 ms timer sees them.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&tick_, &QTimer::timeout, [this] { gaps_.push_back(sinceLast_.restart()); });
    sinceLast_.start();
    tick_.start(5);
  }
  void Stop() { tick_.stop(); }
  [[nodiscard]] qint64 Longest() const { return gaps_.empty() ? 0 : *std::max_element(gaps_.begin(), gaps_.end()); }
  [[nodiscard]] qint64 Percentile(double p) {
    if (gaps_.empty()) {
      return 0;
    }
    std::sort(gaps_.begin(), gaps_.end());
    return gaps_[static_cast<std::size_t>(p * static_cast<double>(gaps_.size() - 1))];
  }

 private:
  QTimer tick_;
  QElapsedTimer sinceLast_;
  std::vector<qint64> gaps_;
};

std::vector<std::string> CaptureRecords() {
  std::vector<std::string> records;
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars.jsonl");
  std::string error;
  for (std::string line; std::getline(in, line);) {
    if (auto record = corvane::capture::ParseCaptureLine(line, error)) {
      records.push_back(std::move(record->txt));
    }
  }
  return records;
}

// Hands one record a turn, every 10 ms, until count records went in.
void FeedAt100PerSecond(corvane::shell::MainWindow& window, const std::vector<std::string>& records, long count,
                        long& next) {
  QEventLoop loop;
  QTimer pace;
  const long end = next + count;
  QObject::connect(&pace, &QTimer::timeout, [&] {
    window.HandleTextRecord(records[static_cast<std::size_t>(next++) % records.size()]);
    if (next == end) {
      loop.quit();
    }
  });
  pace.start(10);
  loop.exec();
}

void Report(const char* phase, StallMeter& meter) {
  meter.Stop();
  const qint64 longest = meter.Longest();
  std::printf("%-44s longest event-loop wait %3lld ms, p99 %lld ms\n", phase, static_cast<long long>(longest),
              static_cast<long long>(meter.Percentile(0.99)));
  std::fflush(stdout);
}

void SelectARowWithAKind(corvane::shell::RecentMessagesWindow& recent) {
  QTableView* table = recent.Table();
  for (int row = table->model()->rowCount() - 1; row >= 0; --row) {
    if (table->model()->index(row, corvane::shell::RecentMessagesModel::kKind).data().toString() == "Position report") {
      table->setCurrentIndex(table->model()->index(row, 0));
      table->scrollTo(table->currentIndex(), QAbstractItemView::PositionAtCenter);
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  long perPhase = 3000;
  QString screenshot;
  QString workdir;
  for (int i = 1; i < argc; ++i) {
    const QString arg = argv[i];
    if (arg == "--records" && i + 1 < argc) {
      perPhase = std::stol(argv[++i]);
    } else if (arg == "--screenshot" && i + 1 < argc) {
      screenshot = QDir::current().absoluteFilePath(argv[++i]);
    } else if (arg == "--help" || arg.startsWith("-") || !workdir.isEmpty()) {
      std::fprintf(stderr, "usage: %s [--records N] [--screenshot FILE.png] WORKDIR\n", argv[0]);
      return arg == "--help" ? 0 : 2;
    } else {
      workdir = arg;
    }
  }
  const std::vector<std::string> records = CaptureRecords();
  if (workdir.isEmpty() || records.empty()) {
    std::fprintf(stderr, "needs a WORKDIR and %s/real-acars.jsonl\n", CORVANE_CAPTURES_DIR);
    return 2;
  }
  QDir().mkpath(workdir + "/config/Nordquill Software");
  std::ofstream((workdir + "/config/Nordquill Software/Corvane.conf").toStdString())
      << "[General]\nCardType=1\nCardNumber=1\nDatabase=1\nAlerts=label:2R\n";
  qputenv("XDG_CONFIG_HOME", (workdir + "/config").toUtf8());
  QDir::setCurrent(workdir);

  corvane::shell::ShellSeams seams;
  seams.liveLinkName = QString("corvane-recent-bench-%1").arg(QCoreApplication::applicationPid());
  seams.messageBox = [](QWidget*, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
  corvane::shell::MainWindow window(seams);
  window.Start();
  while (!window.StoreReady()) {  // the store opens off the window's thread
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  window.show();
  long next = 0;
  {
    StallMeter meter;
    FeedAt100PerSecond(window, records, perPhase, next);
    Report("100 records/s, Recent messages closed:", meter);
  }
  window.OpenRecentMessages();
  QApplication::processEvents();
  {
    StallMeter meter;
    FeedAt100PerSecond(window, records, perPhase, next);
    Report("100 records/s, Recent messages open:", meter);
  }
  if (!screenshot.isEmpty()) {
    corvane::shell::RecentMessagesWindow& recent = *window.Recent();
    recent.resize(900, 560);
    SelectARowWithAKind(recent);
    QApplication::processEvents();
    if (!recent.grab().save(screenshot)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(screenshot));
      return 1;
    }
  }
  {
    StallMeter meter;
    QTimer::singleShot(20, [&] {
      for (int n = 0; n < 1000; ++n) {
        window.HandleTextRecord(records[static_cast<std::size_t>(next++) % records.size()]);
      }
      QElapsedTimer insert;  // the model's one batch (1,000 rows in, 1,000 out) and the view's share of it
      insert.start();
      window.RecentModel().Flush();
      std::printf("the burst's one batch into the table: %.2f ms\n", static_cast<double>(insert.nsecsElapsed()) / 1e6);
    });
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 2000) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    Report("1,000 records in one turn, window open:", meter);
  }
  std::printf("rows shown: %d of %ld records (cap %zu)\n", window.Recent()->Table()->model()->rowCount(), next,
              corvane::shell::kRecentRowCap);
  window.close();
  return 0;
}
