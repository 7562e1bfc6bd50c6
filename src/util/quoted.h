#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

/// The most characters of an input's text that a message quotes.
constexpr std::size_t kMostQuoted = 200;

/// `text` as a message quotes it: whole up to kMostQuoted characters, else its first
/// kMostQuoted followed by "... (N more characters)", so that a damaged line of any
/// length costs a message a line.
inline std::string quoted(std::string_view text) {
  if (text.size() <= kMostQuoted) return std::string(text);
  return std::string(text.substr(0, kMostQuoted)) + "... (" +
         std::to_string(text.size() - kMostQuoted) + " more characters)";
}

}  // namespace torvane
