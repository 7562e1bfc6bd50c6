#include "driver/driver.h"
#include "driver/options.h"
#include "torvane/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/version.h"
#include "expected_text.h"
#include "tool_run.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace torvane {

namespace fs = std::filesystem;

namespace {

// Every path below `dir`, sorted, each followed by a blank; directories end in "/".
std::string listing(const fs::path& dir) {
  std::vector<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    paths.push_back(fs::relative(entry.path(), dir).generic_string() +
                    (entry.is_directory() ? "/" : ""));
  }
  std::sort(paths.begin(), paths.end());
  std::string names;
  for (const std::string& p : paths) names += p + " ";
  return names;
}

TEST(DriverRunTest, WithoutArgumentPrintsUsage) {
  fs::path dir = scratchDirectory();
  ToolRun run = runTool(dir, "");
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ(0u, run.out.find(kBanner));
  EXPECT_NE(std::string::npos, run.out.find("\n\nTorvane processes a debug (.CDB) file"));
  EXPECT_NE(std::string::npos,
            run.out.find("PLAY file.dvk to load the symbols and code.\n"));
  EXPECT_EQ("", run.err);
  EXPECT_EQ("", listing(dir));
}

// The command file lands beside the input, wherever that is, and names the image there.
TEST(DriverRunTest, WritesBesideTheInput) {
  fs::path dir = scratchDirectory();
  fs::create_directories(dir / "work" / "out");
  writeFile(dir / "work" / "out" / "prog.rel2.cdb", "");
  writeFile(dir / "work" / "up.cdb", "");
  ToolRun nested = runTool(dir / "work", "out/prog.rel2.cdb");
  ToolRun parent = runTool(dir / "work" / "out", "../up.cdb");
  EXPECT_EQ(0, nested.exitCode);
  EXPECT_EQ(0, parent.exitCode);
  EXPECT_NE(std::string::npos,
            readOutput(dir / "work/out/prog.rel2.dvk").find("LOAD out/prog.rel2.ihx\n"));
  EXPECT_NE(std::string::npos, readOutput(dir / "work/up.dvk").find("LOAD ../up.ihx\n"));
  EXPECT_EQ("out/ out/prog.rel2.cdb out/prog.rel2.dvk up.cdb up.dvk ", listing(dir / "work"));
}

// Names in any script open and convert, and the command file takes the name's script.
TEST(DriverRunTest, NamesOutsideAscii) {
  const char* const kNames[] = {u8"Gr\u00f6\u00dfe", u8"\u65e5\u672c"};
  fs::path dir = scratchDirectory();
  for (const char* base : kNames) {
    SCOPED_TRACE(base);
    const std::string name(base);
    writeFile(dir / fs::u8path(name + ".cdb"), "M:x\n");
    ToolRun run = runTool(dir, "\"" + name + ".cdb\"");
    EXPECT_EQ(0, run.exitCode) << run.err;
    std::string dvk = readOutput(dir / fs::u8path(name + ".dvk"));
    EXPECT_NE(std::string::npos, dvk.find("\nLOAD " + name + ".ihx\n")) << dvk;
  }
}

// Every name the system takes for a command file works: the new file beside it never
// has a longer name than the system allows, written anew and replacing an old one.
TEST(DriverRunTest, LongestNamesOfCommandFiles) {
  std::string cjk;
  for (int i = 0; i < 81; ++i) cjk += u8"\u65e5";  // 243 bytes, 81 characters
  const std::string kNames[] = {std::string(251, 'a') + ".dvk", cjk + ".dvk"};
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:x\n");
  for (const std::string& name : kNames) {
    SCOPED_TRACE(name.size());
    for (int run = 0; run < 2; ++run) {
      ToolRun written = runTool(dir, "-o \"" + name + "\" prog.cdb");
      EXPECT_EQ(0, written.exitCode) << written.err;
      EXPECT_EQ(0u, readOutput(dir / fs::u8path(name)).find(kHeader + "FILE x\n"));
    }
  }
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(3u, files) << listing(dir);
}

// Written to standard output, the command file goes there whole, and the banner and
// every message to standard error; no file is made.
TEST(DriverRunTest, CommandFileOnStandardOutput) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:x\nS:Lm.f$i$1_0$1({1}SC:S),B,1,2\n");
  ToolRun run = runTool(dir, "-o - prog.cdb");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(0u, run.out.find(kHeader + "FILE x\n"));
  EXPECT_EQ(kBanner + kMissingBp, run.err);
  EXPECT_EQ("prog.cdb ", listing(dir));
}

#ifndef _WIN32
// A signal that stops the program while it writes over a good command file leaves that
// file as it was and no other file, and stops the program as it stops any other. The
// input comes through a pipe that the test holds open, so that the program is still
// converting when the signal comes, however fast it is.
TEST(DriverRunTest, StopSignalsLeaveNoFile) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "small.cdb", "M:prog\n");
  ASSERT_EQ(0, runTool(dir, "-o prog.dvk small.cdb").exitCode);
  fs::remove(dir / "small.cdb");
  const std::string before = readFile(dir / "prog.dvk");
  ASSERT_EQ(0, mkfifo((dir / "prog.cdb").c_str(), 0600));
  std::string records;
  // More than the program reads at once: it has begun, and waits for the rest.
  for (int i = 0; i < 40000; ++i) records += "S:G$s" + std::to_string(i) + "$0$0({1}SC:U),E,0,0\n";
  for (int stop : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    SCOPED_TRACE(stop);
    pid_t child = fork();
    if (child == 0) {
      if (chdir(dir.c_str()) != 0) _exit(99);
      execl(TORVANE_BINARY, TORVANE_BINARY, "-q", "prog.cdb", static_cast<char*>(nullptr));
      _exit(98);
    }
    ASSERT_GT(child, 0);
    int input = open((dir / "prog.cdb").c_str(), O_WRONLY);
    ASSERT_GE(input, 0);
    ASSERT_EQ(static_cast<ssize_t>(records.size()), write(input, records.data(), records.size()));
    // The signal comes once the new file is there, while the program waits for more.
    bool writing = false;
    for (int wait = 0; wait < 20000 && !writing; ++wait) {
      for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".tmp") writing = true;
      }
      if (!writing) usleep(500);
    }
    EXPECT_TRUE(writing);
    kill(child, stop);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    close(input);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop) << status;
    EXPECT_TRUE(before == readFile(dir / "prog.dvk"));
    EXPECT_EQ("prog.cdb prog.dvk ", listing(dir));
  }
}

// A pipe as the command file gets each line as it is complete, not in blocks: its reader
// has the header while the program still waits for the rest of its input.
TEST(DriverRunTest, PipeGetsEachLineAsItIsWritten) {
  fs::path dir = scratchDirectory();
  ASSERT_EQ(0, mkfifo((dir / "in.cdb").c_str(), 0600));
  ASSERT_EQ(0, mkfifo((dir / "out.dvk").c_str(), 0600));
  pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(99);
    execl(TORVANE_BINARY, TORVANE_BINARY, "-q", "-o", "out.dvk", "in.cdb",
          static_cast<char*>(nullptr));
    _exit(98);
  }
  ASSERT_GT(child, 0);
  // The reader is there before the program opens its output, which waits for one.
  int reader = open((dir / "out.dvk").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK);
  std::FILE* output = fdopen(reader, "rb");
  ASSERT_NE(nullptr, output);
  int input = open((dir / "in.cdb").c_str(), O_WRONLY);
  ASSERT_GE(input, 0);
  // More than the program reads at once, so that it goes on to open its output.
  std::string records;
  for (int i = 0; i < 40000; ++i) records += "S:G$s" + std::to_string(i) + "$0$0({1}SC:U),E,0,0\n";
  ASSERT_EQ(static_cast<ssize_t>(records.size()), write(input, records.data(), records.size()));
  struct pollfd ready = {reader, POLLIN, 0};
  if (poll(&ready, 1, 20000) != 1) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    FAIL() << "no line came while the program waited for its input";
  }
  char first[64] = {};
  ASSERT_NE(nullptr, std::fgets(first, sizeof first, output));
  EXPECT_EQ(std::string("CLEARLINEINFO Y\n"), first);
  int status = 0;
  EXPECT_EQ(0, waitpid(child, &status, WNOHANG)) << "the program ended before its input did";
  close(input);
  std::string rest;
  for (int c; (c = std::fgetc(output)) != EOF;) rest += static_cast<char>(c);
  std::fclose(output);
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  writeFile(dir / "whole.cdb", records);
  ASSERT_EQ(0, runTool(dir, "-q -o whole.dvk whole.cdb").exitCode);
  std::string whole = readFile(dir / "whole.dvk");
  whole.replace(whole.find("LOAD whole.ihx"), 14, "LOAD in.ihx");
  EXPECT_TRUE(whole == first + rest);
}

// A symbolic link that leads to no file yet stays a link, and the file it names is made.
TEST(DriverRunTest, DanglingLinkStaysALink) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:x\n");
  fs::create_directories(dir / "out");
  fs::create_symlink("out/target.dvk", dir / "link.dvk");
  ASSERT_EQ(0, runTool(dir, "-o link.dvk prog.cdb").exitCode);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.dvk")));
  EXPECT_EQ(0u, readFile(dir / "out" / "target.dvk").find(kHeader + "FILE x\n"));
  std::vector<std::string> names;
  for (const fs::path& folder : {dir, dir / "out"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"link.dvk", "out", "prog.cdb", "target.dvk"}), names);
}

// Replaced by the super-user, a command file stays its owner's.
TEST(DriverRunTest, ReplacedFileKeepsItsOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only the super-user may give a file to another user";
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:x\n");
  writeFile(dir / "prog.dvk", "CLEARLINEINFO Y\n");
  ASSERT_EQ(0, chown((dir / "prog.dvk").c_str(), 4321, 4322));
  ASSERT_EQ(0, runTool(dir, "prog.cdb").exitCode);
  struct stat status {};
  ASSERT_EQ(0, stat((dir / "prog.dvk").c_str(), &status));
  EXPECT_EQ(4321u, status.st_uid);
  EXPECT_EQ(4322u, status.st_gid);
  EXPECT_EQ(0u, readFile(dir / "prog.dvk").find(kHeader + "FILE x\n"));
}

// Endless inputs end, under a limit on memory far below what reading them whole would
// take: zeros as the input are no CDB file at their first bytes, and as the map a line
// longer than any map has.
TEST(DriverRunTest, EndlessInputsEndInBoundedMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "needs a shell's limit on memory, which the sanitizers' own mappings exceed";
#else
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:x\n");
  writeFile(dir / "x.rst", "      000000 02 00 11               1 \tljmp\t__sdcc_gsinit_startup\n");
  struct Row {
    const char* arguments;
    int exitCode;
    const char* err;
  };
  const Row rows[] = {
      {"/dev/zero", 3, "/dev/zero is not a CDB file; nothing was written\n"},
      {"--map /dev/zero prog.cdb", 1, "/dev/zero:1: error: line longer than 64 MiB\n"},
      // As the image its listing is compared with, it is no image, and nothing is said.
      {"--listings . -i /dev/zero prog.cdb", 0, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.arguments);
    std::string command = "cd '" + dir.string() + "' && ulimit -v 200000 && '" TORVANE_BINARY
                          "' -q " + r.arguments + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(r.exitCode, WEXITSTATUS(status));
    EXPECT_EQ(r.err, readFile(dir / "err.txt"));
  }
  EXPECT_EQ("err.txt out.txt prog.cdb prog.dvk x.rst ", listing(dir));
#endif
}
#endif

struct OptionRow {
  const char* arguments;
  int exitCode;
  const char* printed;  // a line the run must print on standard output
  const char* files;    // the folder's listing afterwards
};

// In a folder holding prog.cdb (a module) and, beside it, an empty folder build/.
const OptionRow kOptionRows[] = {
    {"--help", 0, "  -o, --output FILE  write the command file to FILE", "build/ prog.cdb "},
    {"-h", 0, "  --                 end of options: the next argument is the file name",
     "build/ prog.cdb "},
    {"-o build/p.dvk prog.cdb", 0, "", "build/ build/p.dvk prog.cdb "},
    {"--output build/p.dvk prog.cdb", 0, "", "build/ build/p.dvk prog.cdb "},
    {"-x prog.cdb", 1, "torvane: unknown option -x", "build/ prog.cdb "},
    {"--verbose", 1, "torvane: unknown option --verbose", "build/ prog.cdb "},
    {"-o", 1, "torvane: missing file name after -o", "build/ prog.cdb "},
    // Options are taken wherever they stand before "--", in all their spellings.
    {"prog.cdb -o build/p.dvk", 0, "", "build/ build/p.dvk prog.cdb "},
    {"-obuild/p.dvk prog.cdb", 0, "", "build/ build/p.dvk prog.cdb "},
    {"prog.cdb --output=build/p.dvk", 0, "", "build/ build/p.dvk prog.cdb "},
    {"--output= prog.cdb", 1, "torvane: missing file name after --output=", "build/ prog.cdb "},
    {"prog.cdb -x", 1, "torvane: unknown option -x", "build/ prog.cdb "},
    // The first deciding option decides, whatever follows it.
    {"-x --help", 1, "torvane: unknown option -x", "build/ prog.cdb "},
    {"prog.cdb --listings", 1, "torvane: missing folder name after --listings", "build/ prog.cdb "},
    {"--listings= prog.cdb", 1, "torvane: missing folder name after --listings=", "build/ prog.cdb "},
    {"--listings build prog.cdb", 0, "", "build/ prog.cdb prog.dvk "},
    // A second file name is not converted, but named.
    {"prog.cdb other.cdb", 0, "\ntorvane: extra argument other.cdb ignored\n",
     "build/ prog.cdb prog.dvk "},
    {"-- prog.cdb -o", 0, "\ntorvane: extra argument -o ignored\n", "build/ prog.cdb prog.dvk "},
    {"-- -odd.cdb", 1, "", "build/ prog.cdb "},            // a file name, not an option
    {"-", 1, "", "build/ prog.cdb "},                      // a file name, not standard input
};

TEST(DriverRunTest, Options) {
  for (const OptionRow& r : kOptionRows) {
    SCOPED_TRACE(r.arguments);
    fs::path dir = scratchDirectory();
    fs::create_directories(dir / "build");
    writeFile(dir / "prog.cdb", "M:prog\n");
    ToolRun run = runTool(dir, r.arguments);
    EXPECT_EQ(r.exitCode, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find(kBanner));
    EXPECT_NE(std::string::npos, run.out.find(r.printed)) << run.out;
    EXPECT_EQ(r.files, listing(dir));
  }
}

// Help starts with the synopsis and ends with where to report problems, in all its
// spellings; a build given no address for that ends with the options.
TEST(DriverRunTest, HelpOpensWithTheSynopsis) {
  fs::path dir = scratchDirectory();
  std::vector<std::string> spellings = {"--help", "-h", "prog.cdb --help"};
#ifdef _WIN32
  spellings.push_back("/?");
#endif
  for (const std::string& arguments : spellings) {
    SCOPED_TRACE(arguments);
    ToolRun run = runTool(dir, arguments);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(0u, run.out.find("Usage: torvane [OPTIONS] FILE.cdb\n" + kBanner));
    std::size_t last = run.out.rfind('\n', run.out.size() - 2);
    if (std::string(TORVANE_BUG_REPORT_URL).empty()) {
      EXPECT_EQ("\nfile stays.\n", run.out.substr(last)) << run.out;
      EXPECT_NE(std::string::npos, run.out.find("\nExit status:\n  0  converted")) << run.out;
      EXPECT_EQ(std::string::npos, run.out.find("Report problems")) << run.out;
    } else {
      EXPECT_EQ("\nReport problems at " TORVANE_BUG_REPORT_URL "\n", run.out.substr(last))
          << run.out;
    }
    EXPECT_EQ("", listing(dir));
  }
}

TEST(DriverRunTest, VersionIsOneLine) {
  fs::path dir = scratchDirectory();
  for (const char* option : {"--version", "-V", "--version -x"}) {
    ToolRun run = runTool(dir, option);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("torvane " TORVANE_VERSION "\n", run.out);
    EXPECT_EQ("", listing(dir));
  }
}

// -o writes the command file where it says; the LOAD line still names the image beside
// the input, and the output may not be the input.
TEST(DriverRunTest, OutputOptionNamesTheCommandFile) {
  fs::path dir = scratchDirectory();
  fs::create_directories(dir / "build");
  writeFile(dir / "-odd.cdb", "M:odd\n");
  EXPECT_EQ(0, runTool(dir, "-o build/odd.dvk -- -odd.cdb").exitCode);
  EXPECT_NE(std::string::npos, readOutput(dir / "build/odd.dvk").find("\nLOAD -odd.ihx\n"));

  ToolRun same = runTool(dir, "-o ./-odd.cdb -- -odd.cdb");
  EXPECT_EQ(2, same.exitCode);
  EXPECT_EQ("Cannot open .dvk output file: input and output are the same file\n", same.err);
  EXPECT_EQ("M:odd\n", readFile(dir / "-odd.cdb"));
}

// --image names the image of the LOAD line as given, in all its spellings; the command
// file is still named after the input.
TEST(DriverRunTest, ImageOptionNamesTheImage) {
  for (const char* arguments : {"-i build/fw-1.2.ihx fw-1.2.cdb", "-ibuild/fw-1.2.ihx fw-1.2.cdb",
                                "fw-1.2.cdb --image build/fw-1.2.ihx",
                                "--image=build/fw-1.2.ihx fw-1.2.cdb"}) {
    SCOPED_TRACE(arguments);
    fs::path dir = scratchDirectory();
    writeFile(dir / "fw-1.2.cdb", "M:fw\n");
    ToolRun run = runTool(dir, arguments);
    EXPECT_EQ(0, run.exitCode) << run.out;
    EXPECT_NE(std::string::npos, readOutput(dir / "fw-1.2.dvk").find("\nLOAD build/fw-1.2.ihx\n"));
  }
  ToolRun missing = runTool(scratchDirectory(), "prog.cdb --image=");
  EXPECT_EQ(1, missing.exitCode);
  EXPECT_NE(std::string::npos, missing.out.find("torvane: missing file name after --image=\n"));
}

struct ExitRow {
  const char* what;
  const char* cdb;
  int exitCodes[4];  // with no option, -k, --fatal-warnings, and both
  const char* more = "";  // further arguments
  const char* map = nullptr;  // prog.map, where there is one
};

// A map that gives the frame pointer and lists nothing else.
const char kMapOfBp[] =
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n"
    "     0000000D  _bp                                _bp\n";

const ExitRow kExitRows[] = {
    {"clean", "M:prog\n", {0, 0, 0, 0}},
    {"a warning: no line end", "M:prog", {0, 0, 3, 3}},
    {"a warning: bp missing", "M:prog\nS:Lmain$i$1$1({1}SC:S),B,1,2\n", {0, 0, 3, 3}},
    {"a warning: an extra argument", "M:prog\n", {0, 0, 3, 3}, " other.cdb"},
    {"a rejected record", "M:prog\nQ:unknown\n", {3, 0, 3, 3}},
    {"a record that cannot be written", "M:prog\nS:Q$x$0$0({1}SC:U),E,0,0\n", {3, 0, 3, 3}},
    {"no CDB file at all", "Hexadecimal\n", {3, 3, 3, 3}},
    // A map with no global to compare is no sign of another link, and bp taken from it
    // no warning.
    {"a map and no global to compare", "M:prog\nS:Lmain$i$1$1({1}SC:S),B,1,2\n", {0, 0, 0, 0},
     " --map prog.map", kMapOfBp},
};

// The exit code under each pair of -k and --fatal-warnings; wherever a command file is
// written, it is whole.
TEST(DriverRunTest, ExitCodesUnderKeepGoingAndFatalWarnings) {
  const char* const kOptionPairs[] = {"", "-k ", "--fatal-warnings ", "--keep-going --fatal-warnings "};
  for (const ExitRow& r : kExitRows) {
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(std::string(r.what) + " with " + kOptionPairs[i]);
      fs::path dir = scratchDirectory();
      writeFile(dir / "prog.cdb", r.cdb);
      if (r.map) writeFile(dir / "prog.map", r.map);
      ToolRun run = runTool(dir, std::string(kOptionPairs[i]) + "prog.cdb" + r.more);
      EXPECT_EQ(r.exitCodes[i], run.exitCode) << run.out;
      if (!fs::exists(dir / "prog.dvk")) continue;
      std::string dvk = readOutput(dir / "prog.dvk");
      EXPECT_NE(std::string::npos, dvk.find("\nLOAD prog.ihx\n")) << dvk;
      EXPECT_EQ("MODE 2", dvk.substr(dvk.size() - 6)) << dvk;
      if (r.exitCodes[1] == 0 && i % 2 == 1) {
        EXPECT_NE(std::string::npos, dvk.find("\nREM Symbols\n")) << dvk;
      }
    }
  }
}

// --quiet leaves out the banner: a clean run prints nothing, another only its messages;
// help is the same with it.
TEST(DriverRunTest, QuietPrintsOnlyMessages) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\n");
  writeFile(dir / "cut.cdb", "M:cut");
  ToolRun clean = runTool(dir, "-q prog.cdb");
  EXPECT_EQ(0, clean.exitCode);
  EXPECT_EQ("", clean.out);
  ToolRun cut = runTool(dir, "cut.cdb --quiet");
  EXPECT_EQ("cut.cdb:1: warning: the last line has no line end; the file may be cut short\n",
            cut.out);
  EXPECT_EQ(runTool(dir, "--help").out, runTool(dir, "-q --help").out);
}

struct AdviceRow {
  const char* arguments;
  const char* printed;  // all the run prints, quiet
};

// Beside bits.cdb: its image and map, its listings in obj/, each in one of a/ and b/,
// and none in c/. The bit warning says what to type, or which listing it looked for.
const AdviceRow kAdviceRows[] = {
    {"--listings a --listings b bits.cdb", ""},
    {"--listings c --listings obj bits.cdb", ""},
    {"--listings a bits.cdb",
     "Warning: 4 bit variables of bits.cdb have no address (SDCC writes none); no listing in a "
     "gives them (1 of 2 listings missing: a/flags.rst)\n"},
    {"--listings c bits.cdb",
     "Warning: 9 bit variables of bits.cdb have no address (SDCC writes none); no listing in c "
     "gives them (2 of 2 listings missing: c/main.rst, ...)\n"},
    {"bits.cdb",
     "Warning: 9 bit variables of bits.cdb have no address (SDCC writes none); name the folder "
     "of the listings: torvane --listings obj bits.cdb\n"},
    {"-o c/bits.dvk c/../bits.cdb",
     "Warning: 9 bit variables of c/../bits.cdb have no address (SDCC writes none); name the "
     "folder of the listings: torvane --listings c/../obj c/../bits.cdb\n"},
};

TEST(DriverRunTest, BitWarningSaysWhatToType) {
  const fs::path bits = fs::path(TORVANE_EXAMPLES) / "bits";
  fs::path dir = scratchDirectory();
  for (const char* name : {"bits.cdb", "bits.ihx", "bits.map"}) fs::copy_file(bits / name, dir / name);
  for (const char* folder : {"obj", "a", "b", "c"}) fs::create_directories(dir / folder);
  for (const char* name : {"main.rst", "flags.rst"}) fs::copy_file(bits / name, dir / "obj" / name);
  fs::copy_file(bits / "main.rst", dir / "a" / "main.rst");
  fs::copy_file(bits / "flags.rst", dir / "b" / "flags.rst");
  for (const AdviceRow& r : kAdviceRows) {
    SCOPED_TRACE(r.arguments);
    ToolRun run = runTool(dir, std::string("-q ") + r.arguments);
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(r.printed, run.out);
  }
}

// Quiet, a clean run prints nothing, not even what it did: the frame pointer taken from
// the map.
TEST(DriverRunTest, QuietSaysNothingOfWhatWentWell) {
  const fs::path stack = fs::path(TORVANE_EXAMPLES) / "stack";
  fs::path dir = scratchDirectory();
  std::string cdb;
  for (const std::string& line : linesOf(readFile(stack / "stack.cdb"))) {
    if (line.find("G$bp$") == std::string::npos) cdb += line + "\n";
  }
  writeFile(dir / "stack.cdb", cdb);
  fs::copy_file(stack / "stack.map", dir / "stack.map");
  EXPECT_EQ(kBanner + "bp taken from stack.map: 0x21\n", runTool(dir, "--map stack.map stack.cdb").out);
  ToolRun quiet = runTool(dir, "-q --map stack.map stack.cdb");
  EXPECT_EQ(0, quiet.exitCode);
  EXPECT_EQ("", quiet.out + quiet.err);
}

// Every option of the table is described in the README's table of options and in the
// manual's OPTIONS, in each of its spellings.
TEST(DriverTest, EveryOptionIsDocumented) {
  std::string readme;
  for (const std::string& line : linesOf(readFile(fs::path(TORVANE_SOURCE) / "README.md"))) {
    if (line.rfind("| `-", 0) == 0) readme += line + "\n";
  }
  std::string manual = readFile(fs::path(TORVANE_SOURCE) / "doc" / "torvane.1.in");
  std::size_t options = manual.find("\n.SH OPTIONS\n");
  ASSERT_NE(std::string::npos, options);
  manual = manual.substr(options, manual.find("\n.SH ", options + 1) - options);
  for (std::size_t at; (at = manual.find("\\-")) != std::string::npos;) manual.replace(at, 2, "-");
  for (const Option& o : commandLineOptions()) {
    SCOPED_TRACE(o.longName);
    for (const char* spelling : {o.shortName, o.longName}) {
      if (!spelling) continue;
      EXPECT_NE(std::string::npos, readme.find(std::string("`") + spelling)) << spelling;
      EXPECT_NE(std::string::npos, manual.find(spelling)) << spelling;
    }
  }
}

struct UnusableRow {
  const char* arguments;
  int exitCode;
  const char* printed;  // a line the run must print on standard output
  const char* err;
};

// Beside blink.cdb, its map and its image, and the good command file of blink.cdb.
const UnusableRow kUnusableRows[] = {
    // A map or an image given in place of the CDB file.
    // A map or an image given in place of the CDB file: one line says so, and for a map
    // a second one says how it is named.
    {"blink.map", 3, "",
     "blink.map is not a CDB file; nothing was written\n"
     "  it is a linker map: torvane --map blink.map blink.cdb\n"},
    {"blink.ihx", 3, "", "blink.ihx is not a CDB file; nothing was written\n"},
    {"-q blink.c", 3, "", "blink.c is not a CDB file; nothing was written\n"},
    // A map that is missing, or that is no map.
    {"--map absent.map blink.cdb", 1, "", "Cannot open .map input file: absent.map: No such file or directory\n"},
    {"--map blink.cdb blink.cdb", 1, "", "blink.cdb is not a linker map; nothing was written\n"},
    {"-m blink.ihx blink.cdb", 1, "", "blink.ihx is not a linker map; nothing was written\n"},
    // A folder of listings that is none.
    {"--listings absent blink.cdb", 1, "",
     "Cannot open listings folder absent: No such file or directory\n"},
    {"--listings=blink.c blink.cdb", 1, "", "Cannot open listings folder blink.c: Not a directory\n"},
    // The map is only read: never the command file, by its name or through a link.
    {"--map blink.map -o blink.map blink.cdb", 2, "",
     "Cannot open .dvk output file: it would replace the linker map\n"},
    {"--map linked.map -o ./blink.map blink.cdb", 2, "",
     "Cannot open .dvk output file: it would replace the linker map\n"},
    // Nor the image the LOAD line names, nor a file that is not a command file.
    {"-o blink.ihx blink.cdb", 2, "", "Cannot open .dvk output file: it would replace the image\n"},
    {"-o ./sub/../blink.ihx blink.cdb", 2, "",
     "Cannot open .dvk output file: it would replace the image\n"},
    {"-i new.ihx -o new.ihx blink.cdb", 2, "",
     "Cannot open .dvk output file: it would replace the image\n"},
#ifdef _WIN32
    // Names that differ only in case name one file on Windows.
    {"-i New.ihx -o NEW.IHX blink.cdb", 2, "",
     "Cannot open .dvk output file: it would replace the image\n"},
#endif
    {"-o blink.c blink.cdb", 2, "", "Cannot open .dvk output file: blink.c exists and is not a command file\n"},
    {"-o blink.map blink.cdb", 2, "",
     "Cannot open .dvk output file: blink.map exists and is not a command file\n"},
    {"-o unreadable.dvk blink.cdb", 2, "",
     "Cannot open .dvk output file: unreadable.dvk exists and is not a command file\n"},
};

// An input or a map that cannot be used leaves every file as it was, the good command
// file among them.
TEST(DriverRunTest, UnusableFilesTouchNothing) {
  const fs::path example = fs::path(TORVANE_EXAMPLES) / "blink";
  fs::path dir = scratchDirectory();
  for (const char* name : {"blink.c", "blink.cdb", "blink.map", "blink.ihx"}) {
    fs::copy_file(example / name, dir / name);
  }
  fs::create_hard_link(dir / "blink.map", dir / "linked.map");
  fs::create_directories(dir / "sub");
  // A file that cannot even be read: under Windows, and for the super-user, it can.
  writeFile(dir / "unreadable.dvk", "notes\n");
  fs::permissions(dir / "unreadable.dvk", fs::perms::none);
  ASSERT_EQ(0, runTool(dir, "blink.cdb").exitCode);
  const char* const kFiles[] = {"blink.c", "blink.cdb", "blink.dvk", "blink.ihx", "blink.map"};
  std::vector<std::string> before;
  for (const char* name : kFiles) before.push_back(readFile(dir / name));
  for (const UnusableRow& r : kUnusableRows) {
    SCOPED_TRACE(r.arguments);
    ToolRun run = runTool(dir, r.arguments);
    EXPECT_EQ(r.exitCode, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find(r.printed)) << run.out;
    EXPECT_EQ(r.err, run.err);
    std::size_t i = 0;
    for (const char* name : kFiles) {
      EXPECT_TRUE(before[i++] == readFile(dir / name)) << name << " changed";
    }
    fs::permissions(dir / "unreadable.dvk", fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ("notes\n", readFile(dir / "unreadable.dvk"));
    fs::permissions(dir / "unreadable.dvk", fs::perms::none);
    EXPECT_EQ("blink.c blink.cdb blink.dvk blink.ihx blink.map linked.map sub/ unreadable.dvk ",
              listing(dir));
  }
  fs::permissions(dir / "unreadable.dvk", fs::perms::owner_all);
}

struct ReplaceRow {
  const char* what;
  const char* existing;  // what stands where the command file goes; null for nothing
};

const ReplaceRow kReplaceRows[] = {
    {"a command file of an earlier run", "CLEARLINEINFO Y\nRADIX 10\n"},
    {"one with Windows line ends", "CLEARLINEINFO Y\r\nRADIX 10\r\n"},
    {"one cut short in its first line", "CLEARLINEINFO Y"},
    {"an empty file", ""},
    {"nothing", nullptr},
};

// The command file replaces only what it may: an earlier command file, an empty file,
// or something that is no regular file at all.
TEST(DriverRunTest, OutputReplacesOnlyACommandFile) {
  for (const ReplaceRow& r : kReplaceRows) {
    SCOPED_TRACE(r.what);
    fs::path dir = scratchDirectory();
    writeFile(dir / "prog.cdb", "M:prog\n");
    if (r.existing) writeFile(dir / "out.dvk", r.existing);
    ToolRun run = runTool(dir, "-o out.dvk prog.cdb");
    EXPECT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(0u, readOutput(dir / "out.dvk").find(kHeader + "FILE prog\n"));
  }
#ifndef _WIN32
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\n");
  ToolRun discarded = runTool(dir, "-o /dev/null prog.cdb");
  EXPECT_EQ(0, discarded.exitCode) << discarded.err;
  EXPECT_EQ("prog.cdb ", listing(dir));
#endif
}

// The command file is replaced in one step, through a file beside it; through its other
// names it is written in place: a hard link keeps sharing it, and a symbolic link stays
// a link to the file it names. Its permissions stay as they were.
TEST(DriverRunTest, CommandFileIsReplacedWhole) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\n");
  const std::string old = "CLEARLINEINFO Y\nold\n";
  writeFile(dir / "plain.dvk", old);
  writeFile(dir / "shared.dvk", old);
  fs::create_hard_link(dir / "shared.dvk", dir / "other-name.dvk");
  for (const char* name : {"plain.dvk", "shared.dvk"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0, runTool(dir, std::string("-o ") + name + " prog.cdb").exitCode);
    EXPECT_EQ(0u, readOutput(dir / name).find(kHeader + "FILE prog\n"));
  }
  EXPECT_EQ(readFile(dir / "shared.dvk"), readFile(dir / "other-name.dvk"));
#ifndef _WIN32
  writeFile(dir / "target.dvk", old);
  fs::permissions(dir / "target.dvk", fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read);
  fs::create_symlink("target.dvk", dir / "link.dvk");
  EXPECT_EQ(0, runTool(dir, "-o link.dvk prog.cdb").exitCode);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.dvk")));
  EXPECT_EQ(0u, readFile(dir / "target.dvk").find(kHeader + "FILE prog\n"));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
            fs::status(dir / "target.dvk").permissions());
#endif
  EXPECT_EQ(std::string::npos, listing(dir).find(".tmp")) << listing(dir);
}

// A write that fails halfway, here at the file-size limit, leaves the command file of
// the earlier run as it was, and nothing beside it.
TEST(DriverRunTest, FailedWriteKeepsThePreviousCommandFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a shell's limit on the size of a file";
#else
  fs::path dir = scratchDirectory();
  writeFile(dir / "small.cdb", "M:prog\n");
  ASSERT_EQ(0, runTool(dir, "-o prog.dvk small.cdb").exitCode);
  const std::string before = readFile(dir / "prog.dvk");
  std::string large;
  for (int i = 1; i <= 2000; ++i) large += "L:C$prog.c$" + std::to_string(i) + "$0$0:10\n";
  writeFile(dir / "prog.cdb", large);
  // The program ignores the signal of a file grown past its limit: the write fails.
  std::string command = "cd '" + dir.string() + "' && ulimit -f 1 && '" TORVANE_BINARY
                        "' -q prog.cdb >out.txt 2>err.txt";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(2, WEXITSTATUS(status));
  EXPECT_EQ("Cannot write .dvk output file: prog.dvk: File too large\n", readFile(dir / "err.txt"));
  EXPECT_TRUE(before == readFile(dir / "prog.dvk"));
  EXPECT_EQ("err.txt out.txt prog.cdb prog.dvk small.cdb ", listing(dir));
#endif
}

TEST(DriverRunTest, MissingInputCreatesNothing) {
  fs::path dir = scratchDirectory();
  ToolRun run = runTool(dir, "absent.cdb");
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ(kBanner, run.out);
  EXPECT_EQ("Cannot open .cdb input file: absent.cdb: No such file or directory\n", run.err);
  EXPECT_EQ("", listing(dir));
}

TEST(DriverRunTest, DirectoryInputFailsLikeAMissingFile) {
  fs::path dir = scratchDirectory();
  fs::create_directories(dir / "prog.cdb");
  ToolRun run = runTool(dir, "prog.cdb");
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ("Cannot open .cdb input file: prog.cdb: Is a directory\n", run.err);
  EXPECT_EQ("prog.cdb/ ", listing(dir));
}

// Naming the command file as input must not truncate it: directly, through a symbolic
// link, or through a hard link.
TEST(DriverRunTest, OutputThatIsTheInputIsRefused) {
  const std::string content = "M:prog\n";
  const char kSame[] = "Cannot open .dvk output file: input and output are the same file\n";

  fs::path direct = scratchDirectory() / "direct";
  fs::create_directories(direct);
  writeFile(direct / "prog.dvk", content);
  ToolRun run = runTool(direct, "prog.dvk");
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ(kSame, run.err);
  EXPECT_EQ(content, readFile(direct / "prog.dvk"));

#ifndef _WIN32  // symbolic links need privileges on Windows; the hard link stands for them
  fs::path linked = direct.parent_path() / "linked";
  fs::create_directories(linked);
  writeFile(linked / "prog.cdb", content);
  fs::create_symlink("prog.cdb", linked / "prog.dvk");
  run = runTool(linked, "prog.cdb");
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ(kSame, run.err);
  EXPECT_EQ(content, readFile(linked / "prog.cdb"));
#endif

  fs::path hard = direct.parent_path() / "hard";
  fs::create_directories(hard);
  writeFile(hard / "prog.cdb", content);
  fs::create_hard_link(hard / "prog.cdb", hard / "prog.dvk");
  run = runTool(hard, "prog.cdb");
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ(kSame, run.err);
  EXPECT_EQ(content, readFile(hard / "prog.cdb"));
}

TEST(DriverRunTest, OutputThatCannotBeCreated) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\n");
  fs::create_directories(dir / "prog.dvk");
  ToolRun run = runTool(dir, "prog.cdb");
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ(kBanner, run.out);
#ifdef _WIN32
  EXPECT_EQ("Cannot open .dvk output file: prog.dvk: Permission denied\n", run.err);
#else
  EXPECT_EQ("Cannot open .dvk output file: prog.dvk: Is a directory\n", run.err);
#endif
}

// A command file of an earlier run that may not be written over, as a read-only file is
// on Windows and on a system where the user is not the super-user.
TEST(DriverRunTest, ReadOnlyOutputIsRefused) {
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\n");
  writeFile(dir / "prog.dvk", "CLEARLINEINFO Y\nkept");
  fs::permissions(dir / "prog.dvk", fs::perms::owner_read | fs::perms::group_read |
                                        fs::perms::others_read);
  ToolRun run = runTool(dir, "prog.cdb");
  std::string kept = readFile(dir / "prog.dvk");
  // Writable again, so that the next run can clear the scratch folder on Windows too.
  fs::permissions(dir / "prog.dvk", fs::perms::owner_write, fs::perm_options::add);
  if (run.exitCode == 0) GTEST_SKIP() << "read-only files are writable here (super-user)";
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ("Cannot open .dvk output file: prog.dvk: Permission denied\n", run.err);
  EXPECT_EQ("CLEARLINEINFO Y\nkept", kept);
}

TEST(DriverRunTest, FullDeviceIsAWriteFailure) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no full device, nor symbolic links without privileges; "
                  "ReadOnlyOutputIsRefused covers the unwritable command file";
#endif
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  fs::path dir = scratchDirectory();
  writeFile(dir / "prog.cdb", "M:prog\nQ:unknown\n");
  fs::create_symlink("/dev/full", dir / "prog.dvk");
  ToolRun run = runTool(dir, "prog.cdb");
  EXPECT_EQ(2, run.exitCode);  // a write failure outranks the rejected record
  EXPECT_EQ(kBanner + "Unknown CDB record type Q\nprog.cdb:2: error: this record was not converted\n",
            run.out);
  EXPECT_EQ("Cannot write .dvk output file: prog.dvk: No space left on device\n", run.err);
}

// /proc/self/mem opens, but reading its first page fails: the read error ends the run
// with a completed command file and no emission.
TEST(DriverRunTest, ReadErrorFailsTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file that opens but fails to read, such as /proc/self/mem";
#endif
  if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc here";
  fs::path dir = scratchDirectory();
  fs::create_symlink("/proc/self/mem", dir / "prog.cdb");
  ToolRun run = runTool(dir, "prog.cdb");
  EXPECT_EQ(3, run.exitCode);
  EXPECT_EQ("Cannot read .cdb input file: prog.cdb: Input/output error\n", run.err);
  EXPECT_EQ(kHeader + "LOAD prog.ihx\nMODE 2", readOutput(dir / "prog.dvk"));
}

// Memory that runs out while the records are read ends the run with a message and a
// command file that still ends with its LOAD line and trailer.
TEST(DriverRunTest, OutOfMemoryStillEndsTheCommandFile) {
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "needs a shell's limit on memory, which the sanitizers' own mappings exceed";
#else
  fs::path dir = scratchDirectory();
  std::string cdb;
  for (int i = 0; i < 400000; ++i) {
    cdb += "S:G$symbol" + std::to_string(1000000 + i) + "$0$0({1}SC:U),E,0,0\n";
  }
  writeFile(dir / "big.cdb", cdb);
  std::string command = "cd '" + dir.string() + "' && ulimit -v 40000 && '" TORVANE_BINARY
                        "' big.cdb >out.txt 2>err.txt";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(3, WEXITSTATUS(status));
  EXPECT_EQ(kBanner, readFile(dir / "out.txt"));
  EXPECT_EQ("Cannot convert .cdb input file: Cannot allocate memory\n", readFile(dir / "err.txt"));
  EXPECT_EQ(kHeader + "LOAD big.ihx\nMODE 2", readFile(dir / "big.dvk"));
#endif
}

}  // namespace

}  // namespace torvane
