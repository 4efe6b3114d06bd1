#include "test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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

TempFolder::TempFolder() {
  char pattern[] = "/tmp/mapjass-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::string command = "chmod -R u+w '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) std::perror("rm");
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
  if (bytes != "<folder>") return writeFile(file(name), bytes);
  std::remove(file(name).c_str());
  mkdir(file(name).c_str(), 0755);
}

namespace {

void listInto(const std::string& folder, const std::string& prefix, Files& contents) {
  DIR* dir = opendir(folder.c_str());
  while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
    std::string name = entry->d_name, path = folder + "/" + name;
    struct stat info;  // an entry may be gone by now, removed by the program
    if (name == "." || name == ".." || lstat(path.c_str(), &info) != 0) continue;
    std::string& content = contents[prefix + name];
    if (S_ISDIR(info.st_mode)) {
      content = "<folder>";
      listInto(path, prefix + name + "/", contents);
    } else if (S_ISLNK(info.st_mode)) {
      char target[4096];
      ssize_t size = readlink(path.c_str(), target, sizeof target);
      content = "<link to " + std::string(target, size > 0 ? size : 0) + ">";
    } else {
      content = S_ISREG(info.st_mode) ? readFile(path) : "<other>";
    }
  }
  if (dir != nullptr) closedir(dir);
}

}  // namespace

Files TempFolder::contents() const {
  Files contents;
  listInto(path_, "", contents);
  return contents;
}

JobRun runJob(Job job, const RunOptions& options, const TempFolder& folder) {
  JobRun run;
  run.report = consoleOutput([&](std::FILE* console) {
    run.status = job(options, folder.path(), console,
                     [&run](const std::string& line) { run.warnings.push_back(line); });
  });
  return run;
}

}  // namespace mapjass::testing
