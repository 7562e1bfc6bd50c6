#include "torvane/diagnostics.h"

#include <algorithm>
#include <utility>

namespace torvane {

void Diagnostics::add(Diagnostic::Kind kind, std::string text, std::size_t line) {
  list_.push_back({kind, line, std::move(text)});
}

void Diagnostics::warning(std::string text, std::size_t line) {
  add(Diagnostic::Kind::warning, std::move(text), line);
}

bool Diagnostics::fault(std::string_view text, std::string_view detail) {
  std::string message;
  message.reserve(text.size() + detail.size());
  message.append(text).append(detail);
  add(Diagnostic::Kind::error, std::move(message));
  return false;
}

bool Diagnostics::fault(std::string_view text, char letter) {
  return fault(text, letter ? std::string_view(&letter, 1) : std::string_view());
}

std::size_t Diagnostics::count(Diagnostic::Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(list_.begin(), list_.end(), [kind](const Diagnostic& d) { return d.kind == kind; }));
}

}  // namespace torvane
