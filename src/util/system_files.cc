#include "util/system_files.h"

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
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

// note [names beside a command file]
// The new file that becomes the command file is made beside it, named after it so that
// a file left by a run killed outright (which no handler sees) tells what it was: a dot,
// the command file's name, a random part and ".tmp". It is made only where no file is,
// and a name taken is tried again with another random part, so no leftover blocks a
// later run. A name too long for the file system (the command file's own name may be as
// long as it allows) is cut, at a character, to no longer than the command file's.
constexpr std::size_t kRandomLength = 8;
constexpr std::size_t kLongestFileName = 255;

// Eight letters and digits, unlike those of another process or an earlier attempt.
std::string randomPart() {
  static std::atomic<uint64_t> counter{0};
  static const uint64_t seed = [] {
    std::random_device device;
    uint64_t time = static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return (uint64_t{device()} << 32 ^ device()) ^ time * 0x9E3779B97F4A7C15u;
  }();
  // splitmix64 of the seed and the count: every attempt of the process differs.
  uint64_t x = seed + 0x9E3779B97F4A7C15u * (++counter);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  x ^= x >> 31;
  std::string part;
  for (std::size_t i = 0; i < kRandomLength; ++i, x /= 36) {
    part += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
  }
  return part;
}

// `name` cut to at most `most` bytes, short of a character of UTF-8 that would be split.
std::string cutAtCharacter(std::string_view name, std::size_t most) {
  if (name.size() <= most) return std::string(name);
  std::size_t end = most;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return std::string(name.substr(0, end));
}

// A name for a new file beside `target`: in full, or `cut` to fit the command file's.
std::string nameBeside(const std::string& target, bool cut) {
  std::size_t start = fileNameStart(target);
  std::string_view file = std::string_view(target).substr(start);
  const std::size_t extra = 1 + 1 + kRandomLength + 4;  // ".", ".", the random part, ".tmp"
  std::size_t most = cut ? (file.size() > extra ? file.size() - extra : 0)
                         : kLongestFileName - extra;
  return target.substr(0, start) + "." + cutAtCharacter(file, most) + "." + randomPart() + ".tmp";
}

// Makes a new file by `create`, which makes a file only where none is, under a name
// beside `target`; its descriptor, or -1 (errno tells why).
template <class Create>
int createNewBeside(const std::string& target, std::string& name, Create create) {
  bool cut = false;
  for (unsigned attempt = 0;; ++attempt) {
    name = nameBeside(target, cut);
    int descriptor = create(name);
    if (descriptor >= 0 || attempt == 100) return descriptor;
    if (errno == ENAMETOOLONG && !cut) {
      cut = true;
    } else if (errno != EEXIST) {
      return descriptor;
    }
  }
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
  return createNewBeside(target, name, [](const std::string& candidate) {
    return _wopen(pathOf(candidate).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT,
                  _S_IREAD | _S_IWRITE);
  });
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
  return createNewBeside(target, name, [](const std::string& candidate) {
    // Made as any new file is made: the permissions the user's umask leaves.
    return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  });
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

// The owner and group first: a change of owner may clear the permission bits. Only
// the super-user may give a file to another user: for anyone else the file stays theirs.
bool copyPermissions(int descriptor, const std::string& model) {
  struct stat status {};
  if (::stat(model.c_str(), &status) != 0) return false;
  if (::fchown(descriptor, status.st_uid, status.st_gid) != 0) {
    (void)!::fchown(descriptor, static_cast<uid_t>(-1), status.st_gid);
  }
  return ::fchmod(descriptor, status.st_mode & 07777) == 0;
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
