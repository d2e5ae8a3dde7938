// Reading the --fields list.
#include "output_members.h"

#include <algorithm>

namespace corvane::decodetool {

std::optional<MemberSet> ParseMembers(std::string_view list, std::string& error) {
  if (list == "all") {
    return MemberSet::All();
  }
  MemberSet set;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    const auto* found = std::find(kMemberNames.begin(), kMemberNames.end(), name);
    if (found == kMemberNames.end()) {
      error = name.empty() ? "--fields has an empty name" : "--fields: no member named " + std::string(name);
      return std::nullopt;
    }
    set.Add(static_cast<Member>(found - kMemberNames.begin()));
    if (comma == std::string_view::npos) {
      return set;
    }
    list.remove_prefix(comma + 1);
  }
}

std::string MemberNameList() {
  std::string names;
  for (const std::string_view name : kMemberNames) {
    names += names.empty() ? "" : ",";
    names += name;
  }
  return names;
}

}  // namespace corvane::decodetool
