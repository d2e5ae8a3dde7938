// The members of corvane-decode's output line, in the order they are
// written, and which of them a run writes (--fields).
#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::decodetool {

enum class Member {
  line,
  utc,
  record,
  accepted,
  CurrentLabel,
  fields,
  PaddedAddress,
  LabelText,
  shown,
  header,
  DecodedBlock,
  panels,
  statusStamp,
  MessageReport,
  LiveSummary,
  log,
  readable,
};

inline constexpr std::size_t kMemberCount = static_cast<std::size_t>(Member::readable) + 1;

inline constexpr std::array<std::string_view, kMemberCount> kMemberNames = {
    "line",          "utc",           "record",      "accepted", "CurrentLabel", "fields",
    "PaddedAddress", "LabelText",     "shown",       "header",   "DecodedBlock", "panels",
    "statusStamp",   "MessageReport", "LiveSummary", "log",      "readable"};

class MemberSet {
 public:
  static MemberSet All() {
    MemberSet set;
    set.chosen_.set();
    return set;
  }

  void Add(Member member) { chosen_.set(static_cast<std::size_t>(member)); }
  [[nodiscard]] bool Has(Member member) const { return chosen_.test(static_cast<std::size_t>(member)); }

 private:
  std::bitset<kMemberCount> chosen_;
};

// "readable", "line,fields,readable" or "all": the members named, written
// in the line's own order whatever the order given. Nothing, with error
// set, for an empty list or a name that is not a member.
std::optional<MemberSet> ParseMembers(std::string_view list, std::string& error);

// The member names, comma-separated, for help and error texts.
std::string MemberNameList();

}  // namespace corvane::decodetool
