#include "output/command_writer.h"

#include <charconv>

#include "output/address_space.h"

namespace torvane {

namespace {

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

void CommandWriter::open() {
  if (state_ != State::notOpen) return;
  state_ = State::open;
  writeText(kHeader);
  deliverLine();
}

// Closing twice is harmless: the second close finds no scope and no open writer.
void CommandWriter::close() {
  enterFunction("");
  enterFile("");
  writeText("MODE 2");
  if (state_ != State::open) return;
  deliverLine();
  state_ = State::closed;
}

void CommandWriter::writeHex(uint32_t value) {
  char digits[kHexSize];
  char* end = digits + sizeof digits;
  char* p = formatHex(value, end);
  append(p, static_cast<std::size_t>(end - p));
}

void CommandWriter::writeNumber(int32_t value, int base) {
  if (state_ != State::open) return;
  if (base == 16) {
    writeHex(static_cast<uint32_t>(value));
    return;
  }
  char digits[12];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  append(digits, static_cast<std::size_t>(result.ptr - digits));
}

void CommandWriter::writeSpaceAddress(char space, int32_t address) {
  if (state_ != State::open) return;
  std::string_view page = addressSpaceOf(space).page;
  append(page.data(), page.size());
  append(":", 1);
  writeHex(static_cast<uint32_t>(address));
}

void CommandWriter::endLine() {
  if (state_ != State::open) return;
  append("\n", 1);
  deliverLine();
}

void CommandWriter::deliverLine() {
  if (!failed_ && !sink_.take(std::string_view(line_.data(), lineLength_))) failed_ = true;
  lineLength_ = 0;
}

void CommandWriter::enterFile(std::string_view name) {
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

void CommandWriter::enterFunction(std::string_view name) {
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

}  // namespace torvane
