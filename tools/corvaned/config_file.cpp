// Reading corvaned's configuration file into command-line arguments.
#include "corvaned/config_file.h"

#include <algorithm>

namespace corvane::tools {

namespace {

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The argument one "name = value" line stands for: empty when it sets
// nothing, nothing with `*reason` when it cannot be used.
std::optional<std::string> ArgumentOfLine(std::string_view line, const std::vector<ConfigOption>& known,
                                          std::string* reason) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    *reason = "not a \"name = value\" line";
    return std::nullopt;
  }
  const std::string name(Trimmed(line.substr(0, equals)));
  const std::string_view value = Trimmed(line.substr(equals + 1));
  if (name.empty()) {
    *reason = "no name before '='";
    return std::nullopt;
  }
  const auto option =
      std::find_if(known.begin(), known.end(), [&name](const ConfigOption& o) { return o.name == name; });
  if (option == known.end()) {
    *reason = "unknown name \"" + name + "\"";
    return std::nullopt;
  }
  if (value.empty()) {
    return std::string();
  }
  if (option->takesValue) {
    return "--" + name + "=" + std::string(value);
  }
  if (value == "true" || value == "false") {
    return value == "true" ? "--" + name : std::string();
  }
  *reason = name + " takes true or false";
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> ConfigFileArguments(std::istream& in, std::string_view fileName,
                                                            const std::vector<ConfigOption>& known,
                                                            std::string* error) {
  std::vector<std::string> arguments;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '#') {
      continue;
    }
    std::string reason;
    const auto argument = ArgumentOfLine(content, known, &reason);
    if (!argument) {
      *error = std::string(fileName) + " line " + std::to_string(number) + ": " + reason;
      return std::nullopt;
    }
    if (!argument->empty()) {
      arguments.push_back(*argument);
    }
  }
  return arguments;
}

}  // namespace corvane::tools
