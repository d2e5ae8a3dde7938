// The live link's item names and the frames both sides build.
#include "livelink/protocol.h"

namespace corvane::livelink {

bool IsKnownItem(std::string_view item) { return item == kLiveItem || item == kLiveData || item == kLiveJson; }

std::string KnownItemList() {
  return std::string(kLiveItem) + ", " + std::string(kLiveData) + ", " + std::string(kLiveJson);
}

std::string Printable(std::string_view bytes, std::size_t limit) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      text.append("\\x").append(1, kHex[byte >> 4U]).append(1, kHex[byte & 0x0FU]);
    }
  }
  if (bytes.size() > limit) {
    text += "...";
  }
  return text;
}

std::string CommandFrame(std::string_view command, std::string_view subject) {
  return wire::EncodeFrame({std::string(command), std::string(subject)});
}

std::string ConnectFrame(std::string_view topic) {
  return wire::EncodeFrame(
      {std::string(kConnect), std::string(kProtocolName), std::string(kProtocolVersion), std::string(topic)});
}

std::string UpdateFrame(std::string_view item, std::string_view value) {
  return wire::EncodeFrame({std::string(kUpdate), std::string(item), std::string(value)});
}

std::string ErrorFrame(std::string_view command, std::string_view subject, std::string_view code,
                       std::string_view message) {
  return wire::EncodeFrame(
      {std::string(kError), std::string(command), std::string(subject), std::string(code), std::string(message)});
}

}  // namespace corvane::livelink
