// Joining the blocks of one downlink: the open messages per aircraft,
// flight and label, and the rules that tell the last block.
#include "decoding/block_joiner.h"

#include <charconv>

#include "decoding/utc_clock.h"

namespace corvane::decoding {

namespace {

constexpr char kEtb = '\x17';
constexpr char kEtx = '\x03';
constexpr std::size_t kNumberLength = 4;

enum class BlockEnd { Unknown, MoreFollow, Last };

BlockEnd EndOf(std::string_view text) {
  if (!text.empty() && text.back() == kEtb) {
    return BlockEnd::MoreFollow;
  }
  if (!text.empty() && text.back() == kEtx) {
    return BlockEnd::Last;
  }
  return BlockEnd::Unknown;
}

std::string WithoutEnd(std::string_view text) {
  if (EndOf(text) != BlockEnd::Unknown) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

// The blocks of one aircraft's messages under one label and flight, as
// heard by one station, form one stream.
std::string StreamKey(const MessageRecord& record, std::string_view station) {
  std::string key(station);
  for (const std::string* part : {&record.Address, &record.Flight, &record.Label}) {
    key += '\n';
    key += *part;
  }
  return key;
}

// Without an end byte: the last block is shorter than the full first one,
// or carries the whole message already.
bool LooksLast(const std::string& text, const std::string& first) {
  return text.size() < first.size() || (text.size() > first.size() && text.starts_with(first));
}

int Number(std::string_view digits) {
  int value = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() ? value : -1;
}

void AddId(std::vector<std::string>& ids, std::string_view id) {
  if (!id.empty()) {
    ids.emplace_back(id);
  }
}

}  // namespace

long long StampMillis(const MessageRecord& record) {
  const std::string_view date = record.Date;
  const std::string_view hour = record.Hour;
  if (date.size() != 6 || hour.size() < 6) {
    return 0;
  }
  UtcTime time;
  time.year = 2000 + Number(date.substr(0, 2));
  time.month = Number(date.substr(2, 2));
  time.day = Number(date.substr(4, 2));
  time.hour = Number(hour.substr(0, 2));
  time.minute = Number(hour.substr(2, 2));
  time.second = Number(hour.substr(4, 2));
  time.millisecond = hour.size() >= 10 && hour[6] == '.' ? Number(hour.substr(7, 3)) : 0;
  if (time.year < 2000 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 || time.hour < 0 ||
      time.minute < 0 || time.second < 0 || time.millisecond < 0) {
    return 0;
  }
  return MillisSinceEpoch(time);
}

BlockJoin BlockJoiner::Offer(const MessageRecord& record, std::string_view station, std::string_view id) {
  const long long nowMs = StampMillis(record);
  DropExpired(nowMs);
  if (record.Msn.size() != kNumberLength) {
    return {};
  }
  const std::string prefix = record.Msn.substr(0, 3);
  const char letter = record.Msn[3];
  const BlockEnd end = EndOf(record.Data);
  std::string text = WithoutEnd(record.Data);
  const std::string key = StreamKey(record, station);

  if (const auto found = open_.find(key); found != open_.end()) {
    Group& group = found->second;
    if (group.prefix == prefix && letter == group.letter && text == group.texts.back()) {
      AddId(group.ids, id);  // the same block again: a part of the message all the same
      group.lastMs = nowMs;
      return {};
    }
    if (group.prefix == prefix && letter == group.letter + 1) {
      if (end == BlockEnd::Last || (end == BlockEnd::Unknown && LooksLast(text, group.texts.front()))) {
        return Complete(key, group, std::move(text), id, nowMs);
      }
      group.letter = letter;
      group.lastMs = nowMs;
      group.texts.push_back(std::move(text));
      AddId(group.ids, id);
      return {};
    }
    open_.erase(found);  // a block missing, or out of order: the blocks stay apart
  }

  if (const auto done = completed_.find(key); done != completed_.end()) {
    const Completed& last = done->second;
    if (last.prefix == prefix && last.letter == letter && last.text == text) {
      BlockJoin repeat;
      repeat.repeatOf = last.id;
      return repeat;
    }
  }

  if (letter == 'A' && end != BlockEnd::Last) {
    Group group{prefix, letter, nowMs, {std::move(text)}, {}};
    AddId(group.ids, id);
    open_[key] = std::move(group);
  }
  return {};
}

BlockJoin BlockJoiner::Complete(const std::string& key, Group& group, std::string text, std::string_view id,
                                long long nowMs) {
  BlockJoin join;
  join.blocks = group.texts.size() + 1;
  if (text.size() > group.texts.front().size() && text.starts_with(group.texts.front())) {
    join.text = text;  // reassembled by the decoder already
  } else {
    for (const std::string& part : group.texts) {
      join.text += part;
    }
    join.text += text;
  }
  join.parts = std::move(group.ids);
  completed_[key] =
      Completed{group.prefix, static_cast<char>(group.letter + 1), nowMs, std::move(text), std::string(id)};
  open_.erase(key);
  return join;
}

void BlockJoiner::DropExpired(long long nowMs) {
  const long long gap = gap_.count();
  std::erase_if(open_, [&](const auto& entry) { return nowMs - entry.second.lastMs > gap; });
  std::erase_if(completed_, [&](const auto& entry) { return nowMs - entry.second.atMs > gap; });
}

}  // namespace corvane::decoding
