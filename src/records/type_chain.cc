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

// The type text of one chain as its items are read: the pointer marks and base type,
// and the array suffixes, which follow the base type whatever their place in the chain.
class ChainText {
 public:
  ChainText(int32_t size, bool member) : size_(size), member_(member) {}

  // A declarator; false for a letter the debugger has no form for.
  bool declarator(char letter, FieldScanner& scanner) {
    return applyDeclarator(letter, scanner, text_, arrays_, elements_);
  }

  // An integer, typed by its letter's width or by its own size: see note [integer
  // widths].
  void integer(bool isSigned, int32_t width) {
    int32_t own = elements_.elementSize(size_);
    text_ += integerBase(isSigned, own > 0 && own != width ? own : width, shownBytes_);
  }

  // A bitfield: B, its offset, "$", its width, then its own signedness mark; false
  // when the "$" is missing.
  bool bitfield(FieldScanner& scanner, bool isSigned) {
    int32_t offset = 0;
    int32_t width = 0;
    if (scanner.readNumber(offset, 10) != '$') return false;
    if (scanner.readNumber(width, 10) != '\0') scanner.unread();
    if (scanner.peek() == ':') {
      scanner.next();
      if (scanner.next() == 'U') isSigned = false;
    }
    if (!member_ && offset == 0 && (width == 0 || width == 1)) {
      // Newer compilers describe a bit variable (and a bit temporary, width 0) as a
      // one-bit field at bit 0. Outside a structure it is a plain bit to the debugger.
      text_ += "B08";
    } else {
      text_ += isSigned ? "int:" : "uint:";
      text_ += std::to_string(width);
      text_ += '@';
      text_ += std::to_string(offset);
    }
    return true;
  }

  // A structure tag, which runs to the signedness mark or the end of the item; the tag
  // of an anonymous structure is known by its file's name too.
  void tag(FieldScanner& scanner, std::string_view file) {
    std::string_view tag;
    if (scanner.readUntil(tag, ":),") != '\0') scanner.unread();
    tagStart_ = text_.size();
    text_ += tagPrefix(file, tag);
    text_ += tag;
    tagSize_ = text_.size() - tagStart_;
  }

  void plain(const char* base) { text_ += base; }

  // The whole text, the arrays and the bytes an integer is shown as after the base.
  const std::string& finish() {
    text_ += arrays_;
    if (shownBytes_ > 0) {
      text_ += '[';
      text_ += std::to_string(shownBytes_);
      text_ += ']';
    }
    return text_;
  }
  // Where the structure tag stands in the text.
  std::size_t tagStart() const { return tagStart_; }
  std::size_t tagSize() const { return tagSize_; }

 private:
  const int32_t size_;
  const bool member_;
  std::string text_;
  std::string arrays_;
  int32_t shownBytes_ = 0;
  ElementCount elements_;
  std::size_t tagStart_ = 0;
  std::size_t tagSize_ = 0;
};

// Reads a signedness mark (":S" or ":U") where one follows; true for signed or none.
bool readSignedness(FieldScanner& scanner) {
  if (scanner.peek() != ':') return true;
  scanner.next();
  return scanner.next() != 'U';
}

}  // namespace

bool SymbolRecord::parseTypeChain(FieldScanner& scanner, Program& program,
                                  Reporter& diagnostics) {
  scanner.skip(1);  // "{"
  scanner.readNumber(size, 10);
  ChainText chain(size, scope == 'S');
  typeText = {};
  tagStart_ = tagSize_ = 0;

  while (scanner.peek() != '\0' && scanner.peek() != ')') {
    char itemClass = scanner.next();
    char letter = scanner.next();
    // Newer compilers write a boolean, and a _BitInt, as a bare signedness mark in place
    // of a specifier.
    if (itemClass == ':' && (letter == 'S' || letter == 'U')) {
      chain.integer(letter != 'U', 1);
      continue;
    }
    bool isSigned = readSignedness(scanner);
    if (itemClass == 'D') {
      if (!chain.declarator(letter, scanner)) {
        return diagnostics.fault("Unknown type declarator ", letter);
      }
      // After the comma comes the next item, even one that opens with ":".
      if (scanner.accept(',')) continue;
    } else if (letter == 'B') {
      if (!chain.bitfield(scanner, isSigned)) return diagnostics.fault("Bad Bitfield");
    } else if (letter == 'T') {
      chain.tag(scanner, program.currentFile());
    } else if (int32_t width = letterWidth(letter)) {
      chain.integer(isSigned, width);
    } else if (const char* base = plainBase(letter)) {
      chain.plain(base);
    } else {
      return diagnostics.fault("Unknown type specifier ", letter);
    }
    if (scanner.accept(':')) scanner.skip(1);  // the mark after a structure tag
  }

  typeText = program.keep(chain.finish());
  if (scope == 'S') {
    // A tag longer than four thousand million bytes cannot be: no line is that long.
    tagStart_ = static_cast<uint32_t>(chain.tagStart());
    tagSize_ = static_cast<uint32_t>(chain.tagSize());
  }
  return scanner.accept(')');
}

}  // namespace torvane
