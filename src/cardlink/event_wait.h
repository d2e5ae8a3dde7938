// Waiting with the event loop turning: the pauses of connecting and of the
// card search let records, status events, timers and painting go on.
#pragma once

namespace corvane::cardlink {

// Returns after `milliseconds`, having processed events meanwhile.
void WaitProcessingEvents(int milliseconds);

}  // namespace corvane::cardlink
