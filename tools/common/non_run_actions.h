// What a command-line program does when its command line asks for no run:
// the help text on standard output, its version, or why the command line
// cannot be used (exit status 2), for every program whose parsed command
// line has an Action (ShowHelp, ShowVersion, Fail, Run) and a text.
#pragma once

#include <cstdio>
#include <optional>

namespace corvane::tools {

// The exit status for anything but a run, or nothing to go on.
template <typename CommandLine>
std::optional<int> HandleNonRunActions(const CommandLine& commandLine, const char* program, const char* version) {
  using Action = typename CommandLine::Action;
  switch (commandLine.action) {
    case Action::ShowHelp:
      std::fputs(commandLine.text.c_str(), stdout);
      return 0;
    case Action::ShowVersion:
      std::printf("%s %s\n", program, version);
      return 0;
    case Action::Fail:
      std::fprintf(stderr, "%s: %s\nTry %s --help.\n", program, commandLine.text.c_str(), program);
      return 2;
    case Action::Run:
      break;
  }
  return std::nullopt;
}

}  // namespace corvane::tools
