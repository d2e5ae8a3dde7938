// What the search index keeps of a stored message beside its row: the
// receive time, the keys the field terms compare, its readable decoding and
// position, and the watch list entries it matched.
#pragma once

#include <optional>
#include <string>

#include "readable/message_json.h"
#include "readable/readable.h"
#include "store/backend.h"
#include "store/search/query.h"

namespace corvane::reference {
class ReferenceTables;
}

namespace corvane::store::search {

struct IndexRow {
  UtcMillis utc = 0;
  std::string flightKey;
  std::string tailKey;
  std::string label;
  std::string kind;      // empty when the text has no readable decoding
  std::string station;   // empty for what this receiver heard itself
  std::string readable;  // the readable object as JSON; empty when none
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::optional<double> altitudeFt;
  std::string alerts;  // a JSON array of the matched entries; empty when none
};

// The receive time of a stored record (Date YYMMDD, Hour HHMMSS.mmm, UTC);
// nothing when they cannot be read.
std::optional<UtcMillis> RecordUtc(const decoding::MessageRecord& record);

// The readable decoding of a record's text; none when it is in no known form.
using readable::ReadableOf;

// The index row of a message about to be stored (its readable decoding made
// here, off the message path).
IndexRow IndexRowOf(const StoreOp& op, const reference::ReferenceTables& tables);

// A number as SQL takes it as text ("" for none): whole numbers without a
// fraction, others with enough digits to read back the same.
std::string NumberText(const std::optional<double>& value);

}  // namespace corvane::store::search
