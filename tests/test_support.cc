#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

bool matchesPattern(const std::string& text, const std::string& pattern,
                    std::vector<std::string>& parts) {
  parts.clear();
  size_t at = pattern.find("{}");
  if (text.compare(0, std::min(at, pattern.size()), pattern, 0, at) != 0) return false;
  if (at == std::string::npos) return text == pattern;
  size_t from = at;  // in `text`
  while (at != std::string::npos) {
    size_t next = pattern.find("{}", at + 2);
    std::string literal = pattern.substr(at + 2, next == std::string::npos ? next : next - at - 2);
    size_t found = next == std::string::npos ? text.size() - std::min(text.size(), literal.size())
                                             : text.find(literal, from);
    if (found == std::string::npos || found < from ||
        text.compare(found, literal.size(), literal)) {
      return false;
    }
    parts.push_back(text.substr(from, found - from));
    from = found + literal.size();
    at = next;
  }
  return from == text.size();
}

std::string differences(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "";
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return std::to_string(actual.size()) + " bytes where " + std::to_string(expected.size()) +
         " were expected, the first difference at offset " + std::to_string(at) + ": \"" +
         actual.substr(at, 40) + "\" instead of \"" + expected.substr(at, 40) + "\"";
}

std::string differences(const Files& actual, const Files& expected) {
  auto listing = [](const Files& files) {
    std::string text;
    for (const auto& [name, content] : files) text += "[" + name + "] " + content + "\n";
    return text;
  };
  return differences(listing(actual), listing(expected));
}

TestDoodad doodadNumber(int i) {
  auto f = [i](int period, float scale) { return static_cast<float>(i % period) * scale; };
  TestDoodad d{"ABaZ", i % 10 - 3, f(9999, 1.5f) - 2000, 3000 - f(9999, 0.14f), f(13, 0.3f)};
  d.typeId[2] = static_cast<char>('a' + i % 26);
  d.angle = f(628, 0.01f);
  d.scaleX = 0.5f, d.scaleY = 0.75f, d.scaleZ = 0.5f + f(4, 0.25f);
  d.flags = static_cast<uint8_t>(i % 8), d.life = static_cast<uint8_t>(i % 4 == 2 ? 255 : i % 150);
  d.itemTablePointer = -1 - i, d.editorId = 1000 + i;
  return d;
}

std::string scriptLinesOf(const TestDoodad& d, const std::string& prefix) {
  if (d.flags == 0) return "";
  char cd[256];
  std::snprintf(cd, sizeof cd, "call %sCD( '%.4s', %.6g, %.6g, %.6g, %.6g, %.6g, %d )\n",
                prefix.c_str(), d.typeId.c_str(), double{d.x}, double{d.y}, double{d.z},
                double{static_cast<float>(double{d.angle} * 180 / 3.141592653589793)},
                double{d.scaleZ}, d.variation);
  return cd +
         (d.life < 100 ? "call " + prefix + "SL(" + std::to_string(d.life) + ")\n" : std::string());
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
  struct stat info;
  if (bytes == "<read-only>") {
    if (stat(file(name).c_str(), &info) != 0) writeFile(file(name), "earlier");
    chmod(file(name).c_str(), 0444);
  } else if (bytes == "<folder>" || bytes == "<other>" || bytes.starts_with("<link to ")) {
    std::remove(file(name).c_str());
    if (bytes == "<folder>") mkdir(file(name).c_str(), 0755);
    if (bytes == "<other>") mkfifo(file(name).c_str(), 0644);
    if (bytes[1] == 'l') symlink(bytes.substr(9, bytes.size() - 10).c_str(), file(name).c_str());
  } else {
    writeFile(file(name), bytes);
  }
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

void defaultSignals() {
  for (int signal : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGTSTP}) std::signal(signal, SIG_DFL);
}

void execIn(const TempFolder& folder, const Command& command) {
  std::vector<char*> argv = {const_cast<char*>(command.binary)};
  for (const std::string& argument : command.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  if (chdir(folder.path().c_str()) == 0) execv(command.binary, argv.data());
  _exit(127);
}

std::tuple<int, std::string, std::string> runProgram(const TempFolder& folder,
                                                     const std::string& input, long fileSizeLimit,
                                                     const Command& command) {
  // The streams go through files beside the folder, so that they never
  // appear among the files that the program leaves.
  const std::string io[3] = {folder.path() + ".in", folder.path() + ".out", folder.path() + ".err"};
  writeFile(io[0], input);
  pid_t child = startProgram(
      folder,
      [&] {
        for (int fd = 0; fd < 3; ++fd) {
          dup2(open(io[fd].c_str(), fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644), fd);
        }
        rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        if (fileSizeLimit > 0) setrlimit(RLIMIT_FSIZE, &limit);
      },
      command);
  int status = 0;
  waitpid(child, &status, 0);
  std::tuple result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(io[1]), readFile(io[2])};
  for (const std::string& path : io) std::remove(path.c_str());
  return result;
}

}  // namespace mapjass::testing
