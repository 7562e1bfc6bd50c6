// An IDE's plugin, a shared library that links the Torvane library: the IDE loads it
// and calls torvane_plugin_convert for a CDB file and its command file.

#include <torvane/converter.h>
#include <torvane/diagnostics.h>
#include <torvane/files.h>

#include <iostream>

/// Converts `input` into the command file `output`; 0 when a build may use it. The
/// messages are printed with their codes.
extern "C" int torvane_plugin_convert(const char* input, const char* output) {
  torvane::FileOptions options;
  options.input = input;
  options.commandFile = output;
  torvane::ConvertResult result = torvane::convertFile(options);
  for (const torvane::Diagnostic& d : result.diagnostics) {
    std::cout << "[" << d.code << "] " << torvane::renderDiagnostic(d);
  }
  return torvane::succeeded(result) ? 0 : 1;
}
