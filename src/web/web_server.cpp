// The HTTP side of the page's server, on Qt HttpServer: requests are read
// by the library and answered here; a WebSocket upgrade becomes a browser
// of the live feed once its origin and token are checked.
#include "web/web_server.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QWebSocket>

#include "web/token.h"

namespace corvane::web {

namespace {

constexpr const char* kLivePath = "/api/live";

// Only the page's own files run; data may be fetched only from the page's
// own server; nothing may frame the page.
constexpr const char* kSecurityHeaders =
    "Content-Security-Policy: default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "connect-src 'self' ws: wss:; object-src 'none'; base-uri 'none'; frame-ancestors 'none'; form-action 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "X-Frame-Options: DENY\r\n"
    "Referrer-Policy: no-referrer\r\n";

const char* ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 503:
      return "Service Unavailable";
    default:
      return "Error";
  }
}

// The host part of a Host header ("127.0.0.1:8080" -> "127.0.0.1",
// "[::1]:8080" -> "::1").
QString HostName(const QByteArray& header) {
  QString host = QString::fromLatin1(header).trimmed().toLower();
  if (host.startsWith('[')) {
    return host.mid(1, host.indexOf(']') - 1);
  }
  const qsizetype colon = host.lastIndexOf(':');
  return colon >= 0 && host.count(':') == 1 ? host.left(colon) : host;
}

// The query of a URL as browsers write it (URLSearchParams): a "+" is a
// space (a plus itself comes as %2B), which QUrlQuery leaves as "+".
QUrlQuery FormQuery(const QUrl& url) {
  return QUrlQuery(url.query(QUrl::FullyEncoded).replace(QLatin1Char('+'), QLatin1String("%20")));
}

}  // namespace

// Qt HttpServer's request reader, handing each request to the server.
class WebServer::Front : public QAbstractHttpServer {
 public:
  explicit Front(WebServer& owner) : owner_(owner) {}

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    return owner_.Handle(request, socket);
  }
  void missingHandler(const QHttpServerRequest& /*request*/, QTcpSocket* socket) override {
    Send(socket, ErrorAnswer(404, "Not found"), false);
  }

 private:
  WebServer& owner_;
};

WebServer::WebServer(WebSources sources, QObject* parent)
    : QObject(parent), sources_(std::move(sources)), live_(WebOptions{}.liveQueueBytes, this) {}

WebServer::~WebServer() { Stop(); }

bool WebServer::Start(const WebOptions& options, std::string* error) {
  options_ = options;
  if (options.listen.NeedsToken() && !options.token) {
    *error = "the web page's address " + options.listen.address.toString().toStdString() +
             " is reachable from other machines, so it needs a token (--http-token-file FILE); "
             "without one it listens only on 127.0.0.1";
    return false;
  }
  files_.Load(options.pageFolder);
  if (!files_.HasPage()) {
    *error = "the web page's files are not in " + options.pageFolder.toStdString();
    return false;
  }
  live_.SetMaxQueuedBytes(options.liveQueueBytes);
  front_ = std::make_unique<Front>(*this);
  connect(front_.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::TakeWebSockets);
  port_ = front_->listen(options.listen.address, options.listen.port);
  if (port_ == 0) {
    *error = "cannot listen on " + options.listen.address.toString().toStdString() + ":" +
             std::to_string(options.listen.port) + " (is the port taken?)";
    front_.reset();
    return false;
  }
  options_.listen.port = port_;
  return true;
}

void WebServer::Stop() {
  live_.CloseAll();
  front_.reset();
  worker_.Stop();
}

// A page that another site's address leads to this machine (DNS rebinding)
// names that site as Host: without a token, only this machine's own names
// are answered. With one, any name is (the token guards the data).
bool WebServer::HostAllowed(const QByteArray& header) const {
  if (options_.token) {
    return true;
  }
  const QString host = HostName(header);
  const QHostAddress address(host);
  return host == QStringLiteral("localhost") || (!address.isNull() && address.isLoopback());
}

bool WebServer::TokenShown(const QHttpServerRequest& request) const {
  if (!options_.token) {
    return true;
  }
  const QByteArray authorization = request.value("Authorization");
  const QByteArray prefix = "Bearer ";
  const QByteArray shown = authorization.startsWith(prefix) ? authorization.mid(prefix.size()).trimmed() : QByteArray();
  return TokenMatches(*options_.token, std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
}

bool WebServer::Handle(const QHttpServerRequest& request, QTcpSocket* socket) {
  // A WebSocket upgrade is taken as handled without an answer: the library
  // then hands the socket over (TakeWebSockets checks it there).
  if (request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
    return true;
  }
  const bool head = request.method() == QHttpServerRequest::Method::Head;
  if (request.method() != QHttpServerRequest::Method::Get && !head) {
    Send(socket, ErrorAnswer(405, "Only GET is answered"), false);
    return true;
  }
  if (!HostAllowed(request.value("Host"))) {
    Send(socket, ErrorAnswer(403, "This server answers only to its own address"), head);
    return true;
  }
  const QString path = request.url().path();
  if (!path.startsWith(QStringLiteral("/api/"))) {
    const PageFile* file = files_.Find(path);
    Send(socket, file ? HttpAnswer{200, file->contentType, file->bytes} : ErrorAnswer(404, "Not found"), head);
    return true;
  }
  if (!TokenShown(request)) {
    Send(socket, ErrorAnswer(401, "This station's page needs its token"), head);
    return true;
  }
  auto routed = RouteApi(path, FormQuery(request.url()), sources_, options_.token.has_value());
  if (auto* answer = std::get_if<HttpAnswer>(&routed)) {
    Send(socket, *answer, head);
    return true;
  }
  // The answer is sent when the worker has it, if the browser is still there.
  worker_.Run(std::get<StoreWork>(std::move(routed)), socket,
              [socket = QPointer<QTcpSocket>(socket), head](HttpAnswer answer) {
                if (socket) {
                  Send(socket, answer, head);
                }
              });
  return true;
}

void WebServer::Send(QTcpSocket* socket, const HttpAnswer& answer, bool headOnly) {
  QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " " + ReasonOf(answer.status) + "\r\n";
  response += "Content-Type: " + answer.contentType + "\r\n";
  response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
  response +=
      answer.contentType.startsWith("application/json") ? "Cache-Control: no-store\r\n" : "Cache-Control: no-cache\r\n";
  response += kSecurityHeaders;
  response += "\r\n";
  if (!headOnly) {
    response += answer.body;
  }
  socket->write(response);
}

void WebServer::TakeWebSockets() {
  while (front_ && front_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> socket = front_->nextPendingWebSocketConnection();
    const QUrl url = socket->requestUrl();
    const QUrlQuery query(url);
    const std::string token = query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toStdString();
    // Any web site may open a WebSocket to this machine: only the page's
    // own origin (or a program that names none) is let in.
    const QString origin = socket->origin();
    const bool sameOrigin = origin.isEmpty() || HostAllowed(QUrl(origin).host().toLatin1());
    const bool tokenOk = !options_.token || TokenMatches(*options_.token, token);
    if (url.path() != QLatin1String(kLivePath) || !sameOrigin || !tokenOk) {
      socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("refused"));
      socket.release()->deleteLater();
      continue;
    }
    live_.Add(std::move(socket));
  }
}

}  // namespace corvane::web
