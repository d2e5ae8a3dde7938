// corvane-link's command line: which live link to reach, which topic, the
// output form, and what to do (request one item, or advise some).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace corvane::linktool {

struct LinkOptions {
  enum class Mode { Request, Advise };
  Mode mode = Mode::Request;
  QString server;
  std::string topic;
  bool json = false;
  std::vector<std::string> items;  // one for a request; no repeats
  std::optional<long long> count;  // advise: stop after this many values in all
};

struct CommandLine {
  enum class Action { Run, ShowHelp, ShowVersion, Fail };
  Action action = Action::Run;
  LinkOptions options;
  std::string text;  // the help, or what is wrong
};

// Needs a QCoreApplication (for the program's name in the help).
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace corvane::linktool
