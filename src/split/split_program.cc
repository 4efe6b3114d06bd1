#include "split/split_program.h"

#include "base/byte_reader.h"
#include "base/jass_functions.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "base/status.h"
#include "base/warning_sink.h"
#include "dialogue/dialogue.h"
#include "split/script_split.h"

namespace mapjass {

namespace {

// What mapjass writes, in the order in which the question is asked.
constexpr const char* kScripts[] = {"war3map.w3e.j", "war3map.doo.j"};

// A failure that concerns no file, only how the program was started.
Status programFailure(const std::string& why) {
  return Status::failure(std::string(kSplitProgram) + ": " + why);
}

// The script to split.
Status chooseScript(const std::vector<std::string>& arguments, const std::string& folder,
                    Dialogue& dialogue, std::string& script) {
  if (arguments.size() > 1) {
    return programFailure(
        "give it one script, or none to take war3map.w3e.j or war3map.doo.j from the folder it "
        "runs in");
  }
  if (arguments.size() == 1) {
    script = arguments[0];
    if (script.empty()) {
      return programFailure(
          "the script's name is empty; give the path of a script, such as "
          "war3map.w3e.j");
    }
    return Status::success();
  }
  std::vector<std::string> found;
  for (const char* name : kScripts) {
    if (fileStateAt(pathIn(folder, name), true).kind != FileKind::kNothing) found.push_back(name);
  }
  if (found.empty()) {
    return programFailure(
        "no war3map.w3e.j or war3map.doo.j in this folder; run mapjass here first, or drop a "
        "script onto mapjass-split");
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

std::string counted(int64_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

Status splitChosenScript(const std::vector<std::string>& arguments, const std::string& folder,
                         Dialogue& dialogue, std::FILE* out, const WarningSink& warn) {
  std::string script;
  if (Status chosen = chooseScript(arguments, folder, dialogue, script); !chosen.ok()) {
    return chosen;
  }
  // Both files are checked before the question: what cannot be split is
  // said at once.
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, script, in); !opened.ok()) return opened;
  std::string output = splitScriptName(script);
  if (Status replaceable = checkReplaceable(folder, output); !replaceable.ok()) return replaceable;
  std::string name;
  askWord(dialogue, "\nFuncName: ", name);
  if (dialogue.failed) {
    return Status::failure(script + ": no function name given; nothing written");
  }
  if (!isValidFunctionName(name)) {
    return Status::failure(script + ": the function name \"" + name + "\" is not valid in JASS (" +
                           kFunctionNameRule + "); nothing written");
  }
  SplitSummary summary;
  if (Status split = splitScript(in, folder, output, name, summary, warn); !split.ok())
    return split;
  std::string report = "\n" + output + ": " + counted(summary.callLines, "call line") + " in " +
                       counted(summary.functions, "function") +
                       " of one game thread each. Paste it into the map's custom script section "
                       "and call " +
                       name + "() from a map initialization trigger.\n";
  std::fputs(report.c_str(), out);
  return Status::success();
}

}  // namespace

int runSplitProgram(const std::vector<std::string>& arguments, const std::string& folder,
                    std::FILE* in, std::FILE* out, std::FILE* err) {
  Dialogue dialogue{in, out};
  WarningSink warn = [out, err](const std::string& line) {
    std::fflush(out);
    std::fprintf(err, "warning: %s\n", line.c_str());
  };
  Status status = splitChosenScript(arguments, folder, dialogue, out, warn);
  std::fflush(out);
  if (!status.ok()) {
    std::fprintf(err, "%s\n", status.error.c_str());
    std::fflush(err);
  }
  // A console opened by a double click or a drop must stay open until the
  // message has been read.
  waitForKeyPress(in, out);
  return status.ok() ? 0 : 1;
}

}  // namespace mapjass
