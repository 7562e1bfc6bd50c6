#include "util/output_file.h"

#include <cerrno>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>

#include "util/wide_names.h"
#else
#include <unistd.h>
#endif

bool OutputFile::create(const std::string& path) {
  close();
#ifdef _WIN32
  fd_ = _wopen(widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT,
               _S_IREAD | _S_IWRITE);
#else
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
#endif
  return fd_ >= 0;
}

bool OutputFile::write(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
#ifdef _WIN32
    int wrote = _write(fd_, p, static_cast<unsigned>(left));
#else
    ssize_t wrote = ::write(fd_, p, left);
#endif
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
#ifdef _WIN32
  int result = _close(fd_);
#else
  int result = ::close(fd_);
#endif
  fd_ = -1;
  return result == 0;
}
