// The worker of the background calls.
#include "receiver/background_calls.h"

namespace corvane::receiver {

BackgroundCalls::BackgroundCalls(std::size_t maxWaiting) : maxWaiting_(maxWaiting), thread_([this] { Work(); }) {}

BackgroundCalls::~BackgroundCalls() { Stop(); }

void BackgroundCalls::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
}

bool BackgroundCalls::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    // With none running, the first call in the queue is about to run rather than wait.
    const std::size_t waitingAfter = running_ ? jobs_.size() + 1 : jobs_.size();
    if (stopping_ || waitingAfter > maxWaiting_) {
      return false;
    }
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

void BackgroundCalls::Work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      running_ = false;
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) {
        return;
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
      running_ = true;
    }
    job();
  }
}

}  // namespace corvane::receiver
