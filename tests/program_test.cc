// The built program as a user runs it: answers piped in, files in a folder.
#include "mapjass/program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/folder_lock.h"
#include "base/output_file.h"
#include "base/signals.h"
#include "doodads/doodad_job.h"
#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

// Every output name, with content from an earlier run.
const Files kEarlierOutputs = {
    {"war3map.doo.j", "old doo script"}, {"war3map.w3e.j", "old w3e script"},
    {"war3mapCONV.doo", "old conv"},     {"war3map.old", "old backup"},
    {"war3mapNULL.doo", "old null"},     {"war3mapKEEP.doo", "old keep"}};

const Bytes kDoodads = doodadFileBytes({.doodads = {typicalDoodad()}});
const std::string kTerrain = terrainFileBytes(
    {.pointsX = 1, .pointsY = 1, .centerX = -1536, .centerY = -2048, .points = {{7792}}});

// A folder with every earlier output and `inputs`.
void prepare(const TempFolder& folder, const Files& inputs) {
  for (const auto& [name, content] : kEarlierOutputs) folder.write(name, content);
  for (const auto& [name, content] : inputs) folder.write(name, content);
}

struct Case {
  const char* name;
  Files inputs;
  std::string answers;
  long fileSizeLimit;
  std::string err;  // FOLDER stands for the folder; exit status 0 with warnings only
  std::vector<std::string> replaced;
  std::string out;  // "": not compared; "...": compared up to there
  std::vector<std::string> arguments;
};

Case row(const char* name, Files inputs, std::string answers, long fileSizeLimit, std::string err,
         std::vector<std::string> replaced = {}, std::string out = "",
         std::vector<std::string> arguments = {}) {
  return {name, inputs, answers, fileSizeLimit, err, replaced, out, arguments};
}

std::string answerWarning(const std::string& answer, const std::string& question) {
  return "warning: the answer \"" + answer + "\" to \"" + question +
         "\" is neither 1 (yes) nor 0 (no), so that question and every later one keep \"no\"";
}

// Whatever the files, answers and arguments hold, the run ends with a clear
// message for each job that failed, and only the files in `replaced` change.
TEST(Program, RunsWhatWasAskedAndLosesNothing) {
  const std::string all = "1 1 1 Init 1 1 1 0\n";  // every doodad file, heights too
  Bytes items = doodadFileBytes({.doodads = {{.itemSets = {ItemSet{{{"ratc", 50}}}}}}});
  items.replace(62, 4, "\xFF\xFF\xFF\x7F");  // 2^31 - 1 items in its set
  Bytes cliffs = terrainFileBytes({});
  cliffs.replace(25, 4, "\xFB\xFF\xFF\xFF");  // -5 cliff ids
  const Bytes huge = terrainFileBytes({.pointsX = 65536, .pointsY = 65536, .points = {{}, {}, {}}});
  // A 42 KB file, a 37 KB script and a 50 KB converted copy; an 89 KB script.
  const Files big = {
      {"war3map.doo", doodadFileBytes({.version = 7, .doodads = std::vector<TestDoodad>(1000)})},
      {"war3map.w3e",
       terrainFileBytes(
           {.pointsX = 40, .pointsY = 40, .points = std::vector<TestTilePoint>(1600)})}};
  const Files both = {{"war3map.doo", kDoodads}, {"war3map.w3e", kTerrain}};
  auto with = [&](const std::string& name, const std::string& content) {
    Files files = both;
    files[name] = content;
    return files;
  };
  const std::vector<std::string> doodadOutputs = {"war3map.doo.j", "war3mapCONV.doo", "war3map.old",
                                                  "war3mapNULL.doo", "war3mapKEEP.doo"};
  const std::string cannotWrite = ": cannot write: File too large\n";
  // 2,500 ground ids: a list longer than the reader's pieces.
  std::vector<std::string> ids;
  for (int i = 0; i < 2500; ++i) ids.push_back({'L', static_cast<char>('0' + i % 10), 'r', 't'});
  const Bytes wideList = terrainFileBytes({.groundTilesets = ids, .pointsX = 0});
  const Case cases[] = {
      row("both jobs",
          {{"war3map.doo", doodadFileBytes({.signature = "SIGN"})}, {"war3map.w3e", kTerrain}},
          "1 0 0 0 0 1 0\n", 0, "", {"war3map.doo.j", "war3map.w3e.j"},
          std::string(kQ1) + kQ2 + kQ3 + kQ5 + kQ6 + kQ7 + kQ8 +
              "\nFILE: SIGNo\nVersion: 8.11\nnumber:0\n\n\n\n\n"
              "\nFILE: W3E!\n Version: 11\n Type:L\n0\n Tilesets(ground) 2\nList: LdrtLgrs\n"
              "Tilesets(cliffs): 1\nList: CLdi\n"
              "\nCX: -1536.000000, CY: -2048.000000 \n MX: 1, MY: 1 \n \n \n 7"),
      row("a long tileset list", {{"war3map.w3e", wideList}}, "0 1 0", 0, "", {"war3map.w3e.j"},
          std::string(kQ1) + kQ7 + kQ8 +
              "\nFILE: W3E!\n Version: 11\n Type:L\n0\n Tilesets(ground) 2500\nList: " +
              wideList.substr(17, 10'000) +
              "\nTilesets(cliffs): 1\nList: CLdi\n\nCX: -128.000000, CY: -128.000000 \n MX: 0, MY: "
              "2 \n \n \n 7"),
      row("missing inputs", {}, all, 0,
          "warning: neither war3map.doo nor war3map.w3e is in FOLDER; copy them out of the map "
          "into this folder, or run mapjass in the folder that holds them\n"
          "war3map.doo: cannot open: No such file or directory\n"
          "war3map.w3e: cannot open: No such file or directory\n"),
      row("huge counts", {{"war3map.doo", items}, {"war3map.w3e", cliffs}}, all, 0,
          "war3map.doo: file ends inside record 1 of 1 (offset 86)\n"
          "war3map.w3e: cliffTilesetCount is -5; it cannot be negative\n"),
      row("65536 x 65536 points", with("war3map.w3e", huge), all, 0,
          "war3map.w3e: file ends before tile point 4 of 4294967296 (column 3, row 0) (offset "
          "70)\n",
          doodadOutputs),
      row("a folder as the converted copy", with("war3mapCONV.doo", "<folder>"), all, 0,
          "war3mapCONV.doo: is a folder; the file cannot be written\n", {"war3map.w3e.j"}),
      row("a read-only empty file", with("war3mapNULL.doo", "<read-only>"), all, 0,
          "war3mapNULL.doo: is read-only; the file cannot be replaced\n", {"war3map.w3e.j"}),
      row("a read-only kept file", with("war3mapKEEP.doo", "<read-only>"), all, 0,
          "war3mapKEEP.doo: is read-only; the file cannot be replaced\n", {"war3map.w3e.j"}),
      row("read-only files not asked for", with("war3map.old", "<read-only>"), "1 0 0 0 0 0", 0, "",
          {"war3map.doo.j"}),
      row("a read-only terrain script", with("war3map.w3e.j", "<read-only>"), "0 1 1 0", 0,
          "war3map.w3e.j: is read-only; the file cannot be replaced\n"),
      row("a full disk for the converted copy", big, "1 1 0 0 0 0\n", 40'000,
          "war3mapCONV.doo" + cannotWrite),
      row("a full disk for both scripts", big, "1 0 0 0 0 1 0\n", 20'000,
          "war3map.doo.j" + cannotWrite + "war3map.w3e.j" + cannotWrite),
      row("a full disk for the backup", big, "1 0 0 0 1 0\n", 20'000, "war3map.old" + cannotWrite),
      row("a word as the first answer", both, "y\n", 0,
          answerWarning("y", "Convert war3map.doo to JASS?") + "\n", {}, std::string(kQ1) + kQ7),
      row("a function name of two words", both, "1 0 1 Place Doodads 1 1 1\n", 0,
          answerWarning("Doodads", "Create empty war3map.doo?") +
              "; a function name is one word, so the name was taken as \"Place\"\n",
          {"war3map.doo.j"}),
      row("an argument", both, "0 0", 0,
          "warning: mapjass takes no arguments; it works on the files in the folder it runs in, "
          "FOLDER\n",
          {}, std::string(kQ1) + kQ7, {"/some/map"}),
      row("a map as an argument", both, "0 0", 0,
          "warning: mapjass takes no arguments; it works on the files in the folder it runs in, "
          "FOLDER; mapjass-build builds a map in one command: mapjass-build \"(2)My Map.W3m\"\n",
          {}, "", {"x.w3x.j", "(2)My Map.W3m"}),
      row("--help", {}, "", 0, "", {}, "Usage: mapjass\n\n...", {"--help"}),
      row("--version", {}, "", 0, "", {}, "mapjass " MAPJASS_VERSION "\n", {"--version"}),
      row("version 6", {{"war3map.doo", doodadFileBytes({.version = 6, .subversion = 7})}},
          "1 0 0 0 0 0\n", 0,
          "war3map.doo: version 6, an early beta format of the doodad file, is not supported; "
          "save the map in a later World Editor and extract war3map.doo again\n",
          {},
          std::string(kQ1) + kQ2 + kQ3 + kQ5 + kQ6 + kQ7 +
              "\nFILE: W3doo\nVersion: 6.7\nnumber:0\n\n\n\n\n"),
  };
  for (const Case& r : cases) {
    SCOPED_TRACE(r.name);
    TempFolder folder;
    prepare(folder, r.inputs);
    Files expected = folder.contents();
    auto [exitStatus, out, err] =
        runProgram(folder, r.answers, r.fileSizeLimit, {.arguments = r.arguments});
    std::string expectedErr = r.err;
    if (size_t at = r.err.find("FOLDER"); at != std::string::npos) {
      expectedErr.replace(at, 6, folder.path());
    }
    bool failed = false;  // a line that is not a warning
    for (size_t at = 0; at < expectedErr.size(); at = expectedErr.find('\n', at) + 1) {
      failed = failed || expectedErr.compare(at, 9, "warning: ") != 0;
    }
    EXPECT_EQ(exitStatus, failed ? 1 : 0);
    EXPECT_EQ(err, expectedErr);
    EXPECT_TRUE(matchesText(out, r.out)) << out;
    Files actual = folder.contents();
    for (const std::string& name : r.replaced) {
      EXPECT_NE(actual[name], expected[name]) << name;
      actual.erase(name);
      expected.erase(name);
    }
    EXPECT_EQ(differences(actual, expected), "");  // no temporary file either
  }
}

// The exit status of `child` once it has ended, or once it has been killed
// after ten seconds: a test never leaves a program behind.
int finish(pid_t child) {
  int status = 0;
  for (int wait = 0; wait < 1000 && waitpid(child, &status, WNOHANG) == 0; ++wait) usleep(10'000);
  if (kill(child, SIGKILL) == 0) waitpid(child, &status, 0);
  return status;
}

// Ctrl-C, Ctrl-\\, a closed terminal or a kill. In the middle of a job the
// process ends, and the earlier outputs stay with no temporary file beside
// them; while the outputs take their places the interrupt waits until all
// are in place, and then ends the run. A signal that was ignored at start
// (nohup) stays ignored, and the run goes on to its end. The run is a fork
// of this process, in the folder, with the program's signal handling, that
// runs the doodad job and interrupts itself: at the warning about a NaN,
// when the temporary files exist, or after the first rename.
TEST(Program, AnInterruptLeavesNoHalfOfARun) {
  const DoodadJobOptions options{.convertDoodadVersion = true,
                                 .wrapInFunction = true,
                                 .functionName = "Init",
                                 .createEmptyDoodadFile = true,
                                 .backupDoodadFile = true};
  const Bytes input = doodadFileBytes({.doodads = {{.x = NAN}}});
  TempFolder reference;
  reference.write("war3map.doo", input);
  ASSERT_TRUE(runJob(runDoodadJob, options, reference).status.ok());
  struct Case {
    int signal;
    bool atRename, ignored, earlier;
  };
  std::vector<Case> cases = {{SIGHUP, false, true, true}, {SIGINT, true, false, false}};
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    cases.insert(cases.end(), {{signal, false, false, true}, {signal, true, false, true}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.signal) + (c.atRename ? " at a rename" : " mid-job") +
                 (c.ignored ? ", ignored" : "") + (c.earlier ? ", over earlier outputs" : ""));
    TempFolder folder;
    c.earlier ? prepare(folder, {{"war3map.doo", input}}) : folder.write("war3map.doo", input);
    Files expected = folder.contents();
    if (c.atRename || c.ignored) {
      for (const auto& [name, content] : reference.contents()) expected[name] = content;
    }
    pid_t child = fork();
    if (child == 0) {
      defaultSignals();
      if (c.ignored) std::signal(c.signal, SIG_IGN);
      // Core files allowed: Ctrl-\ must not leave one in the folder.
      rlimit core;
      getrlimit(RLIMIT_CORE, &core);
      core.rlim_cur = core.rlim_max;
      setrlimit(RLIMIT_CORE, &core);
      if (chdir(folder.path().c_str()) != 0) _exit(2);
      installSignalHandling();
      auto interrupt = [&c](bool atRename) {
        if (atRename == c.atRename) std::raise(c.signal);
      };
      Status status = runDoodadJob(
          options, {"", [](std::string_view) {}, [&](const std::string&) { interrupt(false); },
                    [&] { interrupt(true); }});
      _exit(status.ok() ? 0 : 1);
    }
    int status = finish(child);
    EXPECT_TRUE(c.ignored ? WIFEXITED(status) && WEXITSTATUS(status) == 0
                          : WIFSIGNALED(status) && WTERMSIG(status) == c.signal);
    EXPECT_EQ(differences(folder.contents(), expected), "");
  }
}

// What `fd` gave up to `end` (what a terminal showed, or a program said),
// waiting for it ten seconds at most.
std::string readUntil(int fd, const std::string& end) {
  std::string seen;
  char buffer[4096];
  pollfd ready{fd, POLLIN, 0};
  ssize_t got = 1;
  while (got > 0 && !seen.ends_with(end) && poll(&ready, 1, 10'000) > 0 &&
         (got = read(fd, buffer, sizeof buffer)) > 0) {
    seen.append(buffer, static_cast<size_t>(got));
  }
  return seen;
}

// A run waits while another one writes in its folder, says so, and then
// runs as usual, once it has cleared what a killed run left for its output:
// the new file removed, the earlier one kept aside put back. mapjass and
// mapjass-split alike.
TEST(Program, WaitsWhileAnotherRunWritesInItsFolder) {
  struct Case {
    Command command;
    std::string answers;
    Files inputs;
    std::string output;
  };
  const Case cases[] = {
      {{}, "1 0 0 0 0 0\n", {{"war3map.doo", kDoodads}}, "war3map.doo.j"},
      {{}, "0 1 0\n", {{"war3map.w3e", kTerrain}}, "war3map.w3e.j"},
      {{MAPJASS_SPLIT_BINARY, {"in.j"}}, "T\n", {{"in.j", "call A()\n"}}, "in.split.j"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    TempFolder folder;
    Files before = c.inputs;
    before.insert({{c.output + ".kept7-1", "earlier"}, {c.output + ".tmp7-0", "half"}});
    for (const auto& [name, content] : before) folder.write(name, content);
    auto other = std::make_unique<FolderLock>();
    other->lock(folder.file("other"), "other", [](const std::string&) { ADD_FAILURE(); });
    writeFile(folder.path() + ".in", c.answers);
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t child = startProgram(
        folder,
        [&] {
          dup2(open((folder.path() + ".in").c_str(), O_RDONLY), 0);
          dup2(open("/dev/null", O_WRONLY), 1);
          dup2(err[1], 2);
        },
        c.command);
    close(err[1]);
    EXPECT_EQ(readUntil(err[0], "\n"),
              "warning: " + c.output +
                  ": another run is writing files in this folder; waiting until it has "
                  "finished\n");
    EXPECT_EQ(folder.contents(), before);  // not even a temporary file
    other.reset();
    int status = finish(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readUntil(err[0], "removed\n"),
              "warning: " + c.output + ": put back from " + c.output +
                  ".kept7-1, where a stopped run had kept it aside\nwarning: " + c.output +
                  ".tmp7-0: left by a stopped run; removed\n");
    Files after = folder.contents();
    EXPECT_EQ(after.size(), c.inputs.size() + 1);
    EXPECT_EQ(after.count(c.output), 1u);
    close(err[0]);
    std::remove((folder.path() + ".in").c_str());
  }
}

// Closed standard streams at start are opened on the null device: the
// warning about the NaN must not end up in a file the program writes.
TEST(Program, ClosedStandardStreamsTakeNoFile) {
  const Bytes input = doodadFileBytes({.doodads = {{.x = NAN}}});
  TempFolder reference, folder;
  reference.write("war3map.doo", input);
  ASSERT_EQ(std::get<0>(runProgram(reference, "1 0 0 0 0 0\n")), 0);
  folder.write("war3map.doo", input);
  writeFile(folder.path() + ".in", "1 0 0 0 0 0\n");
  pid_t child = startProgram(folder, [&] {
    dup2(open((folder.path() + ".in").c_str(), O_RDONLY), 0);
    close(1);
    close(2);
  });
  int status = finish(child);
  std::remove((folder.path() + ".in").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(folder.contents(), reference.contents());
}

// Waits until the terminal is in raw mode (`raw`) or out of it. The line
// discipline takes up a new mode a moment after tcgetattr shows it.
void awaitMode(int terminal, bool raw) {
  termios mode;
  for (int wait = 0;
       wait < 1000 && tcgetattr(terminal, &mode) == 0 && ((mode.c_lflag & ECHO) != 0) == raw;
       ++wait) {
    usleep(10'000);
  }
  usleep(100'000);
}

// On a terminal each job ends with a wait for a key. Ctrl-C during the wait
// leaves the terminal as it was, with echo. After Ctrl-Z the terminal is as
// the wait found it while the program is stopped; after `fg` the wait is raw
// again and one key ends it. The program runs as a job of a shell in
// miniature, since the system discards Ctrl-Z for a process that no shell
// could continue.
TEST(Program, WaitsForAKeyOnATerminal) {
  for (std::string keys : {"x", "\x03", "\x1c", "\x1az"}) {
    SCOPED_TRACE(keys);
    TempFolder folder;
    folder.write("war3map.doo", kDoodads);
    int master, terminal, report[2], resume[2];
    ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(pipe(report), 0);
    ASSERT_EQ(pipe(resume), 0);
    pid_t shell = fork();
    if (shell == 0) {
      login_tty(terminal);
      std::signal(SIGTTOU, SIG_IGN);  // a shell hands the terminal around
      pid_t job = startProgram(folder, [] {
        setpgid(0, 0);
        tcsetpgrp(0, getpid());
        std::signal(SIGTTOU, SIG_DFL);
      });
      int status;
      char go;
      while (waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status)) {
        tcsetpgrp(0, getpgrp());
        if (write(report[1], "s", 1) != 1 || read(resume[0], &go, 1) != 1) _exit(101);
        tcsetpgrp(0, job);  // fg
        kill(job, SIGCONT);
      }
      _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    char buffer[4096], stopped = 0;
    ssize_t got = write(master, "1 0 0 0 0 0\n", 12);
    std::string seen = readUntil(master, "Press any key to continue . . . ");
    EXPECT_TRUE(seen.ends_with("number:1\r\n\r\n\r\n\r\n\r\nPress any key to continue . . . "))
        << seen;
    termios mode;
    bool resumed = false;
    for (char key : keys) {
      // A key counts only once the wait has the terminal in raw mode:
      // earlier ones are dropped on purpose. After `fg` a key counts at once.
      if (!resumed) awaitMode(terminal, true);
      got = write(master, &key, 1);
      if (key != '\x1a') continue;
      pollfd reported{report[0], POLLIN, 0};
      if (poll(&reported, 1, 10'000) > 0) got = read(report[0], &stopped, 1);
      EXPECT_EQ(stopped, 's');
      ASSERT_EQ(tcgetattr(terminal, &mode), 0);
      EXPECT_EQ(mode.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
      got = write(resume[1], "g", 1);
      resumed = true;
    }
    int status = finish(shell);
    ASSERT_EQ(tcgetattr(terminal, &mode), 0);
    EXPECT_EQ(mode.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
    int signal = keys == "\x03" ? SIGINT : keys == "\x1c" ? SIGQUIT : 0;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (signal != 0 ? 128 + signal : 0));
    if (signal == 0) {
      // The line end after the wait, after a key typed while stopped that
      // the terminal echoed.
      got = read(master, buffer, sizeof buffer);
      EXPECT_TRUE(got >= 2 && std::string(buffer, got).ends_with("\r\n"));
    }
    for (int fd : {master, terminal, report[0], report[1], resume[0], resume[1]}) close(fd);
  }
}

// Starts mapjass in `folder` on a terminal of its own for its standard
// streams, which is not its controlling terminal, so that no signal comes
// from it; `master` is the terminal's other side.
pid_t startOnTerminal(const TempFolder& folder, int& master, int& terminal, bool ignoreHangUps) {
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return -1;
  return startProgram(folder, [&] {
    setsid();
    for (int fd = 0; fd < 3; ++fd) dup2(terminal, fd);
    close(master);
    if (ignoreHangUps) std::signal(SIGHUP, SIG_IGN);
  });
}

// On a terminal that shows both standard output and standard error, a
// warning starts on a line of its own, also after the terrain report, which
// ends without a line end. A run that a warned answer left without a job
// still waits for a key, so that its window shows why. A terminal that goes
// away during the wait is no key press: the run ends there, as the hang-up
// ends it, and the next job does not run; where hang-ups are ignored
// (nohup), it goes on as after a key press.
TEST(Program, OnATerminal) {
  struct Case {
    std::string answers, shown;
    bool closed, ignoreHangUps;  // the terminal closed at the wait
    int signal;                  // that ends the program, or 0
    bool terrain;                // war3map.w3e.j written
  };
  // clang-format off
  const Case cases[] = {
      {"0 1 1 1 ldrt\n", " \r\n \r\n 7\r\nwarning: war3map.w3e: no ground tileset is 'ldrt'", false,
       false, 0, true},
      {"y\n", "\r\nwarning: the answer \"y\" to \"Convert war3map.doo to JASS?\"", false, false, 0,
       false},
      {"1 0 0 0 0 1 0\n", "", true, false, SIGHUP, false},
      {"1 0 0 0 0 1 0\n", "", true, true, 0, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers + (c.ignoreHangUps ? " nohup" : ""));
    TempFolder folder;
    folder.write("war3map.doo", kDoodads);
    folder.write("war3map.w3e", kTerrain);
    int master, terminal;
    pid_t child = startOnTerminal(folder, master, terminal, c.ignoreHangUps);
    ssize_t got = write(master, c.answers.data(), c.answers.size());
    std::string seen = readUntil(master, "Press any key to continue . . . ");
    EXPECT_NE(seen.find(c.shown), std::string::npos) << seen;
    EXPECT_TRUE(got > 0 && seen.ends_with("Press any key to continue . . . ")) << seen;
    awaitMode(terminal, true);
    auto hangUp = [&] { close(terminal), close(master); };
    c.closed ? hangUp() : void(got = write(master, "x", 1));
    int status = finish(child);
    EXPECT_TRUE(c.signal != 0 ? WIFSIGNALED(status) && WTERMSIG(status) == c.signal
                              : WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.contents().count("war3map.w3e.j"), c.terrain ? 1u : 0u);
    if (!c.closed) hangUp();
  }
}

}  // namespace
}  // namespace mapjass
