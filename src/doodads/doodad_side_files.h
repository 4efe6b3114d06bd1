// The files the doodad job can leave beside its script: a backup of the
// input, an empty doodad file, the records that stay in the map's own file,
// and a copy converted to the other layout.
// Each is written into an output that the job has opened; the job puts
// them in their places together with the script, once all has succeeded.
#pragma once

#include <string>

#include "base/byte_reader.h"
#include "base/output_file.h"
#include "base/status.h"
#include "doodads/doodad_format.h"

namespace mapjass {

// Copies "war3map.doo", which `in` has just opened, byte for byte into the
// backup "war3map.old", and rewinds `in`: the job reads the same file, with
// the same size, as the backup holds.
Status copyDoodadBackup(ByteReader& in, OutputFile& file);

// Writes "war3mapNULL.doo": the header as read, with a doodadCount of 0.
void writeEmptyDoodadFile(const DoodadFileHeader& header, OutputFile& file);

// Starts "war3mapKEEP.doo": the records that stay in the map's own file,
// with the header as read: the doodads, which no script can create, and the
// destructables that the map's own script creates. finishKeptDoodadFile()
// sets its count.
void openKeptDoodadFile(const DoodadFileHeader& header, OutputFile& file);

// Writes such a record as it stands in the input.
void writeKeptDoodadRecord(OutputFile& file, const std::string& raw);

// Copies what follows the last record read, everything from `in`'s position
// on, and sets the header's count to `keptCount`.
Status finishKeptDoodadFile(OutputFile& file, ByteReader& in, int32_t keptCount);

// Starts "war3mapCONV.doo" with the converted header.
void openConvertedDoodadFile(const DoodadFileHeader& header, OutputFile& file);

// Writes `record`, read in `readLayout`, in the other layout.
void writeConvertedDoodadRecord(OutputFile& file, const DoodadRecord& record,
                                DoodadLayout readLayout);

}  // namespace mapjass
