// Reading and checking the token.
#include "web/token.h"

#include <QCryptographicHash>
#include <QFile>
#include <fstream>

namespace corvane::web {

namespace {

constexpr std::size_t kShortestToken = 16;

QByteArray Digest(std::string_view text) {
  return QCryptographicHash::hash(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
                                  QCryptographicHash::Sha256);
}

}  // namespace

std::optional<std::string> ReadTokenFile(const std::string& path, std::string* error) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) {
    *error = "cannot read the token file " + path;
    return std::nullopt;
  }
  const std::size_t first = line.find_first_not_of(" \t\r");
  const std::size_t last = line.find_last_not_of(" \t\r");
  const std::string token = first == std::string::npos ? "" : line.substr(first, last - first + 1);
  if (token.size() < kShortestToken) {
    *error = "the token in " + path + " is shorter than " + std::to_string(kShortestToken) + " characters";
    return std::nullopt;
  }
  return token;
}

std::optional<std::string> TokenFileExposure(const std::string& path) {
  const QFileDevice::Permissions permissions = QFile::permissions(QString::fromStdString(path));
  if (!(permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther))) {
    return std::nullopt;
  }
  return "the token file " + path + " can be read by other users of this machine (chmod 600 " + path + ")";
}

// Both are hashed first, so the comparison always runs over the same 32
// bytes whatever the lengths.
bool TokenMatches(std::string_view token, std::string_view given) {
  const QByteArray expected = Digest(token);
  const QByteArray shown = Digest(given);
  unsigned char difference = 0;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    difference |= static_cast<unsigned char>(expected[i] ^ shown[i]);
  }
  return difference == 0 && !token.empty();
}

}  // namespace corvane::web
