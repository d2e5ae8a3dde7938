// Tests of corvaned's configuration file: the lines it turns into arguments
// and the lines it refuses, named by file and line.
#include "corvaned/config_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace corvane::tools {
namespace {

const std::vector<ConfigOption> kKnown = {{"host"}, {"station"}, {"http"}, {"mqtt"}, {"quiet", false}};

std::optional<std::vector<std::string>> Read(const std::string& text, std::string* error) {
  std::istringstream in(text);
  return ConfigFileArguments(in, "/etc/corvane/corvaned.conf", kKnown, error);
}

TEST(ConfigFile, TurnsLinesIntoArgumentsAndNamesTheLineItRefuses) {
  std::string error;
  const auto arguments = Read(
      "# the card server\n"
      "\n"
      "  host = 127.0.0.1:7441  \r\n"
      "station=Attic # west\n"
      "mqtt =\n"
      "   # indented comment\n"
      "quiet = true\n"
      "http = 127.0.0.1:8080\n",
      &error);
  ASSERT_TRUE(arguments) << error;
  EXPECT_EQ(*arguments, (std::vector<std::string>{"--host=127.0.0.1:7441", "--station=Attic # west", "--quiet",
                                                  "--http=127.0.0.1:8080"}));
  EXPECT_EQ(Read("quiet = false\n", &error), std::vector<std::string>{});

  const std::pair<std::string, std::string> refused[] = {
      {"host = a\nhots = b\n", "/etc/corvane/corvaned.conf line 2: unknown name \"hots\""},
      {"# comment\n\nhost 127.0.0.1\n", "/etc/corvane/corvaned.conf line 3: not a \"name = value\" line"},
      {" = 127.0.0.1\n", "/etc/corvane/corvaned.conf line 1: no name before '='"},
      {"quiet = yes\n", "/etc/corvane/corvaned.conf line 1: quiet takes true or false"},
      {"--host = a\n", "/etc/corvane/corvaned.conf line 1: unknown name \"--host\""}};
  for (const auto& [text, expected] : refused) {
    error.clear();
    EXPECT_FALSE(Read(text, &error)) << text;
    EXPECT_EQ(error, expected);
  }
}

}  // namespace
}  // namespace corvane::tools
