// corvane-search: searches a store from the command line. It reads the same
// settings as corvaned (which store, where), takes a query in the search
// language and prints one JSON object per message found, newest first, or
// with --count only how many there are.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <iostream>
#include <memory>
#include <optional>

#include "common/command_line_secrets.h"
#include "config/settings.h"
#include "store/jet/jet_backend.h"
#include "store/postgres/postgres_backend.h"
#include "store/search/hit_json.h"
#include "store/search/search.h"
#include "store/sqlite/sqlite_backend.h"

namespace {

using namespace corvane;

struct Options {
  int database = 1;
  std::string store;  // the store's name with its extension
  std::string databaseUrl;
  std::string station;
  std::size_t limit = 100;
  bool count = false;
  std::string query;
};

std::unique_ptr<store::StoreBackend> BackendFor(const Options& options) {
  switch (options.database) {
    case 1:
      return std::make_unique<store::SqliteBackend>();
    case 2:
      return std::make_unique<store::JetBackend>();
    case 4:
      return std::make_unique<store::PostgresBackend>(store::StoreOptions{options.databaseUrl, options.station});
    default:
      return nullptr;
  }
}

std::optional<Options> ParseOptions(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Searches the messages Corvane has stored and prints one JSON object per message found, newest first: the\n"
      "stored columns, the station that heard it, its readable decoding and the alerts it raised.\n\n"
      "QUERY: words and \"quoted phrases\" of the text; flight:BA306, tail:N123UA, address:.N123UA, label:H1,\n"
      "kind:position_report, station:NAME, from:2026-12-01 and to:2026-12-07T18:00 (UTC), has:position,\n"
      "is:alert; all must hold (AND may be written between them); a leading - excludes a term.\n\n"
      "The store is the one corvaned uses with the same settings: Corvane.db or Corvane.mdb in the current\n"
      "folder, or the PostgreSQL store.");
  parser.addHelpOption();
  const QCommandLineOption database("database",
                                    "Store: 1 SQLite, 2 Jet layout, 4 PostgreSQL (default: setting Database).", "kind");
  const QCommandLineOption storeFile("store", "The store file to search (SQLite or Jet layout).", "file");
  const QCommandLineOption databaseUrl(
      "database-url", "PostgreSQL connection string or URI (default: setting DatabaseUrl, else libpq's defaults).",
      "url");
  const QCommandLineOption limit("limit", "At most this many messages, 1 to 1000000 (default 100).", "n");
  const QCommandLineOption count("count", "Print only how many messages the query finds.");
  parser.addOptions({database, storeFile, databaseUrl, limit, count});
  parser.addPositionalArgument("QUERY", "What to look for (several arguments are joined by spaces).");
  parser.process(app);

  const config::Settings settings = config::ReadAllSettings(config::kAppName, 0, 0);
  Options options;
  options.database = settings.Database;
  options.databaseUrl = settings.DatabaseUrl;
  options.station = settings.StationName;
  bool ok = true;
  const auto number = [&](const QCommandLineOption& option, long low, long high) -> std::optional<long> {
    bool parsed = false;
    const long value = parser.value(option).toLong(&parsed);
    if (!parsed || value < low || value > high) {
      std::cerr << "corvane-search: --" << option.names().front().toStdString() << " takes a number from " << low
                << " to " << high << '\n';
      ok = false;
      return std::nullopt;
    }
    return value;
  };
  if (parser.isSet(database)) {
    options.database = static_cast<int>(number(database, 1, 4).value_or(1));
  }
  if (parser.isSet(databaseUrl)) {
    options.databaseUrl = parser.value(databaseUrl).toStdString();
    if (tools::ConnectionStringHoldsPassword(options.databaseUrl)) {
      std::cerr << "corvane-search: "
                << tools::CommandLinePasswordWarning("--database-url", tools::kSaferPostgresPassword) << '\n';
    }
  }
  if (parser.isSet(limit)) {
    options.limit = static_cast<std::size_t>(number(limit, 1, 1'000'000).value_or(1));
  }
  options.count = parser.isSet(count);
  options.query = parser.positionalArguments().join(' ').toStdString();
  if (ok && options.database != 1 && options.database != 2 && options.database != 4) {
    std::cerr << "corvane-search: no store is configured: pass --database 1, 2 or 4, or choose a store in Corvane's "
                 "configuration dialog\n";
    ok = false;
  }
  if (ok && options.query.empty()) {
    std::cerr << "corvane-search: give a query (corvane-search --help says how)\n";
    ok = false;
  }
  if (!ok) {
    return std::nullopt;
  }
  const auto backend = BackendFor(options);
  options.store =
      parser.isSet(storeFile) ? parser.value(storeFile).toStdString() : "Corvane" + std::string(backend->Extension());
  return options;
}

int Search(const Options& options, store::StoreBackend& backend, const store::search::Query& query) {
  if (options.count) {
    std::cout << backend.CountMatches(options.store, query) << '\n';
    return 0;
  }
  store::search::SearchRequest request{query, 0, std::nullopt};
  std::size_t left = options.limit;
  while (left > 0) {
    request.limit = std::min<std::size_t>(left, 1000);
    const auto page = backend.Search(options.store, request);
    for (const auto& hit : page.hits) {
      std::cout << store::search::HitJsonLine(hit) << '\n';
    }
    left -= page.hits.size();
    if (!page.nextBeforeId || page.hits.empty()) {
      break;
    }
    request.beforeId = page.nextBeforeId;
  }
  std::cout << std::flush;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("corvane-search");
  const auto options = ParseOptions(app);
  if (!options) {
    return 2;
  }
  const auto parsed = store::search::ParseQuery(options->query);
  if (!parsed.query) {
    std::cerr << "corvane-search: the query cannot be read: " << store::search::DescribeError(*parsed.error) << '\n';
    return 2;
  }
  store::search::Query query = *parsed.query;
  query.ownStation = options->station;  // this receiver's own messages are found under its name
  const auto backend = BackendFor(*options);
  try {
    return Search(*options, *backend, query);
  } catch (const store::search::SearchFailed& failure) {
    std::cerr << "corvane-search: cannot search " << options->store << ": " << failure.what() << '\n';
    return 1;
  }
}
