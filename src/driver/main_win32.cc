#include <string>
#include <vector>

#include "driver/driver.h"
#include "util/wide_names.h"

// Windows hands over the command line in UTF-16: names in any script reach the run
// whole, as UTF-8, whatever code page the console uses.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(torvane::narrow(argv[i]));
  std::vector<const char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(a.c_str());
  return torvane::runTorvane(argc, pointers.data());
}
