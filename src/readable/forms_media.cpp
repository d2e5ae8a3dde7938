// Media advisories (label SA): which air-ground link the aircraft just
// established or lost, when, and which links it has now:
//   version digit, E (established) or L (lost), the link, HHMMSS, the links
//   available, and an optional "/" with free text.
#include "readable/forms.h"
#include "readable/text_scan.h"

namespace corvane::readable {

namespace {

// The links by their letter; nothing for a letter not known for sure.
const char* LinkName(char letter) {
  switch (letter) {
    case 'V':
      return "VHF ACARS";
    case '2':
      return "VDL Mode 2";
    case 'S':
      return "SATCOM";
    case 'H':
      return "HF data link";
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<Decoding> MediaAdvisory(const Message& message, const reference::ReferenceTables& tables) {
  const std::string_view text = Trim(message.text.substr(0, FindAnyOf(message.text, "\r\n")));
  if (text.size() < 9 || text[0] < '0' || text[0] > '9' || (text[1] != 'E' && text[1] != 'L')) {
    return std::nullopt;
  }
  const char* link = LinkName(text[2]);
  const auto time = TimeOfDay(text.substr(3, 6));
  if (link == nullptr || !time) {
    return std::nullopt;
  }
  Builder out(Kind::kMediaAdvisory, tables);
  out.Text("link", text[1] == 'E' ? "Link established" : "Link lost", link);
  out.Text("link_state", "Link state", text[1] == 'E' ? "established" : "lost");
  out.Time("event_time", "Time", *time);
  std::vector<std::string> available;
  const std::string_view list =
      text.substr(9, text.find('/', 9) == std::string_view::npos ? std::string_view::npos : text.find('/', 9) - 9);
  for (const char letter : list) {
    const char* name = LinkName(letter);
    if (name == nullptr) {
      available.clear();
      break;
    }
    available.emplace_back(name);
  }
  if (!available.empty()) {
    out.Names("available_links", "Links available", std::move(available));
  }
  return std::move(out).Finish();
}

}  // namespace corvane::readable
