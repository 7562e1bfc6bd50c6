#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

/// The UTF-16 form of a UTF-8 name, as Windows' wide-character calls take it.
std::wstring widen(std::string_view utf8);

/// The UTF-8 form of a UTF-16 name, as Windows hands it to a wide entry point.
std::string narrow(std::wstring_view utf16);

#endif
