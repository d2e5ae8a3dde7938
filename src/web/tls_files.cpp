// Reading the certificate and key files.
#include "web/tls_files.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace corvane::web {

namespace {

std::optional<QByteArray> ReadWhole(const std::string& path, const char* what, std::string* error) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    *error = std::string("cannot read the ") + what + " file " + path + ": " + file.errorString().toStdString();
    return std::nullopt;
  }
  return file.readAll();
}

// The key as RSA, else EC (the two kinds certificates for a web server use).
QSslKey PrivateKeyOf(const QByteArray& pem) {
  for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec}) {
    const QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
    if (!key.isNull()) {
      return key;
    }
  }
  return {};
}

}  // namespace

std::optional<QSslConfiguration> ReadTlsFiles(const std::string& certificateFile, const std::string& keyFile,
                                              std::string* error) {
  if (certificateFile.empty() || keyFile.empty()) {
    *error = "HTTPS needs both a certificate file and its key file";
    return std::nullopt;
  }
  if (!QSslSocket::supportsSsl()) {
    *error = "this Qt has no TLS library to serve HTTPS with";
    return std::nullopt;
  }
  const auto certificateText = ReadWhole(certificateFile, "certificate", error);
  const auto keyText = certificateText ? ReadWhole(keyFile, "key", error) : std::nullopt;
  if (!keyText) {
    return std::nullopt;
  }
  const QList<QSslCertificate> chain = QSslCertificate::fromData(*certificateText, QSsl::Pem);
  if (chain.isEmpty() || chain.front().isNull()) {
    *error = "the certificate file " + certificateFile + " holds no PEM certificate";
    return std::nullopt;
  }
  const QSslKey key = PrivateKeyOf(*keyText);
  if (key.isNull()) {
    *error = "the key file " + keyFile + " holds no PEM private key (RSA or EC, without a pass phrase)";
    return std::nullopt;
  }
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  configuration.setLocalCertificateChain(chain);  // the server's own first
  configuration.setPrivateKey(key);
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);  // browsers show no certificate of their own
  return configuration;
}

}  // namespace corvane::web
