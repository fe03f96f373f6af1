// UTF-8 ↔ UTF-16 at the edge between the core and the wide Windows API.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace platform
