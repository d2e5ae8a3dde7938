// corvane-store's command line: the command (backup), which store and where
// the copy goes.
#pragma once

#include <QStringList>
#include <string>

namespace corvane::storetool {

struct StoreOptions {
  int database = 1;   // 1 SQLite, 2 Jet layout, 4 PostgreSQL
  std::string store;  // the store file; empty for PostgreSQL
  std::string destination;
};

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Fail };
  Action action = Action::Run;
  StoreOptions options;
  std::string text;  // the help, or what is wrong
};

// Reads the settings for the store's kind (as corvaned does); needs a
// QCoreApplication.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace corvane::storetool
