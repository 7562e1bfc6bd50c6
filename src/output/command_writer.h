#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "torvane/line_sink.h"

namespace torvane {

/// "0x" and `value` in lower-case hexadecimal digits, as the command file writes
/// addresses: for messages about them.
std::string hexText(uint32_t value);

/// Composes the command file for the debugger: the header and trailer, numbers and
/// target addresses in the debugger's forms, and the FILE and FUNC scope lines exactly
/// when a scope really changes. Each line goes to the sink when it is ended.
class CommandWriter {
 public:
  /// The settings every command file opens with.
  static constexpr std::string_view kHeader =
      "CLEARLINEINFO Y\nRADIX 10\nMSBFIRST 0\nCASE 2\n"
      "SMALLPOINTERSIZE 1\nPOINTERSIZE 2\nLARGEPOINTERSIZE 3\n";

  explicit CommandWriter(LineSink& sink) : sink_(sink) {}
  CommandWriter(const CommandWriter&) = delete;
  CommandWriter& operator=(const CommandWriter&) = delete;

  /// Writes the header; until then, and after close, nothing is written.
  void open();

  /// Closes the open scopes and writes the trailer "MODE 2" without a line end. A
  /// second close, or one on a writer never opened, writes nothing.
  void close();

  /// Appends text to the current line.
  void writeText(std::string_view text) {
    if (state_ == State::open) append(text.data(), text.size());
  }

  /// Appends `value` in decimal, or for base 16 as "0x" and lower-case hexadecimal digits
  /// (a negative value as its eight-digit two's complement).
  void writeNumber(int32_t value, int base);

  /// Appends the debugger's page for the address-space letter, ":0x" and the address.
  void writeSpaceAddress(char space, int32_t address);

  /// Ends the current line and hands it to the sink at once.
  void endLine();

  /// Forgets the line being composed, after a failure in the middle of it.
  void dropLine() { lineLength_ = 0; }

  /// Makes `name` the open FILE scope, closing the FUNC and FILE scopes open before;
  /// an empty name closes the FILE scope and opens none.
  void enterFile(std::string_view name);

  /// Makes `name` the open FUNC scope, closing the one open before; an empty name closes it.
  void enterFunction(std::string_view name);

  /// True once the sink refused a line; the lines after it were discarded.
  bool failed() const { return failed_; }

 private:
  enum class State { notOpen, open, closed };

  // Adds `size` bytes to the line. Most lines are short: the line's storage is kept
  // from line to line, so an append is a copy and rarely a growth (a fresh string for
  // each line took 9 % more time on a million-line program).
  void append(const char* text, std::size_t size) {
    if (size > line_.size() - lineLength_) line_.resize(2 * (lineLength_ + size));
    if (size > 0) std::memcpy(&line_[lineLength_], text, size);
    lineLength_ += size;
  }
  void writeHex(uint32_t value);
  void deliverLine();

  LineSink& sink_;
  State state_ = State::notOpen;
  bool failed_ = false;
  // The line being composed, its first lineLength_ bytes; it goes to the sink whole
  // when ended.
  std::string line_;
  std::size_t lineLength_ = 0;
  std::string currentFile_;
  std::string currentFunction_;
};

}  // namespace torvane
