// A mosquitto broker for the tests: its own configuration (a listener on a
// free loopback port, persistence in a temporary folder, anonymous clients
// unless RequireLogin says otherwise) and process. Stop() and Start() again keep the port and the saved
// sessions, as a broker restart does; the destructor stops it and removes
// the folder, also when a test fails.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace corvane::test_support {

class MosquittoBroker {
 public:
  static constexpr const char* kProgram = "/usr/sbin/mosquitto";

  MosquittoBroker() : port_(FreePort()) {
    char folder[] = "/tmp/corvane-broker-XXXXXX";
    dir_ = mkdtemp(folder);
    // As root, mosquitto would change to its own user, who cannot write here.
    const passwd* me = getpwuid(getuid());
    std::ofstream(dir_ / "broker.conf") << "listener " << port_
                                        << " 127.0.0.1\nallow_anonymous true\n"
                                        // Keeps every message for an offline subscriber (default: 1,000).
                                        << "max_queued_messages 0\n"
                                        << "persistence true\npersistence_location " << dir_.string() << "/\n"
                                        << "log_dest file " << (dir_ / "broker.log").string() << "\n"
                                        << "user " << (me != nullptr ? me->pw_name : "root") << "\n";
  }
  ~MosquittoBroker() {
    Stop();
    std::filesystem::remove_all(dir_);
  }

  static bool Installed() { return access(kProgram, X_OK) == 0; }

  // From the next Start on, only this user with this password gets in.
  bool RequireLogin(const std::string& user, const std::string& password) {
    const std::string file = (dir_ / "passwords").string();
    const char* const argv[] = {
        "/usr/bin/mosquitto_passwd", "-c", "-b", file.c_str(), user.c_str(), password.c_str(), nullptr};
    pid_t tool = -1;
    int status = -1;
    if (posix_spawn(&tool, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0 ||
        waitpid(tool, &status, 0) != tool || status != 0) {
      return false;
    }
    std::ofstream(dir_ / "broker.conf", std::ios::app) << "allow_anonymous false\npassword_file " << file << "\n";
    return true;
  }
  [[nodiscard]] int Port() const { return port_; }
  [[nodiscard]] std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

  // Starts the broker; true once it takes connections.
  bool Start() {
    const std::string config = (dir_ / "broker.conf").string();
    char* const argv[] = {const_cast<char*>(kProgram), const_cast<char*>("-c"), const_cast<char*>(config.c_str()),
                          nullptr};
    if (posix_spawn(&pid_, kProgram, nullptr, nullptr, argv, environ) != 0) {
      pid_ = -1;
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Accepts()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  // Stops it as an administrator would (SIGTERM: it saves its sessions).
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  static int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
  }

  [[nodiscard]] bool Accepts() const {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port_);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
  }

  int port_;
  std::filesystem::path dir_;
  pid_t pid_ = -1;
};

}  // namespace corvane::test_support
