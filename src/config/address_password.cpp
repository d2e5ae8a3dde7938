// Finding and taking out the password of a libpq address or an MQTT URL (see
// the header). Each form is read the way its library reads it, erring towards
// treating more as the password, never less.
#include "config/address_password.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace corvane::config {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kPasswordKey = "password";

// What stays of an address once its passwords are out.
struct Stripped {
  std::string kept;
  bool dropped = false;   // something was taken out
  bool password = false;  // ... and it held a non-empty password
};

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsSchemeCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// Where the part after "scheme://" begins; kNone when the address is no URI.
std::size_t AfterScheme(std::string_view address) {
  const std::size_t separator = address.find("://");
  if (separator == kNone || separator == 0 || std::isalpha(static_cast<unsigned char>(address[0])) == 0) {
    return kNone;
  }
  const std::string_view scheme = address.substr(0, separator);
  return std::all_of(scheme.begin(), scheme.end(), IsSchemeCharacter) ? separator + 3 : kNone;
}

bool IsLibpqUri(std::string_view address) {
  return address.starts_with("postgresql://") || address.starts_with("postgres://");
}

// "sslmode=require&password=x" -> "?sslmode=require". A query without a
// password stays exactly as written.
void KeepQueryWithoutPassword(std::string_view query, Stripped& result) {
  std::vector<std::string_view> kept;
  bool dropped = false;
  for (std::string_view rest = query;;) {
    const std::size_t end = rest.find('&');
    const std::string_view parameter = rest.substr(0, end);
    if (parameter.starts_with(kPasswordKey) && parameter.substr(kPasswordKey.size()).starts_with('=')) {
      dropped = true;
      result.password = result.password || parameter.size() > kPasswordKey.size() + 1;
    } else {
      kept.push_back(parameter);
    }
    if (end == kNone) {
      break;
    }
    rest.remove_prefix(end + 1);
  }
  result.dropped = result.dropped || dropped;
  if (!dropped) {
    result.kept += '?';
    result.kept += query;
    return;
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    result.kept += i == 0 ? '?' : '&';
    result.kept += kept[i];
  }
}

// "user:secret@host": the password runs from the first ':' of the user part
// to its last '@'. libpq ends the user part before the path ('/'); an MQTT URL
// has no path, so there a '/' before the '@' belongs to the password. Only a
// libpq URI takes a password in its query.
Stripped StripUri(std::string_view address, std::size_t start, bool libpq) {
  Stripped result;
  result.kept = address.substr(0, start);
  const std::string_view rest = address.substr(start);
  const std::size_t at = rest.substr(0, libpq ? rest.find('/') : kNone).rfind('@');
  std::size_t keptFrom = 0;
  if (at != kNone) {
    const std::size_t colon = rest.substr(0, at).find(':');
    if (colon != kNone) {
      result.kept += rest.substr(0, colon);
      result.dropped = true;
      result.password = colon + 1 < at;
      keptFrom = at;
    }
  }
  const std::size_t query = libpq ? rest.find('?', at == kNone ? 0 : at) : kNone;
  result.kept += rest.substr(keptFrom, query == kNone ? kNone : query - keptFrom);
  if (query != kNone) {
    KeepQueryWithoutPassword(rest.substr(query + 1), result);
  }
  return result;
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

std::size_t SkipSpaces(std::string_view text, std::size_t i) {
  while (i < text.size() && IsSpace(text[i])) {
    ++i;
  }
  return i;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = SkipSpaces(text, 0);
  std::size_t last = text.size();
  while (last > first && IsSpace(text[last - 1])) {
    --last;
  }
  return text.substr(first, last - first);
}

// "host=db password='s e c' port=5432" -> "host=db port=5432". A word that is
// no key=value pair (libpq would refuse the string) is kept and passed over,
// so that a password after it is found all the same.
Stripped StripKeyWords(std::string_view text) {
  Stripped result;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    const std::size_t keyStart = SkipSpaces(text, i);
    i = keyStart;
    while (i < text.size() && text[i] != '=' && !IsSpace(text[i])) {
      ++i;
    }
    const std::string_view key = text.substr(keyStart, i - keyStart);
    const std::size_t equals = SkipSpaces(text, i);
    if (key.empty() || equals >= text.size() || text[equals] != '=') {
      i += key.empty() && i < text.size() ? 1 : 0;  // a lone '=' moves on too
      result.kept += text.substr(start, i - start);
      continue;
    }
    i = SkipSpaces(text, equals + 1);
    const std::string value = ReadValue(text, i);
    if (key == kPasswordKey) {
      result.dropped = true;
      result.password = result.password || !value.empty();
    } else {
      result.kept += text.substr(start, i - start);
    }
  }
  if (result.dropped) {
    result.kept = std::string(Trimmed(result.kept));
  }
  return result;
}

Stripped Strip(std::string_view address) {
  const std::size_t start = AfterScheme(address);
  return start == kNone ? StripKeyWords(address) : StripUri(address, start, IsLibpqUri(address));
}

}  // namespace

bool HoldsPassword(std::string_view address) { return Strip(address).password; }

std::string WithoutPassword(std::string_view address) { return Strip(address).kept; }

}  // namespace corvane::config
