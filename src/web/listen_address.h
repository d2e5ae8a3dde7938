// Where the web page's server listens: "ADDRESS:PORT" as a person writes it
// (127.0.0.1:8080, [::1]:8080, 0.0.0.0:8080, localhost:8080), and whether
// that address needs a token (any address but loopback does).
#pragma once

#include <QHostAddress>
#include <optional>
#include <string>

namespace corvane::web {

struct ListenAddress {
  QHostAddress address;
  quint16 port = 0;
  // True when browsers on other machines can reach it.
  [[nodiscard]] bool NeedsToken() const { return !address.isLoopback(); }
  // "http://127.0.0.1:8080/", or https:// when secure (a wildcard address
  // shown as this machine's loopback).
  [[nodiscard]] std::string PageUrl(bool secure = false) const;
};

// The address, or nullopt with why in *error.
std::optional<ListenAddress> ParseListenAddress(const std::string& text, std::string* error);

}  // namespace corvane::web
