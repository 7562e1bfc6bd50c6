#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

#include "records/debug_record.h"
#include "records/link_record.h"
#include "util/arena.h"

namespace torvane {

class FunctionRecord;
class ModuleRecord;
class StructRecord;
class SymbolRecord;

/// What a CDB file says of a program, as its records are read: the records of each
/// kind in reading order, the source files and line addresses in reading order, the
/// source file in effect, and whether any symbol lives on the stack. Nothing of it is
/// written here.
class Program {
 public:
  /// The code address of a source line, as a line record gives it.
  struct LineAddress {
    int32_t line;
    int32_t address;
  };
  /// The file in effect from the line address numbered `from` on (counted from 0 in
  /// reading order), as a module or a line record of another file makes it.
  struct FileChange {
    std::size_t from;
    std::string_view file;
  };

  Program();
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

  /// The source file in effect while reading: the file of the last module or line. It
  /// lives as long as the records.
  std::string_view currentFile() const { return currentFile_; }
  /// Makes `name` the file in effect.
  void enterFile(std::string_view name);
  /// The code address of line `line` of source file `file`, at `level` and `block`,
  /// which becomes the file in effect.
  void addLine(std::string_view file, int32_t line, int32_t level, int32_t block,
               int32_t address);

  /// Keeps the level and block of every line address from now on (which a default run
  /// does not need): a listing's source lines are compared by their whole identity.
  void keepLinePlaces() { keepingLinePlaces_ = true; }
  /// The level and block of each line address, when kept: as lineAddresses() numbers them.
  struct LinePlace {
    int32_t level;
    int32_t block;
  };
  const std::deque<LinePlace>& linePlaces() const { return linePlaces_; }

  /// A number for a structure record, unlike those of the structures before it.
  uint32_t takeStructureOrdinal() { return structureOrdinals_++; }
  /// How many numbers structure records took: more than any of them.
  std::size_t structureOrdinals() const { return structureOrdinals_; }

  /// The line addresses in reading order, and the changes of the file in effect
  /// between them. See note [lines while reading] in program.cc.
  const std::deque<LineAddress>& lineAddresses() const { return lineAddresses_; }
  const std::deque<FileChange>& fileChanges() const { return fileChanges_; }

 private:
  // Before the lists, so that it outlives the records made in it.
  Arena arena_;

 public:
  bool usesStackRelative = false;
  bool hasLinkRecords = false;  ///< any link record was read: the program was linked
  /// Address links read but not bound yet: see note [links bound together].
  HeldLinks heldLinks;

  RecordList<ModuleRecord> modules;
  // Link records look symbols and functions up, and structures look each other up.
  // See note [when records are indexed] in debug_record.h.
  RecordList<SymbolRecord, Lookup::indexedWhenSought> symbols;
  RecordList<FunctionRecord, Lookup::indexedWhenSought> functions;
  RecordList<StructRecord, Lookup::indexedAsAppended> structures;

 private:
  std::string_view currentFile_;
  uint32_t structureOrdinals_ = 0;
  std::deque<LineAddress> lineAddresses_;
  std::deque<FileChange> fileChanges_;
  bool keepingLinePlaces_ = false;
  std::deque<LinePlace> linePlaces_;
};

}  // namespace torvane
