#include "records/program.h"

#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

namespace torvane {

// note [lines while reading]
// The line table is a large part of a linked program's CDB file. Its lines, and the
// FILE scopes they and the modules open, are handed to the command file as they are
// read rather than kept until the sections are written: kept, they would cost memory
// in proportion to the table (the benchmark's program of 2 * 10^6 lines has 160,376
// line records: at 8 bytes each, 1.3 MB on a peak of 88 MB), and the command file comes
// out the same, since nothing written while reading depends on what is read later.

// Made and destroyed here, where the record classes that the lists own are complete.
Program::Program(CommandWriter& out) : out_(out) {}
Program::~Program() = default;

// The writer's FILE scope is the file in effect while reading: it changes only here.
void Program::enterFile(std::string_view name) {
  if (name == currentFile_) return;
  currentFile_.assign(name);
  out_.enterFile(name);
}

void Program::addLine(std::string_view file, int32_t line, int32_t address) {
  enterFile(file);
  out_.writeText("LINE ");
  out_.writeNumber(line, 10);
  out_.writeText(" C:");
  out_.writeNumber(address, 16);
  out_.endLine();
}

}  // namespace torvane
