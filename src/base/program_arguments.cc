#include "base/program_arguments.h"

namespace mapjass {

bool answeredStandardRequest(const std::vector<std::string>& arguments, std::string_view program,
                             const std::string& usage, Console& console,
                             std::string_view versionNote) {
  if (arguments.empty()) return false;
  const std::string& first = arguments.front();
  bool help = first == "--help" || first == "-h";
#ifdef _WIN32
  help = help || first == "/?";
#endif
  if (help) {
    console.print(usage);
  } else if (first == "--version") {
    std::string note = versionNote.empty() ? "" : " (" + std::string(versionNote) + ")";
    console.print(std::string(program) + " " MAPJASS_VERSION + note + "\n");
  }
  return help || first == "--version";
}

}  // namespace mapjass
