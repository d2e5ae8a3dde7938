// Benchmark of the whole message path (no store, no log) on the shipped demo
// capture: reading, dispatch, decoders, report and summary for every record.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "decoding/message_path.h"
#include "reference/reference_tables.h"

namespace {

std::vector<std::string> DemoRecords() {
  std::vector<std::string> records;
  std::ifstream in(CORVANE_DEMO_CAPTURE);
  std::string error;
  for (std::string line; std::getline(in, line);) {
    if (auto record = corvane::capture::ParseCaptureLine(line, error)) {
      records.push_back(std::move(record->txt));
    }
  }
  return records;
}

void DecodeMessageOnDemoCapture(benchmark::State& state) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  corvane::decoding::MessageOutputs outputs;
  corvane::decoding::MessagePath path(tables, outputs,
                                      [] { return corvane::decoding::UtcTime{2026, 12, 7, 21, 0, 5, 5}; });
  const std::vector<std::string> records = DemoRecords();
  if (records.empty()) {
    state.SkipWithError("demo capture not found");
    return;
  }
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(path.DecodeMessage(records[next]));
    next = next + 1 == records.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeMessageOnDemoCapture);

}  // namespace
