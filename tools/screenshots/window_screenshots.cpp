// Makes the documentation's pictures of the desktop program's windows: an
// offscreen main window (SQLite store in a scratch folder, the watch list
// "label:B6 has:position") is fed the first part of the real capture, then
// the Recent messages window, the alert list and the Search window are
// grabbed to PNG files in the output folder. scripts/window-screenshots.sh
// builds and runs it.
//
//   corvane-window-screenshots [--records N] OUTDIR
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "shell/alert_list.h"
#include "shell/main_window.h"
#include "shell/recent_messages.h"
#include "shell/search_window.h"

namespace {

constexpr const char* kUsage = "usage: corvane-window-screenshots [--records N] OUTDIR\n";

std::vector<std::string> CaptureRecords(std::size_t most) {
  std::vector<std::string> records;
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars.jsonl");
  std::string error;
  for (std::string line; records.size() < most && std::getline(in, line);) {
    if (auto record = corvane::capture::ParseCaptureLine(line, error)) {
      records.push_back(std::move(record->txt));
    }
  }
  return records;
}

// Turns the event loop for a while, so that the store, the searches and the
// windows' batches catch up.
void Settle(int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

bool Save(QWidget& window, const QString& folder, const char* name) {
  const QString path = folder + "/" + name;
  if (!window.grab().save(path)) {
    std::fprintf(stderr, "corvane-window-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

void WriteSettings(const QString& folder) {
  QDir().mkpath(folder + "/Nordquill Software");
  std::ofstream((folder + "/Nordquill Software/Corvane.conf").toStdString())
      << "[General]\nCardType=1\nCardNumber=1\nDatabase=1\nAlerts=label:B6 has:position\n";
  qputenv("XDG_CONFIG_HOME", folder.toUtf8());
}

// Shows the newest position report of the Recent messages window with its reading.
void ChooseAPositionReport(corvane::shell::RecentMessagesWindow& recent) {
  QTableView* table = recent.Table();
  for (int row = table->model()->rowCount() - 1; row >= 0; --row) {
    const auto index = table->model()->index(row, corvane::shell::RecentMessagesModel::kKind);
    if (index.data().toString() == "Position report") {
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
  std::size_t count = 700;  // the first ADS-C reports, which the watch list matches, come after 428
  QString out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--records" && i + 1 < argc) {
      count = std::stoul(argv[++i]);
    } else if (arg == "--help" || arg == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else if (arg.starts_with("-") || !out.isEmpty()) {
      std::fprintf(stderr, "%s", kUsage);
      return 2;
    } else {
      out = QDir::current().absoluteFilePath(QString::fromStdString(arg));
    }
  }
  const std::vector<std::string> records = CaptureRecords(count);
  if (out.isEmpty() || records.empty()) {
    std::fprintf(stderr, "%sneeds an output folder and %s/real-acars.jsonl\n", kUsage, CORVANE_CAPTURES_DIR);
    return 2;
  }
  QTemporaryDir scratch;
  WriteSettings(scratch.path() + "/config");
  QDir::setCurrent(scratch.path());

  corvane::shell::ShellSeams seams;
  seams.liveLinkName = QString("corvane-screenshots-%1").arg(QCoreApplication::applicationPid());
  seams.messageBox = [](QWidget*, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
  corvane::shell::MainWindow window(seams);
  window.Start();
  while (!window.StoreReady()) {  // the store opens off the window's thread
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  window.show();
  for (const std::string& record : records) {
    window.HandleTextRecord(record);
    QApplication::processEvents();
  }
  Settle(1500);

  window.OpenRecentMessages();
  corvane::shell::RecentMessagesWindow& recent = *window.Recent();
  recent.resize(900, 560);
  ChooseAPositionReport(recent);
  Settle(300);
  bool saved = Save(recent, out, "screenshot-recent.png");

  window.ShowAlertList();
  window.Alerts()->resize(980, 330);
  Settle(300);
  saved = Save(*window.Alerts(), out, "screenshot-alerts.png") && saved;

  window.OpenSearchWindow();
  window.Search()->resize(1000, 620);
  window.Search()->SearchFor("label:H1 has:position");
  Settle(1500);
  saved = Save(*window.Search(), out, "screenshot-search.png") && saved;

  window.ShutDown();
  return saved ? 0 : 1;
}
