// A client of the Torvane library, as an IDE or a build tool would call it: converts a
// CDB file in memory, writes the command file, and prints the messages as the
// command line prints them.
//
//   embed FILE.cdb FILE.ihx FILE.dvk

#include <torvane/converter.h>
#include <torvane/diagnostics.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: embed FILE.cdb FILE.ihx FILE.dvk\n";
    return 1;
  }
  std::ifstream input(argv[1], std::ios::binary);
  std::string cdb(std::istreambuf_iterator<char>(input), {});
  if (!input.is_open() || input.bad()) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 1;
  }

  torvane::ConvertOptions options;
  options.inputName = argv[1];
  options.image = argv[2];
  std::string commandFile;
  torvane::ConvertResult result = torvane::convert(cdb, options, commandFile);

  std::ofstream(argv[3], std::ios::binary) << commandFile;
  std::cout << torvane::renderDiagnostics(result.diagnostics, argv[1]);
  bool converted = result.outcome == torvane::Outcome::complete ||
                   result.outcome == torvane::Outcome::skipped;
  return converted ? 0 : 3;
}
