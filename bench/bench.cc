// Benchmark of whole conversions against the I/O floor, for inputs of 10^4 to 10^7
// lines made by the generator, and for a chain of a million structures each referring
// to the next. Reports the median wall time of the repeats, lines and megabytes per
// second, peak memory, the ratio to the floor (measured in the same run) and the growth
// of time from one size to the next.
//
//   torvane_bench [DIR] [MAX_LINES] [REPEAT]     (defaults: bench-data, 10000000, 9)

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
  double peakMb = 0;   // largest resident set
};

// Runs a program with its output discarded; returns its wall time and peak memory.
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
  Measured m;
  m.seconds = std::chrono::duration<double>(end - start).count();
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
  double seconds;
  double peakMb;
  double floorSeconds;
  double inputMb;
};

// Converts `input` and runs the floor for the same output, both in `dir`, in turn, so
// that a machine whose speed drifts during the benchmark slows both alike.
Row measure(const fs::path& dir, const fs::path& input, int repeat) {
  const std::string name = input.stem().string();
  const std::vector<std::string> convert = {TORVANE_BINARY, input.filename().string()};
  Measured first = runOnce(convert, dir);
  unsigned long long outLines = 0, outBytes = 0;
  countLines(dir / (name + ".dvk"), outLines, outBytes);
  const std::vector<std::string> floor = {FLOOR_BINARY, input.filename().string(),
                                          std::to_string(outLines), std::to_string(outBytes),
                                          name + ".floor"};
  std::vector<double> times{first.seconds};
  std::vector<double> floorTimes;
  double peakMb = first.peakMb;
  for (int i = 0; i < repeat; ++i) {
    floorTimes.push_back(runOnce(floor, dir).seconds);
    if (i + 1 == repeat) break;
    Measured m = runOnce(convert, dir);
    times.push_back(m.seconds);
    peakMb = std::max(peakMb, m.peakMb);
  }
  return {medianOf(times), peakMb, medianOf(floorTimes), fs::file_size(input) / 1048576.0};
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = fs::absolute(argc > 1 ? argv[1] : "bench-data");
  unsigned long long maxLines = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000000;
  int repeat = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
  fs::create_directories(dir);

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
    Row r = measure(dir, input, repeat);
    double growth = previous > 0 ? r.seconds / previous : 0;
    if (previous > 0 && growth > 10.5) linear = false;
    double ratio = r.seconds / r.floorSeconds;
    if (lines == 1000000) {
      ratioAtMillion = ratio;
      memoryAtMillion = r.peakMb / r.inputMb;
    }
    std::printf("%10llu %9.1f %9.3f %12.0f %8.1f %9.1f %8.2f %9.3f %7.2f %7s\n", lines,
                r.inputMb, r.seconds, lines / r.seconds, r.inputMb / r.seconds, r.peakMb,
                r.peakMb / r.inputMb, r.floorSeconds, ratio,
                previous > 0 ? std::to_string(growth).substr(0, 5).c_str() : "-");
    std::fflush(stdout);
    previous = r.seconds;
  }

  fs::path chain = dir / "chain1000000.cdb";
  if (!fs::exists(chain)) writeChain(chain, 1000000);
  Row c = measure(dir, chain, repeat);
  std::printf("%10s %9.1f %9.3f %12s %8.1f %9.1f %8.2f %9.3f %7.2f %7s\n", "chain", c.inputMb,
              c.seconds, "-", c.inputMb / c.seconds, c.peakMb, c.peakMb / c.inputMb,
              c.floorSeconds, c.seconds / c.floorSeconds, "-");

  std::printf("\nlinear growth (each 10x step at most 10.5x): %s\n", linear ? "yes" : "NO");
  if (ratioAtMillion > 0) {
    std::printf("time / floor at 10^6 lines: %.2f (target 1.3 at most): %s\n", ratioAtMillion,
                ratioAtMillion <= 1.3 ? "met" : "NOT MET");
    std::printf("peak memory / input at 10^6 lines: %.2f (target 2 at most): %s\n",
                memoryAtMillion, memoryAtMillion <= 2 ? "met" : "NOT MET");
  }
  std::printf("chain of 10^6 structures: %.2f s (target 2 at most, floor %.2f s): %s\n",
              c.seconds, c.floorSeconds, c.seconds <= 2 ? "met" : "NOT MET");
  std::printf("chain peak memory / input: %.2f (target 3 at most): %s\n", c.peakMb / c.inputMb,
              c.peakMb / c.inputMb <= 3 ? "met" : "NOT MET");
  return 0;
}
