#include "map_build/built_map.h"

#include "base/file_names.h"
#include "map_build/destructables.h"
#include "map_build/lua_script.h"
#include "map_build/map_script.h"

namespace mapjass {

bool isBuiltMap(const MapFiles& map) {
  for (const char* name : {kMapScriptFile, kProtectedMapScriptFile, kLuaMapScriptFile}) {
    std::string script;
    if (!map.has(name) || !map.read(name, script).ok()) continue;
    if (name == kLuaMapScriptFile ? luaDefinesName(script, kDestructablesFunction)
                                  : definesName(script, kDestructablesFunction)) {
      return true;
    }
  }
  return false;
}

}  // namespace mapjass
