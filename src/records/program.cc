#include "records/program.h"

#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

// note [lines while reading]
// The line table of a linked program is a large part of its CDB file (one line record
// of eight at two million lines). Its lines, and the FILE scopes they and the modules
// open, are handed to the command file as they are read rather than kept until the
// sections are written: kept, they would cost memory in proportion to the table, and
// the command file comes out the same, since nothing written while reading depends on
// what is read later.

// Made and destroyed here, where the record classes that the lists own are complete.
Program::Program(CommandWriter& out) : out_(out) {}
Program::~Program() = default;

void Program::enterFile(std::string_view name) {
  if (name != currentFile_) currentFile_.assign(name);
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
