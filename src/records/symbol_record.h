#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/address_space.h"
#include "records/debug_record.h"

namespace torvane {

class Reporter;
class FieldScanner;
class Program;

/// An address a record gives itself, which the link records of its identity replace.
/// See note [binding every copy] in link_record.cc.
class LinkedAddress {
 public:
  /// The address the last link of this record's identity bound, or else `own`.
  int32_t value() const { return shared_ ? *shared_ : own; }

  /// In the first record of an identity: keeps `address` as the one bound last.
  void bind(int32_t address) {
    bound_ = address;
    shared_ = &bound_;
  }
  /// True once this record follows a bound address.
  bool follows() const { return shared_ != nullptr; }
  /// Makes this record follow the address bound in `first`.
  void follow(const LinkedAddress& first) { shared_ = &first.bound_; }

  int32_t own = 0;  ///< as the record gives it

 private:
  int32_t bound_ = 0;
  const int32_t* shared_ = nullptr;
};

/// A symbol of the program: a global, file-static or local variable (an S record), and
/// the base of function records and of every structure member.
class SymbolRecord : public DebugRecord {
 public:
  /// What a failing record of this kind is called in a warning.
  static constexpr const char* kKind = "symbol";

  /// Reads an S record's body: identity, type chain, address space, stack flag, address.
  /// A non-zero on-stack number marks the symbol, and the program, stack-relative.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Reporter& diagnostics);

  /// Reads a type chain from just after its "(" through its ")" into `size`, `typeText`
  /// and, for a structure member, its tag; false when the chain is not understood.
  [[nodiscard]] bool parseTypeChain(FieldScanner& scanner, Program& program,
                                    Reporter& diagnostics);

  char addressSpace = '\0';
  bool onStack = false;
  int32_t size = 0;
  LinkedAddress address;  ///< a structure member's own address is its offset
  std::string_view typeText;
  std::string_view registers;  ///< a register variable's bracketed register list

  /// True when the symbol has a place of its own: an address record bound it, or it
  /// lives on the stack (at its offset) or in registers. What has none in a linked
  /// program has no address at all: see note [symbols without an address] in
  /// convert/emission.cc.
  bool hasPlace() const {
    return address.follows() || onStack || addressSpace == kRegisterSpace;
  }

  /// For a structure member whose type names a structure, that structure's tag (a part
  /// of `typeText`); empty otherwise.
  std::string_view structTag() const { return typeText.substr(tagStart_, tagSize_); }

 private:
  // Where the tag stands in typeText: two numbers rather than a view of its own, for
  // every symbol, member and function holds them (see bench/bench.cc: its chain of a
  // million structures holds as many members).
  uint32_t tagStart_ = 0;
  uint32_t tagSize_ = 0;
};

/// What goes before `tag` in the name by which a structure of `file` is known: nothing,
/// or, for the tag the compiler gives an anonymous structure ("__0" and a number,
/// numbered per file), the file's name, so that those of different files stay apart.
inline std::string_view tagPrefix(std::string_view file, std::string_view tag) {
  return tag.substr(0, 3) == "__0" ? file : std::string_view();
}

}  // namespace torvane
