// corvane: the desktop program. It only wires the window to the application,
// and makes a stop signal or the end of the desktop session end it as Quit
// does.
#include <QApplication>

#include "receiver/open_files.h"
#include "receiver/stop_signals.h"
#include "shell/main_window.h"

int main(int argc, char** argv) {
  corvane::receiver::RaiseOpenFileLimit();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Corvane");
  QApplication::setOrganizationName("Nordquill Software");
  corvane::shell::MainWindow window;
  // A stop signal closes every window (a dialog open at start-up too) and
  // leaves the event loop; the shut-down runs once on the way out.
  bool stopped = false;
  corvane::receiver::CallOnStopSignals(&app, [&stopped] {
    stopped = true;
    QApplication::closeAllWindows();
    QCoreApplication::quit();
  });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.ShutDown(); });
  window.Start();
  if (stopped) {  // stopped while starting: there is no event loop to leave yet
    window.ShutDown();
    return 0;
  }
  window.show();
  return QApplication::exec();
}
