// Frames and items of the card server protocol.
#include "cardlink/wire.h"

#include <charconv>

namespace corvane::cardlink::wire {

namespace {

constexpr std::size_t kLengthBytes = 4;

void AppendLength(std::string& out, std::uint32_t length) {
  out += static_cast<char>((length >> 24U) & 0xFFU);
  out += static_cast<char>((length >> 16U) & 0xFFU);
  out += static_cast<char>((length >> 8U) & 0xFFU);
  out += static_cast<char>(length & 0xFFU);
}

std::uint32_t ReadLength(std::string_view bytes) {
  std::uint32_t length = 0;
  for (std::size_t i = 0; i < kLengthBytes; ++i) {
    length = (length << 8U) | static_cast<unsigned char>(bytes[i]);
  }
  return length;
}

}  // namespace

std::string EncodeFrame(const Items& items) {
  std::size_t payload = 0;
  for (const std::string& item : items) {
    payload += kLengthBytes + item.size();
  }
  std::string frame;
  frame.reserve(kLengthBytes + payload);
  AppendLength(frame, static_cast<std::uint32_t>(payload));
  for (const std::string& item : items) {
    AppendLength(frame, static_cast<std::uint32_t>(item.size()));
    frame += item;
  }
  return frame;
}

std::optional<Items> DecodePayload(std::string_view payload, std::string& error) {
  Items items;
  while (!payload.empty()) {
    if (payload.size() < kLengthBytes) {
      error = "an item is cut short in its length";
      return std::nullopt;
    }
    const std::uint32_t length = ReadLength(payload);
    payload.remove_prefix(kLengthBytes);
    if (length > payload.size()) {
      error = "an item is longer than its frame";
      return std::nullopt;
    }
    items.emplace_back(payload.substr(0, length));
    payload.remove_prefix(length);
  }
  if (items.empty()) {
    error = "an empty frame";
    return std::nullopt;
  }
  return items;
}

std::string Number(long long value) { return std::to_string(value); }

std::optional<long long> ParseNumber(std::string_view text) {
  long long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

void FrameReader::Append(std::string_view bytes) {
  if (invalid_) {
    return;
  }
  // Drop what was handed out before growing the buffer.
  if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(bytes);
}

FrameReader::Status FrameReader::Next(Items& items, std::string& error) {
  if (invalid_) {
    error = invalidReason_;
    return Status::Invalid;
  }
  const std::string_view pending = std::string_view(buffer_).substr(consumed_);
  if (pending.size() < kLengthBytes) {
    return Status::NeedMore;
  }
  const std::uint32_t length = ReadLength(pending);
  if (length == 0 || length > kMaxPayload) {
    invalid_ = true;
    invalidReason_ = length == 0 ? "an empty frame" : "a frame of " + std::to_string(length) + " bytes, over the limit";
    buffer_.clear();
    consumed_ = 0;
    error = invalidReason_;
    return Status::Invalid;
  }
  if (pending.size() < kLengthBytes + length) {
    return Status::NeedMore;
  }
  auto decoded = DecodePayload(pending.substr(kLengthBytes, length), error);
  if (!decoded) {
    invalid_ = true;
    invalidReason_ = error;
    buffer_.clear();
    consumed_ = 0;
    return Status::Invalid;
  }
  consumed_ += kLengthBytes + length;
  if (consumed_ == buffer_.size()) {
    buffer_.clear();
    consumed_ = 0;
  }
  items = std::move(*decoded);
  return Status::Frame;
}

}  // namespace corvane::cardlink::wire
