// The page's JSON API: what each /api/ path asks of the store, checked on
// the server's thread and run on a worker, so a locked store or a slow
// server never holds up the message path or the live feed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrlQuery>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "reference/reference_tables.h"
#include "store/store.h"

namespace corvane::web {

// An answer to send: status, content type, body.
struct HttpAnswer {
  int status = 200;
  QByteArray contentType = "application/json";
  QByteArray body;
};

HttpAnswer JsonAnswer(int status, const std::string& json);
HttpAnswer ErrorAnswer(int status, const std::string& message);

// The store the API reads, as the receiver has it at the moment of the
// request; database null (with why) when there is none.
struct StoreAccess {
  store::Database* database = nullptr;
  std::int32_t type = 0;
  std::string name;
  std::string why;
};

// What the API needs from the program that runs it; each function is asked
// on the server's thread.
struct WebSources {
  std::function<StoreAccess()> store;
  std::function<std::vector<std::string>()> watchList;
  std::function<std::string()> station;
  // How far the index of older messages has come (nothing: no store).
  std::function<std::optional<store::search::IndexProgress>()> indexing;
  const reference::ReferenceTables* tables = nullptr;
};

// Work for the worker; its answer goes back to the browser.
using StoreWork = std::function<HttpAnswer()>;

// The answer to GET path?query at once (an error, or what needs no store),
// or the work that makes it.
std::variant<HttpAnswer, StoreWork> RouteApi(const QString& path, const QUrlQuery& query, const WebSources& sources,
                                             bool tokenRequired);

}  // namespace corvane::web
