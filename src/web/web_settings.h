// The page's options from the settings HttpAddress, HttpTokenFile,
// HttpCertificate and HttpKey (or corvaned's options standing for them),
// read the same way by the window and corvaned.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "web/web_server.h"

namespace corvane::web {

struct WebSettings {
  std::string address;  // empty: no page
  std::string tokenFile;
  std::string certificateFile;
  std::string keyFile;
};

struct WebSetUp {
  std::optional<WebOptions> options;  // nothing: no page (asked for none, or error says why)
  std::string error;
  std::vector<std::string> warnings;  // the page runs, but something is exposed
};

WebSetUp ReadWebSettings(const WebSettings& settings);

}  // namespace corvane::web
