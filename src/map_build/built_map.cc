#include "map_build/built_map.h"

#include "base/file_names.h"
#include "map_build/destructables.h"
#include "map_build/map_script.h"

namespace mapjass {

bool isBuiltMap(const MapFiles& map) {
  for (const char* name : {kMapScriptFile, kProtectedMapScriptFile}) {
    std::string script;
    if (map.has(name) && map.read(name, script).ok() &&
        definesName(script, kDestructablesFunction)) {
      return true;
    }
  }
  return false;
}

}  // namespace mapjass
