// (being written)
#include "readable/forms.h"

namespace corvane::readable {

std::optional<Decoding> TerminalReport(const Message& /*message*/, const reference::ReferenceTables& /*tables*/) {
  return std::nullopt;
}

}  // namespace corvane::readable
