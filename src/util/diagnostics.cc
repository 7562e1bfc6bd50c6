#include "torvane/diagnostics.h"

#include <algorithm>
#include <utility>

#include "util/quoted.h"
#include "util/reporter.h"

namespace torvane {

std::size_t Diagnostics::count(Diagnostic::Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(list_.begin(), list_.end(), [kind](const Diagnostic& d) { return d.kind == kind; }));
}

Diagnostic& Reporter::add(Diagnostic::Kind kind, std::string_view code, std::string text,
                          std::size_t line) {
  Diagnostic& d = addAbout(file_, kind, code, std::move(text));
  d.line = line;
  return d;
}

Diagnostic& Reporter::addAbout(std::string file, Diagnostic::Kind kind, std::string_view code,
                               std::string text) {
  Diagnostic d;
  d.kind = kind;
  d.code = code;
  d.file = std::move(file);
  d.text = std::move(text);
  return add(std::move(d));
}

Diagnostic& Reporter::add(Diagnostic diagnostic) {
  Diagnostic& d = diagnostics_.list_.emplace_back(std::move(diagnostic));
  d.details = std::move(faults_);
  faults_.clear();
  return d;
}

bool Reporter::fault(std::string_view text, std::string_view detail) {
  faults_.push_back(std::string(text) + quoted(detail));
  return false;
}

bool Reporter::fault(std::string_view text, char letter) {
  return fault(text, letter ? std::string_view(&letter, 1) : std::string_view());
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

std::string renderDiagnostic(const Diagnostic& d) {
  std::string text;
  for (const std::string& detail : d.details) text.append(detail).push_back('\n');
  if (d.line > 0) {
    text.append(d.file).append(":").append(std::to_string(d.line)).append(": ");
    text.append(locatedWord(d.kind));
  } else {
    text.append(runPrefix(d.kind));
  }
  text.append(d.text).push_back('\n');
  return text;
}

std::string renderDiagnostics(const Diagnostics& diagnostics) {
  std::string text;
  for (const Diagnostic& d : diagnostics) text += renderDiagnostic(d);
  return text;
}

}  // namespace torvane
