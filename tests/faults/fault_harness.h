// What the fault tests share: the real programs started as children whose
// output goes to files (an unread pipe would hold a child up), run as an
// ordinary user when the tests run as root so that file permissions bite,
// and the checks made after every fault: the store's integrity, whole log
// entries, and the rows a store holds.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include "cardlink/event_wait.h"

namespace corvane::faults {

// The user children run as when the tests run as root ("nobody").
inline constexpr uid_t kOrdinaryUser = 65534;

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Waits for condition, turning the event loop, at most milliseconds.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  const QDeadlineTimer deadline(milliseconds);
  while (!condition() && !deadline.hasExpired()) {
    cardlink::WaitProcessingEvents(20);
  }
  return condition();
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A port nothing listens on at the moment.
inline quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// A working folder the children may write to, whoever runs the tests.
class WorkFolder {
 public:
  WorkFolder() {
    if (RunningAsRoot()) {
      [[maybe_unused]] const int changed = ::chown(dir_.path().toLocal8Bit().constData(), kOrdinaryUser, kOrdinaryUser);
    }
  }
  [[nodiscard]] bool IsValid() const { return dir_.isValid(); }
  [[nodiscard]] QString Path() const { return dir_.path(); }
  [[nodiscard]] QString File(const QString& name) const { return dir_.filePath(name); }
  [[nodiscard]] std::string Database() const { return File("Corvane.db").toStdString(); }
  [[nodiscard]] QString Log() const { return File("Corvane.txt"); }

  // Makes a file or folder readable only (or writable again).
  void SetWritable(const QString& path, bool writable, bool folder = false) const {
    const mode_t mode = folder ? (writable ? 0755 : 0555) : (writable ? 0644 : 0444);
    ::chmod(path.toLocal8Bit().constData(), mode);
  }

 private:
  QTemporaryDir dir_;
};

// One running program. Standard output and error both go to a file in the
// work folder; the child is killed when this goes away.
class Child {
 public:
  Child(const WorkFolder& folder, QString name) : folder_(folder), outputFile_(folder.File(name + ".out")) {}
  ~Child() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts program in the work folder (or the folder given), with
  // XDG_CONFIG_HOME and the temporary folder inside the work folder.
  bool Start(const QString& program, const QStringList& arguments, const QString& workingDirectory = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", folder_.File("config"));
    // Local sockets named by a plain name go into this user's folder here.
    environment.insert("TMPDIR", folder_.Path());
    environment.remove("XDG_RUNTIME_DIR");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(workingDirectory.isEmpty() ? folder_.Path() : workingDirectory);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(outputFile_, QIODevice::Append);
    if (RunningAsRoot()) {
      QStringList wrapped = {"--reuid=" + QString::number(kOrdinaryUser), "--regid=" + QString::number(kOrdinaryUser),
                             "--clear-groups", "--", program};
      process_.start("setpriv", wrapped + arguments);
    } else {
      process_.start(program, arguments);
    }
    return process_.waitForStarted(5000);
  }

  [[nodiscard]] QByteArray Output() const { return ReadFile(outputFile_); }
  [[nodiscard]] bool Running() const { return process_.state() == QProcess::Running; }

  bool WaitForOutput(const QByteArray& text, int milliseconds, qsizetype after = 0) const {
    return WaitUntil([&] { return Output().indexOf(text, after) >= 0; }, milliseconds);
  }

  void Signal(int signal) const { ::kill(static_cast<pid_t>(process_.processId()), signal); }

  // SIGTERM, then waits; true when the program ended by itself in time.
  bool Stop(int milliseconds = 5000) {
    Signal(SIGTERM);
    return WaitForEnd(milliseconds) && process_.exitStatus() == QProcess::NormalExit;
  }

  bool WaitForEnd(int milliseconds) {
    return WaitUntil([&] { return process_.state() == QProcess::NotRunning; }, milliseconds);
  }

  QProcess& Process() { return process_; }

 private:
  const WorkFolder& folder_;
  QString outputFile_;
  QProcess process_;
};

// The card server replaying the demo capture in a loop on port; true once it
// listens.
inline bool StartCardServer(Child& server, quint16 port, const QString& speed = "2000") {
  const qsizetype before = server.Output().size();
  return server.Start(CORVANE_CARDSERVER, {"--port", QString::number(port), "--capture", CORVANE_DEMO_CAPTURE,
                                           "--speed", speed, "--loop"}) &&
         server.WaitForOutput("listening on", 5000, before);
}

// corvaned for card 1 of a W41PC on port, storing in SQLite and logging all.
inline QStringList ReceiverArguments(quint16 port, const QString& retry = "1") {
  return {"--host",
          QString("127.0.0.1:%1").arg(port),
          "--card-type",
          "1",
          "--card-number",
          "1",
          "--database",
          "1",
          "--log",
          "all",
          "--retry",
          retry,
          "--quiet",
          "--link-name",
          QString("corvane-faults-%1-%2").arg(::getpid()).arg(port)};
}

// The single value a query gives, as text; empty when it fails. Waits for
// the receiver's locks as the receiver waits for ours.
inline std::string QueryOne(const std::string& database, const char* sql) {
  sqlite3* db = nullptr;
  std::string value;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_busy_timeout(db, 3000) == SQLITE_OK && sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    value = text != nullptr ? text : "";
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return value;
}

// Rows in Planes; -1 when the store cannot be read.
inline long StoredRows(const std::string& database) {
  const std::string count = QueryOne(database, "SELECT count(*) FROM Planes;");
  return count.empty() ? -1 : std::stol(count);
}

inline bool StoreIsSound(const std::string& database) { return QueryOne(database, "PRAGMA integrity_check;") == "ok"; }

// The entries of a traffic log: each begins with "= " and ends with CR LF.
// whole is false when the file ends inside an entry.
inline long LogEntries(const QByteArray& log, bool* whole = nullptr) {
  if (whole != nullptr) {
    *whole = log.isEmpty() || (log.startsWith("= ") && log.endsWith("\r\n"));
  }
  long entries = log.startsWith("= ") ? 1 : 0;
  for (qsizetype at = log.indexOf("\r\n= "); at >= 0; at = log.indexOf("\r\n= ", at + 1)) {
    ++entries;
  }
  return entries;
}

inline constexpr char kConnected[] = "connected to card 1";

// A card server replaying on its own port, and a receiver to start on it,
// in a fresh work folder; with the counts the fault tests watch.
class ReceiverFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.IsValid());
    port = FreePort();
    ASSERT_TRUE(StartCardServer(server, port, replaySpeed));
  }

  // Started and through its one-second connecting sequence.
  void StartReceiver(const QStringList& arguments = {}, const QString& workingDirectory = {}) {
    ASSERT_TRUE(
        receiver.Start(CORVANE_RECEIVER, arguments.isEmpty() ? ReceiverArguments(port) : arguments, workingDirectory));
    ASSERT_TRUE(receiver.WaitForOutput(kConnected, 8000)) << receiver.Output().toStdString();
  }

  [[nodiscard]] long Logged() const { return LogEntries(ReadFile(folder.Log())); }
  [[nodiscard]] long Stored() const { return StoredRows(folder.Database()); }

  bool WaitForRows(long rows, int milliseconds = 20000) {
    return WaitUntil([&] { return Stored() >= rows; }, milliseconds);
  }
  // The receiver goes on decoding: its log grows by entries.
  bool LogGrowsBy(long entries) {
    const long from = Logged();
    return WaitUntil([&] { return Logged() >= from + entries; }, 20000);
  }
  bool StoreGrowsBy(long rows) { return WaitForRows(Stored() + rows); }

  WorkFolder folder;
  QString replaySpeed = "2000";  // about 200 records a second
  quint16 port = 0;
  Child server{folder, "server"};
  Child receiver{folder, "receiver"};
};

}  // namespace corvane::faults
