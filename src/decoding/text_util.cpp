// Text helpers: trimming, splitting, cutting and aligning byte strings.
#include "decoding/text_util.h"

namespace corvane::decoding {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> SplitAll(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (auto at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string_view Mid(std::string_view text, std::size_t from, std::size_t count) {
  if (from < 1 || from > text.size()) {
    return {};
  }
  return text.substr(from - 1, count);
}

void AppendLine(std::string& block, std::string_view caption, std::string_view value) {
  block += caption;
  block += value;
  block += kCrLf;
}

std::string RightAligned(std::string_view text, std::size_t width) {
  std::string aligned;
  if (text.size() < width) {
    aligned.assign(width - text.size(), ' ');
  }
  aligned += text;
  return aligned;
}

}  // namespace corvane::decoding
