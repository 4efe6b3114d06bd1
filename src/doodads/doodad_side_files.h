// The files the doodad job can leave beside its script: a backup of the
// input, an empty doodad file, and a copy converted to the other layout.
// Each appears under its name only once it is complete.
#pragma once

#include <string>

#include "base/output_file.h"
#include "base/status.h"
#include "doodads/doodad_format.h"

namespace mapjass {

// Each works on the fixed names in `folder`.

// Copies "war3map.doo" byte for byte into "war3map.old". An earlier backup
// is replaced only by a complete copy.
Status copyDoodadBackup(const std::string& folder);

// Writes "war3mapNULL.doo": the header as read, with a doodadCount of 0.
Status writeEmptyDoodadFile(const std::string& folder, const DoodadFileHeader& header);

// Starts "war3mapCONV.doo" with the converted header.
Status openConvertedDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                               OutputFile& file);

// Writes `record`, read in `readLayout`, in the other layout.
void writeConvertedDoodadRecord(OutputFile& file, const DoodadRecord& record,
                                DoodadLayout readLayout);

// Flushes and closes the converted copy; the job puts it in place together
// with the script (commitTogether).
Status closeConvertedDoodadFile(OutputFile& file);

}  // namespace mapjass
