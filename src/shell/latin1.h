// Card text is bytes; the window shows it as Latin-1, one character a byte.
#pragma once

#include <QString>
#include <string_view>

namespace corvane::shell {

inline QString Latin1(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace corvane::shell
