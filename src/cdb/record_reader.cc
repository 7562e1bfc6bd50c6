#include "cdb/record_reader.h"

#include <string>

#include "cdb/field_scanner.h"
#include "cdb/line_reader.h"
#include "output/command_file.h"
#include "records/function_record.h"
#include "records/link_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

namespace {

// Parses a stored record kind and hands it to its list, which owns it from then on.
template <class Record, auto list>
bool readStored(FieldScanner& scanner, CommandFile& file) {
  auto record = file.make<Record>();
  if (!record->parse(scanner, file)) return false;
  (file.*list).append(std::move(record));
  return true;
}

// A link record does its work while it is parsed and is not kept.
bool readLink(FieldScanner& scanner, CommandFile& file) {
  // Assembler line addresses (L:A) are most of the link records of a linked program
  // and have no work (LinkRecord::parse passes them over too): making a record for
  // each would only clear its memory.
  if (scanner.peek() == 'A') return true;
  LinkRecord record;
  return record.parse(scanner, file);
}

struct RecordKind {
  char letter;
  bool (*read)(FieldScanner&, CommandFile&);
};

// The only place that knows the record kinds.
constexpr RecordKind kRecordKinds[] = {
    {'F', readStored<FunctionRecord, &CommandFile::functions>},
    {'L', readLink},
    {'M', readStored<ModuleRecord, &CommandFile::modules>},
    {'S', readStored<SymbolRecord, &CommandFile::symbols>},
    {'T', readStored<StructRecord, &CommandFile::structures>},
};

// Hands a line to its record kind. A NUL byte would cut the line short for every field
// reader, so a line that holds one is rejected whole.
bool dispatch(std::string_view line, bool hasNul, CommandFile& file) {
  if (hasNul || !isRecordFrame(line)) return file.fault(badFormatMessage(line));
  FieldScanner scanner(line);
  char letter = scanner.next();
  scanner.skip(1);  // the colon
  for (const RecordKind& kind : kRecordKinds) {
    if (kind.letter == letter) return kind.read(scanner, file);
  }
  return file.fault("Unknown CDB record type ", letter);
}

}  // namespace

bool isRecordFrame(std::string_view line) { return line.size() >= 2 && line[1] == ':'; }

std::string badFormatMessage(std::string_view line) {
  std::string message = "Bad CDB record format:";
  for (char c : line) {
    if (c == '\0') {
      message += "^@";
    } else {
      message += c;
    }
  }
  return message;
}

bool readRecords(LineReader& input, CommandFile& file) {
  std::string_view line;
  while (input.nextLine(line)) {
    if (!dispatch(line, input.lineHasNul(), file)) return false;
  }
  return !input.failed();
}
