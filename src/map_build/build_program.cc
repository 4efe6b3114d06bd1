#include "map_build/build_program.h"

#include <optional>

#include "base/byte_reader.h"
#include "base/console.h"
#include "base/file_names.h"
#include "base/file_tree.h"
#include "base/folder_lock.h"
#include "base/function_parts.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "base/program_arguments.h"
#include "base/signals.h"
#include "map_build/archive_header.h"
#include "map_build/build_output.h"
#include "map_build/built_folder.h"
#include "map_build/built_map.h"
#include "map_build/destructables.h"
#include "map_build/lua_script.h"
#include "map_build/map_archive.h"
#include "map_build/map_check.h"
#include "map_build/map_folder.h"
#include "map_build/map_info.h"
#include "map_build/map_script.h"

namespace mapjass {

namespace {

const std::string kUsage =
    std::string(
        "Usage: mapjass-build MAP [OUTPUT]\n"
        "\n"
        "Builds a copy of the map MAP (a .w3x or .w3m file, or a map saved as a\n"
        "folder) whose script (JASS or Lua) creates the map's destructables when the\n"
        "map starts, and whose ") +
    kDoodadFile +
    " keeps the rest: the doodads, and the\n"
    "destructables that the map's own script creates. MAP is only read. OUTPUT is\n"
    "MAP's name with .built before its extension, unless given; a folder given as\n"
    "OUTPUT receives the built map under MAP's name. Only a map that mapjass-build\n"
    "built is ever replaced. The built map is for playing: keep editing MAP, as the\n"
    "World Editor writes the script anew when it saves.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "More in README.txt beside the program (docs/manual.md in its source).\n";

// What a build changes in a map.
struct Plan {
  ScriptLanguage language = ScriptLanguage::kJass;
  MapDestructables destructables;
  Changes changes;  // the files replaced, with their new bytes
};

// Without a map: on Windows most likely started by a double click, where a
// map is given by dropping it onto the program.
#ifdef _WIN32
constexpr char kHowToGiveAMap[] =
    ": drop a map (.w3x or .w3m) onto mapjass-build.exe, or run mapjass-build MAP [OUTPUT]";
#else
constexpr char kHowToGiveAMap[] =
    ": give it a map, and if you like the name of the built map: mapjass-build MAP [OUTPUT]";
#endif

// The language of the script that the game runs, as war3map.w3i says.
Status languageOf(const std::string& mapName, const MapFiles& map, ScriptLanguage& language) {
  language = ScriptLanguage::kJass;
  if (!map.has(kMapInfoFile)) return Status::success();
  std::string info;
  if (Status read = map.read(kMapInfoFile, info); !read.ok()) {
    return Status::failure(read.error + map.readFailureAdvice());
  }
  return scriptLanguageOf(mapName + ": " + kMapInfoFile, info, language);
}

// What goes into the built map, worked out from the map alone: the script
// that the game runs changes, any other stays as it is.
Status planChanges(const std::string& mapName, const MapFiles& map, const WarningSink& warn,
                   Plan& plan) {
  if (Status known = languageOf(mapName, map, plan.language); !known.ok()) return known;
  const bool lua = plan.language == ScriptLanguage::kLua;
  std::vector<std::string> scripts;
  for (const char* script :
       lua ? std::vector<const char*>{kLuaMapScriptFile}
           : std::vector<const char*>{kMapScriptFile, kProtectedMapScriptFile}) {
    if (map.has(script)) scripts.push_back(script);
  }
  if (scripts.empty() || !map.has(kDoodadFile)) {
    return Status::failure(mapName + ": holds no " +
                           (!scripts.empty() ? kDoodadFile
                            : lua ? std::string(kLuaMapScriptFile) + ", the Lua script that its " +
                                        kMapInfoFile + " says the game runs"
                                  : kMapScriptFile) +
                           ", so it is not a map to build" + kNotAMapAdvice);
  }
  std::string doodads;
  if (Status read = map.read(kDoodadFile, doodads); !read.ok()) {
    return Status::failure(read.error + map.readFailureAdvice());
  }
  MapDestructables& destructables = plan.destructables;
  if (Status made = mapDestructablesOf(mapName + ": " + kDoodadFile, doodads, plan.language, warn,
                                       destructables);
      !made.ok()) {
    return made;
  }
  plan.changes[kDoodadFile] = destructables.keptFile;
  for (const std::string& name : scripts) {
    std::string script;
    if (Status read = map.read(name, script); !read.ok()) {
      return Status::failure(read.error + map.readFailureAdvice());
    }
    const std::string shown = mapName + ": " + name;
    Status inserted =
        lua ? insertIntoLuaMain(shown, destructables.block,
                                std::string(kDestructablesFunction) + "()", kBuildPrefix, script)
            : insertIntoMain(shown, destructables.block, executeFuncCall(kDestructablesFunction),
                             kBuildPrefix, script);
    if (!inserted.ok()) return inserted;
    plan.changes[name] = script;
  }
  return Status::success();
}

// The report of a build.
std::string reportOf(const std::string& mapName, const std::string& outputPath, const Plan& plan) {
  const MapDestructables& made = plan.destructables;
  const bool lua = plan.language == ScriptLanguage::kLua;
  std::string changed;
  for (const auto& [name, bytes] : plan.changes) {
    if (name != kDoodadFile) changed += name + (lua ? " (Lua), " : " (JASS), ");
  }
  return mapName + " built into " + outputPath + ".\n" + "  The script creates " +
         counted(made.created, "destructable") + " when the map starts, in " +
         counted(made.functions, "function") +
         (lua ? ", one after another.\n" : " of one game thread each.\n") + "  " + kDoodadFile +
         " keeps " + counted(made.doodads + made.scriptCreated, "record") + ": " +
         counted(made.doodads, "doodad") + " and " + counted(made.scriptCreated, "destructable") +
         " of the map's own script.\n" + "  Changed: " + changed + kDoodadFile + ".\n" +
         "  Keep editing " + mapName +
         ", not the built map: the World Editor writes the script anew when it saves.\n";
}

// Copies every byte of `map` into `file`.
Status copyMap(const std::string& mapPath, OutputFile& file) {
  ByteReader in;
  if (Status opened = ByteReader::openFile("", mapPath, in); !opened.ok()) return opened;
  if (!copyToEnd(in, file)) return Status::failure(in.endMessage(0, "the map"));
  return file.finish();
}

// Writes the built map to OUTPUT's temporary file and checks it there.
Status writeBuiltMap(const std::string& mapPath, const MapArchive& map, const Changes& changes,
                     const std::string& outputPath, OutputFile& output, const WarningSink& warn) {
  if (Status opened = output.open("", outputPath, FileMode::kBinary); !opened.ok()) return opened;
  if (Status copied = copyMap(mapPath, output); !copied.ok()) return copied;
  // Apart from this process where the system allows: should the library
  // crash while it writes, OUTPUT must still be as it was, with no file left.
  Status written = runApart(
      [&] {
        MapArchive built;
        if (Status opened = built.openForWriting(output.temporaryPath(), outputPath);
            !opened.ok()) {
          return opened;
        }
        for (const auto& [name, bytes] : changes) {
          if (Status replaced = built.replace(name, bytes); !replaced.ok()) return replaced;
        }
        return built.close();
      },
      outputPath + ": the archive library failed while it wrote the built map");
  if (!written.ok()) return written;
  return checkBuiltMap(mapPath, map, output.temporaryPath(), outputPath, changes, warn);
}

// The map at `mapPath`, an archive or a folder, opened as `map`.
Status openMap(const std::string& mapPath, const std::string& mapName, bool isFolder,
               MapArchive& archive, MapFolder& folder) {
  if (isFolder) return folder.open(mapPath, mapName);
  if (fileStateAt(mapPath, true).kind != FileKind::kFile) {
    ByteReader probe;  // says why: missing, not a plain file
    if (Status opened = ByteReader::openFile("", mapPath, probe); !opened.ok()) return opened;
  }
  if (Status opened = archive.openForReading(mapPath, mapName); !opened.ok()) return opened;
  // The built map is first a copy under a temporary name, which the library
  // may read by other rules (a name that says .w3x makes a map of it).
  if (Status copy = checkArchiveHeader(mapPath, mapName, temporaryPathFor(mapPath)); !copy.ok()) {
    return copy;
  }
  if (Status sized = archive.checkStatedSizes(); !sized.ok()) {
    return Status::failure(sized.error + kDamagedMapAdvice);
  }
  return Status::success();
}

// Writes the built map and puts it in OUTPUT's place.
Status writeAndPlace(const std::string& mapPath, const MapArchive& archive, const MapFolder& folder,
                     bool isFolder, const Changes& changes, const std::string& outputPath,
                     const WarningSink& warn) {
  if (!isFolder) {
    OutputFile output;
    if (Status written = writeBuiltMap(mapPath, archive, changes, outputPath, output, warn);
        !written.ok()) {
      return Status::failure(written.error + "; nothing was written");
    }
    return commitOutputs({&output}, warn);
  }
  // Interrupts wait while the folder is written, checked and placed: they
  // find OUTPUT earlier or new, and no temporary folder. Long work stops
  // early for them.
  InterruptsHeld held;
  const std::string temporary = temporaryPathFor(outputPath);
  Status written = writeBuiltFolder(folder, changes, temporary, outputPath);
  if (written.ok()) written = placeBuiltFolder(temporary, outputPath, warn);
  if (!written.ok()) {
    removeTree(temporary);
    written.error += "; nothing was written";
  }
  return written;
}

// Refusals come in a fixed order, so that a map with two faults always
// gets the same message: the arguments, MAP itself, a map built already,
// OUTPUT, and last MAP's contents. `outputArgument` is missing when
// OUTPUT was not given.
Status buildMap(const std::string& mapArgument, const std::optional<std::string>& outputArgument,
                Console& console) {
  if (mapArgument.empty() || (outputArgument && outputArgument->empty())) {
    return Status::failure(std::string(kBuildProgram) + ": the " +
                           (mapArgument.empty() ? "map's" : "built map's") + " name is empty");
  }
  // A map saved as a folder may come with a trailing slash, as a shell
  // completes it.
  const bool isFolder = fileStateAt(mapArgument, true).kind == FileKind::kFolder;
  std::string mapPath = isFolder ? withoutTrailingSlashes(mapArgument) : mapArgument;
  // "." or "..", given in the map's folder or below it, name no map: its
  // own name does.
  if (std::string last = fileNameOf(mapPath); isFolder && (last == "." || last == "..")) {
    if (std::string resolved = resolvedPathOf(mapPath); !resolved.empty()) mapPath = resolved;
  }
  const std::string mapName = fileNameOf(mapPath);
  MapArchive archive;
  MapFolder folder;
  if (Status opened = openMap(mapPath, mapName, isFolder, archive, folder); !opened.ok()) {
    return opened;
  }
  const MapFiles& map = isFolder ? static_cast<const MapFiles&>(folder) : archive;
  if (isBuiltMap(map)) {
    return Status::failure(mapName +
                           ": was built by mapjass-build; build the map it was built from");
  }
  const std::string outputPath =
      outputArgument ? outputPathOf(*outputArgument, mapName) : builtMapName(mapPath);
  if (Status output = checkOutput(mapPath, mapName, isFolder, outputPath); !output.ok()) {
    return output;
  }
  WarningSink warn = console.warnings();
  Plan plan;
  if (Status planned = planChanges(mapName, map, warn, plan); !planned.ok()) return planned;
  // After the contents: a map whose tables the library finds damaged may
  // still say why there is nothing to build.
  if (!isFolder && archive.isProtected()) return Status::failure(mapName + kProtectedMap);

  FolderLock lock;
  if (lock.lock(outputPath, outputPath, warn)) removeLeftovers("", outputPath, warn);
  // What stands at OUTPUT may have changed while the map was read: another
  // run waited for above, or a user.
  if (Status output = checkOutputReplaceable(outputPath, isFolder); !output.ok()) return output;
  if (Status placed =
          writeAndPlace(mapPath, archive, folder, isFolder, plan.changes, outputPath, warn);
      !placed.ok()) {
    return Status::failure(placed.error + ", and " + mapName + " is unchanged");
  }

  console.print(reportOf(mapName, outputPath, plan));
  if (map.has(kSignatureFile)) {
    warn(outputPath +
         ": the map is signed ((signature)), and the signature no longer matches "
         "the built map");
  }
  return Status::success();
}

}  // namespace

int runBuildProgram(const std::vector<std::string>& arguments, std::FILE* in, std::FILE* out,
                    std::FILE* err) {
  Console console(in, out, err);
  if (answeredStandardRequest(arguments, kBuildProgram, kUsage, console, mapArchiveLibrary())) {
    return 0;
  }
  Status status =
      arguments.empty() || arguments.size() > 2
          ? Status::failure(std::string(kBuildProgram) + kHowToGiveAMap)
          : buildMap(arguments[0],
                     arguments.size() == 2 ? std::optional(arguments[1]) : std::nullopt, console);
  return endOfRun(console, status, hasOwnConsoleWindow());
}

}  // namespace mapjass
