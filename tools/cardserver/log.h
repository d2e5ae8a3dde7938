// Where the card server's messages go: a function taking one line, so that
// tests can collect them; the program writes them to standard error.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace corvane::cardserver {

using Logger = std::function<void(const std::string&)>;

// Messages can quote what a client or a datagram sent: control bytes are
// written as \xNN so that nothing received can drive the terminal.
inline std::string EscapeControlBytes(const std::string& message) {
  std::string text;
  text.reserve(message.size());
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

inline void LogToStderr(const std::string& message) {
  std::fprintf(stderr, "corvane-cardserver: %s\n", EscapeControlBytes(message).c_str());
  std::fflush(stderr);
}

}  // namespace corvane::cardserver
