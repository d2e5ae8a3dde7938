// The worker of the background calls.
#include "receiver/background_calls.h"

namespace corvane::receiver {

BackgroundCalls::BackgroundCalls() : thread_([this] { Work(); }) {}

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

void BackgroundCalls::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) {
      return;
    }
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void BackgroundCalls::Work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) {
        return;
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace corvane::receiver
