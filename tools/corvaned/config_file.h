// corvaned's configuration file: plain "name = value" lines, the names being
// corvaned's long options without the dashes. The file is turned into
// command-line arguments that go before the program's own, so the command
// line wins. Plain C++.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::tools {

// One option the file may set: its long name, and whether it takes a value
// (a switch such as quiet is set with "true" or "false" instead).
struct ConfigOption {
  std::string name;
  bool takesValue = true;
};

// The arguments the lines of `in` stand for ("--host=127.0.0.1", "--quiet"),
// in the file's order. Blank lines and lines starting with '#' are skipped;
// the value is the rest of the line after '=', trimmed, and an empty value
// sets nothing. A line without '=', an unknown name or a switch that is
// neither true nor false gives nothing, with `*error` saying
// "FILE line N: reason".
std::optional<std::vector<std::string>> ConfigFileArguments(std::istream& in, std::string_view fileName,
                                                            const std::vector<ConfigOption>& known, std::string* error);

}  // namespace corvane::tools
