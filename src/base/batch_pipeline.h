// Runs a job's items in batches through three steps, on two cores.
//
// read(slot, first, count) and write(slot) run on this thread, batch after
// batch, so files are read and written in order. format(slot, part, begin,
// end) makes the text of items [begin, end) of the batch in `slot`: part 0
// on this thread and part 1 on a helper thread at the same time. While batch
// n is formatted, this thread also writes batch n - 1 and reads batch n + 1,
// so the caller keeps two slots of everything (slot = batch number % 2).
// Without a second core, or for a single batch, part 0 is the whole batch
// and part 1 is never made.
#pragma once

#include <cstdint>
#include <functional>

#include "base/status.h"

namespace mapjass {

using ReadBatch = std::function<Status(int slot, int64_t first, int64_t count)>;
using FormatBatch = std::function<void(int slot, int part, int64_t begin, int64_t end)>;
using WriteBatch = std::function<void(int slot)>;

Status runInBatches(int64_t items, int64_t batchSize, const ReadBatch& read,
                    const FormatBatch& format, const WriteBatch& write);

}  // namespace mapjass
