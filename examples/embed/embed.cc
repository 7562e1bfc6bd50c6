// A client of the Torvane library, as an IDE or a build tool would call it: converts a
// CDB file held in memory, then the same file through the file API, which writes the
// command file as the command line does, and prints the messages.
//
//   embed FILE.cdb FILE.dvk

#include <torvane/converter.h>
#include <torvane/diagnostics.h>
#include <torvane/files.h>
#include <torvane/version.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: embed FILE.cdb FILE.dvk\n";
    return 1;
  }
  std::cout << "Torvane library " << torvane::version() << "\n";

  // In memory: the text of a CDB file in, the text of its command file out.
  std::ifstream input(argv[1], std::ios::binary);
  std::string cdb(std::istreambuf_iterator<char>(input), {});
  torvane::ConvertOptions options;
  options.inputName = argv[1];
  options.image = torvane::namesBeside(argv[1]).image;
  std::string inMemory;
  torvane::ConvertResult converted = torvane::convert(cdb, options, inMemory);
  std::cout << "in memory: " << inMemory.size() << " bytes, " << converted.diagnostics.size()
            << " messages\n";

  // From file to file, with the command line's rules: the command file replaced whole,
  // never over a file that is not one.
  torvane::FileOptions files;
  files.input = argv[1];
  files.commandFile = argv[2];
  torvane::ConvertResult result = torvane::convertFile(files);
  for (const torvane::Diagnostic& d : result.diagnostics) {
    std::cout << "[" << d.code << "] " << torvane::renderDiagnostic(d);
  }
  return torvane::succeeded(result) ? 0 : 3;
}
