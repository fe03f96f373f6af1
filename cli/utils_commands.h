// jmz md5 and jmz shred: the file utilities at the terminal.
#pragma once

#include <string>
#include <vector>

namespace cli {

// `args` follow the command word; returns the exit status.
int RunMd5(const std::vector<std::string>& args);
int RunShred(const std::vector<std::string>& args);

}  // namespace cli
