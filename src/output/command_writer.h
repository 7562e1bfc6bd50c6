#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "torvane/line_sink.h"

namespace torvane {

/// Writes the command language of the debugger, a verb for each kind of line: the
/// header and trailer, the FILE and FUNC scope lines exactly when a scope really
/// changes, and the lines of line addresses, functions, structures and symbols, with
/// numbers and target addresses in the debugger's forms. Every command word is spelled
/// here alone. Each line goes to the sink whole, as soon as it is complete, or, to a
/// sink that takes blocks, with the lines after it once they fill a block.
class CommandWriter {
 public:
  /// The settings every command file opens with.
  static constexpr std::string_view kHeader =
      "CLEARLINEINFO Y\nRADIX 10\nMSBFIRST 0\nCASE 2\n"
      "SMALLPOINTERSIZE 1\nPOINTERSIZE 2\nLARGEPOINTERSIZE 3\n";

  /// True when `start`, the first bytes of a file, is the start of a command file.
  static bool startsCommandFile(std::string_view start);

  explicit CommandWriter(LineSink& sink) : sink_(sink), blocks_(sink.takesBlocks()) {}
  CommandWriter(const CommandWriter&) = delete;
  CommandWriter& operator=(const CommandWriter&) = delete;

  /// Writes the header; until then, and after the trailer, nothing is written.
  void header();

  /// Closes the open scopes and writes the trailer "MODE 2" without a line end. A
  /// second trailer, or one without a header, writes nothing.
  void trailer();

  /// Makes `name` the open FILE scope, closing the FUNC and FILE scopes open before;
  /// an empty name closes the FILE scope and opens none.
  void enterFile(std::string_view name);

  /// Makes `name` the open FUNC scope, closing the one open before; an empty name closes it.
  void enterFunction(std::string_view name);

  /// "REM" and the title of a section.
  void section(std::string_view title);

  /// The code address of source line `line` of the open file.
  void lineAddress(int32_t line, int32_t address);

  /// A function's code range: FUNC (SFUNC for a file-static one) and its start, then
  /// ENDF and its end. Plain lines: they open no FUNC scope.
  void functionRange(bool fileStatic, std::string_view name, int32_t start, int32_t end);

  /// A symbol at `address` in the address space of the CDB letter `space`: DEF for a
  /// global, DEFS for a symbol of the open file or function.
  void symbol(bool global, std::string_view name, char space, int32_t address,
              std::string_view type);

  /// As symbol, for a symbol on the stack at `offset` from the frame pointer.
  void stackSymbol(bool global, std::string_view name, int32_t offset, std::string_view type);

  /// A note on a variable held in registers, which has no address: its name and the
  /// bracketed register list, where there is one.
  void registerNote(std::string_view name, std::string_view registers);

  /// A note on a variable that nothing in the build gave an address, in place of a
  /// line that would show it at the placeholder address of its record.
  void noAddressNote(std::string_view name);

  /// The first line of a structure's block, its members, and its last line with its size.
  void structureStart(std::string_view tag);
  void structureMember(int32_t offset, std::string_view name, std::string_view type);
  void structureEnd(int32_t size);

  /// The frame pointer register bp, at `address` in internal RAM.
  void framePointer(int32_t address);

  /// Loads the program image `image`.
  void load(std::string_view image);

  /// True once the sink refused a line; the lines after it were discarded.
  bool failed() const { return failed_; }

 private:
  enum class State { notOpen, open, closed };

  // Starts a line with `text`, dropping whatever an interrupted line left.
  void start(std::string_view text) {
    lineLength_ = done_;
    add(text);
  }
  void add(std::string_view text) { append(text.data(), text.size()); }
  // Adds `size` bytes to the line. Most lines are short: the line's storage is kept
  // from line to line, so an append is a copy and rarely a growth.
  void append(const char* text, std::size_t size) {
    if (size > line_.size() - lineLength_) line_.resize(2 * (lineLength_ + size));
    if (size > 0) std::memcpy(&line_[lineLength_], text, size);
    lineLength_ += size;
  }
  void addDecimal(int32_t value);
  void addHex(uint32_t value);
  void addSymbolName(bool global, std::string_view name);
  void addType(std::string_view type);
  // Ends the line and hands it to the sink, while the writer is open.
  void end();
  void deliverLine();
  // Hands the complete lines to the sink.
  void handOver();

  LineSink& sink_;
  State state_ = State::notOpen;
  bool failed_ = false;
  // The complete lines not handed over yet (done_ bytes, none unless the sink takes
  // blocks), then the line being composed, up to lineLength_ bytes.
  std::string line_;
  std::size_t done_ = 0;
  std::size_t lineLength_ = 0;
  const bool blocks_;
  std::string currentFile_;
  std::string currentFunction_;
};

}  // namespace torvane
