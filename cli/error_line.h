// The one line on standard error that tells why a file failed.
#pragma once

#include <string>
#include <vector>

namespace cli {

// True for the log lines that end a file successfully.
bool IsSuccessLine(const std::string& logLine);

// "jmz: PATH: MESSAGE (CAUSE)": PATH is the one of `paths` the log line names,
// MESSAGE the log line (without that path when it ends the line), CAUSE the
// error behind it (left out when empty). Line breaks inside become blanks, so it stays one line.
std::string ErrorLine(const std::string& logLine, const std::vector<std::string>& paths, const std::string& cause);

}  // namespace cli
