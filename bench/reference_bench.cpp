// Benchmarks of the reference lookups on the built-in tables.
#include <benchmark/benchmark.h>

#include "reference/airlines.h"
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

// An ACARS flight id read into its airline: an IATA reading (arg 0), an ICAO
// reading (1), and an id of no known airline (2).
const char* const kFlights[] = {"BA0123", "BAW123", "XA0001"};

void AirlineOfFlight(benchmark::State& state) {
  const std::string_view flight = kFlights[state.range(0)];
  for (auto _ : state) {
    benchmark::DoNotOptimize(corvane::reference::AirlineOfFlight(flight));
  }
}
BENCHMARK(AirlineOfFlight)->Arg(0)->Arg(1)->Arg(2);

void IcaoCallsignOf(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(corvane::reference::IcaoCallsignOf("BA0123"));
  }
}
BENCHMARK(IcaoCallsignOf);

}  // namespace
