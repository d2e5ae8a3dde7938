// corvane-link's run: the client's signals turned into output and an exit
// status.
#include "link_run.h"

#include <nlohmann/json.hpp>

#include "capture/capture.h"
#include "livelink/protocol.h"

namespace corvane::linktool {

std::string FormatValue(const std::string& item, const std::string& value, bool json) {
  if (!json) {
    return value + "\n";
  }
  nlohmann::ordered_json line;
  line["item"] = capture::Latin1ToUtf8(item);
  // LiveJSON is already a JSON object in UTF-8: it goes in as the object.
  auto object = nlohmann::ordered_json(nlohmann::ordered_json::value_t::discarded);
  if (item == livelink::kLiveJson) {
    object = nlohmann::ordered_json::parse(value, nullptr, false);
  }
  if (!object.is_discarded()) {
    line["value"] = std::move(object);
  } else {
    line["value"] = capture::Latin1ToUtf8(value);
  }
  line["time"] = capture::FormatUtc(decoding::SystemUtcNow());
  return line.dump() + "\n";
}

LinkRun::LinkRun(LinkOptions options, std::FILE* out, std::FILE* err, QObject* parent)
    : QObject(parent), options_(std::move(options)), out_(out), err_(err) {
  using Client = livelink::LiveLinkClient;
  connect(&client_, &Client::Opened, this, &LinkRun::AskForItems);
  connect(&client_, &Client::ValueReceived, this, [this](const std::string& item, const std::string& value) {
    Print(item, value);
    Done();
  });
  connect(&client_, &Client::Changed, this, [this](const std::string& item, const std::string& value) {
    Print(item, value);
    if (options_.count && printed_ >= *options_.count) {
      Done();
    }
  });
  connect(&client_, &Client::Failed, this, &LinkRun::Report);
  connect(&client_, &Client::Closed, this, [this] { emit Finished(status_); });
}

void LinkRun::Start() { client_.Open(options_.server, options_.topic); }

void LinkRun::Stop() {
  if (client_.state() == livelink::LiveLinkClient::State::Idle) {
    emit Finished(status_);
    return;
  }
  Done();
}

void LinkRun::AskForItems() {
  for (const std::string& item : options_.items) {
    if (options_.mode == LinkOptions::Mode::Request) {
      client_.Request(item);
    } else {
      client_.Advise(item);
    }
  }
}

void LinkRun::Print(const std::string& item, const std::string& value) {
  if (closing_) {
    return;
  }
  const std::string text = FormatValue(item, value, options_.json);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
  ++printed_;
}

void LinkRun::Report(const livelink::LinkError& error) {
  std::fprintf(err_, "corvane-link: %s\n", error.message.c_str());
  std::fflush(err_);
  status_ = 1;
  Done();
}

void LinkRun::Done() {
  closing_ = true;
  client_.Close();
}

}  // namespace corvane::linktool
