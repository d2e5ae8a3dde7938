// The API's routes.
#include "web/web_api.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "adsb/adsb_json.h"
#include "decoding/latin1_text.h"
#include "store/search/query.h"
#include "web/station_health.h"
#include "web/web_json.h"

namespace corvane::web {

namespace {

namespace search = store::search;
using Json = nlohmann::json;

constexpr std::size_t kDefaultPage = 100;
constexpr std::size_t kLargestPage = 1000;

std::string Parameter(const QUrlQuery& query, const char* name) {
  return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded).toStdString();
}

std::optional<long long> NumberParameter(const QUrlQuery& query, const char* name) {
  bool ok = false;
  const long long value = query.queryItemValue(QString::fromLatin1(name)).toLongLong(&ok);
  return ok ? std::optional<long long>(value) : std::nullopt;
}

// The query a browser typed (UTF-8) read as the card's bytes, or why not;
// its station: terms find this receiver's own messages under ownStation.
std::variant<search::Query, HttpAnswer> QueryOf(const std::string& typed, const std::string& ownStation) {
  if (typed.empty()) {
    return ErrorAnswer(400, "Type a query: words, \"phrases\", flight:, tail:, label:, kind:, from:, to: ...");
  }
  const auto bytes = decoding::Utf8ToLatin1(typed);
  if (!bytes) {
    return ErrorAnswer(400, "The query holds characters no message can hold (only Latin-1 letters are sent)");
  }
  search::ParsedQuery parsed = search::ParseQuery(*bytes);
  if (!parsed.query) {
    return ErrorAnswer(400,
                       "The query cannot be read: " + decoding::Latin1ToUtf8(search::DescribeError(*parsed.error)));
  }
  search::StationNamesAsUtf8(*parsed.query);
  parsed.query->ownStation = ownStation;
  return std::move(*parsed.query);
}

HttpAnswer StoreRefusal(const std::exception& failure) {
  return ErrorAnswer(503, std::string("The store cannot answer now: ") + failure.what());
}

// Runs a store call whose answer is complete on the worker, turning the
// store's refusal into 503.
template <typename Call>
FinishAnswer Answering(Call call) {
  try {
    return [answer = call()] { return answer; };
  } catch (const std::exception& failure) {
    return [answer = StoreRefusal(failure)] { return answer; };
  }
}

std::variant<HttpAnswer, StoreWork> Search(const QUrlQuery& query, const StoreAccess& store,
                                           const WebSources& sources) {
  auto parsed = QueryOf(Parameter(query, "q"), sources.station());
  if (auto* error = std::get_if<HttpAnswer>(&parsed)) {
    return *error;
  }
  const long long limit = NumberParameter(query, "limit").value_or(kDefaultPage);
  search::SearchRequest request{std::get<search::Query>(std::move(parsed)),
                                static_cast<std::size_t>(std::clamp<long long>(limit, 1, kLargestPage)),
                                NumberParameter(query, "before")};
  return StoreWork([store, request = std::move(request)] {
    return Answering(
        [&] { return JsonAnswer(200, SearchPageJson(store.database->Search(store.type, store.name, request))); });
  });
}

std::variant<HttpAnswer, StoreWork> Count(const QUrlQuery& query, const StoreAccess& store, const WebSources& sources) {
  auto parsed = QueryOf(Parameter(query, "q"), sources.station());
  if (auto* error = std::get_if<HttpAnswer>(&parsed)) {
    return *error;
  }
  return StoreWork([store, counted = std::get<search::Query>(std::move(parsed))] {
    return Answering(
        [&] { return JsonAnswer(200, CountJson(store.database->CountMatches(store.type, store.name, counted))); });
  });
}

// An aircraft's day is the search "tail:ADDRESS from:DAY to:DAY", the
// address and day checked first so that nothing else can be slipped in.
std::variant<HttpAnswer, StoreWork> AircraftDay(const QUrlQuery& query, const StoreAccess& store,
                                                const WebSources& sources) {
  const std::string tail = Parameter(query, "tail");
  const std::string day = Parameter(query, "day");
  const bool tailOk =
      !tail.empty() && tail.size() <= 16 &&
      tail.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-") == std::string::npos &&
      tail.find_first_not_of(".") != std::string::npos;
  const bool dayOk = day.size() == 10 && day[4] == '-' && day[7] == '-' &&
                     std::all_of(day.begin(), day.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
  if (!tailOk || !dayOk) {
    return ErrorAnswer(400, "Give the aircraft as tail=ADDRESS and the day as day=YYYY-MM-DD");
  }
  QUrlQuery asSearch;
  asSearch.addQueryItem(QStringLiteral("q"), QString::fromStdString("tail:" + tail + " from:" + day + " to:" + day));
  asSearch.addQueryItem(QStringLiteral("limit"), QString::number(kLargestPage));
  return Search(asSearch, store, sources);
}

search::UtcMillis NowMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

constexpr search::UtcMillis kDay = 86'400'000;
constexpr std::size_t kMostPositions = 20'000;
constexpr std::size_t kTopAircraft = 20;

std::variant<HttpAnswer, StoreWork> Positions(const QUrlQuery& query, const StoreAccess& store,
                                              const WebSources& /*sources*/) {
  const auto since = NumberParameter(query, "since");
  if (!since) {
    return ErrorAnswer(400, "Give since=SECONDS (UTC, since 1970)");
  }
  // Seconds beyond any message's time are kept within range before they
  // become milliseconds.
  const long long seconds = std::clamp<long long>(*since, 0, 100'000'000'000LL);
  return StoreWork([store, since = seconds * 1000] {
    return Answering([&] {
      return JsonAnswer(200, PositionsJson(store.database->Positions(store.type, store.name, since, kMostPositions)));
    });
  });
}

// Today (from midnight UTC), or the last 7 or 30 days (from midnight UTC 6
// or 29 days ago), up to now. The worker counts; the labels are named from
// the reference tables on the server's thread.
std::variant<HttpAnswer, StoreWork> Statistics(const QUrlQuery& query, const StoreAccess& store,
                                               const WebSources& sources) {
  const std::string period = Parameter(query, "period");
  const std::map<std::string, int> kDays = {{"today", 1}, {"7d", 7}, {"30d", 30}};
  const auto days = kDays.find(period.empty() ? "today" : period);
  if (days == kDays.end()) {
    return ErrorAnswer(400, "Give period=today, 7d or 30d");
  }
  const search::UtcMillis now = NowMillis();
  const search::UtcMillis from = now - now % kDay - (days->second - 1) * kDay;
  return StoreWork([store, from, to = now + 1, tablesOf = sources.tables, station = sources.station()] {
    try {
      auto counted = std::make_shared<const search::Statistics>(
          store.database->StatisticsOf(store.type, store.name, from, to, kTopAircraft));
      return FinishAnswer([counted, from, to, tablesOf, station] {
        return JsonAnswer(200, StatisticsJson(*counted, from, to, tablesOf ? tablesOf() : nullptr, station));
      });
    } catch (const std::exception& failure) {
      return FinishAnswer([answer = StoreRefusal(failure)] { return answer; });
    }
  });
}

HttpAnswer Info(const WebSources& sources, const StoreAccess& store, bool tokenRequired) {
  Json info = {{"station", sources.station()},
               {"store", store.database != nullptr},
               {"tokenRequired", tokenRequired},
               {"watchList", sources.watchList()}};
  if (store.database == nullptr) {
    info["storeWhy"] = store.why;
  }
  if (const auto progress = sources.indexing ? sources.indexing() : std::nullopt) {
    info["indexing"] = {{"done", progress->done}, {"total", progress->total}};
  }
  return JsonAnswer(200, info.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace

HttpAnswer JsonAnswer(int status, const std::string& json) {
  return {status, "application/json", QByteArray::fromStdString(json)};
}

HttpAnswer ErrorAnswer(int status, const std::string& message) { return JsonAnswer(status, ErrorJson(message)); }

std::variant<HttpAnswer, StoreWork> RouteApi(const QString& path, const QUrlQuery& query, const WebSources& sources,
                                             bool tokenRequired) {
  const StoreAccess store = sources.store();
  if (path == QStringLiteral("/api/info")) {
    return Info(sources, store, tokenRequired);
  }
  if (path == QStringLiteral("/api/health")) {
    return sources.health ? HealthAnswer(sources.health()) : ErrorAnswer(404, "No such API path");
  }
  if (path == QStringLiteral("/api/adsb")) {
    return JsonAnswer(200, sources.adsb ? sources.adsb() : adsb::AdsbJson({{}, std::nullopt, NowMillis(), {}}));
  }
  if (path == QStringLiteral("/api/airports")) {
    const reference::ReferenceTables* tables = sources.tables ? sources.tables() : nullptr;
    return tables != nullptr ? JsonAnswer(200, AirportsJson(*tables))
                             : ErrorAnswer(503, "The reference tables are being loaded; ask again in a moment");
  }
  using Route = std::variant<HttpAnswer, StoreWork> (*)(const QUrlQuery&, const StoreAccess&, const WebSources&);
  static const std::map<QString, Route> kStoreRoutes = {{QStringLiteral("/api/search"), &Search},
                                                        {QStringLiteral("/api/count"), &Count},
                                                        {QStringLiteral("/api/aircraft"), &AircraftDay},
                                                        {QStringLiteral("/api/positions"), &Positions},
                                                        {QStringLiteral("/api/stats"), &Statistics}};
  const auto route = kStoreRoutes.find(path);
  if (route == kStoreRoutes.end()) {
    return ErrorAnswer(404, "No such API path");
  }
  if (store.database == nullptr) {
    return ErrorAnswer(503, store.why.empty() ? "No store is open" : store.why);
  }
  return route->second(query, store, sources);
}

}  // namespace corvane::web
