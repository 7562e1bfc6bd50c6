#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/file_access.h"
#include "output/command_writer.h"
#include "torvane/files.h"
#include "util/message_codes.h"
#include "util/output_file.h"
#include "util/system_files.h"
#include "util/unfinished_files.h"

namespace torvane {

namespace fs = std::filesystem;

struct CommandFileOutput::State {
  OutputFile file;
  std::string name;       // as the caller named it, for messages
  std::string target;     // the file that is written or replaced
  std::string temporary;  // where the lines go until then; empty when written in place
  int unfinished = -1;    // its slot among the files a signal removes
  std::string error;      // the first failure

  // The new file is done with: put in place, or to be removed.
  void forgetTemporary() {
    forgetUnfinished(unfinished);
    unfinished = -1;
    temporary.clear();
  }
};

namespace {

// True when `output` already exists as the very file `input` names (through links
// too): creating it would truncate a file that is only to be read.
bool sameFile(const std::string& input, const std::string& output) {
  std::error_code ec;
  return fs::equivalent(pathOf(input), pathOf(output), ec) && !ec;
}

// True when the existing regular file `name` may be replaced: a command file of an
// earlier run, or an empty file. Any other file is the user's, an unreadable one too.
bool isCommandFile(const std::string& name) {
  InputFile existing(openForReading(name));
  if (!existing) return false;
  char start[64];
  std::size_t got = std::fread(start, 1, sizeof start, existing.get());
  if (std::ferror(existing.get())) return false;
  return got == 0 || CommandWriter::startsCommandFile(std::string_view(start, got));
}

Diagnostic refusal(const std::string& name, std::string_view code, std::string_view why) {
  return fileFailure(name, code, "Cannot open .dvk output file", why);
}

}  // namespace

CommandFileOutput::CommandFileOutput() : state_(std::make_unique<State>()) {}

CommandFileOutput::~CommandFileOutput() {
  state_->file.close();
  if (!state_->temporary.empty()) removeFile(state_->temporary);
  state_->forgetTemporary();
}

void removeUnfinishedCommandFiles() noexcept { removeUnfinished(); }

namespace {

// Where the name `path` leads through symbolic links, followed link by link so that a
// link to a file not made yet leads to where that file will be; `path` itself where it
// is no link.
fs::path linkedTarget(fs::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
    fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : (path.parent_path() / next).lexically_normal();
  }
  return path;
}

}  // namespace

// note [replaced whole]
// A command file is replaced whole or not at all: its lines go to a new file beside it,
// which takes its place in one step once it is complete, so that a full disk never
// leaves a cut file where a good one stood, and a debugger reading the file meanwhile
// sees the old one whole. A file that may not be written over is refused (its
// permissions are the user's word), and the new file takes the old one's permissions.
// Written in place: what is no regular file (/dev/null, a pipe, a link to a device),
// which cannot be replaced, and a file of several hard links, whose other names would
// keep the old file. A symbolic link stays a link: the file it leads to is replaced.
// What is at the name is examined once, and decides all of this.
std::optional<Diagnostic> CommandFileOutput::open(const std::string& name, const std::string& input,
                                                  const std::string& map,
                                                  const std::string& image) {
  State& s = *state_;
  s.name = name;
  if (sameFile(input, name)) {
    return refusal(name, code::kOutputIsInput, "input and output are the same file");
  }
  if (!map.empty() && sameFile(map, name)) {
    return refusal(name, code::kOutputIsMap, "it would replace the linker map");
  }
  if (namesOneFile(image, name)) return refusal(name, code::kOutputIsImage, "it would replace the image");

  std::error_code ec;
  fs::path path = pathOf(name);
  fs::file_status status = fs::status(path, ec);
  bool exists = !ec && fs::exists(status);
  bool regular = exists && fs::is_regular_file(status);
  if (regular && !isCommandFile(name)) {
    return refusal(name, code::kOutputNotCommandFile, name + " exists and is not a command file");
  }
  bool inPlace = exists && (!regular || nameCount(name) > 1);
  if (exists && !inPlace && !canWrite(name)) {
    return refusal(name, code::kOutputUnopenable, name + ": " + std::strerror(errno));
  }
  // A symbolic link stays a link, a dangling one too: the file it leads to is written.
  s.target = name;
  if (fs::is_symlink(fs::symlink_status(path, ec))) s.target = linkedTarget(path).u8string();
  bool opened = inPlace ? s.file.create(s.target) : s.file.createBeside(s.target, s.temporary);
  if (!opened) {
    // A new file beside the command file could not be made: its folder is the cause.
    std::string why = std::strerror(errno);
    s.temporary.clear();
    if (inPlace) return refusal(name, code::kOutputUnopenable, name + ": " + why);
    std::string folder = s.target.substr(0, fileNameStart(s.target));
    return refusal(name, code::kOutputUnopenable,
                   "cannot make a file in " + (folder.empty() ? "./" : folder) + ": " + why);
  }
  if (!inPlace) s.unfinished = noteUnfinished(s.temporary, s.file.descriptor());
  if (exists && !inPlace) s.file.takePermissionsOf(s.target);
  return std::nullopt;
}

// note [written in blocks]
// Nobody can read a new file beside the command file before it takes the command
// file's place: its lines come in blocks, a system call for many lines. What is
// written in place (a pipe, a device, a file of several hard links) may be read while
// it is written, so each of its lines goes to the system the moment it is complete. A
// write that fails is found when its block is handed over, and fails the command file
// alike.
bool CommandFileOutput::takesBlocks() const { return !state_->temporary.empty(); }

bool CommandFileOutput::take(std::string_view lines) {
  State& s = *state_;
  if (!s.error.empty()) return false;
  if (s.file.write(lines)) return true;
  s.error = errno ? std::strerror(errno) : "write error";
  return false;
}

std::string CommandFileOutput::failure() const {
  return state_->error.empty() ? "" : state_->name + ": " + state_->error;
}

std::optional<Diagnostic> CommandFileOutput::finish() {
  State& s = *state_;
  auto noteFailure = [&s] {
    if (s.error.empty()) s.error = errno ? std::strerror(errno) : "write error";
  };
  if (!s.file.close()) noteFailure();
  if (s.error.empty() && !s.temporary.empty() && !replaceFile(s.temporary, s.target)) noteFailure();
  if (s.error.empty()) {
    s.forgetTemporary();
    return std::nullopt;
  }
  return fileFailure(s.name, code::kOutputUnwritable, "Cannot write .dvk output file", failure());
}

}  // namespace torvane
