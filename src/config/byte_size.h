// A size as people write it for a disk limit: a number of bytes, or one
// with K, M, G or T after it (powers of 1024; a trailing B or iB is taken
// too), e.g. "2G", "500 MiB", "0".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::config {

// The bytes the text names; nothing when it names no size (an empty text
// is 0, no limit).
std::optional<std::uint64_t> ParseByteSize(std::string_view text);

// The size the way ParseByteSize reads it back, in the largest unit that
// holds it whole ("2G", "1536M", "0").
std::string ByteSizeText(std::uint64_t bytes);

}  // namespace corvane::config
