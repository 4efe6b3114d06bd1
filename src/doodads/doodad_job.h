// Turns "war3map.doo" into the JASS script "war3map.doo.j", with the side
// files that were asked for.
#pragma once

#include <string>

#include "base/file_names.h"
#include "base/job_setting.h"
#include "base/output_file.h"
#include "base/status.h"

namespace mapjass {

// What the doodad job does besides its script.
struct DoodadJobOptions {
  bool convertDoodadVersion = false;   // war3mapCONV.doo
  bool wrapInFunction = false;         // the lines in a function ...
  std::string functionName;            // ... of this name
  bool createEmptyDoodadFile = false;  // war3mapNULL.doo and war3mapKEEP.doo
  bool backupDoodadFile = false;       // war3map.old
};

// The job's outputs, in the order in which they take their places.
struct DoodadOutputFiles {
  OutputFile backup, script, empty, kept, converted;
};

// Each output of the job: its name, whether the options ask for it, and how
// it is written. The job checks, opens and commits its outputs by this
// table, and the tests list them by it.
struct DoodadOutput {
  const char* name;
  bool (*asked)(const DoodadJobOptions& options);
  FileMode mode;
  OutputFile DoodadOutputFiles::*file;
};
inline constexpr DoodadOutput kDoodadOutputs[] = {
    {kDoodadBackupFile, [](const DoodadJobOptions& o) { return o.backupDoodadFile; },
     FileMode::kBinary, &DoodadOutputFiles::backup},
    {kDoodadScriptFile, [](const DoodadJobOptions&) { return true; }, FileMode::kText,
     &DoodadOutputFiles::script},
    {kEmptyDoodadFile, [](const DoodadJobOptions& o) { return o.createEmptyDoodadFile; },
     FileMode::kBinary, &DoodadOutputFiles::empty},
    {kKeptDoodadFile, [](const DoodadJobOptions& o) { return o.createEmptyDoodadFile; },
     FileMode::kBinary, &DoodadOutputFiles::kept},
    {kConvertedDoodadFile, [](const DoodadJobOptions& o) { return o.convertDoodadVersion; },
     FileMode::kBinary, &DoodadOutputFiles::converted},
};

// Works on the fixed names in the setting's folder, and hands the header
// report to its report sink. On failure no output changes.
Status runDoodadJob(const DoodadJobOptions& options, const JobSetting& setting);

}  // namespace mapjass
