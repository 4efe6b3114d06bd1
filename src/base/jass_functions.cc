#include "base/jass_functions.h"

#include <algorithm>
#include <iterator>

namespace mapjass {

namespace {

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isWordCharacter(char c) {
  return isLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

constexpr std::string_view kReservedNames[] = {
    "function", "takes",      "returns", "nothing",  "endfunction", "call",    "set",
    "local",    "if",         "then",    "else",     "elseif",      "endif",   "loop",
    "endloop",  "exitwhen",   "return",  "constant", "native",      "type",    "extends",
    "globals",  "endglobals", "array",   "and",      "or",          "not",     "true",
    "false",    "null",       "debug",   "integer",  "real",        "boolean", "string",
    "handle",   "code",       "RF",      "CD",       "SL"};

}  // namespace

bool isValidFunctionName(std::string_view name) {
  return !name.empty() && isLetter(name.front()) && name.back() != '_' &&
         std::all_of(name.begin(), name.end(), isWordCharacter) &&
         std::find(std::begin(kReservedNames), std::end(kReservedNames), name) ==
             std::end(kReservedNames);
}

bool isMapFunctionName(std::string_view name) {
  return name == "main" || name == "config";
}

std::string mapFunctionNameWarning(std::string_view name) {
  const std::string quoted(name);
  return "the function name \"" + quoted + "\" is taken: every map has a function " + quoted +
         " already, and the game would reject a second one; give the function another name";
}

std::string functionHead(std::string_view name) {
  return "function " + std::string(name) + " takes nothing returns nothing\n";
}

}  // namespace mapjass
