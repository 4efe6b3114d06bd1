#include "split/split_program.h"

#include "base/byte_reader.h"
#include "base/console.h"
#include "base/file_names.h"
#include "base/jass_functions.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "base/program_arguments.h"
#include "base/question_reader.h"
#include "base/status.h"
#include "split/script_split.h"

namespace mapjass {

namespace {

// What mapjass writes, in the order in which the question is asked.
constexpr const char* kScripts[] = {kTerrainScriptFile, kDoodadScriptFile};
const std::string kBothScripts = std::string(kTerrainScriptFile) + " or " + kDoodadScriptFile;

const std::string kUsage =
    std::string(
        "Usage: mapjass-split [SCRIPT]\n"
        "\n"
        "Spreads the call lines of a script that mapjass wrote over functions that\n"
        "each fit one game thread, and one function that starts them all. Given\n"
        "SCRIPT (a script dropped onto the program), it splits that file; without\n"
        "it, it takes ") +
    kBothScripts +
    " from the folder it runs in.\n"
    "It asks for the function's name and writes the split script beside the\n"
    "input, with .split.j in place of .j; the input is never changed.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "More in README.txt beside the program (docs/manual.md in its source).\n";

// A failure that concerns no file, only how the program was started.
Status programFailure(const std::string& why) {
  return Status::failure(std::string(kSplitProgram) + ": " + why);
}

// The script to split.
Status chooseScript(const std::vector<std::string>& arguments, const std::string& folder,
                    Dialogue& dialogue, std::string& script) {
  if (arguments.size() > 1) {
    return programFailure("give it one script, or none to take " + kBothScripts +
                          " from the folder it runs in");
  }
  if (arguments.size() == 1) {
    script = arguments[0];
    if (script.empty()) {
      return programFailure(std::string("the script's name is empty; give the path of a script, "
                                        "such as ") +
                            kTerrainScriptFile);
    }
    return Status::success();
  }
  std::vector<std::string> found;
  for (const char* name : kScripts) {
    if (fileStateAt(pathIn(folder, name), true).kind != FileKind::kNothing) found.push_back(name);
  }
  if (found.empty()) {
    return programFailure("no " + kBothScripts +
                          " in this folder; run mapjass here first, or drop a script onto "
                          "mapjass-split");
  }
  if (found.size() == 1) {
    script = found[0];
    return Status::success();
  }
  for (const std::string& name : found) {
    bool chosen = false;
    askYesNo(dialogue, ("\nSplit " + name + "?  1-yes 0-no:").c_str(), chosen);
    if (chosen) {
      script = name;
      return Status::success();
    }
  }
  return programFailure("no script chosen; nothing written");
}

Status splitChosenScript(const std::vector<std::string>& arguments, const std::string& folder,
                         Dialogue& dialogue) {
  std::string script;
  if (Status chosen = chooseScript(arguments, folder, dialogue, script); !chosen.ok()) {
    return chosen;
  }
  // Both files, and all of the script that does not depend on the name,
  // are checked before the question: what cannot be split is said at once.
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, script, in); !opened.ok()) return opened;
  std::string output = splitScriptName(script);
  if (Status replaceable = checkReplaceable(folder, output); !replaceable.ok()) return replaceable;
  if (Status checked = checkScript(in); !checked.ok()) return checked;
  std::string name;
  askWord(dialogue, "\nFuncName: ", name);
  if (dialogue.failed) {
    return Status::failure(script + ": no function name given; nothing written");
  }
  if (!isValidFunctionName(name)) {
    return Status::failure(script + ": the function name \"" + name + "\" is not valid in JASS (" +
                           kFunctionNameRule + "); nothing written");
  }
  Console& console = dialogue.console;
  if (isMapFunctionName(name)) console.warn(output + ": " + mapFunctionNameWarning(name));
  SplitSummary summary;
  if (Status split = splitScript(in, folder, output, name, summary, console.warnings());
      !split.ok()) {
    return split;
  }
  console.print("\n" + output + ": " + counted(summary.callLines, "call line") + " in " +
                counted(summary.functions, "function") +
                " of one game thread each. Paste it into the map's custom script section "
                "in place of " +
                script + ", never both, and call " + name +
                "() from a map initialization trigger.\n");
  return Status::success();
}

}  // namespace

int runSplitProgram(const std::vector<std::string>& arguments, const std::string& folder,
                    std::FILE* in, std::FILE* out, std::FILE* err) {
  Console console(in, out, err);
  if (answeredStandardRequest(arguments, kSplitProgram, kUsage, console)) return 0;
  // A refused answer fails the program with a message of its own, and is
  // named in a warning, as mapjass does.
  Dialogue dialogue(console, true);
  return endOfRun(console, splitChosenScript(arguments, folder, dialogue));
}

}  // namespace mapjass
