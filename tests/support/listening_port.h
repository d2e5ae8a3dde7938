// Reading the port a freshly started corvane-cardserver (--port 0) listens
// on from its first line of output.
#pragma once

#include <QDeadlineTimer>
#include <QProcess>

namespace corvane::test_support {

// The port from "listening on 127.0.0.1:PORT", or 0 when none comes in time.
inline quint16 ReadListeningPort(QProcess& server, int timeoutMs = 5000) {
  static constexpr char kPrefix[] = "listening on 127.0.0.1:";
  QByteArray output;
  const QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired() && server.state() != QProcess::NotRunning) {
    server.waitForReadyRead(100);
    output += server.readAllStandardOutput();
    const auto at = output.indexOf(kPrefix);
    const auto end = output.indexOf('\n', at);
    if (at >= 0 && end > at) {
      const auto start = at + static_cast<qsizetype>(sizeof kPrefix) - 1;
      return static_cast<quint16>(output.mid(start, end - start).trimmed().toUInt());
    }
  }
  return 0;
}

}  // namespace corvane::test_support
