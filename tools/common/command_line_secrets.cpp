// Passwords in libpq connection strings and URIs (read as the settings read
// them), and the warning about a password on the command line.
#include "common/command_line_secrets.h"

#include "config/address_password.h"

namespace corvane::tools {

bool ConnectionStringHoldsPassword(std::string_view conninfo) { return config::HoldsPassword(conninfo); }

std::string CommandLinePasswordWarning(std::string_view option, std::string_view saferWay) {
  return "the password in " + std::string(option) + " can be read by every user of this machine (ps); use " +
         std::string(saferWay) + " instead";
}

}  // namespace corvane::tools
