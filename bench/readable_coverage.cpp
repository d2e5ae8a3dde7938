// How much of a capture of real traffic the readable decoding reads: by
// label, the messages with a decoding of at least one field. With --unread
// LABEL it lists that label's texts it does not read, with --read LABEL the
// decodings it gives; both are how new forms are found and checked.
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "decoding/latin1_text.h"
#include "readable/readable.h"
#include "reference/reference_tables.h"

namespace {

struct Count {
  int messages = 0;
  int read = 0;
};

int Usage(const char* program) {
  std::cerr << "Usage: " << program << " [--unread LABEL | --read LABEL] FIELDS.jsonl\n"
            << "Counts, by label, the messages of a fields capture (one JSON object a line with\n"
            << "label and text; sublabel where the decoder gave the terminal prefix apart, and\n"
            << "block_id) that the readable decoding reads.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string unread;
  std::string read;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unread") == 0 && i + 1 < argc) {
      unread = argv[++i];
    } else if (std::strcmp(argv[i], "--read") == 0 && i + 1 < argc) {
      read = argv[++i];
    } else if (argv[i][0] != '-' && path == nullptr) {
      path = argv[i];
    } else {
      return Usage(argv[0]);
    }
  }
  std::ifstream in(path != nullptr ? path : "");
  if (!in) {
    return Usage(argv[0]);
  }
  corvane::reference::ReferenceTables tables;
  tables.FillBuiltinTables();
  std::map<std::string, Count> counts;
  Count all;
  for (std::string line; std::getline(in, line);) {
    const auto json = nlohmann::json::parse(line);
    const auto label = corvane::decoding::Utf8ToLatin1(json.value("label", ""));
    const auto text = corvane::decoding::Utf8ToLatin1(json.value("text", ""));
    if (!label || !text) {
      continue;
    }
    // Decoders that give the terminal prefix apart (dumpvdl2, dumphfdl) write
    // its sublabel as a member of its own.
    const std::string sublabel = corvane::decoding::Utf8ToLatin1(json.value("sublabel", "")).value_or("");
    const std::string blockId = corvane::decoding::Utf8ToLatin1(json.value("block_id", "")).value_or("");
    const auto decoding = corvane::readable::Decode({*label, "2", *text, sublabel, {}, blockId}, tables);
    const bool isRead = decoding && !decoding->fields.empty();
    Count& count = counts[*label];
    ++count.messages;
    ++all.messages;
    count.read += isRead ? 1 : 0;
    all.read += isRead ? 1 : 0;
    if (*label == unread && !isRead) {
      std::cout << *text << "\n\n";
    } else if (*label == read && isRead) {
      std::cout << *text << "\n  => " << decoding->kind << "\n" << decoding->text << "\n";
    }
  }
  if (!unread.empty() || !read.empty()) {
    return 0;
  }
  for (const auto& [label, count] : counts) {
    std::cout << label << '\t' << count.read << '\t' << count.messages << '\n';
  }
  std::cout << "all\t" << all.read << '\t' << all.messages << '\t' << (100.0 * all.read / all.messages) << "%\n";
}
