// Store and network calls off the thread that asks for them: one worker runs
// them in the order asked, and each answer comes back on the asking object's
// thread, so a window keeps painting and taking traffic while a store is
// locked or a server is slow. The context must outlive the worker (Stop
// before it goes): the answer is posted to it from the worker's thread. A
// worker may hold a bounded number of calls waiting; beyond that Run
// refuses, so a flood of requests cannot pile up work without end.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

namespace corvane::receiver {

class BackgroundCalls {
 public:
  // At most maxWaiting calls wait behind the running one.
  explicit BackgroundCalls(std::size_t maxWaiting = std::numeric_limits<std::size_t>::max());
  ~BackgroundCalls();
  BackgroundCalls(const BackgroundCalls&) = delete;
  BackgroundCalls& operator=(const BackgroundCalls&) = delete;

  // Runs work on the worker, then done(result) on context's thread. False,
  // running nothing, when the queue is full or the worker stopped.
  template <typename Work, typename Done>
  bool Run(Work work, QObject* context, Done done) {
    return Post([work = std::move(work), context, done = std::move(done)]() mutable {
      auto result = work();
      QMetaObject::invokeMethod(
          context, [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
          Qt::QueuedConnection);
    });
  }

  // Calls not yet started are dropped; the running one is waited for.
  void Stop();

 private:
  bool Post(std::function<void()> job);
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  const std::size_t maxWaiting_;
  bool stopping_ = false;
  bool running_ = false;  // a call is under way
  std::thread thread_;
};

}  // namespace corvane::receiver
