// Store and network calls off the thread that asks for them: one worker runs
// them in the order asked, and each answer comes back on the asking object's
// thread, so a window keeps painting and taking traffic while a store is
// locked or a server is slow. An answer for an object that is gone is
// dropped.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane::receiver {

class BackgroundCalls {
 public:
  BackgroundCalls();
  ~BackgroundCalls();
  BackgroundCalls(const BackgroundCalls&) = delete;
  BackgroundCalls& operator=(const BackgroundCalls&) = delete;

  // Runs work on the worker, then done(result) on context's thread.
  template <typename Work, typename Done>
  void Run(Work work, QObject* context, Done done) {
    Post([work = std::move(work), context, done = std::move(done)]() mutable {
      auto result = work();
      QMetaObject::invokeMethod(
          context, [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
          Qt::QueuedConnection);
    });
  }

  // Calls not yet started are dropped; the running one is waited for.
  void Stop();

 private:
  void Post(std::function<void()> job);
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace corvane::receiver
