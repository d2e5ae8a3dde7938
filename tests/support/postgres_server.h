// A throw-away PostgreSQL server for tests: initdb in a temporary folder and
// postgres on a free loopback port, as the `postgres` user when the test runs
// as root (the server refuses root). Stop and Start keep the data; the
// destructor stops the server and removes the folder, also when a test fails.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test_support {

class PostgresServer {
 public:
  PostgresServer() {
    std::error_code error;
    for (const auto& version : std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
      bin_ = std::max(bin_, std::filesystem::exists(version.path() / "bin/postgres") ? version.path() / "bin" : bin_);
    }
    char folder[] = "/tmp/corvane-pg-XXXXXX";
    const passwd* user = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (bin_.empty() || mkdtemp(folder) == nullptr || (user != nullptr && chown(folder, user->pw_uid, 0) != 0)) {
      return;
    }
    dir_ = folder;
    uid_ = user != nullptr ? user->pw_uid : 0;
    gid_ = user != nullptr ? user->pw_gid : 0;
    port_ = FreePort();
    int status = -1;
    const pid_t initdb = Spawn({(bin_ / "initdb").string(), "-D", (dir_ / "data").string(), "-U", "corvane", "-A",
                                "trust", "-E", "UTF8", "--no-locale", "--no-sync"});
    initialized_ = waitpid(initdb, &status, 0) == initdb && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    Start();
  }
  ~PostgresServer() {
    Stop();
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // Starts the server on the same port and data; true once it answers.
  bool Start() {
    if (initialized_ && server_ <= 0) {
      server_ = Spawn({(bin_ / "postgres").string(), "-D", (dir_ / "data").string(), "-p", std::to_string(port_), "-k",
                       dir_.string(), "-c", "listen_addresses=127.0.0.1", "-c", "fsync=off"});
      for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
           !Ready() && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    return Ready();
  }

  // Fast shutdown: open connections are cut, as when a server goes down.
  void Stop() {
    if (server_ > 0) {
      kill(server_, SIGINT);
      waitpid(server_, nullptr, 0);
      server_ = -1;
    }
  }

  [[nodiscard]] bool Installed() const { return !bin_.empty(); }
  [[nodiscard]] bool Ready() const { return server_ > 0 && PQping(Url("postgres").c_str()) == PQPING_OK; }
  [[nodiscard]] std::string Url(const std::string& database) const {
    return "postgresql://corvane@127.0.0.1:" + std::to_string(port_) + "/" + database;
  }

 private:
  static int FreePort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
  }

  // Runs the program in the folder (as the postgres user when root), its
  // output in the folder's log. Only calls safe between fork and exec run
  // in the child, as the test has threads.
  pid_t Spawn(const std::vector<std::string>& arguments) const {
    const std::string log = (dir_ / "server.log").string();
    const std::string folder = dir_.string();
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      const bool dropped = uid_ == 0 || (setgroups(0, nullptr) == 0 && setgid(gid_) == 0 && setuid(uid_) == 0);
      if (dropped && chdir(folder.c_str()) == 0) {
        execv(argv[0], argv.data());
      }
      _exit(127);
    }
    return child;
  }

  std::filesystem::path bin_;
  std::filesystem::path dir_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  int port_ = 0;
  bool initialized_ = false;
  pid_t server_ = -1;
};

}  // namespace corvane::test_support
