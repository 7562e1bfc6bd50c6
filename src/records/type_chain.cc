// Translation of a CDB type chain, such as ({6}DA2d,DG,SC:S), into the debugger's type
// text, such as >*S08[2]: pointer marks in chain order, the base type, then the array
// suffixes in chain order.

#include <cstdint>
#include <string>

#include "cdb/field_scanner.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// note [integer widths]
// An integer specifier's letter gives its width (C and S one byte, I two, L four), but
// newer compilers write wider integers with the letters of narrower ones (a long long is
// an I of 8 bytes), and a _BitInt(N) with no letter at all, as a boolean is written: only
// the size tells them apart. So an integer whose own size is known and differs from its
// letter's is typed by that size, and a size the debugger has no integer type for is
// shown as that many bytes. Its own size is known where only arrays stand before the
// specifier: the chain's size divided by the number of elements. Behind a pointer or a
// function the chain's size is not the integer's, and the letter's width stands.

// The number of elements that the arrays before the specifier make, while the chain's
// size is still the size of those elements together.
class ElementCount {
 public:
  void arrayOf(int32_t count) {
    if (count <= 0 || elements_ > INT32_MAX / count) {
      known_ = false;  // a count no size can be divided by
      return;
    }
    elements_ *= count;
  }
  void pointerOrFunction() { known_ = false; }

  // The size of one element, or 0 when it cannot be known.
  int32_t elementSize(int32_t chainSize) const {
    if (!known_ || chainSize <= 0 || chainSize % elements_ != 0) return 0;
    return chainSize / elements_;
  }

 private:
  bool known_ = true;
  int32_t elements_ = 1;
};

// The width its letter gives an integer specifier; 0 for other letters.
int32_t letterWidth(char letter) {
  switch (letter) {
    case 'C':
    case 'S':
      return 1;
    case 'I':
      return 2;
    case 'L':
      return 4;
    default:
      return 0;
  }
}

// The debugger's type for an integer of `bytes` bytes: S08 to U32 where it has one of
// that size; otherwise U08, and `shownBytes` becomes the count of the bytes to show.
const char* integerBase(bool isSigned, int32_t bytes, int32_t& shownBytes) {
  switch (bytes) {
    case 1:
      return isSigned ? "S08" : "U08";
    case 2:
      return isSigned ? "S16" : "U16";
    case 4:
      return isSigned ? "S32" : "U32";
    default:
      shownBytes = bytes;
      return "U08";
  }
}

// Applies a declarator; false for a letter the debugger has no form for.
bool applyDeclarator(char letter, FieldScanner& scanner, std::string& text,
                     std::string& arrays, ElementCount& elements) {
  if (letter != 'A') elements.pointerOrFunction();
  switch (letter) {
    case 'A': {
      int32_t count = 0;
      scanner.readNumber(count, 10);  // takes the "d" after the count, whatever it is
      arrays += '[';
      arrays += std::to_string(count);
      arrays += ']';
      elements.arrayOf(count);
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

// The base of the other plain specifiers; null for integers, bitfields, tags and
// unknown letters.
const char* plainBase(char letter) {
  switch (letter) {
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

bool SymbolRecord::parseTypeChain(FieldScanner& scanner, Program& program,
                                  Reporter& diagnostics) {
  scanner.skip(1);  // "{"
  scanner.readNumber(size, 10);
  std::string text;
  std::string arrays;
  int32_t shownBytes = 0;  // see note [integer widths]
  ElementCount elements;
  // The integer type of the specifier: by its letter's width, or by its own size.
  auto integer = [&](bool isSigned, int32_t width) {
    int32_t own = elements.elementSize(size);
    return integerBase(isSigned, own > 0 && own != width ? own : width, shownBytes);
  };
  std::size_t tagStart = 0;
  std::size_t tagSize = 0;
  typeText = {};
  structTag = {};

  while (scanner.peek() != '\0' && scanner.peek() != ')') {
    char itemClass = scanner.next();
    char letter = scanner.next();
    // Newer compilers write a boolean, and a _BitInt, as a bare signedness mark in place
    // of a specifier.
    if (itemClass == ':' && (letter == 'S' || letter == 'U')) {
      text += integer(letter != 'U', 1);
      continue;
    }
    bool isSigned = true;
    if (scanner.peek() == ':') {
      scanner.next();
      isSigned = scanner.next() != 'U';
    }

    if (itemClass == 'D') {
      if (!applyDeclarator(letter, scanner, text, arrays, elements)) {
        return diagnostics.fault("Unknown type declarator ", letter);
      }
      // After the comma comes the next item, even one that opens with ":".
      if (scanner.accept(',')) continue;
    } else if (letter == 'B') {
      // A bitfield: B, its offset, "$", its width, then its own signedness mark.
      int32_t offset = 0;
      int32_t width = 0;
      if (scanner.readNumber(offset, 10) != '$') return diagnostics.fault("Bad Bitfield");
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
      std::string_view prefix = tagPrefix(program.currentFile(), tag);
      if (!prefix.empty()) text += prefix;
      text += tag;
      tagSize = text.size() - tagStart;
    } else if (int32_t width = letterWidth(letter)) {
      text += integer(isSigned, width);
    } else if (const char* base = plainBase(letter)) {
      text += base;
    } else {
      return diagnostics.fault("Unknown type specifier ", letter);
    }

    if (scanner.accept(':')) scanner.skip(1);  // the mark after a structure tag
  }

  text += arrays;
  if (shownBytes > 0) {
    text += '[';
    text += std::to_string(shownBytes);
    text += ']';
  }
  typeText = program.keep(text);
  if (scope == 'S') structTag = typeText.substr(tagStart, tagSize);
  return scanner.accept(')');
}

}  // namespace torvane
