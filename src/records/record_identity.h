#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "util/hash.h"

namespace torvane {

/// What records are found by: a name, a scope letter (0 for kinds without one), a scope
/// name, a block and a level. Strings compare byte for byte, case included.
struct RecordIdentity {
  std::string_view name;
  char scope = '\0';
  std::string_view scopeName;
  int32_t block = 0;
  int32_t level = 0;

  friend bool operator==(const RecordIdentity& a, const RecordIdentity& b) {
    return a.scope == b.scope && a.block == b.block && a.level == b.level &&
           a.name == b.name && a.scopeName == b.scopeName;
  }
  friend bool operator!=(const RecordIdentity& a, const RecordIdentity& b) { return !(a == b); }
};

/// Hashes all five values of an identity, so identities equal under == hash alike.
struct RecordIdentityHash {
  std::size_t operator()(const RecordIdentity& id) const noexcept {
    uint64_t h = static_cast<unsigned char>(id.scope) ^
                 (uint64_t{static_cast<uint32_t>(id.block)} << 8) ^
                 (uint64_t{static_cast<uint32_t>(id.level)} << 40);
    return static_cast<std::size_t>(hashBytes(hashBytes(h, id.name), id.scopeName));
  }
};

}  // namespace torvane
