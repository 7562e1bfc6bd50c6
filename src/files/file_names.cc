#include "torvane/files.h"

#include "util/system_files.h"

namespace torvane {

FileNames namesBeside(std::string_view input) {
  std::size_t dot = input.rfind('.');
  if (dot != std::string_view::npos && dot <= fileNameStart(input)) dot = std::string_view::npos;
  std::string base(input.substr(0, dot));
  return {base + ".dvk", base + ".ihx", base + ".map", base + ".cdb"};
}

}  // namespace torvane
