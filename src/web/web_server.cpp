// The HTTP side of the page's server, on Qt HttpServer: connections come
// through the door (connection_guard.h), requests are read by the library
// and answered here; a WebSocket upgrade becomes a browser of the live feed
// once its origin and token are checked. Store calls run on the worker with
// this server as the context their answers come back to; the connection
// may be gone by then, so it is held weakly.
#include "web/web_server.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QWebSocket>

#include "receiver/open_files.h"
#include "web/station_health.h"
#include "web/token.h"

namespace corvane::web {

namespace {

constexpr const char* kLivePath = "/api/live";
constexpr const char* kMetricsPath = "/metrics";

// Only the page's own files run; data may be fetched only from the page's
// own server ('self' takes in WebSockets to the page's own host and port);
// nothing may frame the page.
constexpr const char* kSecurityHeaders =
    "Content-Security-Policy: default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "connect-src 'self'; object-src 'none'; base-uri 'none'; frame-ancestors 'none'; form-action 'none'\r\n"
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
    case 413:
      return "Payload Too Large";
    case 431:
      return "Request Header Fields Too Large";
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

// Whether the request's Connection header holds "close".
bool AsksToClose(const QByteArray& connection) {
  for (const QByteArray& option : connection.split(',')) {
    if (option.trimmed().compare("close", Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

std::string RefusalText(int status) {
  switch (status) {
    case 413:
      return "This server takes no request body over its limit";
    case 431:
      return "The request's head is over this server's limit";
    default:
      return "This server is busy; try again in a moment";
  }
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
    Send({socket, false, false}, ErrorAnswer(404, "Not found"));
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
    *error = receiver::NearOpenFileLimit() ? "cannot open the web page's files: too many open files (" +
                                                 receiver::OpenFilesNow().value_or("") + ")"
                                           : "the web page's files are not in " + options.pageFolder.toStdString();
    return false;
  }
  live_.SetMaxQueuedBytes(options.liveQueueBytes);
  front_ = std::make_unique<Front>(*this);
  connect(front_.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::TakeWebSockets);
  door_ = new ConnectionGuard(
      options.limits, options.tls,
      [](QTcpSocket* socket, int status) {
        Send({socket, false, true}, ErrorAnswer(status, RefusalText(status)));
      },
      front_.get());
  connect(door_, &ConnectionGuard::Trouble, this, &WebServer::Trouble);
  if (!door_->listen(options.listen.address, options.listen.port)) {
    *error = "cannot listen on " + options.listen.address.toString().toStdString() + ":" +
             std::to_string(options.listen.port) + ": " + ListenFailure(*door_);
    front_.reset();
    return false;
  }
  front_->bind(door_);
  port_ = door_->serverPort();
  options_.listen.port = port_;
  worker_ = std::make_unique<receiver::BackgroundCalls>(options.maxWaitingCalls);
  return true;
}

// The worker goes first: the call under way ends and posts its answer to
// this server, which drops it once the connections are gone.
void WebServer::Stop() {
  live_.CloseAll();
  worker_.reset();
  front_.reset();
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

// The page's own origin is the scheme it is served with and the host and
// port the browser asked for (its Host header).
bool WebServer::OwnOrigin(const QByteArray& origin, const QByteArray& host) const {
  const QString scheme = options_.tls ? QStringLiteral("https") : QStringLiteral("http");
  const int defaultPort = options_.tls ? 443 : 80;
  const QUrl given(QString::fromLatin1(origin).trimmed(), QUrl::StrictMode);
  const QUrl own(scheme + "://" + QString::fromLatin1(host).trimmed(), QUrl::StrictMode);
  return given.isValid() && own.isValid() && !own.host().isEmpty() && given.scheme() == scheme &&
         given.host() == own.host() && given.port(defaultPort) == own.port(defaultPort);
}

// A request another site's page makes: the browser says so (Sec-Fetch-Site;
// same-site is another origin too, e.g. another port of this host), or it
// names an origin that is not the page's.
bool WebServer::FromAnotherSite(const QHttpServerRequest& request) const {
  const QByteArray site = request.value("Sec-Fetch-Site").trimmed().toLower();
  if (site == "cross-site" || site == "same-site") {
    return true;
  }
  const QByteArray origin = request.value("Origin");
  return !origin.isEmpty() && !OwnOrigin(origin, request.value("Host"));
}

bool WebServer::TokenShown(const QHttpServerRequest& request) const {
  if (!options_.token) {
    return true;
  }
  const QByteArray authorization = request.value("Authorization").trimmed();
  const QByteArray scheme = "bearer ";
  const bool bearer = authorization.left(scheme.size()).compare(scheme, Qt::CaseInsensitive) == 0;
  const QByteArray shown = bearer ? authorization.mid(scheme.size()).trimmed() : QByteArray();
  return TokenMatches(*options_.token, std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
}

bool WebServer::Handle(const QHttpServerRequest& request, QTcpSocket* socket) {
  // A WebSocket upgrade is taken as handled without an answer: the library
  // then hands the socket over (TakeWebSockets checks it there).
  if (request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
    ConnectionGuard::HandedOver(socket);
    return true;
  }
  ConnectionGuard::RequestTaken(socket);
  Answer(request,
         {socket, request.method() == QHttpServerRequest::Method::Head, AsksToClose(request.value("Connection"))});
  return true;
}

void WebServer::Answer(const QHttpServerRequest& request, const Reply& reply) {
  if (request.method() != QHttpServerRequest::Method::Get && !reply.headOnly) {
    Send({reply.socket, false, reply.close}, ErrorAnswer(405, "Only GET is answered"));
    return;
  }
  if (!HostAllowed(request.value("Host"))) {
    Send(reply, ErrorAnswer(403, "This server answers only to its own address"));
    return;
  }
  const QString path = request.url().path();
  if (path.startsWith(QStringLiteral("/api/"))) {
    AnswerApi(request, reply);
    return;
  }
  if (path == QLatin1String(kMetricsPath) && sources_.health) {
    AnswerMetrics(request, reply);
    return;
  }
  const PageFile* file = files_.Find(path);
  Send(reply, file ? HttpAnswer{200, file->contentType, file->bytes} : ErrorAnswer(404, "Not found"));
}

void WebServer::AnswerApi(const QHttpServerRequest& request, const Reply& reply) {
  if (FromAnotherSite(request)) {
    Send(reply, ErrorAnswer(403, "This station's data is not given to pages of other sites"));
    return;
  }
  if (!TokenShown(request)) {
    Send(reply, ErrorAnswer(401, "This station's page needs its token"));
    return;
  }
  auto routed = RouteApi(request.url().path(), FormQuery(request.url()), sources_, options_.token.has_value());
  if (auto* answer = std::get_if<HttpAnswer>(&routed)) {
    Send(reply, *answer);
    return;
  }
  // The answer is finished and sent when the worker has it, if the browser
  // is still there.
  const bool queued = worker_->Run(std::get<StoreWork>(std::move(routed)), this, [reply](const FinishAnswer& finish) {
    if (reply.socket) {
      Send(reply, finish());
    }
  });
  if (!queued) {
    Send(reply, ErrorAnswer(503, "The server is busy with other requests; ask again in a moment"));
  }
}

// The metrics are the station's data as much as the API's answers are: the
// same refusals hold.
void WebServer::AnswerMetrics(const QHttpServerRequest& request, const Reply& reply) {
  if (FromAnotherSite(request)) {
    Send(reply, ErrorAnswer(403, "This station's data is not given to pages of other sites"));
    return;
  }
  if (!TokenShown(request)) {
    Send(reply, ErrorAnswer(401, "This station's metrics need its token"));
    return;
  }
  Send(reply, MetricsAnswer(sources_.health(), {live_.Count(), OpenConnections()}));
}

void WebServer::Send(const Reply& reply, const HttpAnswer& answer) {
  QTcpSocket* socket = reply.socket;
  if (socket == nullptr) {
    return;
  }
  QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " " + ReasonOf(answer.status) + "\r\n";
  response += "Content-Type: " + answer.contentType + "\r\n";
  response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
  response +=
      answer.contentType.startsWith("application/json") ? "Cache-Control: no-store\r\n" : "Cache-Control: no-cache\r\n";
  response += kSecurityHeaders;
  if (reply.close) {
    response += "Connection: close\r\n";
  }
  response += "\r\n";
  if (!reply.headOnly) {
    response += answer.body;
  }
  socket->write(response);
  ConnectionGuard::AnswerSent(socket);
  if (reply.close) {
    socket->disconnectFromHost();
  }
}

void WebServer::TakeWebSockets() {
  while (front_ && front_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> socket = front_->nextPendingWebSocketConnection();
    const QUrl url = socket->requestUrl();
    const QUrlQuery query(url);
    const std::string token = query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toStdString();
    // Any web site may open a WebSocket to this machine: only the page's
    // own origin (or a program that names none) is let in.
    const QByteArray host = socket->request().rawHeader("Host");
    const QString origin = socket->origin();
    const bool sameOrigin = HostAllowed(host) && (origin.isEmpty() || OwnOrigin(origin.toLatin1(), host));
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
