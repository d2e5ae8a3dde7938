// Where the card server's messages go: a function taking one line, so that
// tests can collect them; the program writes them to standard error.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace corvane::cardserver {

using Logger = std::function<void(const std::string&)>;

inline void LogToStderr(const std::string& message) {
  std::fprintf(stderr, "corvane-cardserver: %s\n", message.c_str());
  std::fflush(stderr);
}

}  // namespace corvane::cardserver
