#include "util/output_file.h"

#include <cerrno>

#include "util/system_files.h"

namespace torvane {

bool OutputFile::create(const std::string& path) {
  close();
  fd_ = createForWriting(path);
  return fd_ >= 0;
}

bool OutputFile::createBeside(const std::string& target, std::string& name) {
  close();
  fd_ = torvane::createBeside(target, name);
  return fd_ >= 0;
}

bool OutputFile::takePermissionsOf(const std::string& model) {
  return fd_ >= 0 && copyPermissions(fd_, model);
}

bool OutputFile::write(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    long wrote = writeSome(fd_, p, left);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    p += wrote;
    left -= static_cast<std::size_t>(wrote);
  }
  return true;
}

bool OutputFile::close() {
  if (fd_ < 0) return true;
  bool closed = closeDescriptor(fd_);
  fd_ = -1;
  return closed;
}

}  // namespace torvane
