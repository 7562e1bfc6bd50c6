#include "output/command_writer.h"

#include <charconv>

#include "output/address_page.h"
#include "util/hex_text.h"

namespace torvane {

bool CommandWriter::startsCommandFile(std::string_view start) {
  std::string_view firstLine = start.substr(0, start.find('\n'));
  if (!firstLine.empty() && firstLine.back() == '\r') firstLine.remove_suffix(1);
  return firstLine == kHeader.substr(0, kHeader.find('\n'));
}

void CommandWriter::header() {
  if (state_ != State::notOpen) return;
  state_ = State::open;
  start(kHeader);
  deliverLine();
}

// A second trailer is harmless: it finds no scope and no open writer.
void CommandWriter::trailer() {
  enterFunction("");
  enterFile("");
  if (state_ != State::open) return;
  start("MODE 2");
  deliverLine();
  handOver();
  state_ = State::closed;
}

void CommandWriter::enterFile(std::string_view name) {
  if (name == currentFile_) return;
  if (!currentFile_.empty()) {
    enterFunction("");
    start("ENDFILE");
    end();
  }
  currentFile_.assign(name);
  if (!name.empty()) {
    start("FILE ");
    add(name);
    end();
  }
}

void CommandWriter::enterFunction(std::string_view name) {
  if (name == currentFunction_) return;
  if (!currentFunction_.empty()) {
    start("ENDF");
    end();
  }
  currentFunction_.assign(name);
  if (!name.empty()) {
    start("FUNC ");
    add(name);
    end();
  }
}

void CommandWriter::section(std::string_view title) {
  start("REM ");
  add(title);
  end();
}

void CommandWriter::lineAddress(int32_t line, int32_t address) {
  start("LINE ");
  addDecimal(line);
  add(" C:");
  addHex(static_cast<uint32_t>(address));
  end();
}

void CommandWriter::functionRange(bool fileStatic, std::string_view name, int32_t start,
                                  int32_t end) {
  this->start(fileStatic ? "SFUNC " : "FUNC ");
  add(name);
  add(" C:");
  addHex(static_cast<uint32_t>(start));
  this->end();
  this->start("ENDF C:");
  addHex(static_cast<uint32_t>(end));
  this->end();
}

void CommandWriter::symbol(bool global, std::string_view name, char space, int32_t address,
                           std::string_view type) {
  addSymbolName(global, name);
  add(addressPageOf(space));
  add(":");
  addHex(static_cast<uint32_t>(address));
  addType(type);
}

void CommandWriter::stackSymbol(bool global, std::string_view name, int32_t offset,
                                std::string_view type) {
  addSymbolName(global, name);
  // The offset's magnitude as an unsigned number, so the most negative offset too
  // reads as bp-0x80000000.
  uint32_t magnitude = offset < 0 ? 0u - static_cast<uint32_t>(offset) : static_cast<uint32_t>(offset);
  add(offset < 0 ? "bp-" : "bp+");
  addHex(magnitude);
  addType(type);
}

void CommandWriter::registerNote(std::string_view name, std::string_view registers) {
  start("REM ");
  add(name);
  if (!registers.empty()) {
    add(" ");
    add(registers);
  }
  end();
}

void CommandWriter::noAddressNote(std::string_view name) {
  start("REM ");
  add(name);
  add(" (no address)");
  end();
}

void CommandWriter::structureStart(std::string_view tag) {
  start("STRUCT 0 ");
  add(tag);
  end();
}

void CommandWriter::structureMember(int32_t offset, std::string_view name,
                                    std::string_view type) {
  start("DEFT ");
  addHex(static_cast<uint32_t>(offset));
  add(" ");
  add(name);
  add(" %");
  add(type);
  end();
}

void CommandWriter::structureEnd(int32_t size) {
  start("ENDS ");
  addDecimal(size);
  end();
}

// The page before the colon is always that of internal RAM, where the register lives.
void CommandWriter::framePointer(int32_t address) {
  start("DEFREG bp 0:");
  addHex(static_cast<uint32_t>(address));
  add(" 1");
  end();
}

void CommandWriter::load(std::string_view image) {
  start("LOAD ");
  add(image);
  end();
}

void CommandWriter::addDecimal(int32_t value) {
  char digits[12];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  append(digits, static_cast<std::size_t>(result.ptr - digits));
}

void CommandWriter::addHex(uint32_t value) {
  char digits[kHexTextSize];
  char* end = digits + sizeof digits;
  char* p = formatHex(value, end);
  append(p, static_cast<std::size_t>(end - p));
}

void CommandWriter::addSymbolName(bool global, std::string_view name) {
  start(global ? "DEF " : "DEFS ");
  add(name);
  add(" ");
}

void CommandWriter::addType(std::string_view type) {
  add(" %");
  add(type);
  end();
}

void CommandWriter::end() {
  append("\n", 1);
  deliverLine();
}

void CommandWriter::deliverLine() {
  if (state_ != State::open || failed_) {
    lineLength_ = done_;  // not written: dropped
    return;
  }
  done_ = lineLength_;
  constexpr std::size_t kBlockSize = 64 * 1024;
  if (!blocks_ || done_ >= kBlockSize) handOver();
}

void CommandWriter::handOver() {
  if (done_ > 0 && !sink_.take(std::string_view(line_.data(), done_))) failed_ = true;
  done_ = lineLength_ = 0;
}

}  // namespace torvane
