#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace torvane {

// The file calls of the system, for names in UTF-8: everything that differs between
// Windows and the rest is here.

/// A file name as typed (UTF-8 on Windows, where names in any script are allowed) as
/// the file system library takes it.
std::filesystem::path pathOf(std::string_view name);

/// Where the file name starts in `name`, after its folder part: a slash, and on Windows
/// also a backslash or a drive ("C:"), ends the folder part.
std::size_t fileNameStart(std::string_view name);

/// True when the names `a` and `b` lead to one file, whether or not it exists: links
/// resolved, and on Windows, whose names match in either case, without regard to case.
bool namesOneFile(std::string_view a, std::string_view b);

/// True for the platform's own way to ask a program for help: "/?" on Windows.
bool isPlatformHelp(std::string_view argument);

/// Opens the named file for reading, as bytes; null when it cannot (errno tells why).
std::FILE* openForReading(const std::string& name);

/// Creates or truncates the named file for writing; its descriptor, or -1 when it
/// cannot (errno tells why). On Windows the file is in text mode: each line feed
/// written reaches it as CR LF.
int createForWriting(const std::string& name);

/// Creates a new file for writing in the folder of `target`, named after it with a
/// random part of its own, never over another file; its descriptor, or -1 (errno tells
/// why), and its name in `name`. See note [names beside a command file] in
/// system_files.cc. Text mode on Windows, as createForWriting.
int createBeside(const std::string& target, std::string& name);

/// True when the existing file `name` can be opened for writing (errno tells why not);
/// it is left unchanged.
bool canWrite(const std::string& name);

/// How many names (hard links) the existing file `name` has; 1 where it cannot be told.
std::size_t nameCount(const std::string& name);

/// Gives the file of `descriptor` the permissions of the file `model`, and its owner and
/// group where the process may, where the system has such permissions; false when it
/// cannot give the permissions.
bool copyPermissions(int descriptor, const std::string& model);

/// Puts the file `from` in the place of `to`, replacing it in one step; false when it
/// cannot (errno tells why).
bool replaceFile(const std::string& from, const std::string& to);

/// Removes the file `name`, if it can.
void removeFile(const std::string& name);

/// Hands some of `size` bytes to the descriptor; how many it took, or -1 (errno tells
/// why).
long writeSome(int descriptor, const char* bytes, std::size_t size);

/// Closes the descriptor; false when closing reports a failure.
bool closeDescriptor(int descriptor);

}  // namespace torvane
