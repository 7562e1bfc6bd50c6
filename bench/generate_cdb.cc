// Writes a synthetic CDB file for benchmarks: generate_cdb LINES [SEED] > file.cdb

#include <cstdio>
#include <cstdlib>

#include "cdb_generator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: generate_cdb LINES [SEED] > file.cdb\n");
    return 1;
  }
  uint64_t lines = std::strtoull(argv[1], nullptr, 10);
  uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  generateCdb(stdout, lines, seed);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
