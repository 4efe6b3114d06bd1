#include "base/program_arguments.h"

namespace mapjass {

StandardRequest standardRequestOf(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return StandardRequest::kNone;
  const std::string& first = arguments.front();
#ifdef _WIN32
  if (first == "/?") return StandardRequest::kHelp;
#endif
  if (first == "--help" || first == "-h") return StandardRequest::kHelp;
  if (first == "--version") return StandardRequest::kVersion;
  return StandardRequest::kNone;
}

std::string versionText(std::string_view program) {
  return std::string(program) + " " MAPJASS_VERSION "\n";
}

}  // namespace mapjass
