#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/debug_record.h"
#include "util/arena.h"

namespace torvane {

class CommandWriter;
class FunctionRecord;
class ModuleRecord;
class StructRecord;
class SymbolRecord;

/// What a CDB file says of a program, as its records are read: the records of each
/// kind in reading order, the source file in effect, and whether any symbol lives on
/// the stack. The FILE and LINE lines that records give while they are read (a
/// module's file, a source line's address) go to the command file at once, in reading
/// order, ahead of its sections. See note [lines while reading] in program.cc.
class Program {
 public:
  /// Reads into empty lists; the lines of reading go to `out`, which must be open.
  explicit Program(CommandWriter& out);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  /// A new record of type T, made in the memory of the records; append it to a list.
  template <class T>
  ArenaPtr<T> make() {
    return arena_.make<T>();
  }
  /// A copy of `text` that lives as long as the records.
  std::string_view keep(std::string_view text) { return arena_.copy(text); }

  /// The source file in effect while reading: the file of the last module or line.
  const std::string& currentFile() const { return currentFile_; }
  /// Makes `name` the file in effect, under a FILE scope of that name.
  void enterFile(std::string_view name);
  /// The code address of line `line` of source file `file`, as a LINE line in its scope.
  void addLine(std::string_view file, int32_t line, int32_t address);

 private:
  // Before the lists, so that it outlives the records made in it.
  Arena arena_;

 public:
  bool usesStackRelative = false;

  RecordList<ModuleRecord> modules;
  // Link records look symbols and functions up, and structures look each other up.
  RecordList<SymbolRecord, Lookup::byIdentity> symbols;
  RecordList<FunctionRecord, Lookup::byIdentity> functions;
  RecordList<StructRecord, Lookup::byIdentity> structures;

 private:
  CommandWriter& out_;
  std::string currentFile_;
};

}  // namespace torvane
