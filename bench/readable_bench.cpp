// The readable decoding on the shared capture of real traffic, beside the
// whole message path that now runs it on every accepted message: the decoder
// alone cycling through the 2,174 messages, the longest text of the capture
// on its own, and every card record through the message path with and
// without the readable decoding and the LiveJSON object a receiver adds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "decoding/latin1_text.h"
#include "decoding/message_path.h"
#include "livelink/live_json.h"
#include "readable/readable.h"
#include "reference/reference_tables.h"

namespace {

struct LabelledText {
  std::string label;
  std::string text;
  corvane::readable::ReceiveTime received;
};

// "2026-12-07T02:30:12.698Z" as a receive time.
corvane::readable::ReceiveTime ReceiveTimeOf(const std::string& utc) {
  corvane::readable::ReceiveTime time;
  std::sscanf(utc.c_str(), "%d-%d-%dT%d:%d:%d", &time.year, &time.month, &time.day, &time.hour, &time.minute,
              &time.second);
  return time;
}

std::vector<LabelledText> RealMessages() {
  std::vector<LabelledText> messages;
  std::ifstream in(std::string(CORVANE_CAPTURES_DIR) + "/real-acars-fields.jsonl");
  for (std::string line; std::getline(in, line);) {
    const auto json = nlohmann::json::parse(line);
    auto label = corvane::decoding::Utf8ToLatin1(json.value("label", ""));
    auto text = corvane::decoding::Utf8ToLatin1(json.value("text", ""));
    if (label && text) {
      messages.push_back({std::move(*label), std::move(*text), ReceiveTimeOf(json.value("utc", ""))});
    }
  }
  return messages;
}

std::vector<std::string> RealRecords() {
  return corvane::capture::ReadCaptureRecords(std::string(CORVANE_CAPTURES_DIR) + "/real-acars.jsonl");
}

void ReadableDecodeOnRealCapture(benchmark::State& state) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  const auto messages = RealMessages();
  if (messages.empty()) {
    state.SkipWithError("the shared capture of real traffic is not on this machine");
    return;
  }
  std::size_t next = 0;
  std::size_t read = 0;
  for (auto _ : state) {
    const LabelledText& message = messages[next];
    const auto decoding = corvane::readable::Decode({message.label, "2", message.text, {}, message.received}, tables);
    read += decoding ? 1 : 0;
    benchmark::DoNotOptimize(decoding);
    next = next + 1 == messages.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["read_share"] = static_cast<double>(read) / static_cast<double>(state.iterations());
}
BENCHMARK(ReadableDecodeOnRealCapture);

void ReadableDecodeLongestRealText(benchmark::State& state) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  const auto messages = RealMessages();
  if (messages.empty()) {
    state.SkipWithError("the shared capture of real traffic is not on this machine");
    return;
  }
  const LabelledText* longest = &messages.front();
  for (const LabelledText& message : messages) {
    longest = message.text.size() > longest->text.size() ? &message : longest;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        corvane::readable::Decode({longest->label, "2", longest->text, {}, longest->received}, tables));
  }
  state.counters["bytes"] = static_cast<double>(longest->text.size());
}
BENCHMARK(ReadableDecodeLongestRealText);

// Records through the message path as a receiver takes them. Decode only:
// DecodeMessage alone. With readable: HandleTextRecord and, for an accepted
// record, its readable decoding. With LiveJSON: the same and the LiveJSON
// object built from it by the writer a receiver publishes it with.
enum class PathWork { kDecodeOnly, kWithReadable, kWithLiveJson };

void PathOnRealCapture(benchmark::State& state, PathWork work) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  corvane::decoding::MessageOutputs outputs;
  corvane::decoding::MessagePath path(tables, outputs,
                                      [] { return corvane::decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; });
  const auto records = RealRecords();
  if (records.empty()) {
    state.SkipWithError("the shared capture of real traffic is not on this machine");
    return;
  }
  corvane::livelink::LiveJsonWriter liveJson(tables);
  liveJson.SetStation("station-north");  // a receiver's own traffic, as most messages are
  std::size_t next = 0;
  for (auto _ : state) {
    if (work == PathWork::kDecodeOnly) {
      benchmark::DoNotOptimize(path.DecodeMessage(records[next]));
    } else {
      path.HandleTextRecord(records[next]);
      if (work == PathWork::kWithLiveJson) {
        benchmark::DoNotOptimize(liveJson.OfLast(path));
      } else if (const auto* message = path.LastMessage()) {
        benchmark::DoNotOptimize(corvane::livelink::ReadableOf(message->record, tables));
      }
    }
    next = next + 1 == records.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}

void DecodeMessageOnRealCapture(benchmark::State& state) { PathOnRealCapture(state, PathWork::kDecodeOnly); }
BENCHMARK(DecodeMessageOnRealCapture);

void MessagePathWithReadableOnRealCapture(benchmark::State& state) {
  PathOnRealCapture(state, PathWork::kWithReadable);
}
BENCHMARK(MessagePathWithReadableOnRealCapture);

void MessagePathOnRealCapture(benchmark::State& state) { PathOnRealCapture(state, PathWork::kWithLiveJson); }
BENCHMARK(MessagePathOnRealCapture);

}  // namespace
