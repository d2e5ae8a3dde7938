// The window's resident memory after many records: an offscreen main window
// (SQLite store in a scratch folder, log all) is fed the demo capture over and
// over, and the process's resident set is read before and after.
//
//   corvane_window_memory_bench RECORDS WORKDIR
#include <QApplication>
#include <QDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "shell/main_window.h"

namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) {
      return std::stol(line.substr(6));
    }
  }
  return -1;
}

std::vector<std::string> DemoRecords() {
  std::vector<std::string> records;
  std::ifstream in(CORVANE_DEMO_CAPTURE);
  std::string error;
  for (std::string line; std::getline(in, line);) {
    if (auto record = corvane::capture::ParseCaptureLine(line, error)) {
      records.push_back(std::move(record->txt));
    }
  }
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s RECORDS WORKDIR\n", argv[0]);
    return 2;
  }
  const long records = std::stol(argv[1]);
  QDir().mkpath(QString(argv[2]) + "/config/Nordquill Software");
  std::ofstream(std::string(argv[2]) + "/config/Nordquill Software/Corvane.conf")
      << "[General]\nCardType=1\nCardNumber=1\nDatabase=1\n";
  qputenv("XDG_CONFIG_HOME", QByteArray(argv[2]) + "/config");
  QDir::setCurrent(argv[2]);

  corvane::shell::ShellSeams seams;
  seams.liveLinkName = QString("corvane-memory-bench-%1").arg(QCoreApplication::applicationPid());
  corvane::shell::MainWindow window(seams);
  window.Start();
  while (!window.StoreReady()) {  // the store opens off the window's thread
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  window.show();
  const std::vector<std::string> demo = DemoRecords();
  QApplication::processEvents();
  const long before = ResidentKiB();
  const auto start = std::chrono::steady_clock::now();
  for (long n = 0; n < records; ++n) {
    window.HandleTextRecord(demo[static_cast<std::size_t>(n) % demo.size()]);
    if (n % 500 == 0) {
      QApplication::processEvents();
    }
  }
  QApplication::processEvents();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("records %ld in %.1f s; resident memory %ld KiB before, %ld KiB after\n", records, seconds, before,
              ResidentKiB());
  std::fflush(stdout);
  window.close();
  return 0;
}
