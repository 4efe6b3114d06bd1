// Where the jobs report problems that do not stop them (a NaN written as 0,
// points without a tileset). The top level prints each line on standard
// error; tests collect them.
#pragma once

#include <functional>
#include <string>

namespace mapjass {

using WarningSink = std::function<void(const std::string& line)>;

}  // namespace mapjass
