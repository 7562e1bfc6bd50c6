#include "torvane/diagnostics.h"

#include <algorithm>
#include <utility>

namespace torvane {

void Diagnostics::add(Diagnostic::Kind kind, std::string text, std::size_t line) {
  list_.push_back({kind, line, std::move(text), std::move(faults_), false});
  faults_.clear();
}

void Diagnostics::addAboutCommandLine(Diagnostic::Kind kind, std::string text) {
  add(kind, std::move(text));
  list_.back().aboutCommandLine = true;
}

bool Diagnostics::fault(std::string_view text, std::string_view detail) {
  std::string message;
  message.reserve(text.size() + detail.size());
  message.append(text).append(detail);
  faults_.push_back(std::move(message));
  return false;
}

bool Diagnostics::fault(std::string_view text, char letter) {
  return fault(text, letter ? std::string_view(&letter, 1) : std::string_view());
}

std::size_t Diagnostics::count(Diagnostic::Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(list_.begin(), list_.end(), [kind](const Diagnostic& d) { return d.kind == kind; }));
}

namespace {

// The word a located message of `kind` is marked with.
const char* locatedWord(Diagnostic::Kind kind) {
  switch (kind) {
    case Diagnostic::Kind::warning:
      return "warning: ";
    case Diagnostic::Kind::note:
      return "note: ";
    default:
      return "error: ";
  }
}

// What goes before a message about the whole run.
const char* runPrefix(Diagnostic::Kind kind) {
  switch (kind) {
    case Diagnostic::Kind::error:
      return "Error: ";
    case Diagnostic::Kind::warning:
      return "Warning: ";
    default:
      return "";
  }
}

}  // namespace

std::string renderDiagnostics(const Diagnostics& diagnostics, std::string_view inputName) {
  std::string text;
  for (const Diagnostic& d : diagnostics) {
    for (const std::string& detail : d.details) text.append(detail).push_back('\n');
    if (d.aboutCommandLine) {
      text.append("torvane: ");
    } else if (d.line > 0) {
      text.append(inputName).append(":").append(std::to_string(d.line)).append(": ");
      text.append(locatedWord(d.kind));
    } else {
      text.append(runPrefix(d.kind));
    }
    text.append(d.text).push_back('\n');
  }
  return text;
}

}  // namespace torvane
