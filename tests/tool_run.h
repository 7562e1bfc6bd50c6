#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace torvane {

// One run of the real torvane binary in a directory, with everything it printed.
struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs torvane with `arguments` (already quoted for the shell) in `directory`.
ToolRun runTool(const std::filesystem::path& directory, const std::string& arguments);

// A fresh, empty scratch directory named after the running test.
std::filesystem::path scratchDirectory();

std::string readFile(const std::filesystem::path& path);

// What torvane wrote as text (a command file, its messages), with the platform's line
// end turned into a line feed. On Windows every line end must be CR LF: a bare line feed
// fails the running test.
std::string fromPlatformText(const std::string& bytes);
// A command file torvane wrote, read through fromPlatformText.
std::string readOutput(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// The lines of `text`, without their line feeds.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace torvane
