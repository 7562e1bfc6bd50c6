// The floor a converter cannot go below: read the whole input once, then write a given
// number of lines of a given total size, one system write per line, as the command file
// is written. floor INPUT LINES BYTES OUTPUT

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: floor INPUT LINES BYTES OUTPUT\n");
    return 1;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  int out = ::open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (!in || out < 0) return 1;
  unsigned long long lines = std::strtoull(argv[2], nullptr, 10);
  unsigned long long bytes = std::strtoull(argv[3], nullptr, 10);

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

  // Writing: the same number of lines and bytes, each line handed over by one write.
  std::string line;
  unsigned long long left = bytes;
  for (unsigned long long i = 0; i < lines; ++i) {
    unsigned long long size = left / (lines - i);
    line.assign(size > 0 ? size - 1 : 0, 'x');
    line += '\n';
    if (::write(out, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 1;
    left -= line.size();
  }
  ::close(out);
  std::fclose(in);
  // The count is printed so that the reading loop cannot be optimized away.
  std::printf("%llu\n", inputLines);
  return 0;
}
