// Translation of a CDB type chain, such as ({6}DA2d,DG,SC:S), into the debugger's type
// text, such as >*S08[2]: pointer marks in chain order, the base type, then the array
// suffixes in chain order.

#include <cstdint>
#include <string>

#include "cdb/field_scanner.h"
#include "output/command_file.h"
#include "records/symbol_record.h"

namespace {

// Applies a declarator; false for a letter the debugger has no form for.
bool applyDeclarator(char letter, FieldScanner& scanner, std::string& text, std::string& arrays) {
  switch (letter) {
    case 'A': {
      int32_t count = 0;
      scanner.readNumber(count, 10);  // takes the "d" after the count, whatever it is
      arrays += '[';
      arrays += std::to_string(count);
      arrays += ']';
      return true;
    }
    // The three pointer sizes of the header: small (1 byte), default (2), large (3).
    case 'D':
    case 'I':
    case 'P':
      text += "<*";
      return true;
    case 'C':
    case 'X':
      text += '*';
      return true;
    case 'G':
      text += ">*";
      return true;
    case 'F':
      return true;  // a function adds no text of its own
    default:
      return false;
  }
}

// The base of the plain specifiers; null for bitfields, tags and unknown letters.
const char* plainBase(char letter, bool isSigned) {
  switch (letter) {
    case 'C':
    case 'S':
      return isSigned ? "S08" : "U08";
    case 'I':
      return isSigned ? "S16" : "U16";
    case 'L':
      return isSigned ? "S32" : "U32";
    case 'F':
      return "float";
    case 'V':
      return "X08";
    case 'X':
      return "B08";
    default:
      return nullptr;
  }
}

}  // namespace

bool SymbolRecord::parseTypeChain(FieldScanner& scanner, CommandFile& file) {
  scanner.skip(1);  // "{"
  scanner.readNumber(size, 10);
  std::string text;
  std::string arrays;
  std::size_t tagStart = 0;
  std::size_t tagSize = 0;
  typeText = {};
  structTag = {};

  while (scanner.peek() != '\0' && scanner.peek() != ')') {
    char itemClass = scanner.next();
    char letter = scanner.next();
    // Newer compilers write a boolean as a bare signedness mark in place of a specifier.
    if (itemClass == ':' && (letter == 'S' || letter == 'U')) {
      text += letter == 'U' ? "U08" : "S08";
      continue;
    }
    bool isSigned = true;
    if (scanner.peek() == ':') {
      scanner.next();
      isSigned = scanner.next() != 'U';
    }

    if (itemClass == 'D') {
      if (!applyDeclarator(letter, scanner, text, arrays)) {
        return file.fault("Unknown type declarator ", letter);
      }
      // After the comma comes the next item, even one that opens with ":".
      if (scanner.accept(',')) continue;
    } else if (letter == 'B') {
      // A bitfield: B, its offset, "$", its width, then its own signedness mark.
      int32_t offset = 0;
      int32_t width = 0;
      if (scanner.readNumber(offset, 10) != '$') return file.fault("Bad Bitfield");
      if (scanner.readNumber(width, 10) != '\0') scanner.unread();
      if (scanner.peek() == ':') {
        scanner.next();
        if (scanner.next() == 'U') isSigned = false;
      }
      if (scope != 'S' && offset == 0 && (width == 0 || width == 1)) {
        // Newer compilers describe a bit variable (and a bit temporary, width 0) as a
        // one-bit field at bit 0. Outside a structure it is a plain bit to the debugger.
        text += "B08";
      } else {
        text += isSigned ? "int:" : "uint:";
        text += std::to_string(width);
        text += '@';
        text += std::to_string(offset);
      }
    } else if (letter == 'T') {
      // A structure tag runs to the signedness mark or the end of the item.
      std::string_view tag;
      if (scanner.readUntil(tag, ":),") != '\0') scanner.unread();
      tagStart = text.size();
      if (isAnonymousTag(tag)) text += file.currentFile();
      text += tag;
      tagSize = text.size() - tagStart;
    } else if (const char* base = plainBase(letter, isSigned)) {
      text += base;
    } else {
      return file.fault("Unknown type specifier ", letter);
    }

    if (scanner.accept(':')) scanner.skip(1);  // the mark after a structure tag
  }

  text += arrays;
  typeText = file.keep(text);
  if (scope == 'S') structTag = typeText.substr(tagStart, tagSize);
  return scanner.accept(')');
}
