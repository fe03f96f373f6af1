// The jmz tool: encrypts, decrypts and inspects containers from the command line.
#pragma once

#include <string>
#include <vector>

namespace cli {

// Runs the tool on its arguments (UTF-8, without the program name); returns
// the exit status: 0 all succeeded, 1 any refused or failed, 2 usage error.
int RunJmz(const std::vector<std::string>& args);

}  // namespace cli
