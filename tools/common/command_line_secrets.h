// Passwords given on a command line can be read by every user of the machine
// (ps, /proc/<pid>/cmdline). The programs look for them in their options and
// warn, naming the safer way. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace corvane::tools {

// Whether a libpq connection string carries a password: the key word
// password in "host=db password='s e c'", or "user:secret@" or
// "?password=..." in a URI (postgresql:// or postgres://).
bool ConnectionStringHoldsPassword(std::string_view conninfo);

// "the password in --mqtt can be read by every user of this machine (ps);
// use <saferWay> instead".
std::string CommandLinePasswordWarning(std::string_view option, std::string_view saferWay);

// What corvaned and corvane-cardserver name as the safer ways.
inline constexpr std::string_view kSaferPostgresPassword =
    "libpq's password file (~/.pgpass, or the file PGPASSFILE names)";

}  // namespace corvane::tools
