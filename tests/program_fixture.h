#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "convert/emission.h"
#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/record_reader.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"
#include "torvane/diagnostics.h"
#include "torvane/line_sink.h"
#include "util/line_reader.h"
#include "util/reporter.h"

namespace torvane {

// A program read from lines as the reader hands them over: `messages` holds the
// records' own messages, a line each (the reader's line about where a record stands is
// left out).
struct MemoryProgram {
  // One line, read as the reader reads it from a file.
  bool parseLine(std::string_view line) { return readAll(std::string(line) + "\n"); }
  bool readAll(std::string_view cdb) {
    LineReader input(cdb);
    bool read = readRecords(input, program, diagnostics).end == ReadResult::End::complete;
    noteMessages();
    return read;
  }
  // What the file scopes and line addresses of reading come to, after the header.
  std::string linesOfReading() const {
    std::string out;
    TextSink sink(out);
    CommandWriter writer(sink);
    writer.header();
    writeLinesOfReading(program, writer);
    return out.substr(CommandWriter::kHeader.size());
  }
  // Adds the records' messages that arose since the last call to `messages`.
  void noteMessages() {
    std::size_t at = 0;
    for (const Diagnostic& d : said) {
      if (at++ < noted_) continue;
      for (const std::string& detail : d.details) messages += detail + "\n";
      if (d.line == 0) messages += d.text + "\n";
    }
    noted_ = at;
  }

  Diagnostics said;  // what the records said, through diagnostics
  Reporter diagnostics{said, "p.cdb"};
  Program program;
  std::string messages;

 private:
  std::size_t noted_ = 0;
};

class ProgramTest : public ::testing::Test, protected MemoryProgram {};

// The record appended first, or last, to a list that is not empty.
template <class List>
auto& firstOf(const List& list) {
  return *list.begin();
}
template <class List>
auto& lastOf(const List& list) {
  auto* last = &*list.begin();
  for (auto& r : list) last = &r;
  return *last;
}

}  // namespace torvane
