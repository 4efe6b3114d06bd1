#include "dialogue/program.h"

#include "base/platform.h"
#include "dialogue/dialogue.h"
#include "doodads/doodad_job.h"
#include "terrain/terrain_job.h"

namespace mapjass {

namespace {

// Reports the job's failure, then waits: a console opened by a double click
// must stay open until the message has been read.
bool endJob(const Status& status, std::FILE* in, std::FILE* out, std::FILE* err) {
  std::fflush(out);
  if (!status.ok()) {
    std::fprintf(err, "%s\n", status.error.c_str());
    std::fflush(err);
  }
  waitForKeyPress(in, out);
  return status.ok();
}

}  // namespace

int runMapjass(const std::string& folder, std::FILE* in, std::FILE* out, std::FILE* err) {
  Dialogue dialogue{in, out};
  const RunOptions options = collectRunOptions(dialogue);
  WarningSink warn = [out, err](const std::string& line) {
    std::fflush(out);
    std::fprintf(err, "warning: %s\n", line.c_str());
  };
  bool allDone = true;
  if (options.convertDoodads) {
    allDone = endJob(runDoodadJob(options, folder, out, warn), in, out, err) && allDone;
  }
  if (options.convertTerrain) {
    allDone = endJob(runTerrainJob(options, folder, out, warn), in, out, err) && allDone;
  }
  std::fflush(out);
  return allDone ? 0 : 1;
}

}  // namespace mapjass
