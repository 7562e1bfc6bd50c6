// Feeds arbitrary bytes through the whole conversion, in memory: the line reader, every
// record parser, the emission pass and the command-file writer. Besides what the
// sanitizers catch, it checks what every run must give: a complete command file, and a
// message whenever the conversion fails. The same bytes are also read as a stream in
// blocks of a few bytes, which must give exactly the same result.

#include <stdio.h>  // fmemopen

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cdb/line_reader.h"
#include "driver/driver.h"
#include "output/command_file.h"

namespace {

constexpr std::string_view kHeader =
    "CLEARLINEINFO Y\nRADIX 10\nMSBFIRST 0\nCASE 2\n"
    "SMALLPOINTERSIZE 1\nPOINTERSIZE 2\nLARGEPOINTERSIZE 3\n";

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

struct Result {
  bool converted;
  std::string out;
  std::string messages;
};

Result run(LineReader& input) {
  Result r;
  CommandFile file;
  file.openBuffer(r.out);
  file.captureMessages(&r.messages);
  r.converted = convert(input, file, "fuzz.ihx") == Outcome::converted;
  return r;
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
  const bool converted = r.converted;
  const std::string& out = r.out;
  const std::string& messages = r.messages;

  if (size > 0) {
    std::string copy(bytes);
    if (FILE* stream = openStream(copy)) {
      LineReader blocks(stream, 1 + data[0] % 7);
      Result s = run(blocks);
      std::fclose(stream);
      if (s.converted != converted || s.out != out || s.messages != messages) std::abort();
    }
  }
  // A failure always says why, and every run leaves a whole command file behind.
  if (!converted && messages.empty()) std::abort();
  if (out.compare(0, kHeader.size(), kHeader) != 0) std::abort();
  if (out.find("\nLOAD fuzz.ihx\n") == std::string::npos) std::abort();
  if (!endsWith(out, "\nMODE 2")) std::abort();
  if (out.find('\0') != std::string::npos) std::abort();
  return 0;
}
