#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/debug_record.h"

namespace torvane {

class Reporter;
class FieldScanner;
class Program;

/// A link record (an L record): binds addresses into records already read, or gives a
/// source line's address. It is never stored, so its texts are views of its line.
/// Assembler line addresses (L:A) have no work: the reader passes them over.
class LinkRecord : public DebugRecord {
 public:
  /// Reads the line and does its work; false for an unknown kind letter.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Reporter& diagnostics);

  /// Reads the fields of the line, from its kind letter on, and does nothing with them;
  /// false, with the rest of the line unread, for an unknown kind letter. A listing's
  /// debug equates name identities in the same form ("G$ready$0_0$0", "C$m.c$3$1_0$1").
  [[nodiscard]] bool readFields(FieldScanner& scanner);

  char kind = '\0';
  int32_t sourceLine = 0;  ///< the source line of kind C (the record's own line is `line`)
  int32_t address = 0;
};

/// The address links read but not bound yet, bound together a few at a time, in the
/// order read. See note [links bound together] in link_record.cc.
class HeldLinks {
 public:
  /// Holds `link` (of kind F, G, L or X) to bind: its texts are copied; binds every link
  /// held when there is no room for more.
  void hold(const LinkRecord& link, Program& program);
  /// Binds every link held, in the order read.
  void bind(Program& program);
  /// True when links are held.
  bool any() const { return count_ > 0; }

 private:
  static constexpr std::size_t kLinks = 16;
  static constexpr std::size_t kTextRoom = 4096;
  struct Held {
    char kind;
    char scope;
    int32_t level;
    int32_t block;
    int32_t address;
    std::size_t name;  // where its name starts in texts_, then its scope name
    std::size_t nameSize;
    std::size_t scopeNameSize;
  };
  Held held_[kLinks];
  std::size_t count_ = 0;
  char texts_[kTextRoom];
  std::size_t used_ = 0;
};

/// Gives the symbols of `identity` `address`, where no link record gave them one and
/// they do not live on the stack: every copy of the identity alike, as a link record
/// binds them. Returns how many records it bound.
std::size_t bindUnlinkedSymbol(Program& program, const RecordIdentity& identity,
                               int32_t address);

}  // namespace torvane
