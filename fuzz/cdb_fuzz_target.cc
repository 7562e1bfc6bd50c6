// Feeds arbitrary bytes through the whole conversion, in memory: the line reader, every
// record parser, the emission pass and the command-file writer. Besides what the
// sanitizers catch, it checks what every run must give: a complete command file, and an
// error message whenever the conversion fails. The same bytes are also read as a stream
// in blocks of a few bytes, which must give exactly the same result. Every other input
// is also converted skipping what is rejected, which must leave a whole command file
// and end as converted, with a warning for each record skipped.

#include <stdio.h>  // fmemopen

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "convert/conversion.h"
#include "output/command_writer.h"
#include "torvane/converter.h"
#include "util/line_reader.h"

using namespace torvane;

namespace {

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

struct Result {
  ConvertResult conversion;
  std::string out;
};

Result run(LineReader& input, bool keepGoing = false) {
  ConvertOptions options;
  options.inputName = "fuzz.cdb";
  options.image = "fuzz.ihx";
  options.keepGoing = keepGoing;
  Result r;
  TextSink sink(r.out);
  r.conversion = convertLines(input, options, sink);
  return r;
}

// The header, the LOAD line and the trailer, and no NUL byte.
bool isWhole(const std::string& out) {
  return out.compare(0, CommandWriter::kHeader.size(), CommandWriter::kHeader) == 0 &&
         out.find("\nLOAD fuzz.ihx\n") != std::string::npos && endsWith(out, "\nMODE 2") &&
         out.find('\0') == std::string::npos;
}

// Messages compare as what they say, where and of what kind.
bool sameDiagnostics(const Diagnostics& a, const Diagnostics& b) {
  auto i = a.begin();
  auto j = b.begin();
  for (; i != a.end() && j != b.end(); ++i, ++j) {
    if (i->kind != j->kind || i->line != j->line || i->text != j->text) return false;
  }
  return i == a.end() && j == b.end();
}

// The bytes as a stream read from its start, as a file would be.
FILE* openStream(std::string& bytes) {
#ifdef _WIN32
  // Windows has no stream over memory: a temporary file holds the bytes.
  FILE* stream = std::tmpfile();
  if (stream) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
  }
  return stream;
#else
  return fmemopen(bytes.data(), bytes.size(), "rb");
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  LineReader memory(bytes);
  Result r = run(memory);
  const Outcome outcome = r.conversion.outcome;
  const std::string& out = r.out;

  if (size > 0) {
    std::string copy(bytes);
    if (FILE* stream = openStream(copy)) {
      LineReader blocks(stream, 1 + data[0] % 7);
      Result s = run(blocks);
      std::fclose(stream);
      if (s.conversion.outcome != outcome || s.out != out ||
          !sameDiagnostics(s.conversion.diagnostics, r.conversion.diagnostics)) {
        std::abort();
      }
    }
  }
  // A failure always says why. An input that is no CDB file gives no command file;
  // every other run leaves a whole one behind.
  const Diagnostics& said = r.conversion.diagnostics;
  if (outcome != Outcome::complete &&
      said.count(Diagnostic::Kind::error) + said.count(Diagnostic::Kind::failure) == 0) {
    std::abort();
  }
  if (outcome == Outcome::notCdb) {
    if (!out.empty()) std::abort();
    return 0;
  }
  if (!isWhole(out)) std::abort();

  // Skipping what is rejected converts the rest: a whole command file, ending as
  // converted; an input converted without a fault is converted alike.
  LineReader again(bytes);
  Result k = run(again, true);
  if (!isWhole(k.out)) std::abort();
  if (outcome == Outcome::complete && (k.conversion.outcome != outcome || k.out != out)) {
    std::abort();
  }
  if (k.conversion.outcome != Outcome::complete && k.conversion.outcome != Outcome::skipped) {
    std::abort();
  }
  return 0;
}
