#include "records/record_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "cdb/field_scanner.h"
#include "records/function_record.h"
#include "records/link_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"
#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/quoted.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// A line framed as a record: a record letter, whichever it is, then a colon. A framed
// line is rejected too when it holds a NUL byte.
bool isRecordFrame(std::string_view line) { return line.size() >= 2 && line[1] == ':'; }

// The message for a line that is not framed as a record: "Bad CDB record format:" and
// the line, with its NUL bytes shown as ^@ so that the message stays one readable line.
std::string badFormatMessage(std::string_view line) {
  std::string message = "Bad CDB record format:";
  for (char c : quoted(line)) {
    if (c == '\0') {
      message += "^@";
    } else {
      message += c;
    }
  }
  return message;
}

// What follows the messages of a record that stops the reading.
void reportRejected(Reporter& diagnostics, std::size_t line) {
  diagnostics.add(Diagnostic::Kind::error, code::kRecordRejected, "this record was not converted", line);
}

// note [record lines]
// A record keeps the number of the line it was read from, so that a record that fails
// while it is written is located as one rejected while reading is. It is kept in 32
// bits, where it fills the space that the record's layout leaves behind its block and
// level; a line past the four thousand millionth (a file of at least 12 GB, almost all
// of it lines that make no record) is given the largest number instead.
uint32_t recordLine(std::size_t line) {
  return line > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(line);
}

// Parses a stored record kind and hands it to its list, which owns it from then on.
template <class Record, auto list>
bool readStored(FieldScanner& scanner, Program& program, Reporter& diagnostics,
                std::size_t line) {
  // Every link read before a record binds before it comes: none reaches it.
  if (program.heldLinks.any()) program.heldLinks.bind(program);
  auto record = program.make<Record>();
  record->line = recordLine(line);
  if (!record->parse(scanner, program, diagnostics)) return false;
  (program.*list).append(std::move(record));
  return true;
}

// A link record does its work while it is parsed and is not kept.
bool readLink(FieldScanner& scanner, Program& program, Reporter& diagnostics, std::size_t) {
  // Assembler line addresses (L:A) are most of the link records of a linked program
  // and have no work: the debugger has no use for them, and making a record for each
  // would only clear its memory.
  if (scanner.peek() != 'A') {
    LinkRecord record;
    if (!record.parse(scanner, program, diagnostics)) return false;
  }
  program.hasLinkRecords = true;
  return true;
}

struct RecordKind {
  char letter;
  bool (*read)(FieldScanner&, Program&, Reporter&, std::size_t line);
};

// The only place that knows the record kinds.
constexpr RecordKind kRecordKinds[] = {
    {'F', readStored<FunctionRecord, &Program::functions>},
    {'L', readLink},
    {'M', readStored<ModuleRecord, &Program::modules>},
    {'S', readStored<SymbolRecord, &Program::symbols>},
    {'T', readStored<StructRecord, &Program::structures>},
};

// Hands a line to its record kind. A NUL byte would cut the line short for every field
// reader, so a line that holds one is rejected whole.
bool dispatch(const LineReader& input, std::string_view line, Program& program,
              Reporter& diagnostics) {
  if (input.lineHasNul() || !isRecordFrame(line)) return diagnostics.fault(badFormatMessage(line));
  FieldScanner scanner(line);
  char letter = scanner.next();
  scanner.skip(1);  // the colon
  for (const RecordKind& kind : kRecordKinds) {
    if (kind.letter == letter) return kind.read(scanner, program, diagnostics, input.lineNumber());
  }
  return diagnostics.fault("Unknown CDB record type ", letter);
}

}  // namespace

bool startsAsCdb(LineReader& input) {
  std::string_view first;
  return !input.peekStart(2, first) || isRecordFrame(first);
}

namespace {

ReadResult readLines(LineReader& input, Program& program, Reporter& diagnostics,
                     bool keepGoing) {
  ReadResult result;
  std::string_view line;
  while (input.nextLine(line)) {
    if (input.lineTooLong()) {
      // A line no record could fill: refused where it stands, with the limit it broke.
      std::string text = tooLongText(input.lineLimit());
      if (!keepGoing) {
        diagnostics.add(Diagnostic::Kind::error, code::kLineTooLong, text, input.lineNumber());
        result.end = ReadResult::End::rejected;
        return result;
      }
      diagnostics.fault(text);
      diagnostics.warning(code::kRecordSkipped, "record skipped", input.lineNumber());
      ++result.skipped;
      continue;
    }
    // A rejected record changes nothing that is written: a symbol marked on the stack
    // before the record failed does not mark the program.
    bool stackRelative = program.usesStackRelative;
    if (dispatch(input, line, program, diagnostics)) continue;
    program.usesStackRelative = stackRelative;
    if (!keepGoing) {
      reportRejected(diagnostics, input.lineNumber());
      result.end = ReadResult::End::rejected;
      return result;
    }
    diagnostics.warning(code::kRecordSkipped, "record skipped", input.lineNumber());
    ++result.skipped;
  }
  if (input.failed()) result.end = ReadResult::End::failed;
  return result;
}

}  // namespace

ReadResult readRecords(LineReader& input, Program& program, Reporter& diagnostics,
                       bool keepGoing) {
  ReadResult result = readLines(input, program, diagnostics, keepGoing);
  // The links read last are bound as any other: see note [links bound together].
  program.heldLinks.bind(program);
  return result;
}

}  // namespace torvane
