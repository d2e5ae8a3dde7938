// The two texts built for every accepted message: the report that the traffic
// log writes, and the summary published to other programs as LiveData.
// Lines end with CR LF; the message text closes both without a line end.
#pragma once

#include <string>
#include <string_view>

#include "decoding/text_record.h"

namespace corvane::decoding {

// "= DD/MM/YYYY HH:MM:SSZ ===..." then mode, label, MSN, aircraft and flight,
// the label text, and the decoded block and message text when there is a text.
std::string BuildMessageReport(const ReadMessage& message, std::string_view decodedBlock);
void AppendMessageReport(const ReadMessage& message, std::string_view decodedBlock, std::string& report);

// "0ACARS mode: ..." then label, block id and message number, the flight id
// and the message text when present.
std::string BuildLiveSummary(const ReadMessage& message);
void AppendLiveSummary(const ReadMessage& message, std::string& summary);

}  // namespace corvane::decoding
