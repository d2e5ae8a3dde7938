// Builds seed inputs for the fuzz targets from capture files, so that each
// fuzz run starts from real traffic as well as the hand-made corpus:
//   fuzz_seed_corpus <output folder> <capture.jsonl>...
// writes <output folder>/<target>/<n> for the targets fed by records, lines,
// card server frames and UDP datagrams.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "cardlink/wire.h"

namespace {

namespace wire = corvane::cardlink::wire;

// Enough seeds per capture to cover its kinds of traffic; libFuzzer keeps the
// ones that reach new code.
constexpr std::size_t kMostLinesPerCapture = 600;
constexpr std::size_t kLinesPerGroup = 5;

class SeedWriter {
 public:
  explicit SeedWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

  void Write(const std::string& target, const std::string& bytes) {
    const std::filesystem::path dir = folder_ / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / ("seed-" + std::to_string(++written_)), std::ios::binary) << bytes;
  }

  [[nodiscard]] std::size_t Written() const { return written_; }

 private:
  std::filesystem::path folder_;
  std::size_t written_ = 0;
};

// A client's view of a server: piece size, welcome, an answer, then the
// records as text events.
std::string ServerStream(const std::vector<std::string>& records) {
  std::string stream(1, '\x40');
  stream += wire::EncodeFrame({std::string(wire::kWelcome), std::string(wire::kProtocolName), "1"});
  stream += wire::EncodeFrame({std::string(wire::kAnswer), "1", "0", "", "1"});
  for (const std::string& record : records) {
    stream += wire::EncodeFrame({std::string(wire::kEvent), "NewTextData", record});
  }
  return stream;
}

void SeedFromCapture(const std::string& path, SeedWriter& seeds) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "fuzz_seed_corpus: cannot read " << path << '\n';
    return;
  }
  std::vector<std::string> lines;
  std::vector<std::string> records;
  std::string error;
  std::size_t taken = 0;
  for (std::string line; taken < kMostLinesPerCapture && std::getline(in, line); ++taken) {
    seeds.Write("capture_line", line);
    lines.push_back(line);
    if (const auto record = corvane::capture::ParseCaptureLine(line, error)) {
      seeds.Write("text_record", record->txt);
      seeds.Write("message_path", record->txt);
      records.push_back(record->txt);
    }
    if (lines.size() == kLinesPerGroup) {
      std::string datagram;
      for (const std::string& each : lines) {
        datagram += each + "\n";
      }
      seeds.Write("udp_datagram", datagram);
      seeds.Write("cardserver_client", ServerStream(records));
      lines.clear();
      records.clear();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::string(argv[1]) == "--help") {
    std::cerr << "usage: fuzz_seed_corpus <output folder> <capture.jsonl>...\n"
                 "Writes seed inputs for the fuzz targets from the captures' lines.\n";
    return argc < 3 ? 2 : 0;
  }
  SeedWriter seeds(argv[1]);
  for (int i = 2; i < argc; ++i) {
    SeedFromCapture(argv[i], seeds);
  }
  std::cout << "fuzz_seed_corpus: " << seeds.Written() << " seeds\n";
  return 0;
}
