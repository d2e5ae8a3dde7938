// Benchmarks of the reference lookups on the built-in tables.
#include <benchmark/benchmark.h>

#include "reference/reference_tables.h"

namespace {

const corvane::reference::ReferenceTables& Tables() {
  static const corvane::reference::ReferenceTables tables = [] {
    corvane::reference::ReferenceTables filled;
    filled.FillBuiltinTables();
    return filled;
  }();
  return tables;
}

void LabelDescriptionFound(benchmark::State& state) {
  const std::string label = state.range(0) == 0 ? "_ " : "H1";
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().LabelDescription(label));
  }
}
BENCHMARK(LabelDescriptionFound)->Arg(0)->Arg(1);

void LabelDescriptionNotInList(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().LabelDescription("23"));
  }
}
BENCHMARK(LabelDescriptionNotInList);

void CodeDescriptionFound(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().CodeDescription("H3"));
  }
}
BENCHMARK(CodeDescriptionFound);

// The last code of the longest run (L, 157 rows) is the slowest hit.
void AirportInfoWorstCase(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().AirportInfo("LZIB"));
  }
}
BENCHMARK(AirportInfoWorstCase);

void AirportInfoTypical(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().AirportInfo("EDDF"));
  }
}
BENCHMARK(AirportInfoTypical);

void AirportInfoMiss(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tables().AirportInfo("LZZZ"));
  }
}
BENCHMARK(AirportInfoMiss);

}  // namespace
