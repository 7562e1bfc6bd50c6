#include "util/wide_names.h"

#include <windows.h>

namespace torvane {

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                 nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), text.data(),
                      size, nullptr, nullptr);
  return text;
}

}  // namespace torvane
