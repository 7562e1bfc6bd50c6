// The floors a converter cannot go below: read the whole input once, then write a given
// number of lines of a given total size, either one system write per line, as a command
// file that someone may watch is written, or in blocks, as a new command file is.
//
//   floor lines|blocks INPUT LINES BYTES OUTPUT

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 6 || (std::strcmp(argv[1], "lines") != 0 && std::strcmp(argv[1], "blocks") != 0)) {
    std::fprintf(stderr, "usage: floor lines|blocks INPUT LINES BYTES OUTPUT\n");
    return 1;
  }
  const bool blocks = std::strcmp(argv[1], "blocks") == 0;
  std::FILE* in = std::fopen(argv[2], "rb");
  int out = ::open(argv[5], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (!in || out < 0) return 1;
  unsigned long long lines = std::strtoull(argv[3], nullptr, 10);
  unsigned long long bytes = std::strtoull(argv[4], nullptr, 10);

  // Reading: every byte is looked at once, as a line reader must.
  std::vector<char> block(256 * 1024);
  unsigned long long inputLines = 0;
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;) {
    for (const char* p = block.data(); (p = static_cast<const char*>(
                                            std::memchr(p, '\n', block.data() + got - p)));
         ++p) {
      ++inputLines;
    }
  }

  // Writing: the same number of lines and bytes, each line handed over by one write, or
  // gathered into blocks of 64 KiB.
  std::string line;
  std::string block64;
  auto hand = [out](const std::string& bytesOut) {
    return ::write(out, bytesOut.data(), bytesOut.size()) == static_cast<ssize_t>(bytesOut.size());
  };
  unsigned long long left = bytes;
  for (unsigned long long i = 0; i < lines; ++i) {
    unsigned long long size = left / (lines - i);
    line.assign(size > 0 ? size - 1 : 0, 'x');
    line += '\n';
    left -= line.size();
    if (!blocks) {
      if (!hand(line)) return 1;
      continue;
    }
    if (block64.size() + line.size() > 64 * 1024) {
      if (!hand(block64)) return 1;
      block64.clear();
    }
    block64 += line;
  }
  if (!block64.empty() && !hand(block64)) return 1;
  ::close(out);
  std::fclose(in);
  // The count is printed so that the reading loop cannot be optimized away.
  std::printf("%llu\n", inputLines);
  return 0;
}
