#include "base/helper_thread.h"

#include <utility>

namespace mapjass {

HelperThread::HelperThread() : thread_([this] { loop(); }) {}

HelperThread::~HelperThread() {
  stopping_.store(true, std::memory_order_relaxed);
  advance(started_);
  thread_.join();
}

void HelperThread::start(std::function<void()> work) {
  work_ = std::move(work);
  advance(started_);
}

void HelperThread::wait() {
  uint64_t target = started_.load(std::memory_order_relaxed);
  uint64_t done;
  while ((done = finished_.load(std::memory_order_acquire)) != target) awaitChange(finished_, done);
}

void HelperThread::advance(std::atomic<uint64_t>& counter) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    counter.fetch_add(1, std::memory_order_release);
  }
  changed_.notify_all();
}

// Spins for a while before it sleeps: on some virtual machines waking a
// sleeping core takes longer than formatting a whole batch.
void HelperThread::awaitChange(const std::atomic<uint64_t>& counter, uint64_t old) {
  for (int spin = 0; spin < (1 << 16); ++spin) {
    if (counter.load(std::memory_order_acquire) != old) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return counter.load(std::memory_order_acquire) != old; });
}

void HelperThread::loop() {
  uint64_t seen = 0;
  while (true) {
    awaitChange(started_, seen);
    seen = started_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_relaxed)) return;
    work_();
    advance(finished_);
  }
}

}  // namespace mapjass
