#include "output/command_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

const char* const kHeader[] = {
    "CLEARLINEINFO Y",    "RADIX 10",      "MSBFIRST 0",         "CASE 2",
    "SMALLPOINTERSIZE 1", "POINTERSIZE 2", "LARGEPOINTERSIZE 3",
};

// The debugger's memory page for each address-space letter A to K; every other byte
// takes the entry of K.
constexpr unsigned kPages[] = {0xD1, 0x0, 0xC, 0xC, 0x0, 0xD, 0x0, 0xB, 0x1, 0xB1, 0xC};
constexpr unsigned kDefaultPage = 10;

// Writes `value` in lower-case hexadecimal digits, without leading zeros, ending at `end`;
// returns where the digits begin.
char* hexDigits(char* end, uint32_t value) {
  char* p = end;
  do {
    *--p = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  return p;
}

}  // namespace

CommandFile::~CommandFile() {
  close();
  structures.deleteAll();
  functions.deleteAll();
  symbols.deleteAll();
  modules.deleteAll();
}

bool CommandFile::open(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  // Every line is handed over whole by a single write, so stdio's own buffer would only
  // add a copy.
  std::setvbuf(f, nullptr, _IONBF, 0);
  file_ = f;
  state_ = State::open;
  for (const char* line : kHeader) {
    writeText(line);
    endLine();
  }
  return true;
}

void CommandFile::openBuffer(std::string& sink) {
  buffer_ = &sink;
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
  if (file_ && std::fclose(file_) != 0) noteWriteFailure();
  file_ = nullptr;
  buffer_ = nullptr;
  state_ = State::closed;
}

void CommandFile::growLine(std::size_t size) {
  std::size_t capacity = std::max<std::size_t>(256, 2 * (lineSize_ + size));
  std::unique_ptr<char[]> larger(new char[capacity]);
  if (lineSize_ > 0) std::memcpy(larger.get(), line_.get(), lineSize_);
  line_ = std::move(larger);
  lineCapacity_ = capacity;
}

void CommandFile::writeNumber(int32_t value, int base) {
  if (state_ != State::open) return;
  char digits[12];
  char* end = digits + sizeof digits;
  if (base == 16) {
    char* p = hexDigits(end, static_cast<uint32_t>(value));
    *--p = 'x';
    *--p = '0';
    append(p, static_cast<std::size_t>(end - p));
    return;
  }
  auto result = std::to_chars(digits, end, value);
  append(digits, static_cast<std::size_t>(result.ptr - digits));
}

void CommandFile::writeSpaceAddress(char space, int32_t address) {
  if (state_ != State::open) return;
  // The letter's distance from 'A' as a byte: only A to K land inside the table.
  // Paged external RAM (P) lives in external data memory, the page of F.
  if (space == 'P') space = 'F';
  unsigned index = static_cast<unsigned char>(static_cast<unsigned char>(space) - 'A');
  if (index > kDefaultPage) index = kDefaultPage;
  char text[24];
  char* end = text + sizeof text;
  char* p = hexDigits(end, static_cast<uint32_t>(address));
  *--p = 'x';
  *--p = '0';
  *--p = ':';
  p = hexDigits(p, kPages[index]);
  append(p, static_cast<std::size_t>(end - p));
}

void CommandFile::endLine() {
  if (state_ != State::open) return;
  append("\n", 1);
  deliverLine();
}

void CommandFile::deliverLine() {
  if (buffer_) {
    buffer_->append(line_.get(), lineSize_);
  } else if (file_ && !writeFailed()) {
    if (std::fwrite(line_.get(), 1, lineSize_, file_) != lineSize_) noteWriteFailure();
  }
  lineSize_ = 0;
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
