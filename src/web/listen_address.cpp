// Reading "ADDRESS:PORT".
#include "web/listen_address.h"

namespace corvane::web {

namespace {

std::optional<quint16> PortOf(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const int port = std::stoi(text);
  return port <= 65535 ? std::optional<quint16>(static_cast<quint16>(port)) : std::nullopt;
}

}  // namespace

std::string ListenAddress::PageUrl(bool secure) const {
  QHostAddress shown = address;
  if (address == QHostAddress::AnyIPv4 || address == QHostAddress::Any) {
    shown = QHostAddress::LocalHost;
  } else if (address == QHostAddress::AnyIPv6) {
    shown = QHostAddress::LocalHostIPv6;
  }
  const QString host =
      shown.protocol() == QAbstractSocket::IPv6Protocol ? "[" + shown.toString() + "]" : shown.toString();
  return (secure ? "https://" : "http://") + host.toStdString() + ":" + std::to_string(port) + "/";
}

std::optional<ListenAddress> ParseListenAddress(const std::string& text, std::string* error) {
  const auto fail = [&](const std::string& why) {
    *error = "\"" + text + "\" " + why + " (write ADDRESS:PORT, e.g. 127.0.0.1:8080)";
    return std::nullopt;
  };
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) {
    return fail("has no port");
  }
  std::string host = text.substr(0, colon);
  const auto port = PortOf(text.substr(colon + 1));
  if (!port) {
    return fail("has no port from 0 (any free one) to 65535");
  }
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  ListenAddress listen;
  listen.port = *port;
  if (host == "localhost") {
    listen.address = QHostAddress::LocalHost;
  } else if (!listen.address.setAddress(QString::fromStdString(host))) {
    return fail("has no IP address before the port");
  }
  return listen;
}

}  // namespace corvane::web
