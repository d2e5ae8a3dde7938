// The process's limit on open files: a station serving many browsers, a
// store and a card server needs more than the usual soft limit of 1,024, so
// each program raises it to the hard limit at start; and a failure that
// comes from running out of files is said as such.
#pragma once

#include <optional>
#include <string>

namespace corvane::receiver {

// Raises the soft limit on open files to the hard one. Gives the limit now
// in force, or nullopt where the system has no such limit.
std::optional<long> RaiseOpenFileLimit();

// "1021 files open, limit 1024" (nullopt where this cannot be known).
std::optional<std::string> OpenFilesNow();

// True when the process has (nearly) all the files its limit allows open,
// so that a failure to open one more is most likely that.
bool NearOpenFileLimit();

}  // namespace corvane::receiver
