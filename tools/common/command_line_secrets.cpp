// Finding passwords in libpq connection strings and URIs, and the warning
// about a password on the command line.
#include "common/command_line_secrets.h"

#include <algorithm>
#include <cctype>

namespace corvane::tools {

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// "user:secret@host,host2:5433/db?...": a password before the '@'.
bool AuthorityHoldsPassword(std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  if (at == std::string_view::npos) {
    return false;
  }
  const std::size_t colon = authority.substr(0, at).find(':');
  return colon != std::string_view::npos && colon + 1 < at;
}

// "a=1&password=secret": a password parameter with a value.
bool QueryHoldsPassword(std::string_view query) {
  while (!query.empty()) {
    const std::size_t end = std::min(query.find('&'), query.size());
    const std::string_view parameter = query.substr(0, end);
    if (parameter.starts_with("password=") && parameter.size() > 9) {
      return true;
    }
    query.remove_prefix(std::min(end + 1, query.size()));
  }
  return false;
}

bool UriHoldsPassword(std::string_view uri) {
  uri.remove_prefix(uri.find("://") + 3);
  const std::size_t query = uri.find('?');
  const std::size_t authorityEnd = std::min(uri.find('/'), query);
  return AuthorityHoldsPassword(uri.substr(0, std::min(authorityEnd, uri.size()))) ||
         (query != std::string_view::npos && QueryHoldsPassword(uri.substr(query + 1)));
}

// Reads one value at text[i], quoted ('...', with \' and \\) or up to the
// next blank (with \ escapes), as libpq does; i ends after it.
std::string ReadValue(std::string_view text, std::size_t& i) {
  std::string value;
  const bool quoted = i < text.size() && text[i] == '\'';
  i += quoted ? 1 : 0;
  while (i < text.size() && (quoted ? text[i] != '\'' : !IsSpace(text[i]))) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;
    }
    value += text[i++];
  }
  i += quoted && i < text.size() ? 1 : 0;
  return value;
}

bool KeyWordsHoldPassword(std::string_view text) {
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    const std::size_t keyStart = i;
    while (i < text.size() && text[i] != '=' && !IsSpace(text[i])) ++i;
    const std::string_view key = text.substr(keyStart, i - keyStart);
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (key.empty() || i >= text.size() || text[i] != '=') {
      return false;  // the end, or something libpq refuses anyway
    }
    ++i;
    while (i < text.size() && IsSpace(text[i])) ++i;
    const std::string value = ReadValue(text, i);
    if (key == "password" && !value.empty()) {
      return true;
    }
  }
}

}  // namespace

bool ConnectionStringHoldsPassword(std::string_view conninfo) {
  if (conninfo.starts_with("postgresql://") || conninfo.starts_with("postgres://")) {
    return UriHoldsPassword(conninfo);
  }
  return KeyWordsHoldPassword(conninfo);
}

std::string CommandLinePasswordWarning(std::string_view option, std::string_view saferWay) {
  return "the password in " + std::string(option) + " can be read by every user of this machine (ps); use " +
         std::string(saferWay) + " instead";
}

}  // namespace corvane::tools
