#include "output/command_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

namespace {

const char* const kHeader[] = {
    "CLEARLINEINFO Y",    "RADIX 10",      "MSBFIRST 0",         "CASE 2",
    "SMALLPOINTERSIZE 1", "POINTERSIZE 2", "LARGEPOINTERSIZE 3",
};

// The debugger's memory page for an address-space letter, in hexadecimal.
std::string_view pageOf(char space) {
  switch (space) {
    case 'A':  // external stack
      return "d1";
    case 'B':  // internal stack
    case 'E':  // internal RAM
    case 'G':  // internal RAM, indirectly addressed
      return "0";
    case 'F':  // external RAM
    case 'P':  // paged external RAM, which lives in external RAM too
      return "d";
    case 'H':  // bit space
      return "b";
    case 'I':  // special function registers
      return "1";
    case 'J':  // special function register bits
      return "b1";
    default:  // code (C, D, K) and every letter the debugger has no page for
      return "c";
  }
}

// Writes "0x" and `value` in lower-case hexadecimal digits, without leading zeros, so
// that the text ends just before `end` (ten bytes are always enough); returns its start.
char* formatHex(uint32_t value, char* end) {
  char* p = end;
  do {
    *--p = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  *--p = 'x';
  *--p = '0';
  return p;
}

constexpr std::size_t kHexSize = 2 + 8;

}  // namespace

std::string hexText(uint32_t value) {
  char digits[kHexSize];
  char* end = digits + sizeof digits;
  return std::string(formatHex(value, end), end);
}

// Made and destroyed here, where the record classes that the lists own are complete.
// Closing twice is harmless: the second close finds no scope and no open file.
CommandFile::CommandFile() = default;
CommandFile::~CommandFile() { close(); }

bool CommandFile::open(const std::string& path) {
  if (!file_.create(path)) return false;
  writeHeader();
  return true;
}

void CommandFile::openBuffer(std::string& sink) {
  buffer_ = &sink;
  writeHeader();
}

void CommandFile::writeHeader() {
  state_ = State::open;
  for (const char* line : kHeader) {
    writeText(line);
    endLine();
  }
}

void CommandFile::close() {
  enterFunction("");
  enterFile("");
  writeText("MODE 2");
  if (state_ != State::open) return;
  deliverLine();
  if (!file_.close()) noteWriteFailure();
  buffer_ = nullptr;
  state_ = State::closed;
}

void CommandFile::writeHex(uint32_t value) {
  char digits[kHexSize];
  char* end = digits + sizeof digits;
  char* p = formatHex(value, end);
  append(p, static_cast<std::size_t>(end - p));
}

void CommandFile::writeNumber(int32_t value, int base) {
  if (state_ != State::open) return;
  if (base == 16) {
    writeHex(static_cast<uint32_t>(value));
    return;
  }
  char digits[12];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  append(digits, static_cast<std::size_t>(result.ptr - digits));
}

void CommandFile::writeSpaceAddress(char space, int32_t address) {
  if (state_ != State::open) return;
  std::string_view page = pageOf(space);
  append(page.data(), page.size());
  append(":", 1);
  writeHex(static_cast<uint32_t>(address));
}

void CommandFile::endLine() {
  if (state_ != State::open) return;
  append("\n", 1);
  deliverLine();
}

void CommandFile::deliverLine() {
  std::string_view line(line_.data(), lineLength_);
  if (buffer_) {
    buffer_->append(line);
  } else if (file_.isOpen() && !writeFailed()) {
    if (!file_.write(line)) noteWriteFailure();
  }
  lineLength_ = 0;
}

void CommandFile::noteWriteFailure() {
  if (writeError_.empty()) writeError_ = errno ? std::strerror(errno) : "write error";
}

void CommandFile::enterFile(std::string_view name) {
  if (name == currentFile_) return;
  if (!currentFile_.empty()) {
    enterFunction("");
    writeText("ENDFILE");
    endLine();
  }
  currentFile_.assign(name);
  if (!name.empty()) {
    writeText("FILE ");
    writeText(name);
    endLine();
  }
}

void CommandFile::enterFunction(std::string_view name) {
  if (name == currentFunction_) return;
  if (!currentFunction_.empty()) {
    writeText("ENDF");
    endLine();
  }
  currentFunction_.assign(name);
  if (!name.empty()) {
    writeText("FUNC ");
    writeText(name);
    endLine();
  }
}

void CommandFile::message(std::string_view text, std::string_view detail) {
  if (messageSink_) {
    messageSink_->append(text).append(detail).push_back('\n');
    return;
  }
  std::string line;
  line.reserve(text.size() + detail.size() + 1);
  line.append(text).append(detail).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

bool CommandFile::fault(std::string_view text, std::string_view detail) {
  message(text, detail);
  return false;
}

void CommandFile::message(std::string_view text, char letter) {
  message(text, letter ? std::string_view(&letter, 1) : std::string_view());
}

bool CommandFile::fault(std::string_view text, char letter) {
  message(text, letter);
  return false;
}
