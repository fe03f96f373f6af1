// Addresses learned from a downloaded settings file are data from the
// network: only an absolute web address may reach the shell, never a
// program, a local or UNC path or another scheme.
#pragma once

#include <string_view>

namespace utils {

// True for "http://" or "https://" (any letter case) followed by a host of
// letters, digits, "-" and "." with an optional ":port", then nothing, or a
// path, query or fragment without blanks, control characters, quotation
// marks or backslashes.
bool IsWebAddress(std::string_view address);

}  // namespace utils
