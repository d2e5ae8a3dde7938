// Helpers shared by the store tests: direct access to a store file through
// the SQLite library (independent of the store's own wrapper), a progress
// window that records what it is asked to do, and the built-in tables as
// comparable texts.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "decoding/text_record.h"
#include "reference/reference_tables.h"
#include "store/search/query.h"
#include "store/store.h"

namespace corvane::store::test {

using Rows = std::vector<std::vector<std::string>>;

// Every row of a query on the file, each cell as its bytes (NULL as empty).
// Reports a test failure when the file cannot be opened or the query fails.
inline Rows Select(const std::string& file, const std::string& sql) {
  Rows rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
      sqlite3_busy_timeout(db, 3000) != SQLITE_OK ||
      sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << file << ": " << sql << ": " << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
        row.emplace_back(bytes == nullptr ? "" : std::string(bytes, sqlite3_column_bytes(statement, c)));
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

// Changes the file by hand; true when every statement ran.
inline bool Exec(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  char* message = nullptr;
  // The store's writer may be at work on the file: wait for its lock.
  const bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                  sqlite3_busy_timeout(db, 3000) == SQLITE_OK &&
                  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
  if (!ok) {
    ADD_FAILURE() << file << ": " << sql << ": " << (message != nullptr ? message : sqlite3_errmsg(db));
  }
  sqlite3_free(message);
  sqlite3_close(db);
  return ok;
}

// Another connection's exclusive lock, held until released. It waits for
// the writer's own work at opening (up to 5 s) rather than failing at once.
class SqliteLock {
 public:
  explicit SqliteLock(const std::string& file) {
    sqlite3_open(file.c_str(), &db_);
    sqlite3_busy_timeout(db_, 5000);
    held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~SqliteLock() { Release(); }
  void Release() {
    if (db_ == nullptr) {
      return;
    }
    sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
    db_ = nullptr;
  }
  [[nodiscard]] bool Held() const { return held_; }

 private:
  sqlite3* db_ = nullptr;
  bool held_ = false;
};

inline long long Count(const std::string& file, const std::string& table) {
  const Rows rows = Select(file, "SELECT count(*) FROM " + table + ";");
  return rows.size() == 1 ? std::stoll(rows[0][0]) : -1;
}

// Every call the open sequence makes on the windows, in order.
class RecordingProgress : public StoreProgress {
 public:
  void ShowProgress(const std::string& caption) override { calls.push_back("show " + caption); }
  void SetProgressStep(const std::string& text) override { calls.push_back("step " + text); }
  void HideProgress() override { calls.push_back("hide"); }
  void AppendCaption(const std::string& suffix) override { calls.push_back("caption" + suffix); }

  std::vector<std::string> calls;
};

inline const reference::ReferenceTables& Builtin() {
  static const reference::ReferenceTables tables = [] {
    reference::ReferenceTables filled;
    filled.FillBuiltinTables();
    return filled;
  }();
  return tables;
}

// Tables as "cell|cell|..." lines, so that whole tables compare at once.
inline std::vector<std::string> LabelLines(const std::vector<reference::LabelRow>& rows) {
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    lines.push_back(row.label + "|" + row.description + "|" + row.smi);
  }
  return lines;
}

inline std::vector<std::string> CodeLines(const std::vector<reference::CodeRow>& rows) {
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    lines.push_back(row.code + "|" + row.description);
  }
  return lines;
}

inline std::vector<std::string> AirportLines(const std::vector<reference::AirportRow>& rows) {
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    lines.push_back(row.code + "|" + row.countryId + "|" + row.name);
  }
  return lines;
}

inline std::vector<std::string> RowLines(const Rows& rows) {
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += (c == 0 ? "" : "|") + row[c];
    }
    lines.push_back(line);
  }
  return lines;
}

// All four tables hold exactly the built-in content.
inline void ExpectBuiltin(const reference::ReferenceTables& tables) {
  EXPECT_EQ(LabelLines(tables.Labels()), LabelLines(Builtin().Labels()));
  EXPECT_EQ(CodeLines(tables.Codes()), CodeLines(Builtin().Codes()));
  EXPECT_EQ(tables.Countries(), Builtin().Countries());
  EXPECT_EQ(AirportLines(tables.Airports()), AirportLines(Builtin().Airports()));
}

inline decoding::MessageRecord Message(std::string date, std::string hour, std::string address, std::string flight,
                                       std::string data) {
  return {std::move(date), std::move(hour), "2", std::move(address), std::move(flight), "H1", "5",
          "M01A",          std::move(data)};
}

// Texts no word index takes whole, then `ordinary` ordinary messages: a word
// of 2,800 letters (a server's index row holds about 2,700 bytes) and a
// 3.6 MB text of one run of letters. Gives how many messages were handed over.
inline int StoreUnindexableThenOrdinary(Database& db, std::int32_t type, const std::string& name, int ordinary = 1000) {
  db.StoreMessage(type, name,
                  Message("261207", "100000.000", "F-GKXA", "AF1234", "BEFORE " + std::string(2800, 'W') + " AFTER"));
  db.StoreMessage(type, name,
                  Message("261207", "100001.000", "F-GKXA", "AF1234", "START " + std::string(3'600'000, 'X') + " END"));
  for (int n = 0; n < ordinary; ++n) {
    db.StoreMessage(type, name, Message("261207", "100002.000", "F-GKXB", "AF1235", "ORDINARY " + std::to_string(n)));
  }
  return ordinary + 2;
}

// After StoreUnindexableThenOrdinary: nothing waits or was refused, the
// index's limits were said, and the words around what it left out are found
// but not as neighbours.
inline void ExpectStoredAndSearchableAroundTheUnindexable(Database& db, std::int32_t type, const std::string& name) {
  const WriterStatus status = *db.Status(type, name);
  EXPECT_EQ(status.waiting, 0U);
  EXPECT_FALSE(status.pendingFile);
  EXPECT_EQ(status.rejected, 0U) << status.rejection;
  EXPECT_EQ(status.partlyIndexed, 2U);
  const auto count = [&](const std::string& text) {
    const auto parsed = search::ParseQuery(text);
    return parsed.query ? db.CountMatches(type, name, *parsed.query) : ~0ULL;
  };
  EXPECT_EQ(count("BEFORE"), 1U);
  EXPECT_EQ(count("AFTER"), 1U);
  EXPECT_EQ(count("START"), 1U);
  EXPECT_EQ(count("\"BEFORE AFTER\""), 0U);
  EXPECT_EQ(count("ORDINARY"), 1000U);
  EXPECT_TRUE(search::ParseQuery(std::string(1001, 'W')).error.has_value());
}

// The card stamp (YYMMDD) of the UTC day `days` before today.
inline std::string DaysAgo(int days) {
  const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
  std::tm utc{};
  gmtime_r(&then, &utc);
  char stamp[7];
  std::strftime(stamp, sizeof(stamp), "%y%m%d", &utc);
  return stamp;
}

// Six messages, each with an identity, for retention of 30 days and alerts
// 120: three past their days (one an old alert), an alert within its longer
// days and two new ones. Then retention is set and waited for; gives the
// texts that must stay, oldest first.
inline std::vector<std::string> StoreAndPruneRetentionSample(Database& db, std::int32_t type, const std::string& name) {
  db.SetAlertsOf([](const decoding::MessageRecord& r) {
    return r.Data.find("ALERT") != std::string::npos ? std::vector<std::string>{"watched"} : std::vector<std::string>{};
  });
  const std::vector<std::pair<int, std::string>> messages = {{40, "GONE ONE"}, {40, "KEPT ALERT"}, {200, "GONE ALERT"},
                                                             {40, "GONE TWO"}, {1, "KEPT NEW"},    {0, "KEPT TODAY"}};
  int n = 0;
  for (const auto& [days, text] : messages) {
    db.SetMessageId("00000000000000aa-" + std::to_string(++n));
    db.StoreMessage(type, name, Message(DaysAgo(days), "101500.000", "F-GKXA", "AF1234", text));
  }
  EXPECT_TRUE(db.Flush(std::chrono::seconds(30)));
  db.SetRetention({30, 120});
  for (int waited = 0; db.Status(type, name)->pruned < 3 && waited < 400; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const auto count = [&](const std::string& text) {
    return db.CountMatches(type, name, *search::ParseQuery(text).query);
  };
  EXPECT_EQ(db.Status(type, name)->pruned, 3U);
  EXPECT_EQ(count("GONE"), 0U);
  EXPECT_EQ(count("KEPT"), 3U);
  return {"KEPT ALERT", "KEPT NEW", "KEPT TODAY"};
}

// 400 messages of about 2 KB of varied words, one a second, every fifth an
// alert; then a size limit of half what the store takes is set, and the
// cut waited for. Gives the numbers of the messages that stayed, in order,
// and the limit.
struct SizeCut {
  std::vector<int> kept;
  std::uint64_t limit = 0;
};
inline SizeCut StoreAndCutForSize(Database& db, std::int32_t type, const std::string& name,
                                  const std::function<std::uint64_t()>& storeBytes) {
  db.SetAlertsOf([](const decoding::MessageRecord& r) {
    return r.Data.find("ALERT") != std::string::npos ? std::vector<std::string>{"watched"} : std::vector<std::string>{};
  });
  constexpr int kMessages = 400;
  std::uint32_t seed = 12345;
  for (int i = 0; i < kMessages; ++i) {
    std::string text = "MSG" + std::to_string(i) + (i % 5 == 0 ? " ALERT" : "");
    while (text.size() < 2000) {
      seed = seed * 1664525U + 1013904223U;
      text += " W" + std::to_string(seed % 100000);
    }
    char hour[16];
    std::snprintf(hour, sizeof(hour), "10%02d%02d.000", i / 60, i % 60);
    db.SetMessageId("00000000000000bb-" + std::to_string(i));
    db.StoreMessage(type, name, Message(DaysAgo(1), hour, "F-GKXA", "AF1234", text));
  }
  EXPECT_TRUE(db.Flush(std::chrono::seconds(30)));
  const std::uint64_t full = storeBytes();
  db.SetRetention({0, 0, full / 2});
  std::uint64_t pruned = 0;
  for (int waited = 0; waited < 400; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::uint64_t now = db.Status(type, name)->pruned;
    if (now > 0 && now == pruned) {
      break;  // the cut is over
    }
    pruned = now;
  }
  std::vector<int> kept;
  for (int i = 0; i < kMessages; ++i) {
    if (db.CountMatches(type, name, *search::ParseQuery("MSG" + std::to_string(i)).query) == 1) {
      kept.push_back(i);
    }
  }
  // What a message takes stays about the same: near 0.9 x half of them
  // stay, the newest.
  EXPECT_GE(kept.size(), 150U);
  EXPECT_LE(kept.size(), 200U);
  EXPECT_EQ(kept.size() + db.Status(type, name)->pruned, static_cast<std::size_t>(kMessages));
  if (!kept.empty()) {
    EXPECT_EQ(kept.front(), kMessages - static_cast<int>(kept.size()));
  }
  return {kept, full / 2};
}

}  // namespace corvane::store::test
