#pragma once

#include <string>
#include <string_view>

namespace win32 {

/// UTF-8 text as UTF-16, for a W function; invalid bytes become U+FFFD.
std::wstring widen(std::string_view utf8);
/// UTF-16 text from a W function as UTF-8.
std::string narrow(std::wstring_view utf16);

} // namespace win32
