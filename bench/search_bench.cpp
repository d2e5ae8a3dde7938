// Search on a large store made from the real capture: the store is filled
// with the capture's messages over and over (spread over 30 days), indexed
// the way a store from before the search index is (older messages a batch
// at a time), then queried: one word, a phrase in a date range, a count of
// a common word; and the watch list's matching with 200 entries.
//
//   corvane_search_bench [--messages N] [--store FILE | --postgres | --database-url URL]
//
// A store file already there (with as many messages) is reused, so the
// queries can be run again without filling it again. With --postgres the
// store is a throw-away PostgreSQL server's, filled on the server from the
// capture's rows and opened the way a receiver from before the index finds
// it (rows not yet numbered); --database-url does the same on a server of
// one's own and reuses a store there already indexed with N messages.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../tests/support/postgres_server.h"
#include "decoding/latin1_text.h"
#include "reference/reference_tables.h"
#include "store/postgres/pg_connection.h"
#include "store/postgres/postgres_backend.h"
#include "store/search/index_row.h"
#include "store/search/watch_list.h"
#include "store/sqlite/sqlite_backend.h"

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::vector<decoding::MessageRecord> CaptureRecords() {
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars-fields.jsonl");
  std::vector<decoding::MessageRecord> records;
  for (std::string line; std::getline(in, line);) {
    const auto json = nlohmann::json::parse(line);
    const auto text = [&](const char* key) { return *decoding::Utf8ToLatin1(json.at(key).get<std::string>()); };
    const std::string tail = text("tail");
    records.push_back({"", "", text("mode"), std::string(7 - std::min<std::size_t>(7, tail.size()), '.') + tail,
                       text("flight"), text("label"), text("block_id"), text("msgno"), text("text")});
  }
  return records;
}

// Message i of n: the capture's message i mod its size, at a time spread
// over the 30 days up to 2026-12-07.
void Stamp(decoding::MessageRecord& record, long long i, long long n) {
  const long long start = 1'762'560'000LL;  // 2025-11-08T00:00:00Z
  const long long second = start + i * (30LL * 86'400) / std::max(n, 1LL);
  const std::time_t t = static_cast<std::time_t>(second);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char date[40];
  char hour[60];
  std::snprintf(date, sizeof date, "%02d%02d%02d", utc.tm_year % 100, utc.tm_mon + 1, utc.tm_mday);
  std::snprintf(hour, sizeof hour, "%02d%02d%02d.%03d", utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(i % 1000));
  record.Date = date;
  record.Hour = hour;
}

long long StoredMessages(const std::string& file) {
  sqlite3* db = nullptr;
  long long count = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT MAX(rowid) FROM Planes;", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW) {
      count = sqlite3_column_int64(query, 0);
    }
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  return count;
}

// The messages written straight into Planes, as a program from before the
// search index left them.
void Fill(const std::string& file, const std::vector<decoding::MessageRecord>& capture, long long n) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; BEGIN;", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Planes VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9);", -1, &insert, nullptr);
  decoding::MessageRecord record;
  for (long long i = 0; i < n; ++i) {
    record = capture[static_cast<std::size_t>(i) % capture.size()];
    Stamp(record, i, n);
    int column = 1;
    for (const std::string* value : {&record.Date, &record.Hour, &record.Mode, &record.Address, &record.Flight,
                                     &record.Label, &record.Bloc, &record.Msn, &record.Data}) {
      sqlite3_bind_text(insert, column++, value->data(), static_cast<int>(value->size()), SQLITE_STATIC);
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
    if (i % 200'000 == 199'999) {
      sqlite3_exec(db, "COMMIT; BEGIN;", nullptr, nullptr, nullptr);
      std::cerr << "filled " << i + 1 << " of " << n << "\n";
    }
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT; PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::cerr << '\n';
}

// The same messages on a PostgreSQL server: the capture's rows copied once,
// then repeated and stamped by the server a million at a time.
void FillPostgres(const std::string& url, const std::vector<decoding::MessageRecord>& capture, long long n) {
  store::postgres::Connection db(url, 10);
  db.Execute("SET statement_timeout = 0");
  db.Execute("DROP TABLE IF EXISTS message_index, search_state");  // a store from before the index
  db.Execute("ALTER TABLE Planes DROP COLUMN IF EXISTS id");
  db.Execute("TRUNCATE Planes");  // what an earlier run left
  db.Execute(
      "CREATE TEMP TABLE capture(n INT, Mode TEXT, Address TEXT, Flight TEXT, Label TEXT, Bloc TEXT, Msn TEXT,"
      " Data TEXT)");
  for (std::size_t i = 0; i < capture.size(); ++i) {
    const auto& r = capture[i];
    db.Execute("INSERT INTO capture VALUES ($1::int, $2, $3, $4, $5, $6, $7, $8)",
               {std::to_string(i), r.Mode, r.Address, r.Flight, r.Label, r.Bloc, r.Msn, r.Data});
  }
  const std::string size = std::to_string(capture.size());
  const std::string total = std::to_string(n);
  for (long long from = 0; from < n; from += 1'000'000) {
    const std::string to = std::to_string(std::min(n, from + 1'000'000) - 1);
    db.Execute(
        "INSERT INTO Planes (Date, Hour, Mode, Address, Flight, Label, Bloc, Msn, Data, Station)"
        " SELECT to_char(t, 'YYMMDD'), to_char(t, 'HH24MISS') || '.' || lpad((g % 1000)::text, 3, '0'),"
        " c.Mode, c.Address, c.Flight, c.Label, c.Bloc, c.Msn, c.Data, 'bench'"
        " FROM generate_series(" +
        std::to_string(from) + "::bigint, " + to +
        "::bigint) AS g"
        " JOIN capture c ON c.n = g % " +
        size + " CROSS JOIN LATERAL (SELECT to_timestamp(1762560000 + g * 2592000 / " + total +
        ") AT TIME ZONE 'UTC' AS t) AS stamp ORDER BY g");  // in the order a receiver stores them
    std::cerr << "filled " << to << " of " << n << "\n";
  }
  db.Execute("VACUUM ANALYZE Planes");
}

// The writer's way: the index tables made, then older messages indexed a
// batch at a time. Messages a second.
double IndexOlder(store::StoreBackend& backend, const std::string& file) {
  const auto start = Clock::now();
  auto session = backend.OpenSession(file);
  std::printf("The index's tables made in %.1f s\n", SecondsSince(start));
  std::uint64_t done = 0;
  for (;;) {
    session->Begin();
    const auto progress = session->IndexOlder(20'000);
    session->Commit();
    if (!progress || progress->Finished()) {
      done = progress ? progress->done : done;
      break;
    }
    done = progress->done;
    if (progress->done % 1'000'000 == 0) {
      std::cerr << "indexed " << progress->done << " of " << progress->total << " at " << SecondsSince(start) << " s\n";
    }
  }
  std::cerr << '\n';
  return static_cast<double>(done) / SecondsSince(start);
}

struct Timing {
  double median = 0;
  double p99 = 0;
  std::size_t found = 0;
};

// A run the store refuses (a statement over its time limit) is reported
// and ends that query's runs.
template <typename Work>
Timing Time(int runs, Work work) {
  std::vector<double> ms;
  Timing timing;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    try {
      timing.found = work();
    } catch (const std::exception& failure) {
      std::printf("(failed after %.0f ms: %s)\n", SecondsSince(start) * 1000, failure.what());
      ms.push_back(SecondsSince(start) * 1000);
      break;
    }
    ms.push_back(SecondsSince(start) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  timing.median = ms[ms.size() / 2];
  timing.p99 = ms[std::min(ms.size() - 1, static_cast<std::size_t>(0.99 * static_cast<double>(ms.size())))];
  return timing;
}

void Report(const std::string& what, const Timing& timing) {
  std::printf("| %s | %.1f ms | %.1f ms | %zu |\n", what.c_str(), timing.median, timing.p99, timing.found);
  std::fflush(stdout);
}

// Messages in a PostgreSQL store whose older messages are all indexed, or -1.
long long IndexedPostgresMessages(const std::string& url) {
  try {
    store::postgres::Connection db(url, 10);
    const auto rows = db.Query(
        "SELECT (SELECT COUNT(*) FROM Planes), (SELECT value FROM search_state WHERE name = 'OlderNext') ="
        " (SELECT value FROM search_state WHERE name = 'OlderLast')");
    return rows.at(0).at(1) == "t" ? std::stoll(rows.at(0).at(0)) : -1;
  } catch (const std::exception&) {
    return -1;  // no store there yet
  }
}

void Queries(store::StoreBackend& backend, const std::string& file);

// Fills and indexes the server's store unless it already holds N indexed
// messages, then times the queries.
void RunPostgres(const std::string& url, const std::vector<decoding::MessageRecord>& capture, long long messages) {
  store::PostgresBackend backend({url, "bench"});
  if (IndexedPostgresMessages(url) != messages) {
    backend.CreateTables(url);
    auto start = Clock::now();
    FillPostgres(url, capture, messages);
    std::printf("Filled %lld messages in %.1f s\n", messages, SecondsSince(start));
    start = Clock::now();
    std::printf("Indexed them as older messages: %.0f messages a second", IndexOlder(backend, url));
    std::printf(" (%.1f s with numbering the rows)\n", SecondsSince(start));
    store::postgres::Connection(url, 10).Execute("VACUUM ANALYZE message_index");
  }
  Queries(backend, url);
}

void Queries(store::StoreBackend& backend, const std::string& file) {
  std::printf("| Query | Median | p99 | Found |\n|---|---:|---:|---:|\n");
  const auto firstPage = [&](const std::string& text) {
    const auto query = *store::search::ParseQuery(text).query;
    return Time(40, [&] { return backend.Search(file, {query, 100, std::nullopt}).hits.size(); });
  };
  for (const char* word : {"POS", "KJFK", "METAR", "MEDICAL", "FUEL"}) {
    Report(std::string("first 100 of `") + word + "`", firstPage(word));
  }
  Report("first 100 of `\"GOOD EVENING\" from:2025-11-20 to:2025-11-27`",
         firstPage("\"GOOD EVENING\" from:2025-11-20 to:2025-11-27"));
  Report("first 100 of `POS label:H1 from:2025-12-01T06:00 to:2025-12-01T18:00`",
         firstPage("POS label:H1 from:2025-12-01T06:00 to:2025-12-01T18:00"));
  Report("first 100 of `label:H1 has:position`", firstPage("label:H1 has:position"));
  // What the web page's Live list asks for when it opens: the newest messages.
  Report("first 100 of `from:1970-01-01`", firstPage("from:1970-01-01"));
  for (const char* word : {"POS", "ETA"}) {
    const auto query = *store::search::ParseQuery(word).query;
    Report(std::string("count of `") + word + "`",
           Time(5, [&] { return static_cast<std::size_t>(backend.CountMatches(file, query)); }));
  }
}

// 200 entries: words, flights, tails and labels the capture has.
void WatchListMatching(const std::vector<decoding::MessageRecord>& capture) {
  reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::string lines;
  for (std::size_t i = 0, made = 0; made < 200 && i < capture.size(); i += 11, ++made) {
    const auto& r = capture[i];
    const auto words = store::search::TextWords(r.Data);
    if (made % 4 == 0 && !r.Flight.empty()) {
      lines += "flight:" + r.Flight + "\n";
    } else if (made % 4 == 1 && r.Address.find_first_not_of('.') != std::string::npos) {
      lines += "tail:" + r.Address + "\n";
    } else if (made % 4 == 2 && words.size() > 2) {
      lines += "\"" + words[1] + " " + words[2] + "\"\n";
    } else {
      lines += words.empty() ? "label:" + r.Label + "\n" : words.front() + "MISS\n";
    }
  }
  const auto list = store::search::WatchList::FromLines(lines, nullptr);
  std::vector<std::string> kinds;
  for (const auto& r : capture) {
    const auto decoding = store::search::ReadableOf(r, tables);
    kinds.emplace_back(decoding ? decoding->kind : std::string_view());
  }
  std::vector<std::size_t> matched;
  std::size_t alerts = 0;
  constexpr int kRounds = 200;
  const auto start = Clock::now();
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t i = 0; i < capture.size(); ++i) {
      const auto& r = capture[i];
      list.Match({r.Data, r.Flight, r.Address, r.Label, kinds[i], "", 0, false, false}, matched);
      alerts += matched.empty() ? 0 : 1;
    }
  }
  const double ns = SecondsSince(start) * 1e9 / (kRounds * static_cast<double>(capture.size()));
  std::printf("\nWatch list of %zu entries: %.0f ns a message (%zu of %zu messages matched)\n", list.Entries().size(),
              ns, alerts / kRounds, capture.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it is made, also into a file
  long long messages = 10'000'000;
  std::string file = "/tmp/corvane-search-bench.db";
  bool postgres = false;
  std::string url;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--messages" && i + 1 < argc) {
      messages = std::stoll(argv[++i]);
    } else if (argument == "--postgres") {
      postgres = true;
    } else if (argument == "--database-url" && i + 1 < argc) {
      url = argv[++i];
    } else if (argument == "--store" && i + 1 < argc) {
      file = argv[++i];
    } else {
      std::cerr << "Usage: corvane_search_bench [--messages N] [--store FILE | --postgres | --database-url URL]\n"
                   "Fills FILE (default /tmp/corvane-search-bench.db) with N messages (default 10,000,000) made\n"
                   "from the real capture, indexes them as older messages, and times search queries and the\n"
                   "watch list's matching. A FILE already holding N messages is reused. With --postgres the\n"
                   "store is a throw-away PostgreSQL server's; with --database-url it is that server's (reused\n"
                   "when it already holds N indexed messages).\n";
      return 2;
    }
  }
  const auto capture = CaptureRecords();
  if (capture.empty()) {
    std::cerr << "corvane_search_bench: the real capture is not in " << CORVANE_CAPTURES_DIR << '\n';
    return 1;
  }
  if (!url.empty()) {
    RunPostgres(url, capture, messages);
  } else if (postgres) {
    test_support::PostgresServer server;
    if (!server.Ready()) {
      std::cerr << "corvane_search_bench: the PostgreSQL server did not start\n";
      return 1;
    }
    RunPostgres(server.Url("postgres"), capture, messages);
  } else {
    store::SqliteBackend backend;
    if (StoredMessages(file) != messages) {
      std::filesystem::remove(file);
      backend.CreateDatabase(file);
      backend.CreateTables(file);
      const auto start = Clock::now();
      Fill(file, capture, messages);
      std::printf("Filled %lld messages in %.1f s\n", messages, SecondsSince(start));
      std::printf("Indexed them as older messages: %.0f messages a second\n\n", IndexOlder(backend, file));
    }
    Queries(backend, file);
  }
  WatchListMatching(capture);
  return 0;
}
