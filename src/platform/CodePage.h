#pragma once
#include <string>
#include <string_view>

namespace platform {

// The device code page (Windows-1251) of calibration files and session header texts.
// Text inside the program is UTF-8.
std::string Cp1251ToUtf8(std::string_view bytes);

// Characters that Windows-1251 cannot hold become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1251(std::string_view utf8);

} // namespace platform
