#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "cdb/line_reader.h"
#include "cdb/record_reader.h"
#include "output/command_file.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

// A command file held in memory with its messages captured: records are parsed from
// lines as the reader would hand them over, and written() shows what followed the header.
struct MemoryCommandFile {
  MemoryCommandFile() {
    file.openBuffer(out);
    file.captureMessages(&messages);
    headerSize = out.size();
  }

  // One line, read as the reader reads it from a file.
  bool parseLine(std::string_view line) { return readAll(std::string(line) + "\n"); }
  bool readAll(std::string_view cdb) {
    LineReader input(cdb);
    return readRecords(input, file);
  }
  std::string written() const { return out.substr(headerSize); }

  std::string out;
  std::string messages;
  std::size_t headerSize = 0;
  CommandFile file;  // declared last: its teardown may still write into `out`
};

class CommandFileTest : public ::testing::Test, protected MemoryCommandFile {};
