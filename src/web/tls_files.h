// The page served over HTTPS: the certificate (PEM, the server's own first,
// then any chain) and its private key (PEM, RSA or EC, without a pass
// phrase) read from files, with a clear reason when they cannot be used.
#pragma once

#include <QSslConfiguration>
#include <optional>
#include <string>

namespace corvane::web {

// The server side's TLS set-up, or nullopt with why in *error.
std::optional<QSslConfiguration> ReadTlsFiles(const std::string& certificateFile, const std::string& keyFile,
                                              std::string* error);

}  // namespace corvane::web
