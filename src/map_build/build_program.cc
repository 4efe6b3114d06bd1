#include "map_build/build_program.h"

#include "base/byte_reader.h"
#include "base/console.h"
#include "base/file_names.h"
#include "base/folder_lock.h"
#include "base/function_parts.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "base/program_arguments.h"
#include "map_build/destructables.h"
#include "map_build/map_archive.h"
#include "map_build/map_check.h"
#include "map_build/map_script.h"

namespace mapjass {

namespace {

const std::string kUsage =
    std::string(
        "Usage: mapjass-build MAP [OUTPUT]\n"
        "\n"
        "Builds a copy of the map MAP (.w3x, .w3m) whose script creates the map's\n"
        "destructables when the map starts, with the doodad script of mapjass, and\n"
        "whose ") +
    kDoodadFile +
    " keeps the rest: the doodads, and the destructables\n"
    "that the map's own script creates. MAP is only read. OUTPUT is MAP's name with\n"
    ".built before its extension, unless given. The built map is for playing:\n"
    "keep editing MAP, as the World Editor writes the script anew when it saves.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "More in README.txt beside the program (README.md in its source).\n";

std::string fileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What goes into the built map, worked out from the map alone.
Status planChanges(const std::string& mapName, const MapArchive& map, const WarningSink& warn,
                   MapDestructables& destructables, Changes& changes) {
  if (Status sized = map.checkStatedSizes(); !sized.ok()) {
    return Status::failure(sized.error + kDamagedMapAdvice);
  }
  if (map.has(kLuaMapScriptFile)) {
    return Status::failure(mapName + ": the map's script is Lua (" + kLuaMapScriptFile +
                           "); mapjass-build adds to JASS scripts only");
  }
  std::vector<std::string> scripts;
  for (const char* script : {kMapScriptFile, kProtectedMapScriptFile}) {
    if (map.has(script)) scripts.push_back(script);
  }
  if (scripts.empty() || !map.has(kDoodadFile)) {
    return Status::failure(mapName + ": holds no " +
                           (scripts.empty() ? kMapScriptFile : kDoodadFile) +
                           ", so it is not a map to build" + kNotAMapAdvice);
  }
  std::string doodads;
  if (Status read = map.read(kDoodadFile, doodads); !read.ok()) {
    return Status::failure(read.error + kDamagedMapAdvice);
  }
  if (Status made = mapDestructablesOf(mapName + ": " + kDoodadFile, doodads, warn, destructables);
      !made.ok()) {
    return made;
  }
  changes[kDoodadFile] = destructables.keptFile;
  for (const std::string& name : scripts) {
    std::string script;
    if (Status read = map.read(name, script); !read.ok()) {
      return Status::failure(read.error + kDamagedMapAdvice);
    }
    if (Status inserted =
            insertIntoMain(mapName + ": " + name, destructables.block,
                           executeFuncCall(kDestructablesFunction), kBuildPrefix, script);
        !inserted.ok()) {
      return inserted;
    }
    changes[name] = script;
  }
  return Status::success();
}

// Copies every byte of `map` into `file`.
Status copyMap(const std::string& mapPath, OutputFile& file) {
  ByteReader in;
  if (Status opened = ByteReader::openFile("", mapPath, in); !opened.ok()) return opened;
  if (!copyToEnd(in, file)) return Status::failure(in.endMessage(0, "the map"));
  return file.finish();
}

Status buildMap(const std::string& mapPath, const std::string& outputPath, Console& console) {
  const std::string mapName = fileNameOf(mapPath);
  if (mapPath.empty() || outputPath.empty()) {
    return Status::failure(std::string(kBuildProgram) + ": the " +
                           (mapPath.empty() ? "map's" : "built map's") + " name is empty");
  }
  if (FileKind kind = fileStateAt(mapPath, true).kind; kind != FileKind::kFile) {
    ByteReader probe;  // says why: missing, a folder, not a plain file
    if (Status opened = ByteReader::openFile("", mapPath, probe); !opened.ok()) return opened;
  }
  if (isSameFile(mapPath, outputPath)) {
    return Status::failure(outputPath +
                           ": is the map itself, which is only ever read; give another name for "
                           "the built map, or none for " +
                           builtMapName(mapName));
  }
  if (Status replaceable = checkReplaceable("", outputPath); !replaceable.ok()) return replaceable;
  WarningSink warn = console.warnings();
  MapArchive map;
  if (Status opened = map.openForReading(mapPath, mapName); !opened.ok()) return opened;
  MapDestructables destructables;
  Changes changes;
  if (Status planned = planChanges(mapName, map, warn, destructables, changes); !planned.ok()) {
    return planned;
  }

  FolderLock lock;
  lock.lock(outputPath, outputPath, warn);
  OutputFile output;
  if (Status opened = output.open("", outputPath, FileMode::kBinary); !opened.ok()) return opened;
  if (Status copied = copyMap(mapPath, output); !copied.ok()) return copied;
  // Apart from this process where the system allows: should the library
  // crash while it writes, OUTPUT must still be as it was, with no file left.
  Status written = runApart(
      [&] {
        MapArchive built;
        if (Status opened = built.openForWriting(output.temporaryPath(), mapName); !opened.ok()) {
          return opened;
        }
        for (const auto& [name, bytes] : changes) {
          if (Status replaced = built.replace(name, bytes); !replaced.ok()) return replaced;
        }
        return built.close();
      },
      outputPath +
          ": the archive library failed while it wrote the built map; nothing was written");
  if (!written.ok()) return written;
  if (Status checked =
          checkBuiltMap(mapPath, map, output.temporaryPath(), outputPath, changes, warn);
      !checked.ok()) {
    return checked;
  }
  if (Status placed = commitOutputs({&output}, warn); !placed.ok()) return placed;

  std::string changed;
  for (const auto& [name, bytes] : changes) {
    if (name != kDoodadFile) changed += name + ", ";
  }
  console.print(mapName + " built into " + outputPath + ".\n" + "  The script creates " +
                counted(destructables.created, "destructable") + " when the map starts, in " +
                counted(destructables.functions, "function") + " of one game thread each.\n" +
                "  " + kDoodadFile + " keeps " +
                counted(destructables.doodads + destructables.scriptCreated, "record") + ": " +
                counted(destructables.doodads, "doodad") + " and " +
                counted(destructables.scriptCreated, "destructable") +
                " of the map's own script.\n" + "  Changed: " + changed + kDoodadFile + ".\n" +
                "  Keep editing " + mapName +
                ", not the built map: the World Editor writes the script anew when it saves.\n");
  if (map.has(kSignatureFile)) {
    warn(outputPath +
         ": the map is signed ((signature)), and the signature no longer matches "
         "the built map");
  }
  return Status::success();
}

}  // namespace

std::string builtMapName(const std::string& map) {
  size_t slash = map.find_last_of("/\\");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = map.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return map + ".built";
  return map.substr(0, dot) + ".built" + map.substr(dot);
}

int runBuildProgram(const std::vector<std::string>& arguments, std::FILE* in, std::FILE* out,
                    std::FILE* err) {
  Console console(in, out, err);
  if (answeredStandardRequest(arguments, kBuildProgram, kUsage, console, mapArchiveLibrary())) {
    return 0;
  }
  Status status =
      arguments.empty() || arguments.size() > 2
          ? Status::failure(std::string(kBuildProgram) +
                            ": give it a map, and if you like the name of the built map: " +
                            kBuildProgram + " MAP [OUTPUT]")
          : buildMap(arguments[0],
                     arguments.size() == 2 ? arguments[1] : builtMapName(arguments[0]), console);
  return endOfRun(console, status, hasOwnConsoleWindow());
}

}  // namespace mapjass
