// A second thread that takes one piece of work at a time, so that a job can
// format numbers on two cores.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace mapjass {

class HelperThread {
 public:
  HelperThread();
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Runs `work` on the helper. The work started before must have been waited for.
  void start(std::function<void()> work);
  // Returns once the work last started is done.
  void wait();

 private:
  void loop();
  void advance(std::atomic<uint64_t>& counter);
  void awaitChange(const std::atomic<uint64_t>& counter, uint64_t old);

  std::function<void()> work_;
  std::atomic<uint64_t> started_{0};   // pieces of work handed over
  std::atomic<uint64_t> finished_{0};  // pieces of work done
  std::atomic<bool> stopping_{false};
  // The counters change under the mutex, so that a sleeper cannot miss it.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace mapjass
