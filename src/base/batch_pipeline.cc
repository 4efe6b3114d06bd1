#include "base/batch_pipeline.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "base/helper_thread.h"

namespace mapjass {

Status runInBatches(int64_t items, int64_t batchSize, const ReadBatch& read,
                    const FormatBatch& format, const WriteBatch& write) {
  if (items <= 0) return Status::success();
  auto countFrom = [&](int64_t first) { return std::min(batchSize, items - first); };
  if (Status status = read(0, 0, countFrom(0)); !status.ok()) return status;
  std::unique_ptr<HelperThread> helper;
  if (items > batchSize && std::thread::hardware_concurrency() > 1) {
    helper = std::make_unique<HelperThread>();
  }
  for (int64_t first = 0; first < items; first += batchSize) {
    int slot = static_cast<int>(first / batchSize % 2);
    int64_t count = countFrom(first);
    // This thread also reads and writes, so the helper takes the larger part.
    int64_t here = helper ? count / 3 : count;
    if (helper) helper->start([&, slot, here, count] { format(slot, 1, here, count); });
    format(slot, 0, 0, here);
    if (first > 0) write(1 - slot);
    Status next = Status::success();
    int64_t nextFirst = first + batchSize;
    if (nextFirst < items) next = read(1 - slot, nextFirst, countFrom(nextFirst));
    if (helper) helper->wait();
    if (!next.ok()) return next;
    if (nextFirst >= items) write(slot);
  }
  return Status::success();
}

}  // namespace mapjass
