#pragma once

#include <string>
#include <string_view>

namespace torvane {

/// Where the command file's lines go, each whole once it is ended.
class LineSink {
 public:
  virtual ~LineSink() = default;
  /// Takes whole lines, each with its line feed (the trailer without one); false when
  /// it cannot, and then nothing more is handed over.
  [[nodiscard]] virtual bool take(std::string_view lines) = 0;
  /// True when nobody reads the lines before the last is taken (a new file that takes
  /// another's place once whole): they may then come many at a time, in blocks of 64 KiB
  /// or more. False, each line comes the moment it is complete.
  virtual bool takesBlocks() const { return false; }
  /// Why the sink refused a line, for the message that says so; empty where it cannot tell.
  virtual std::string failure() const { return {}; }
};

/// A sink that keeps the command file as text in memory.
class TextSink : public LineSink {
 public:
  explicit TextSink(std::string& text) : text_(text) {}
  bool take(std::string_view lines) override {
    text_.append(lines);
    return true;
  }

 private:
  std::string& text_;
};

}  // namespace torvane
