#include "test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mapjass::testing {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeFile(path, asString(bytes));
}

std::string asString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::map<std::string, std::string> folderContents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return contents;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = folder + "/" + name;
    struct stat info;
    stat(path.c_str(), &info);
    contents[name] = S_ISDIR(info.st_mode) ? "<folder>" : readFile(path);
  }
  closedir(dir);
  return contents;
}

std::string consoleOutput(const std::function<void(std::FILE*)>& body) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* console = open_memstream(&buffer, &size);
  body(console);
  std::fclose(console);
  std::string output(buffer, size);
  std::free(buffer);
  return output;
}

JobRun runJob(Job job, const RunOptions& options) {
  JobRun run;
  run.report = consoleOutput([&](std::FILE* console) {
    run.status =
        job(options, console, [&run](const std::string& line) { run.warnings.push_back(line); });
  });
  return run;
}

TempFolder::TempFolder() {
  char pattern[] = "/tmp/mapjass-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) != nullptr) previous_ = cwd;
  if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

TempFolder::~TempFolder() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
  std::string command = "chmod -R u+w '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) std::perror("rm");
}

ProcessResult runProgram(const std::string& folder, const std::string& input,
                         const std::string& shellPrefix) {
  // The streams go through files beside the folder, so that they never
  // appear among the files that the program leaves.
  std::string base = folder + ".io";
  writeFile(base + ".in", input);
  std::string command = "cd '" + folder + "' && " + shellPrefix + " '" MAPJASS_BINARY "' < '" +
                        base + ".in' > '" + base + ".out' 2> '" + base + ".err'";
  int status = std::system(command.c_str());
  ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(base + ".out"),
                       readFile(base + ".err")};
  std::remove((base + ".in").c_str());
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return result;
}

}  // namespace mapjass::testing
