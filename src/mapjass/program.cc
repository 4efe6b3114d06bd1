#include "mapjass/program.h"

#include <cctype>

#include "base/console.h"
#include "base/file_names.h"
#include "base/platform.h"
#include "base/program_arguments.h"
#include "doodads/doodad_job.h"
#include "mapjass/dialogue.h"
#include "terrain/terrain_job.h"

namespace mapjass {

namespace {

const std::string kUsage =
    std::string(
        "Usage: mapjass\n"
        "\n"
        "Turns the placed destructables and the terrain of a Warcraft III map into JASS\n"
        "script. Take ") +
    kDoodadFile + " and " + kTerrainFile +
    " out of the map, put them in a folder\n"
    "and run mapjass there. It asks up to ten questions (1 is yes, 0 is no) and\n"
    "writes " +
    kDoodadScriptFile + " and " + kTerrainScriptFile + " beside them, and on request\n" +
    kDoodadBackupFile + ", " + kEmptyDoodadFile + ", " + kKeptDoodadFile + " and " +
    kConvertedDoodadFile +
    ". It takes no\n"
    "arguments: it works in the folder it runs in.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "More in README.txt beside the program (docs/manual.md in its source).\n";

DoodadJobOptions doodadJobOptionsOf(const RunOptions& answers) {
  return {.convertDoodadVersion = answers.convertDoodadVersion,
          .wrapInFunction = answers.wrapInFunction,
          .functionName = answers.functionName,
          .createEmptyDoodadFile = answers.createEmptyDoodadFile,
          .backupDoodadFile = answers.backupDoodadFile};
}

// The questions ask for the filter only after "Only textures?".
TerrainJobOptions terrainJobOptionsOf(const RunOptions& answers) {
  TerrainJobOptions options;
  options.heights = !answers.texturesOnly;
  if (answers.filterEnabled) options.filter = answers.filterTexture;
  return options;
}

// The folder in full, for messages: the user may not know where a double
// click started the program.
std::string folderName(const std::string& folder) {
  if (folder.empty()) return currentFolder();
  return folder;
}

// Given a map, the user most likely wants it built: mapjass-build does that
// in one command.
std::string buildPointer(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    std::string extension = argument.size() >= 4 ? argument.substr(argument.size() - 4) : "";
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".w3x" || extension == ".w3m") {
      return "; mapjass-build builds a map in one command: mapjass-build \"" + argument + "\"";
    }
  }
  return "";
}

}  // namespace

int runMapjass(const std::vector<std::string>& arguments, const std::string& folder, std::FILE* in,
               std::FILE* out, std::FILE* err) {
  Console console(in, out, err);
  if (answeredStandardRequest(arguments, kMapjassProgram, kUsage, console)) return 0;
  if (!arguments.empty()) {
    console.warn(std::string(kMapjassProgram) +
                 " takes no arguments; it works on the files in the folder it runs in, " +
                 folderName(folder) + buildPointer(arguments));
  }
  if (fileStateAt(pathIn(folder, kDoodadFile), true).kind == FileKind::kNothing &&
      fileStateAt(pathIn(folder, kTerrainFile), true).kind == FileKind::kNothing) {
    console.warn(std::string("neither ") + kDoodadFile + " nor " + kTerrainFile + " is in " +
                 folderName(folder) +
                 "; copy them out of the map into this folder, or run mapjass in the folder "
                 "that holds them");
  }
  Dialogue dialogue(console, true);
  const RunOptions options = collectRunOptions(dialogue);
  const JobSetting setting{folder, console.reports(), console.warnings(), {}};
  int exitStatus = 0;
  if (options.convertDoodads) {
    exitStatus |= endOfRun(console, runDoodadJob(doodadJobOptionsOf(options), setting));
  }
  if (options.convertTerrain) {
    exitStatus |= endOfRun(console, runTerrainJob(terrainJobOptionsOf(options), setting));
  }
  // A run that wrote nothing because of an answer must stay open long
  // enough to say why, in a window that a double click opened.
  if (dialogue.warned && !options.convertDoodads && !options.convertTerrain && isTerminal(in)) {
    console.waitForKey();
  }
  return exitStatus;
}

}  // namespace mapjass
