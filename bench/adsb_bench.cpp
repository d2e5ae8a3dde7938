// The ADS-B side's cost at 1,000 aircraft: one /api/adsb answer (the
// table's view with today's tallies, written as JSON), and one second's
// reading of aircraft.json (parsed on the poller's worker, taken into the
// table on the receiver's thread).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "adsb/adsb_json.h"
#include "adsb/aircraft_feed.h"
#include "adsb/aircraft_table.h"
#include "adsb/flight_callsign.h"

namespace {

using corvane::adsb::UtcMillis;

constexpr int kAircraft = 1000;
constexpr UtcMillis kNow = 1'796'896'800'000;  // 2026-12-10T10:00:00Z

// A readsb-like aircraft.json: every aircraft with a position, altitude,
// speed and track; every third with a registration, every other with a
// callsign.
std::string FeedText(double now) {
  std::string text = "{\"now\": " + std::to_string(now) + ", \"messages\": 123456, \"aircraft\": [";
  for (int i = 0; i < kAircraft; ++i) {
    char entry[512];
    std::snprintf(entry, sizeof entry,
                  "%s{\"hex\":\"%06x\",\"type\":\"adsb_icao\",%s%s\"alt_baro\":%d,\"gs\":%.1f,\"track\":%.1f,"
                  "\"lat\":%.6f,\"lon\":%.6f,\"seen_pos\":%.1f,\"seen\":%.1f,\"messages\":%d,\"rssi\":-21.5}",
                  i == 0 ? "" : ",", 0x400000 + i, i % 3 == 0 ? "\"r\":\"G-X" : "", i % 3 == 0 ? "AB\"," : "",
                  1000 + i * 37 % 40000, 200 + i % 300 * 1.5, i % 360 * 1.0, 50 + i % 100 * 0.05, -5 + i % 97 * 0.1,
                  i % 10 * 0.3, i % 7 * 0.2, i * 11);
    text += entry;
    if (i % 2 == 0) {
      text.insert(text.size() - 1, ",\"flight\":\"BAW" + std::to_string(i) + "  \"");
    }
  }
  return text + "]}";
}

corvane::adsb::AircraftTable FilledTable() {
  corvane::adsb::AircraftTable table(corvane::adsb::CallsignOfFlight);
  table.TakeFeed(*corvane::adsb::ParseAircraftJson(FeedText(1.0)), kNow);
  // A busy day's messages: 3,000 from 600 aircraft, half of them heard
  // over ADS-B now.
  for (int i = 0; i < 3000; ++i) {
    const int aircraft = i % 600;
    table.TakeMessage({".G-XAB" + std::to_string(aircraft), "BA" + std::to_string(1000 + aircraft),
                       kNow - 1000 * (3000 - i), std::nullopt, std::nullopt});
  }
  return table;
}

void AdsbAnswerOfThousandAircraft(benchmark::State& state) {
  const corvane::adsb::AircraftTable table = FilledTable();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string answer =
        corvane::adsb::AdsbJson({"http://127.0.0.1:8080/data/aircraft.json",
                                 corvane::adsb::StationPosition{51.47, -0.45}, kNow, table.Aircraft(kNow)});
    bytes = answer.size();
    benchmark::DoNotOptimize(answer.data());
  }
  state.counters["answer_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(AdsbAnswerOfThousandAircraft)->Unit(benchmark::kMicrosecond);

void AdsbReadingOfThousandAircraft(benchmark::State& state) {
  corvane::adsb::AircraftTable table = FilledTable();
  const std::string text = FeedText(2.0);
  double now = 2.0;
  for (auto _ : state) {
    auto snapshot = corvane::adsb::ParseAircraftJson(text);
    snapshot->now = now += 1;  // each one a new writing
    table.TakeFeed(*snapshot, kNow);
  }
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(AdsbReadingOfThousandAircraft)->Unit(benchmark::kMicrosecond);

}  // namespace
