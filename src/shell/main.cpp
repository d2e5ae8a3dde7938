// corvane: the desktop program. It only wires the window to the application.
#include <QApplication>

#include "shell/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Corvane");
  QApplication::setOrganizationName("Nordquill Software");
  corvane::shell::MainWindow window;
  window.Start();
  window.show();
  return QApplication::exec();
}
