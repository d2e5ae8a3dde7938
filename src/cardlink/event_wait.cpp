// The event-processing wait.
#include "cardlink/event_wait.h"

#include <QEventLoop>
#include <QTimer>

namespace corvane::cardlink {

void WaitProcessingEvents(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace corvane::cardlink
