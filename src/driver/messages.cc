#include "driver/messages.h"

#include "torvane/diagnostics.h"
#include "util/message_codes.h"

namespace torvane {

namespace {

// note [messages of the command line]
// The library words each message for any caller; the command line adds what only it
// can say: the command that settles the message, and that nothing was written. Each
// message is printed as the renderer words it, with these additions: failures of
// files, and the notes that explain them, on standard error; everything else on
// standard output. Quiet, the notes of what was done go unsaid.
std::string forCommandLine(const Diagnostic& d, bool listingsNamed) {
  std::string text = renderDiagnostic(d);
  text.pop_back();  // its line end, for what the command line adds to its last line
  if (d.code == code::kNotCdb || d.code == code::kNotAMap) {
    text += "; nothing was written";
  } else if (d.code == code::kInputIsMap) {
    text += ": torvane --map " + d.file + " " + d.suggestion;
  } else if (d.code == code::kBitWithoutAddress && !listingsNamed) {
    text += ": torvane --listings " + (d.suggestion.empty() ? "DIR" : d.suggestion) + " " + d.file;
  } else if (d.code == code::kBpMissing && !d.suggestion.empty()) {
    text += "\n  Or name the linker map: torvane --map " + d.suggestion + " " + d.file;
  }
  return text + "\n";
}

}  // namespace

PrintedMessages printedMessages(const Diagnostics& diagnostics, bool listingsNamed, bool quiet) {
  PrintedMessages printed;
  bool explainsFailure = false;
  for (const Diagnostic& d : diagnostics) {
    bool failure = d.kind == Diagnostic::Kind::failure;
    bool toError = failure || (explainsFailure && d.kind == Diagnostic::Kind::note);
    explainsFailure = toError;
    if (quiet && !toError && d.kind == Diagnostic::Kind::note) continue;
    (toError ? printed.err : printed.out) += forCommandLine(d, listingsNamed);
  }
  return printed;
}

}  // namespace torvane
