// SIGINT and SIGTERM as a call on the event loop, so that a program closes
// its connections, files and links cleanly instead of dying mid-write.
#pragma once

#include <QObject>
#include <functional>

namespace corvane::receiver {

// From now on, SIGINT and SIGTERM call stop on owner's event loop.
void CallOnStopSignals(QObject* owner, std::function<void()> stop);

}  // namespace corvane::receiver
