#include "records/struct_record.h"

#include <string>

#include "cdb/field_scanner.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "util/reporter.h"

namespace torvane {

bool StructRecord::parse(FieldScanner& scanner, Program& program, Reporter& diagnostics) {
  ordinal = program.takeStructureOrdinal();
  scanner.skip(1);  // the scope letter
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = program.keep(text);
  scanner.readUntil(text, "[");
  std::string_view prefix = tagPrefix(scopeName, text);
  name = prefix.empty() ? program.keep(text) : program.keep(std::string(prefix).append(text));

  while (scanner.accept('(')) {
    int32_t offset = 0;
    scanner.skip(1);  // "{"
    scanner.readNumber(offset, 10);
    scanner.skip(2);  // "S:"
    auto member = program.make<SymbolRecord>();
    if (!member->parse(scanner, program, diagnostics)) {
      return diagnostics.fault("Failed definition of structure ", name);
    }
    member->address.own = offset;
    // The size is the largest end of any member (bit-fields share offsets); it is
    // summed wide so that absurd offsets cannot overflow.
    int64_t end = int64_t{offset} + member->size;
    if (end > size) size = end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end);
    members.append(std::move(member));
    scanner.accept(')');
  }
  return true;
}

}  // namespace torvane
