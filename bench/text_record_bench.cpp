// Benchmark of reading card text records, label lookup included.
#include <benchmark/benchmark.h>

#include "decoding/text_record.h"
#include "reference/reference_tables.h"

namespace {

void ReadTypicalRecord(benchmark::State& state) {
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  const std::string record =
      "M=2  ADDR=.N8560Z TA=! ML=H1 B=2 MSN=D50A FID=WN4899\r\n"
      "#M1BPOSN47172W122185,PERSY,220118,350,OLM,221430,EUG,M48,269156,156\r\n";
  const corvane::decoding::UtcTime now{2026, 12, 7, 21, 0, 5, 5};
  std::string currentLabel;
  for (auto _ : state) {
    benchmark::DoNotOptimize(corvane::decoding::ReadTextRecord(record, now, tables, currentLabel));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReadTypicalRecord);

}  // namespace
