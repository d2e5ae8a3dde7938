// The web page's server: the page's files, the JSON API (web_api.h) and
// the live feed (live_clients.h) on one address. It refuses any address
// but loopback unless it has a token; with one, every API request and the
// live feed must show it. Every answer carries a content security policy
// that lets the page run only its own scripts.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "receiver/background_calls.h"
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
  [[nodiscard]] std::string PageUrl() const { return options_.listen.PageUrl(); }
  [[nodiscard]] quint16 Port() const { return port_; }
  [[nodiscard]] const LiveClients& Live() const { return live_; }
  // Closes the live feed and stops answering; waits for a store call under way.
  void Stop();

 private:
  class Front;
  friend class Front;

  bool Handle(const QHttpServerRequest& request, QTcpSocket* socket);
  void TakeWebSockets();
  [[nodiscard]] bool HostAllowed(const QByteArray& host) const;
  [[nodiscard]] bool TokenShown(const QHttpServerRequest& request) const;
  static void Send(QTcpSocket* socket, const HttpAnswer& answer, bool headOnly);

  WebSources sources_;
  WebOptions options_;
  PageFiles files_;
  LiveClients live_;
  std::unique_ptr<Front> front_;
  receiver::BackgroundCalls worker_;
  quint16 port_ = 0;
};

}  // namespace corvane::web
