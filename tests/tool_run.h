#pragma once

#include <filesystem>
#include <string>

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
void writeFile(const std::filesystem::path& path, const std::string& bytes);
