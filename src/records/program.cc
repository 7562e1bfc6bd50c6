#include "records/program.h"

#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

namespace torvane {

// note [lines while reading]
// A module record and a line record make their file the one in effect the moment they
// are read: the functions read after them belong to it. The command file declares
// those files and the line addresses ahead of its sections, in reading order, so they
// are kept as they come: each line address, and each change of the file in effect
// with the line address it comes before. A deque holds them, so that they cost their
// own size and are never copied as they grow (the benchmark's program of 2 * 10^6
// lines, bench/bench.cc, has 160,376 line records: 1.3 MB).

// Made and destroyed here, where the record classes that the lists own are complete.
Program::Program() = default;
Program::~Program() = default;

void Program::enterFile(std::string_view name) {
  if (name == currentFile_) return;
  currentFile_ = keep(name);
  fileChanges_.push_back({lineAddresses_.size(), currentFile_});
}

void Program::addLine(std::string_view file, int32_t line, int32_t level, int32_t block,
                      int32_t address) {
  enterFile(file);
  lineAddresses_.push_back({line, address});
  if (keepingLinePlaces_) linePlaces_.push_back({level, block});
}

}  // namespace torvane
