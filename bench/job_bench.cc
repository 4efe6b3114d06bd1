// Times the whole program on large inputs against the I/O floor: the time
// that dd takes to copy the finished script, the same bytes, to a new file.
// Also reports how much more memory the large inputs take than small ones,
// and times mapjass-split on the terrain script of the largest map.
//
//   mapjass_job_bench [runs]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/file_tree.h"
#include "map_writer.h"
#include "test_support.h"
#ifdef MAPJASS_BUILD_BINARY
#include "test_archive.h"
#endif

namespace {

using namespace mapjass::testing;
using Clock = std::chrono::steady_clock;

// Starts `path` in `folder` with `argv`, standard input from `input`,
// standard output into `output` and standard error discarded (the large
// unwrapped doodad list draws a warning on every run).
pid_t start(const char* path, char* const argv[], const std::string& folder,
            const std::string& input, const std::string& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t child;
  if (posix_spawn(&child, path, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", path);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// mapjass, or with `split` mapjass-split on the terrain script.
pid_t startMapjass(const std::string& folder, const std::string& answers, bool split = false) {
  std::string answerFile = folder + "/../answers";
  writeFile(answerFile, answers);
  char name[] = "mapjass", script[] = "war3map.w3e.j";
  char* argv[] = {name, split ? script : nullptr, nullptr};
  return start(split ? MAPJASS_SPLIT_BINARY : MAPJASS_BINARY, argv, folder, answerFile,
               "/dev/null");
}

void expectSuccess(int status, const std::string& what) {
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", what.c_str());
    std::exit(1);
  }
}

double waitSeconds(pid_t child, Clock::time_point started, const std::string& what) {
  int status = 0;
  waitpid(child, &status, 0);
  expectSuccess(status, what);
  return std::chrono::duration<double>(Clock::now() - started).count();
}

// Each timed run writes a new file onto a quiet disk: the file it makes is
// removed first and dirty pages are written back.
void settle(const std::string& path) {
  unlink(path.c_str());
  sync();
}

double runSeconds(const std::string& folder, const std::string& answers, const std::string& script,
                  bool split = false) {
  settle(folder + "/" + script);
  auto started = Clock::now();
  return waitSeconds(startMapjass(folder, answers, split), started, "mapjass in " + folder);
}

// The floor: dd copies the finished script into a new file through a
// buffer in user space, of the size cat uses. (GNU cat itself copies inside
// the kernel with copy_file_range, which some file systems turn into a
// clone that costs nothing.)
double copySeconds(const std::string& folder, const std::string& script) {
  settle(folder + "/copy");
  std::string input = "if=" + script;
  char name[] = "dd", output[] = "of=copy", block[] = "bs=128K", quiet[] = "status=none";
  char* argv[] = {name, input.data(), output, block, quiet, nullptr};
  auto started = Clock::now();
  return waitSeconds(start("/bin/dd", argv, folder, "/dev/null", "/dev/null"), started,
                     "dd in " + folder);
}

// The program's peak resident memory, read from /proc while it runs: the
// kernel's own count would include what the child shared with this process
// before it started the program.
long runPeakKiB(const std::string& folder, const std::string& answers, bool split = false) {
  pid_t child = startMapjass(folder, answers, split);
  std::string statusFile = "/proc/" + std::to_string(child) + "/status";
  long peak = 0;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    std::string text = readFile(statusFile);
    size_t at = text.find("VmHWM:");
    if (at != std::string::npos) peak = std::max(peak, std::atol(text.c_str() + at + 6));
    usleep(200);
  }
  expectSuccess(status, "mapjass in " + folder);
  return peak;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Map-like doodads: positions within +-30000, angles in 0..2pi, a few
// scales, life below 100 on some.
Bytes bigDoodadFile(int count) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> position(-30000, 30000);
  std::uniform_real_distribution<float> angle(0, 6.2831853f);
  const float scales[] = {1, 0.8f, 1.2f, 1.5f};
  const char* types[] = {"LTlt", "ATtr", "LTrc", "YTft"};
  TestDoodadFile file;
  file.doodads.resize(static_cast<size_t>(count));
  for (TestDoodad& d : file.doodads) {
    d.typeId = types[random() % 4];
    d.x = position(random);
    d.y = position(random);
    d.z = std::round(position(random) / 100);
    d.angle = angle(random);
    d.scaleX = d.scaleY = d.scaleZ = scales[random() % 4];
    d.variation = static_cast<int32_t>(random() % 10);
    d.life = random() % 8 == 0 ? static_cast<uint8_t>(random() % 100) : 100;
  }
  return doodadFileBytes(file);
}

Bytes bigTerrainFile(int side) {
  std::mt19937 random(11);
  TestTerrainFile file{.groundTilesets = {"Ldrt", "Ldro", "Ldrg", "Lrok", "Lgrs", "Lgrd"},
                       .pointsX = side,
                       .pointsY = side,
                       .centerX = -65536,
                       .centerY = -65536};
  file.points.resize(static_cast<size_t>(side) * side);
  for (TestTilePoint& p : file.points) {
    p.groundHeight = static_cast<int16_t>(0x2000 + (random() % 3 == 0 ? random() % 800 : 0));
    p.textureAndFlags = static_cast<uint16_t>(random() % 6);
    p.cliffAndLayer = static_cast<uint8_t>(2 + random() % 2);
  }
  return terrainFileBytes(file);
}

struct Figures {
  double job;
  double floor;
  long peakKiB;
  size_t scriptBytes;
};

Figures measure(const std::string& folder, const std::string& answers, const std::string& script,
                int runs) {
  std::vector<double> jobs, floors;
  // In turns, so that a busy moment of the machine touches both alike.
  for (int i = 0; i < runs; ++i) {
    jobs.push_back(runSeconds(folder, answers, script));
    floors.push_back(copySeconds(folder, script));
  }
  unlink((folder + "/copy").c_str());
  struct stat info {};
  stat((folder + "/" + script).c_str(), &info);
  return {median(jobs), median(floors), runPeakKiB(folder, answers),
          static_cast<size_t>(info.st_size)};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  TempFolder root;
  const std::string doodadAnswers = "1 0 0 0 0 0\n";
  const std::string terrainAnswers = "0 1 0\n";
  struct Case {
    const char* name;
    std::function<Bytes()> makeSmall, makeLarge;
    const char* input;
    const char* script;
    std::string answers;
    double target;
  };
  std::printf("mapjass job benchmark, median of %d runs\n", runs);
  Case cases[] = {
      {"doodads, 1,000,000 V8 records", [] { return bigDoodadFile(1000); },
       [] { return bigDoodadFile(1'000'000); }, "war3map.doo", "war3map.doo.j", doodadAnswers, 6},
      {"terrain, 1025 x 1025 points", [] { return bigTerrainFile(32); },
       [] { return bigTerrainFile(1025); }, "war3map.w3e", "war3map.w3e.j", terrainAnswers, 2},
  };
  bool met = true;
  for (const Case& c : cases) {
    std::string small = root.path() + "/small", large = root.path() + "/large";
    mkdir(small.c_str(), 0755);
    mkdir(large.c_str(), 0755);
    // The inputs are made in a child process, so that this one stays small:
    // a spawned program's peak memory counts what it shared before exec.
    pid_t maker = fork();
    if (maker == 0) {
      writeFile(small + "/" + c.input, c.makeSmall());
      writeFile(large + "/" + c.input, c.makeLarge());
      _exit(0);
    }
    waitpid(maker, nullptr, 0);
    Figures little = measure(small, c.answers, c.script, runs);
    Figures big = measure(large, c.answers, c.script, runs);
    double ratio = big.job / big.floor;
    long growth = big.peakKiB - little.peakKiB;
    std::printf(
        "%-32s job %7.1f ms  floor %6.1f ms  ratio %5.2f (target %.0f)  script %6.1f MB  "
        "peak memory %ld KiB, %+ld KiB over the small input\n",
        c.name, big.job * 1e3, big.floor * 1e3, ratio, c.target, big.scriptBytes / 1e6, big.peakKiB,
        growth);
    met = met && ratio <= c.target && growth <= 1024;
    std::system(("rm -rf '" + small + "' '" + large + "'").c_str());
  }
  // The companion on the terrain script of the largest map the editor
  // makes, 481 x 481 points: 231,361 lines in 26 functions.
  std::string folder = root.path() + "/split";
  mkdir(folder.c_str(), 0755);
  std::string script;
  for (int row = 0; row < 481; ++row) {
    for (int column = 0; column < 481; ++column) {
      script += "call SetTerrainType(" + std::to_string(128 * column - 30720) + ".00, " +
                std::to_string(128 * row - 30720) + ".00, 'Ldrt', -1, 1, 1)\n";
    }
  }
  writeFile(folder + "/war3map.w3e.j", script);
  std::vector<double> splits;
  for (int i = 0; i < runs; ++i) {
    splits.push_back(runSeconds(folder, "Terrain\n", "war3map.w3e.split.j", true));
  }
  long peak = runPeakKiB(folder, "Terrain\n", true);
  std::printf("%-32s split %7.1f ms (target well under 1000 ms)  peak memory %ld KiB\n",
              "split, 231,361 terrain lines", median(splits) * 1e3, peak);
  met = met && median(splits) < 0.5;
#ifdef MAPJASS_BUILD_BINARY
  // mapjass-build on a map with 50,000 records.
  std::string mapFolder = root.path() + "/build";
  mkdir(mapFolder.c_str(), 0755);
  std::string mainScript =
      "globals\r\nendglobals\r\nfunction main takes nothing returns nothing\r\n"
      "call InitBlizzard()\r\nendfunction\r\n";
  const std::vector<std::pair<std::string, Bytes>> files = {{"war3map.doo", bigDoodadFile(50'000)},
                                                            {"war3map.j", mainScript},
                                                            {"war3map.w3e", bigTerrainFile(257)}};
  writeFile(mapFolder + "/Map.w3x", archiveBytes({512, true, files}));
  writeFile(mapFolder + "/Lua.w3x",
            archiveBytes({512,
                          true,
                          {files[0],
                           files[2],
                           {"war3map.w3i", mapInfoBytes({})},
                           {"war3map.lua", "function main()\r\n    InitBlizzard()\r\nend\r\n"}}}));
  // The same map saved as a folder.
  mkdir((mapFolder + "/Folder.w3x").c_str(), 0755);
  for (const auto& [name, bytes] : files) writeFile(mapFolder + "/Folder.w3x/" + name, bytes);
  // Builds `map` into `built` as a new file, and again in the place of
  // the map it built, whose script is then read first to tell that it may
  // be replaced.
  auto timeBuilds = [&](const char* map, const char* built, const char* what) {
    std::vector<double> builds, rebuilds;
    char name[] = "mapjass-build";
    char* buildArgv[] = {name, const_cast<char*>(map), nullptr};
    for (int i = 0; i < runs; ++i) {
      mapjass::removeTree(mapFolder + "/" + built);
      sync();
      for (std::vector<double>* times : {&builds, &rebuilds}) {
        auto started = Clock::now();
        times->push_back(
            waitSeconds(start(MAPJASS_BUILD_BINARY, buildArgv, mapFolder, "/dev/null", "/dev/null"),
                        started, "mapjass-build"));
        sync();
      }
    }
    std::printf("%-32s build %7.1f ms (target under 500 ms)\n", what, median(builds) * 1e3);
    std::printf("%-32s build %7.1f ms (target under 500 ms)\n", "  again, over its built map",
                median(rebuilds) * 1e3);
    return median(builds) < 0.5 && median(rebuilds) < 0.5;
  };
  met = timeBuilds("Map.w3x", "Map.built.w3x", "build, 50,000 records") && met;
  met = timeBuilds("Lua.w3x", "Lua.built.w3x", "build, a Lua map, 50,000") && met;
  met = timeBuilds("Folder.w3x", "Folder.built.w3x", "build, a folder map, 50,000") && met;
#endif
  std::printf("%s\n", met ? "all targets met" : "a target was missed");
  return 0;
}
