#include "base/helper_thread.h"

#include <utility>

namespace mapjass {

namespace {

// Waits until `value` differs from `old`. It spins for a while before it
// sleeps: on some virtual machines waking a sleeping core takes longer than
// formatting a whole batch.
void awaitChange(const std::atomic<uint64_t>& value, uint64_t old) {
  for (int spin = 0; spin < (1 << 16); ++spin) {
    if (value.load(std::memory_order_acquire) != old) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  while (value.load(std::memory_order_acquire) == old) value.wait(old, std::memory_order_acquire);
}

}  // namespace

HelperThread::HelperThread() : thread_([this] { loop(); }) {}

HelperThread::~HelperThread() {
  stopping_.store(true, std::memory_order_relaxed);
  started_.fetch_add(1, std::memory_order_release);
  started_.notify_one();
  thread_.join();
}

void HelperThread::start(std::function<void()> work) {
  work_ = std::move(work);
  started_.fetch_add(1, std::memory_order_release);
  started_.notify_one();
}

void HelperThread::wait() {
  uint64_t target = started_.load(std::memory_order_relaxed);
  uint64_t done;
  while ((done = finished_.load(std::memory_order_acquire)) != target) awaitChange(finished_, done);
}

void HelperThread::loop() {
  uint64_t seen = 0;
  while (true) {
    awaitChange(started_, seen);
    seen = started_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_relaxed)) return;
    work_();
    finished_.store(seen, std::memory_order_release);
    finished_.notify_one();
  }
}

}  // namespace mapjass
