#include "mapjass/dialogue.h"

#include "base/kept_quirks.h"

namespace mapjass {

RunOptions collectRunOptions(Dialogue& dialogue) {
  RunOptions options;
  askYesNo(dialogue, "\nConvert war3map.doo to JASS?  1-yes 0-no:", options.convertDoodads);
  if (options.convertDoodads) {
    askYesNo(dialogue,
             "\nConvert war3map.doo to old version?  1-yes 0-no:", options.convertDoodadVersion);
    askYesNo(dialogue, "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:",
             options.wrapInFunction);
    if (options.wrapInFunction) askWord(dialogue, "\nFuncName: ", options.functionName);
    askYesNo(dialogue, "\nCreate empty war3map.doo?   1-yes 0-no:", options.createEmptyDoodadFile);
    dialogue.console.print(quirks::kLineAfterQuestion5);
    askYesNo(dialogue, "\nCreate backup war3map.doo?   1-yes 0-no:", options.backupDoodadFile);
  }
  askYesNo(dialogue, "\nConvert war3map.w3e to JASS?  1-yes 0-no:", options.convertTerrain);
  if (options.convertTerrain) {
    askYesNo(dialogue, "\nOnly textures?  1-yes 0-no:", options.texturesOnly);
    if (options.texturesOnly) {
      askYesNo(dialogue, "\nEnable filter?  1-yes 0-no:", options.filterEnabled);
      if (options.filterEnabled) {
        askWord(dialogue, "\nEnter filter(example:Ldrt):", options.filterTexture);
      }
    }
  }
  return options;
}

}  // namespace mapjass
