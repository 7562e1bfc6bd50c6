#include "util/system_files.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {

std::filesystem::path pathOf(std::string_view name) {
  return std::filesystem::u8path(name.begin(), name.end());
}

std::size_t fileNameStart(std::string_view name) {
#ifdef _WIN32
  std::size_t separator = name.find_last_of("/\\:");
#else
  std::size_t separator = name.rfind('/');
#endif
  return separator == std::string_view::npos ? 0 : separator + 1;
}

bool namesOneFile(std::string_view a, std::string_view b) {
  std::error_code ec;
  if (std::filesystem::equivalent(pathOf(a), pathOf(b), ec) && !ec) return true;
  // A file that does not exist yet: its name as the file system would resolve it.
  auto resolved = [](std::string_view name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(pathOf(name), error);
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return (error ? path : canonical).lexically_normal().native();
  };
  auto x = resolved(a);
  auto y = resolved(b);
#ifdef _WIN32
  return x.size() == y.size() &&
         std::equal(x.begin(), x.end(), y.begin(), [](wchar_t c, wchar_t d) {
           return std::towlower(c) == std::towlower(d);
         });
#else
  return x == y;
#endif
}

bool isPlatformHelp(std::string_view argument) {
#ifdef _WIN32
  return argument == "/?";
#else
  (void)argument;
  return false;
#endif
}

namespace {

// A name for a new file beside `target`, unlike the `attempt` names before it.
std::string nameBeside(const std::string& target, unsigned attempt, long process) {
  std::size_t start = fileNameStart(target);
  return target.substr(0, start) + "." + target.substr(start) + "." + std::to_string(process) +
         "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

#ifdef _WIN32

// Windows takes names in any script only through its wide-character calls.
std::FILE* openForReading(const std::string& name) {
  return _wfopen(pathOf(name).c_str(), L"rb");
}

int createForWriting(const std::string& name) {
  return _wopen(pathOf(name).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT,
                _S_IREAD | _S_IWRITE);
}

int createBeside(const std::string& target, std::string& name) {
  for (unsigned attempt = 0;; ++attempt) {
    name = nameBeside(target, attempt, _getpid());
    int descriptor = _wopen(pathOf(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT,
                            _S_IREAD | _S_IWRITE);
    if (descriptor >= 0 || errno != EEXIST || attempt == 1000) return descriptor;
  }
}

bool canWrite(const std::string& name) {
  int descriptor = _wopen(pathOf(name).c_str(), _O_WRONLY);
  if (descriptor < 0) return false;
  _close(descriptor);
  return true;
}

bool copyPermissions(int, const std::string&) { return true; }  // a new file may be written

// The C library's stat counts one name for every file here: the system tells the truth.
std::size_t nameCount(const std::string& name) {
  HANDLE file = CreateFileW(pathOf(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION information{};
  bool known = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  return known && information.nNumberOfLinks > 0 ? information.nNumberOfLinks : 1;
}

bool replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(pathOf(from).c_str(), pathOf(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  errno = EACCES;
  return false;
}

void removeFile(const std::string& name) { _wremove(pathOf(name).c_str()); }

long writeSome(int descriptor, const char* bytes, std::size_t size) {
  // One call takes at most what an unsigned int counts; the caller writes the rest.
  unsigned most = size > 0x40000000 ? 0x40000000u : static_cast<unsigned>(size);
  return _write(descriptor, bytes, most);
}

bool closeDescriptor(int descriptor) { return _close(descriptor) == 0; }

#else

std::FILE* openForReading(const std::string& name) { return std::fopen(name.c_str(), "rb"); }

int createForWriting(const std::string& name) {
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int createBeside(const std::string& target, std::string& name) {
  for (unsigned attempt = 0;; ++attempt) {
    name = nameBeside(target, attempt, static_cast<long>(getpid()));
    // Made as any new file is made: the permissions the user's umask leaves.
    int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST || attempt == 1000) return descriptor;
  }
}

bool canWrite(const std::string& name) {
  int descriptor = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return false;
  ::close(descriptor);
  return true;
}

std::size_t nameCount(const std::string& name) {
  struct stat status {};
  return ::stat(name.c_str(), &status) == 0 && status.st_nlink > 0 ? status.st_nlink : 1;
}

bool copyPermissions(int descriptor, const std::string& model) {
  struct stat status {};
  return ::stat(model.c_str(), &status) == 0 && ::fchmod(descriptor, status.st_mode & 07777) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

void removeFile(const std::string& name) { ::unlink(name.c_str()); }

long writeSome(int descriptor, const char* bytes, std::size_t size) {
  return static_cast<long>(::write(descriptor, bytes, size));
}

bool closeDescriptor(int descriptor) { return ::close(descriptor) == 0; }

#endif

}  // namespace torvane
