// The history window's text of one aircraft's day: a line per message with
// its time, flight, label and readable kind, then its text and "--". A
// message without text (a link test, an acknowledgement) has its line too.
#pragma once

#include <string>
#include <vector>

#include "store/backend.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::shell {

// Card bytes, CR LF line ends; kinds are read with the given tables.
std::string HistoryText(const std::vector<store::HistoryRow>& rows, const reference::ReferenceTables& tables);

}  // namespace corvane::shell
