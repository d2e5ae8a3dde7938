// The token a browser must show when the page's server listens beyond this
// machine: read from a file, compared in constant time, never written out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::web {

// The token in the file (its first line, without surrounding blanks), or
// nullopt with why in *error (unreadable, empty, or shorter than 16
// characters, too easy to guess).
std::optional<std::string> ReadTokenFile(const std::string& path, std::string* error);

// A warning when other users of this machine may read the token file (its
// group or others have read permission); nullopt when only its owner can.
std::optional<std::string> TokenFileExposure(const std::string& path);

// Whether given is the token, in a time that does not depend on where they
// differ or on how long given is.
bool TokenMatches(std::string_view token, std::string_view given);

}  // namespace corvane::web
