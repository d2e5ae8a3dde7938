// Replay driver for fuzz targets when libFuzzer is not available: runs every
// file of the corpus folders given as arguments, then seeded mutations of them
// (byte flips, insertions, cuts, splices), so the target's invariants are
// checked on every build, sanitizers included.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kMutationsPerInput = 400;

void Run(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

std::vector<std::string> ReadCorpus(int argc, char** argv) {
  std::vector<std::string> corpus;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      std::ifstream file(entry.path(), std::ios::binary);
      corpus.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
  }
  return corpus;
}

std::string Mutate(std::string input, const std::vector<std::string>& corpus, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
    switch (random() % 5) {
      case 0:
        if (at < input.size()) {
          input[at] = static_cast<char>(random() % 256);
        }
        break;
      case 1:
        input.insert(at, 1, static_cast<char>(random() % 256));
        break;
      case 2:
        input.erase(at, random() % 16);
        break;
      case 3: {
        const std::string& other = corpus[random() % corpus.size()];
        const std::size_t from = other.empty() ? 0 : random() % other.size();
        input.insert(at, other.substr(from, random() % 32));
        break;
      }
      default:
        input.resize(at);
        break;
    }
  }
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> corpus = ReadCorpus(argc, argv);
  if (corpus.empty()) {
    std::cerr << "usage: " << argv[0] << " CORPUS_DIR...  (no corpus files found)\n";
    return 2;
  }
  std::mt19937 random(20261208);
  for (const std::string& input : corpus) {
    Run(input);
    for (int m = 0; m < kMutationsPerInput; ++m) {
      Run(Mutate(input, corpus, random));
    }
  }
  std::cout << "ran " << corpus.size() << " corpus inputs and " << corpus.size() * kMutationsPerInput << " mutations\n";
  return 0;
}
