#pragma once

#include <string>
#include <string_view>

namespace torvane {

/// The UTF-8 form of a UTF-16 name, as Windows hands it to a wide entry point; what is
/// no UTF-16 becomes the replacement character.
std::string narrow(std::wstring_view utf16);

}  // namespace torvane
