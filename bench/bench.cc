// Benchmark of whole conversions against the I/O floor, for inputs of 10^4 to 10^7
// lines made by the generator. Reports wall time, lines and megabytes per second, peak
// memory, the ratio to the floor and the growth of time from one size to the next.
//
//   torvane_bench [DIR] [MAX_LINES] [REPEAT]     (defaults: bench-data, 10000000, 3)

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
  double seconds = 1e30;  // best of the repeats
  double peakMb = 0;      // largest resident set of the repeats
};

// Runs a program with its output discarded; returns its wall time and peak memory.
Measured runOnce(const std::vector<std::string>& argv, const fs::path& dir) {
  std::fflush(stdout);  // or the child would print what is still buffered here
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::freopen("/dev/null", "w", stdout);
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
  Measured m;
  m.seconds = std::chrono::duration<double>(end - start).count();
  m.peakMb = usage.ru_maxrss / 1024.0;
  return m;
}

Measured best(const std::vector<std::string>& argv, const fs::path& dir, int repeat) {
  Measured b;
  for (int i = 0; i < repeat; ++i) {
    Measured m = runOnce(argv, dir);
    b.seconds = std::min(b.seconds, m.seconds);
    b.peakMb = std::max(b.peakMb, m.peakMb);
  }
  return b;
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

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = fs::absolute(argc > 1 ? argv[1] : "bench-data");
  unsigned long long maxLines = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000000;
  int repeat = argc > 3 ? std::atoi(argv[3]) : 3;
  fs::create_directories(dir);
  const std::string torvane = TORVANE_BINARY;
  const std::string floor = FLOOR_BINARY;

  std::printf("%10s %9s %9s %12s %8s %9s %8s %9s %7s %7s\n", "lines", "input MB", "time s",
              "lines/s", "MB/s", "peak MB", "peak/in", "floor s", "ratio", "growth");
  double previous = 0;
  bool linear = true;
  double ratioAtMillion = 0;
  double memoryAtMillion = 0;
  for (unsigned long long lines = 10000; lines <= maxLines; lines *= 10) {
    std::string name = "bench" + std::to_string(lines);
    fs::path input = dir / (name + ".cdb");
    if (!fs::exists(input)) {
      std::FILE* f = std::fopen(input.c_str(), "wb");
      generateCdb(f, lines, 20261208);
      std::fclose(f);
    }
    double inputMb = fs::file_size(input) / 1048576.0;

    Measured t = best({torvane, input.filename().string()}, dir, repeat);
    unsigned long long outLines = 0, outBytes = 0;
    countLines(dir / (name + ".dvk"), outLines, outBytes);
    Measured f = best({floor, input.filename().string(), std::to_string(outLines),
                       std::to_string(outBytes), name + ".floor"},
                      dir, repeat);

    double growth = previous > 0 ? t.seconds / previous : 0;
    if (previous > 0 && growth > 11) linear = false;
    double ratio = t.seconds / f.seconds;
    if (lines == 1000000) {
      ratioAtMillion = ratio;
      memoryAtMillion = t.peakMb / inputMb;
    }
    std::printf("%10llu %9.1f %9.3f %12.0f %8.1f %9.1f %8.2f %9.3f %7.2f %7s\n", lines, inputMb,
                t.seconds, lines / t.seconds, inputMb / t.seconds, t.peakMb, t.peakMb / inputMb,
                f.seconds, ratio, previous > 0 ? std::to_string(growth).substr(0, 5).c_str() : "-");
    std::fflush(stdout);
    previous = t.seconds;
  }
  std::printf("\nlinear growth (each 10x step at most 11x): %s\n", linear ? "yes" : "NO");
  if (ratioAtMillion > 0) {
    std::printf("time / floor at 10^6 lines: %.2f (target 1.5 at most): %s\n", ratioAtMillion,
                ratioAtMillion <= 1.5 ? "met" : "NOT MET");
    std::printf("peak memory / input at 10^6 lines: %.2f (target 3 at most): %s\n",
                memoryAtMillion, memoryAtMillion <= 3 ? "met" : "NOT MET");
  }
  return 0;
}
