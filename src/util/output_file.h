#pragma once

#include <string>
#include <string_view>

namespace torvane {

/// A file written through the system's own calls: every write is handed to the system
/// at once, with no library buffer between it and the file (a stdio stream flushed at
/// every line took 8 % more time on the million-line program of the benchmark,
/// bench/bench.cc). On Windows the file is in
/// text mode, so each line feed reaches it as CR LF, and its name is read as UTF-8.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Creates the file, or truncates it; false when it cannot (errno tells why).
  [[nodiscard]] bool create(const std::string& path);

  /// Creates a new file beside `target`, whose name it returns in `name`; false when
  /// it cannot (errno tells why).
  [[nodiscard]] bool createBeside(const std::string& target, std::string& name);

  /// Gives the file the permissions of the file `model`; false when it cannot.
  bool takePermissionsOf(const std::string& model);

  /// Writes all of `bytes`; false when the system refuses (errno tells why).
  [[nodiscard]] bool write(std::string_view bytes);

  /// Closes the file; false when closing reports a failure. Closing twice is harmless.
  bool close();

  /// The system's descriptor of the open file; -1 when none is open.
  int descriptor() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace torvane
