// The real programs for the network tests: each runs in a folder of its own
// (its settings, its store, its output), a card server with the receiver it
// feeds, bounded waits and counts read from a receiver's SQLite store.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cardlink/event_wait.h"

namespace corvane::network_test {

inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  const QDeadlineTimer deadline(milliseconds);
  while (!condition() && !deadline.hasExpired()) {
    cardlink::WaitProcessingEvents(50);
  }
  return condition();
}

// Each row of a query on an SQLite store, its cells joined by '|'; nothing
// when the store cannot be read.
inline std::vector<std::string> SqliteRows(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  std::vector<std::string> rows;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 2000);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr) == SQLITE_OK) {
      while (sqlite3_step(query) == SQLITE_ROW) {
        std::string row;
        for (int column = 0; column < sqlite3_column_count(query); ++column) {
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, column));
          row += (column > 0 ? "|" : "") + std::string(text != nullptr ? text : "");
        }
        rows.push_back(std::move(row));
      }
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return rows;
}

// The port a card server started with --port 0 says it listens on; 0 when
// it has not said so within 20 s.
inline int ListeningPort(const std::function<QString()>& said) {
  int port = 0;
  WaitUntil(
      [&] {
        const QString text = said();
        const auto at = text.indexOf("listening on 127.0.0.1:");
        port = at < 0 ? 0 : text.mid(at + 23).section('\n', 0, 0).trimmed().toInt();
        return port != 0;
      },
      20000);
  return port;
}

inline long SqliteCount(const std::string& path, const std::string& sql) {
  const auto rows = SqliteRows(path, sql);
  return rows.size() == 1 ? std::stol(rows.front()) : -1;
}

class Programs {
 public:
  ~Programs() {
    for (auto& process : processes_) {
      process->terminate();
      process->waitForFinished(10000);
    }
  }

  [[nodiscard]] QString Folder(const QString& name) const { return dir_.filePath(name); }

  QProcess& Start(const QString& program, const QStringList& arguments, const QString& name) {
    auto& process = *processes_.emplace_back(std::make_unique<QProcess>());
    const QString folder = Folder(name);
    QDir().mkpath(folder + "/config");
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", folder + "/config");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(folder + "/out.txt");
    process.setStandardErrorFile(folder + "/err.txt");
    process.start(program, arguments);
    return process;
  }

  // What the program in folder name wrote, standard output then error.
  [[nodiscard]] QString Said(const QString& name) const {
    QFile out(Folder(name) + "/out.txt");
    QFile err(Folder(name) + "/err.txt");
    out.open(QIODevice::ReadOnly);
    err.open(QIODevice::ReadOnly);
    return QString::fromUtf8(out.readAll() + err.readAll());
  }

  // A card server (its output names the port it listens on) and a receiver
  // connected to it; --retry 0 makes a receiver that loses its card
  // connection exit, which the tests check for.
  QProcess& StartReceiver(const QString& name, const QStringList& serverOptions, const QStringList& receiverOptions) {
    Start(CORVANE_CARDSERVER, QStringList{"--port", "0"} + serverOptions, name + "-card");
    const int port = ListeningPort([&] { return Said(name + "-card"); });
    if (port == 0) {
      ADD_FAILURE() << Said(name + "-card").toStdString();
    }
    return Start(CORVANE_RECEIVER,
                 QStringList{"--host", QString("127.0.0.1:%1").arg(port), "--card-type", "1", "--card-number", "1",
                             "--retry", "0", "--quiet", "--link-name", "corvane-network-test-" + name} +
                     receiverOptions,
                 name);
  }

 private:
  QTemporaryDir dir_;
  std::vector<std::unique_ptr<QProcess>> processes_;
};

}  // namespace corvane::network_test
