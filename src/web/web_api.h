// The page's JSON API: what each /api/ path asks of the store, checked on
// the server's thread and run on a worker, so a locked store or a slow
// server never holds up the message path or the live feed. The reference
// tables are read only on the server's thread, where nothing replaces them
// under the reader: what the worker fetched is written out there.
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
#include "web/station_facts.h"

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
  // The reference tables, or null while another thread may be replacing
  // them (a store being opened loads its own).
  std::function<const reference::ReferenceTables*()> tables;
  // The station's health and counts (/api/health, /metrics).
  std::function<StationHealth()> health;
  // The /api/adsb answer (adsb/adsb_json.h); unset: ADS-B is off.
  std::function<std::string()> adsb;
};

// The last step of an answer, run on the server's thread.
using FinishAnswer = std::function<HttpAnswer()>;
// Work for the worker; what it gives is finished on the server's thread and
// goes back to the browser.
using StoreWork = std::function<FinishAnswer()>;

// The answer to GET path?query at once (an error, or what needs no store),
// or the work that makes it.
std::variant<HttpAnswer, StoreWork> RouteApi(const QString& path, const QUrlQuery& query, const WebSources& sources,
                                             bool tokenRequired);

}  // namespace corvane::web
