// Card text is bytes; the window and its dialogs show it as Latin-1, one
// character a byte, and take typed text back the same way.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace corvane::config {

inline QString Latin1(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A character beyond Latin-1 becomes "?".
inline std::string Bytes(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace corvane::config
