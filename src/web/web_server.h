// The web page's server: the page's files, the JSON API (web_api.h) and
// the live feed (live_clients.h) on one address, over HTTP or HTTPS. It
// refuses any address but loopback unless it has a token; with one, every
// API request and the live feed must show it. Requests another site's page
// makes are refused. Every answer carries a content security policy that
// lets the page run only its own scripts. Connections are held to the
// limits of connection_guard.h. /metrics (station_health.h) is guarded as
// the API is.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <memory>
#include <optional>
#include <string>

#include "receiver/background_calls.h"
#include "web/connection_guard.h"
#include "web/listen_address.h"
#include "web/live_clients.h"
#include "web/page_files.h"
#include "web/web_api.h"

class QHttpServerRequest;
class QTcpSocket;

namespace corvane::web {

struct WebOptions {
  ListenAddress listen;
  std::optional<std::string> token;  // required when listen.NeedsToken()
  QString pageFolder = DefaultPageFolder();
  qint64 liveQueueBytes = 4 * 1024 * 1024;
  std::optional<QSslConfiguration> tls;  // HTTPS when set (tls_files.h)
  ConnectionLimits limits;
  // Store calls that may wait behind the running one; more are answered 503.
  std::size_t maxWaitingCalls = 32;
};

class WebServer : public QObject {
  Q_OBJECT

 public:
  explicit WebServer(WebSources sources, QObject* parent = nullptr);
  ~WebServer() override;

  // Listens; false with why (no token for an address beyond this machine,
  // no page files, the port taken).
  bool Start(const WebOptions& options, std::string* error);
  // Sends an accepted message's LiveJSON object to the live feed.
  void Publish(const std::string& liveJson) { live_.Send(liveJson); }
  [[nodiscard]] std::string PageUrl() const { return options_.listen.PageUrl(options_.tls.has_value()); }
  [[nodiscard]] quint16 Port() const { return port_; }
  [[nodiscard]] const LiveClients& Live() const { return live_; }
  // Connections open now (browsers of the live feed included).
  [[nodiscard]] int OpenConnections() const { return door_ ? door_->OpenConnections() : 0; }
  // Closes the live feed and stops answering; waits for a store call under
  // way first, so that no answer is left for a connection that is gone.
  void Stop();

 signals:
  // A line about trouble serving the page (out of files, too many browsers).
  void Trouble(const QString& line);

 private:
  class Front;
  friend class Front;

  // Where an answer goes: the connection (gone if the browser left), for a
  // HEAD request or not, and whether the browser asked to close after it.
  struct Reply {
    QPointer<QTcpSocket> socket;
    bool headOnly = false;
    bool close = false;
  };

  bool Handle(const QHttpServerRequest& request, QTcpSocket* socket);
  void Answer(const QHttpServerRequest& request, const Reply& reply);
  void AnswerApi(const QHttpServerRequest& request, const Reply& reply);
  void AnswerMetrics(const QHttpServerRequest& request, const Reply& reply);
  void TakeWebSockets();
  [[nodiscard]] bool HostAllowed(const QByteArray& host) const;
  [[nodiscard]] bool OwnOrigin(const QByteArray& origin, const QByteArray& host) const;
  [[nodiscard]] bool FromAnotherSite(const QHttpServerRequest& request) const;
  [[nodiscard]] bool TokenShown(const QHttpServerRequest& request) const;
  static void Send(const Reply& reply, const HttpAnswer& answer);

  WebSources sources_;
  WebOptions options_;
  PageFiles files_;
  LiveClients live_;
  std::unique_ptr<Front> front_;
  QPointer<ConnectionGuard> door_;
  std::unique_ptr<receiver::BackgroundCalls> worker_;
  quint16 port_ = 0;
};

}  // namespace corvane::web
