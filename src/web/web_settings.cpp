// Reading the page's settings: the address, the token (and who else can
// read its file), and the certificate and key for HTTPS.
#include "web/web_settings.h"

#include "web/tls_files.h"
#include "web/token.h"

namespace corvane::web {

WebSetUp ReadWebSettings(const WebSettings& settings) {
  WebSetUp setUp;
  if (settings.address.empty()) {
    return setUp;
  }
  const auto listen = ParseListenAddress(settings.address, &setUp.error);
  if (!listen) {
    setUp.error = "the address " + setUp.error;
    return setUp;
  }
  WebOptions options;
  options.listen = *listen;
  if (!settings.tokenFile.empty()) {
    options.token = ReadTokenFile(settings.tokenFile, &setUp.error);
    if (!options.token) {
      return setUp;
    }
    if (auto exposed = TokenFileExposure(settings.tokenFile)) {
      setUp.warnings.push_back(std::move(*exposed));
    }
  }
  if (listen->NeedsToken() && !options.token) {
    setUp.error = settings.address +
                  " lets browsers on other machines reach the page, so it needs a token: put one (16 characters or "
                  "more) in a file only you can read and pass --http-token-file FILE (setting HttpTokenFile), or "
                  "listen on 127.0.0.1";
    return setUp;
  }
  if (!settings.certificateFile.empty() || !settings.keyFile.empty()) {
    options.tls = ReadTlsFiles(settings.certificateFile, settings.keyFile, &setUp.error);
    if (!options.tls) {
      return setUp;
    }
  } else if (listen->NeedsToken()) {
    setUp.warnings.push_back("the page at " + settings.address +
                             " is plain HTTP: anyone on the network between a browser and this machine can read "
                             "the token; give a certificate and key (--http-cert, --http-key) to serve HTTPS");
  }
  setUp.options = std::move(options);
  return setUp;
}

}  // namespace corvane::web
