// Where the jobs hand what they have to say, since they never print: the
// problems that do not stop them (a NaN written as 0, points without a
// tileset), and the reports of their files' headers. The top level prints
// them, warnings on standard error and reports on standard output; tests
// collect them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mapjass {

using WarningSink = std::function<void(const std::string& line)>;
using ReportSink = std::function<void(std::string_view text)>;

}  // namespace mapjass
