// What every job is given besides its own options: the folder it works in
// and the sinks it hands what it has to say to, since jobs never print.
#pragma once

#include <functional>
#include <string>

#include "base/warning_sink.h"

namespace mapjass {

struct JobSetting {
  std::string folder;  // empty: the current folder
  ReportSink report;   // the report of the input's header, for standard output
  WarningSink warn;    // what does not stop the job
  // Called after each output of the job has taken its place, when set: a
  // test interrupts or disturbs a run at that moment. Programs leave it unset.
  std::function<void()> afterOutputRenamed;
};

}  // namespace mapjass
