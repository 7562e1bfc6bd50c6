// Benchmark of whole conversions against two floors, for inputs of 10^4 to 10^7 lines
// made by the generator, and for a chain of a million structures each referring to the
// next. Each size runs the tool, the line floor (read the input once, hand each output
// line to the system on its own) and the block floor (the same, the output in blocks) in
// turn, so that a machine whose speed drifts slows all three alike, and reports the
// median CPU time (user and system) of each, the tool's wall time and peak memory, its
// ratio to each floor, and the growth of its time from one size to the next.
//
//   torvane_bench [DIR] [MAX_LINES] [REPEAT] [TOOL]   (defaults: bench-data, 10000000, 9,
//                                                      the torvane built beside it)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cdb_generator.h"

namespace fs = std::filesystem;

namespace {

struct Measured {
  double seconds = 0;  // wall time
  double cpu = 0;      // user and system time
  double peakMb = 0;   // largest resident set
};

// Runs a program with its output discarded; returns its times and peak memory.
Measured runOnce(const std::vector<std::string>& argv, const fs::path& dir) {
  std::fflush(stdout);  // or the child would print what is still buffered here
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed with status %d\n", argv[0].c_str(), status);
    std::exit(1);
  }
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  Measured m;
  m.seconds = std::chrono::duration<double>(end - start).count();
  m.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  m.peakMb = usage.ru_maxrss / 1024.0;
  return m;
}

double medianOf(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void countLines(const fs::path& file, unsigned long long& lines, unsigned long long& bytes) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> block(1 << 20);
  lines = bytes = 0;
  while (in.read(block.data(), block.size()) || in.gcount() > 0) {
    bytes += in.gcount();
    lines += std::count(block.data(), block.data() + in.gcount(), '\n');
  }
}

// A million structures, each referring to the next: the first one's block needs the
// whole chain written before it.
void writeChain(const fs::path& input, int depth) {
  std::ofstream out(input, std::ios::binary);
  for (int i = 0; i < depth; ++i) {
    out << "T:Fm$s" << i << "[({0}S:S$n$0$0({3}DG,STs" << (i + 1 < depth ? i + 1 : 0)
        << ":S),Z,0,0)]\n";
  }
}

struct Row {
  double cpu;          // the tool's
  double seconds;      // the tool's wall time
  double peakMb;       // the tool's
  double lineFloor;    // CPU time of the floor that writes a line at a time
  double blockFloor;   // CPU time of the floor that writes in blocks
  double inputMb;
};

// Converts `input` with `tool` and runs both floors for the same output, all in `dir`,
// in turn.
Row measure(const std::string& tool, const fs::path& dir, const fs::path& input, int repeat) {
  const std::string name = input.stem().string();
  const std::vector<std::string> convert = {tool, "-q", input.filename().string()};
  Measured first = runOnce(convert, dir);
  unsigned long long outLines = 0, outBytes = 0;
  countLines(dir / (name + ".dvk"), outLines, outBytes);
  auto floor = [&](const char* mode) {
    return std::vector<std::string>{FLOOR_BINARY, mode, input.filename().string(),
                                    std::to_string(outLines), std::to_string(outBytes),
                                    name + ".floor"};
  };
  std::vector<double> cpu{first.cpu}, wall{first.seconds}, lineFloor, blockFloor;
  double peakMb = first.peakMb;
  for (int i = 0; i < repeat; ++i) {
    lineFloor.push_back(runOnce(floor("lines"), dir).cpu);
    blockFloor.push_back(runOnce(floor("blocks"), dir).cpu);
    if (i + 1 == repeat) break;
    Measured m = runOnce(convert, dir);
    cpu.push_back(m.cpu);
    wall.push_back(m.seconds);
    peakMb = std::max(peakMb, m.peakMb);
  }
  // A floor that the clock's grain rounds to nothing counts as one tick.
  return {medianOf(cpu), medianOf(wall), peakMb, std::max(medianOf(lineFloor), 0.001),
          std::max(medianOf(blockFloor), 0.001), fs::file_size(input) / 1048576.0};
}

void printRow(const char* label, const Row& r, const std::string& growth) {
  std::printf("%10s %8.1f %8.3f %8.3f %8.1f %9.3f %9.3f %7.2f %7.2f %7s\n", label, r.inputMb,
              r.cpu, r.seconds, r.peakMb, r.lineFloor, r.blockFloor, r.cpu / r.lineFloor,
              r.cpu / r.blockFloor, growth.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = fs::absolute(argc > 1 ? argv[1] : "bench-data");
  unsigned long long maxLines = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000000;
  int repeat = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
  std::string tool = argc > 4 ? fs::absolute(argv[4]).string() : TORVANE_BINARY;
  fs::create_directories(dir);

  std::printf("%10s %8s %8s %8s %8s %9s %9s %7s %7s %7s\n", "lines", "input MB", "cpu s",
              "wall s", "peak MB", "line fl.", "block fl.", "/line", "/block", "growth");
  double previous = 0;
  unsigned long long previousLines = 0;
  bool linear = true;
  Row atTwoMillion{};
  for (unsigned long long lines : {10000ull, 100000ull, 1000000ull, 2000000ull, 10000000ull}) {
    if (lines > maxLines) break;
    std::string name = "bench" + std::to_string(lines);
    fs::path input = dir / (name + ".cdb");
    if (!fs::exists(input)) {
      std::FILE* f = std::fopen(input.c_str(), "wb");
      generateCdb(f, lines, 20261208);
      std::fclose(f);
    }
    Row r = measure(tool, dir, input, repeat);
    double growth = previous > 0 ? r.cpu / previous : 0;
    double step = previousLines ? static_cast<double>(lines) / previousLines : 0;
    if (previous > 0 && growth > step * 1.15) linear = false;
    if (lines == 2000000) atTwoMillion = r;
    printRow(std::to_string(lines).c_str(), r,
             previous > 0 ? std::to_string(growth).substr(0, 5) : "-");
    previous = r.cpu;
    previousLines = lines;
  }

  fs::path chain = dir / "chain1000000.cdb";
  if (!fs::exists(chain)) writeChain(chain, 1000000);
  Row c = measure(tool, dir, chain, repeat);
  printRow("chain", c, "-");

  std::printf("\nlinear growth (time grows at most 1.15 times the input's growth): %s\n",
              linear ? "yes" : "NO");
  if (atTwoMillion.cpu > 0) {
    std::printf("CPU time / block floor at 2*10^6 lines: %.2f (target 6 at most): %s\n",
                atTwoMillion.cpu / atTwoMillion.blockFloor,
                atTwoMillion.cpu / atTwoMillion.blockFloor <= 6 ? "met" : "NOT MET");
    std::printf("peak memory / input at 2*10^6 lines: %.2f\n",
                atTwoMillion.peakMb / atTwoMillion.inputMb);
  }
  std::printf("chain of 10^6 structures: %.2f s CPU, peak memory / input %.2f\n", c.cpu,
              c.peakMb / c.inputMb);
  return 0;
}
