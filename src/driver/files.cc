#include "driver/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "output/command_writer.h"
#include "util/system_files.h"

namespace torvane {

namespace fs = std::filesystem;

OutputNames deriveOutputNames(std::string_view inputName) {
  std::size_t dot = inputName.rfind('.');
  if (dot != std::string_view::npos && dot <= fileNameStart(inputName)) dot = std::string_view::npos;
  std::string base(inputName.substr(0, dot));
  return {base + ".dvk", base + ".ihx", base + ".map", base + ".cdb"};
}

// A directory opens on some systems and is refused for want of permission on others;
// everywhere it fails as what it is.
InputFile openInput(const char* name, std::string& why) {
  std::error_code ec;
  if (fs::is_directory(pathOf(name), ec)) {
    why = std::strerror(EISDIR);
    return nullptr;
  }
  InputFile input(openForReading(name));
  if (!input) why = std::strerror(errno);
  return input;
}

bool readRest(std::FILE* input, std::string& text) {
  char block[64 * 1024];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, input)) > 0;) {
    text.append(block, got);
  }
  return !std::ferror(input);
}

namespace {

// True when `output` already exists as the very file `input` names (through links
// too): creating it would truncate a file that is only to be read.
bool sameFile(const char* input, const std::string& output) {
  std::error_code ec;
  return fs::equivalent(pathOf(input), pathOf(output), ec) && !ec;
}

// True when the command file may be written where `name` says: nothing is there, or a
// command file (of an earlier run), an empty file, or no regular file at all (a device
// such as /dev/null, a pipe). Any other file is the user's and is left alone, an
// unreadable one too; where nothing can be told, opening the file will say why not.
bool mayReplace(const std::string& name) {
  std::error_code ec;
  fs::file_status status = fs::status(pathOf(name), ec);
  if (ec || !fs::is_regular_file(status)) return true;
  InputFile existing(openForReading(name));
  if (!existing) return false;
  char start[64];
  std::size_t got = std::fread(start, 1, sizeof start, existing.get());
  if (std::ferror(existing.get())) return false;
  return got == 0 || CommandWriter::startsCommandFile(std::string_view(start, got));
}

}  // namespace

std::string refusalOf(const char* inputName, const char* mapName, const OutputNames& names) {
  const std::string& output = names.commandFile;
  if (sameFile(inputName, output)) return "input and output are the same file";
  if (mapName && sameFile(mapName, output)) return "it would replace the linker map";
  if (namesOneFile(names.image, output)) return "it would replace the image";
  if (!mayReplace(output)) return output + " exists and is not a command file";
  return {};
}

// note [replaced whole]
// A command file is replaced whole or not at all: its lines go to a new file beside it,
// which takes its place in one step once it is complete, so that a full disk never
// leaves a cut file where a good one stood, and a debugger reading the file meanwhile
// sees the old one whole. A file that may not be written over is refused as before
// (its permissions are the user's word), and the new file takes the old one's
// permissions. Written in place as before: what is no regular file (/dev/null, a pipe,
// a link to a device), which cannot be replaced, and a file of several hard links,
// whose other names would keep the old file. A symbolic link stays a link: the file
// it leads to is replaced.
bool CommandFileOutput::open(const std::string& name, std::string& why) {
  std::error_code ec;
  fs::path path = pathOf(name);
  fs::file_status status = fs::status(path, ec);
  bool exists = !ec && fs::exists(status);
  bool inPlace = exists && (!fs::is_regular_file(status) || nameCount(name) > 1);
  if (exists && !inPlace && !canWrite(name)) {
    why = std::strerror(errno);
    return false;
  }
  target_ = name;
  if (exists && fs::is_symlink(fs::symlink_status(path, ec))) {
    fs::path resolved = fs::canonical(path, ec);
    if (!ec) target_ = resolved.u8string();
  }
  bool opened = inPlace ? file_.create(target_) : file_.createBeside(target_, temporary_);
  if (!opened) {
    why = std::strerror(errno);
    temporary_.clear();
    return false;
  }
  if (exists && !inPlace) file_.takePermissionsOf(target_);
  return true;
}

bool CommandFileOutput::take(std::string_view line) {
  if (file_.write(line)) return true;
  noteFailure();
  return false;
}

bool CommandFileOutput::finish(std::string& why) {
  if (!file_.close() && error_.empty()) noteFailure();
  if (error_.empty() && !temporary_.empty() && !replaceFile(temporary_, target_)) noteFailure();
  if (error_.empty()) temporary_.clear();
  why = error_;
  return error_.empty();
}

CommandFileOutput::~CommandFileOutput() {
  file_.close();
  if (!temporary_.empty()) removeFile(temporary_);
}

void CommandFileOutput::noteFailure() { error_ = errno ? std::strerror(errno) : "write error"; }

}  // namespace torvane
