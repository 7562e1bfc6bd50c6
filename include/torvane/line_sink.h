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
  [[nodiscard]] virtual bool take(std::string_view line) = 0;
  /// Why the sink refused a line, for the message that says so; empty where it cannot tell.
  virtual std::string failure() const { return {}; }
};

/// A sink that keeps the command file as text in memory.
class TextSink : public LineSink {
 public:
  explicit TextSink(std::string& text) : text_(text) {}
  bool take(std::string_view line) override {
    text_.append(line);
    return true;
  }

 private:
  std::string& text_;
};

}  // namespace torvane
