// How a command-line program's parsed arguments become what it does: a
// command line that cannot be parsed fails with the parser's reason, --help
// gives the help text, --version the version, and otherwise readValues
// fills the options (or gives why they cannot be used). For every program
// whose CommandLine has an Action, a text and options.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <optional>
#include <string>

namespace corvane::tools {

template <typename CommandLine, typename ReadValues>
CommandLine SortCommandLine(QCommandLineParser& parser, const QStringList& arguments, const QCommandLineOption& help,
                            const QCommandLineOption& version, ReadValues readValues) {
  using Action = typename CommandLine::Action;
  CommandLine result;
  if (!parser.parse(arguments)) {
    result.action = Action::Fail;
    result.text = parser.errorText().toStdString();
  } else if (parser.isSet(help)) {
    result.action = Action::ShowHelp;
    result.text = parser.helpText().toStdString();
  } else if (parser.isSet(version)) {
    result.action = Action::ShowVersion;
  } else if (const std::optional<std::string> problem = readValues(result.options)) {
    result.action = Action::Fail;
    result.text = *problem;
  }
  return result;
}

}  // namespace corvane::tools
