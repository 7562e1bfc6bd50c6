#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <optional>
#include <string_view>

#include "records/debug_record.h"
#include "util/arena.h"
#include "util/output_file.h"

class FunctionRecord;
class ModuleRecord;

/// "0x" and `value` in lower-case hexadecimal digits, as the command file writes
/// addresses: for messages about them.
std::string hexText(uint32_t value);
class StructRecord;
class SymbolRecord;

/// The command file for the debugger, and owner of every stored record. It writes the
/// header and trailer, numbers and target addresses in the debugger's forms, and the
/// FILE and FUNC scope lines exactly when a scope really changes. Each line reaches the
/// file when it is ended. Conversion messages for the user go through it as well.
class CommandFile {
 public:
  CommandFile();
  ~CommandFile();
  CommandFile(const CommandFile&) = delete;
  CommandFile& operator=(const CommandFile&) = delete;

  /// Creates or truncates the file at `path` and writes the header; false when it cannot
  /// be created (errno tells why), and then nothing is written.
  [[nodiscard]] bool open(const std::string& path);

  /// Opens a command file held in memory: every ended line is appended to `sink`.
  void openBuffer(std::string& sink);

  /// Closes the open scopes, writes the trailer "MODE 2" without a line end and closes
  /// the file. A second close, or one on a file never opened, writes nothing.
  void close();

  /// Appends text to the current line; discarded while the file is not open.
  void writeText(std::string_view text) {
    if (state_ == State::open) append(text.data(), text.size());
  }

  /// Appends `value` in decimal, or for base 16 as "0x" and lower-case hexadecimal digits
  /// (a negative value as its eight-digit two's complement).
  void writeNumber(int32_t value, int base);

  /// Appends the debugger's page for the address-space letter, ":0x" and the address.
  void writeSpaceAddress(char space, int32_t address);

  /// Ends the current line and hands it to the file at once.
  void endLine();

  /// Forgets the line being composed, after a failure in the middle of it.
  void dropLine() { lineLength_ = 0; }

  /// Makes `name` the open FILE scope, closing the FUNC and FILE scopes open before;
  /// an empty name closes the FILE scope and opens none.
  void enterFile(std::string_view name);

  /// Makes `name` the open FUNC scope, closing the one open before; an empty name closes it.
  void enterFunction(std::string_view name);

  /// Writes the modules, structures, functions and symbols sections; false when a record
  /// failed, and then the later sections are not written.
  [[nodiscard]] bool emitAll();

  /// The open FILE scope; while the CDB file is read, also the source file in effect.
  const std::string& currentFile() const { return currentFile_; }
  const std::string& currentFunction() const { return currentFunction_; }

  /// Prints one message line, `text` followed directly by `detail`, and flushes it.
  void message(std::string_view text, std::string_view detail = {});
  /// As above with a single offending letter; a NUL letter adds nothing to the text.
  void message(std::string_view text, char letter);
  /// Prints a message and returns false, so a parser can report and fail in one statement.
  bool fault(std::string_view text, std::string_view detail = {});
  /// As above with a single offending letter; a NUL letter adds nothing to the text.
  bool fault(std::string_view text, char letter);
  /// Sends messages to `sink` instead of standard output (null: standard output again).
  void captureMessages(std::string* sink) { messageSink_ = sink; }

  /// True once a write, flush or close of the file failed; later output is discarded.
  bool writeFailed() const { return !writeError_.empty(); }
  /// The system's description of the first write failure.
  const std::string& writeError() const { return writeError_; }

  /// A new record of type T, made in the memory of the records; append it to a list.
  template <class T>
  ArenaPtr<T> make() {
    return arena_.make<T>();
  }
  /// A copy of `text` that lives as long as the records.
  std::string_view keep(std::string_view text) { return arena_.copy(text); }

 private:
  // Before the lists, so that it outlives the records made in it.
  Arena arena_;

 public:
  bool usesStackRelative = false;

  /// Where the frame pointer bp is when the records give none: its address, and the
  /// file that gave it (the linker map), which a message names.
  struct FramePointer {
    std::string source;
    uint32_t address = 0;
  };
  std::optional<FramePointer> bpElsewhere;
  /// A line added to the message for a missing bp: how else to find it. Empty: none.
  std::string missingBpHint;

  RecordList<ModuleRecord> modules;
  // Link records look symbols and functions up, and structures look each other up.
  RecordList<SymbolRecord, Lookup::byIdentity> symbols;
  RecordList<FunctionRecord, Lookup::byIdentity> functions;
  RecordList<StructRecord, Lookup::byIdentity> structures;

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
  void writeHeader();
  void writeHex(uint32_t value);
  void deliverLine();
  void noteWriteFailure();

  State state_ = State::notOpen;
  OutputFile file_;
  std::string* buffer_ = nullptr;
  // The line being composed, its first lineLength_ bytes; it goes to the file whole
  // when ended.
  std::string line_;
  std::size_t lineLength_ = 0;
  std::string currentFile_;
  std::string currentFunction_;
  std::string writeError_;
  std::string* messageSink_ = nullptr;
};
