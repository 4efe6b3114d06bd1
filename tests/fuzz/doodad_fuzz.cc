// The doodad reader on in-memory bytes, then the whole doodad job on the
// same bytes as "war3map.doo".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/byte_reader.h"
#include "doodads/doodad_format.h"
#include "doodads/doodad_job.h"
#include "doodads/doodad_script.h"
#include "fuzz_folder.h"

using namespace mapjass;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::enterFuzzFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteReader in = ByteReader::fromMemory(data, size, "war3map.doo");
  DoodadFileHeader header;
  if (readDoodadFileHeader(in, header).ok()) {
    DoodadRecordFormat format = doodadRecordFormatOf(in, header);
    DoodadRecord record;
    char lines[kMaxDoodadLinesSize];
    uint8_t bytes[kDoodadV8RecordSize];
    for (int32_t i = 0; i < header.doodadCount && readDoodadRecord(in, format, record); ++i) {
      unsigned nonFinite;
      if (formatDoodadLines(lines, record, nonFinite) > sizeof lines) std::abort();
      encodeDoodadRecord(record, DoodadLayout::V7, bytes);
      encodeDoodadRecord(record, DoodadLayout::V8, bytes);
    }
  }

  static const uint8_t kEarlier[] = "earlier";
  fuzzing::writeWhole("war3map.doo", data, size);
  fuzzing::writeWhole("war3map.doo.j", kEarlier, 7);
  fuzzing::writeWhole("war3mapCONV.doo", kEarlier, 7);
  RunOptions options;
  options.convertDoodads = options.convertDoodadVersion = options.wrapInFunction = true;
  options.functionName = "Fuzz";
  options.createEmptyDoodadFile = options.backupDoodadFile = true;
  static std::FILE* console = std::fopen("/dev/null", "w");
  Status status = runDoodadJob(options, console, [](const std::string&) {});
  if (!status.ok()) {
    // A failed job keeps the earlier script and converted copy.
    if (fuzzing::readWhole("war3map.doo.j") != "earlier") std::abort();
    if (fuzzing::readWhole("war3mapCONV.doo") != "earlier") std::abort();
  }
  fuzzing::expectOnly(
      {"war3map.doo", "war3map.doo.j", "war3mapCONV.doo", "war3map.old", "war3mapNULL.doo"});
  return 0;
}
