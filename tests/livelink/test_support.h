// Helpers of the live link tests: waiting on a condition with the event loop
// turning, unique server names, a recorder of a client's signals, and the
// frames in a run of bytes.
#pragma once

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "livelink/live_link_client.h"
#include "livelink/protocol.h"

namespace corvane::livelink::testing {

// Runs the event loop until `done` holds or 5 s pass; whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// "corvane-test-<pid>-<n>": "Corvane" itself may be in use.
inline QString UniqueServerName() {
  static int next = 0;
  return QStringLiteral("corvane-test-%1-%2").arg(::getpid()).arg(++next);
}

// Everything a client reports, in order of arrival.
struct Recorder {
  explicit Recorder(LiveLinkClient& client) {
    QObject::connect(&client, &LiveLinkClient::Opened, [this] { ++opened; });
    QObject::connect(&client, &LiveLinkClient::ValueReceived,
                     [this](const std::string& item, const std::string& value) { values.emplace_back(item, value); });
    QObject::connect(&client, &LiveLinkClient::Advised, [this](const std::string& item) { advised.push_back(item); });
    QObject::connect(&client, &LiveLinkClient::Changed,
                     [this](const std::string& item, const std::string& value) { changes.emplace_back(item, value); });
    QObject::connect(&client, &LiveLinkClient::Unadvised,
                     [this](const std::string& item) { unadvised.push_back(item); });
    QObject::connect(&client, &LiveLinkClient::Failed, [this](const LinkError& error) { errors.push_back(error); });
    QObject::connect(&client, &LiveLinkClient::Closed, [this] { ++closed; });
  }

  int opened = 0;
  int closed = 0;
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::pair<std::string, std::string>> changes;
  std::vector<std::string> advised;
  std::vector<std::string> unadvised;
  std::vector<LinkError> errors;
};

// The whole frames in `bytes`.
inline std::vector<wire::Items> FramesIn(const std::string& bytes) {
  wire::FrameReader reader;
  reader.Append(bytes);
  std::vector<wire::Items> frames;
  wire::Items items;
  std::string error;
  while (reader.Next(items, error) == wire::FrameReader::Status::Frame) {
    frames.push_back(items);
  }
  return frames;
}

}  // namespace corvane::livelink::testing
