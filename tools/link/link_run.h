// One run of corvane-link: opens the conversation, requests or advises the
// items, prints each value as it arrives (raw or as JSON lines) and closes
// cleanly when done, on a stop request, or after an error.
#pragma once

#include <QObject>
#include <cstdio>
#include <string>

#include "link_options.h"
#include "livelink/live_link_client.h"

namespace corvane::linktool {

// Raw: the value's bytes and "\n". JSON: one object and "\n".
std::string FormatValue(const std::string& item, const std::string& value, bool json);

class LinkRun : public QObject {
  Q_OBJECT

 public:
  LinkRun(LinkOptions options, std::FILE* out, std::FILE* err, QObject* parent = nullptr);

  void Start();
  // Closes the conversation cleanly (SIGINT, SIGTERM); Finished follows.
  void Stop();

 signals:
  // The run is over; the program's exit status.
  void Finished(int status);

 private:
  void AskForItems();
  void Print(const std::string& item, const std::string& value);
  void Report(const livelink::LinkError& error);
  void Done();

  LinkOptions options_;
  std::FILE* out_;
  std::FILE* err_;
  livelink::LiveLinkClient client_;
  long long printed_ = 0;
  bool closing_ = false;  // no more values are printed
  int status_ = 0;
};

}  // namespace corvane::linktool
