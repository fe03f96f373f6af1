// The jmz tool's commands. Each returns true when every file succeeded;
// refusals and failures are reported as the jobs' log lines.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

// Keys are GBK bytes.
bool RunEncrypt(const Options& options, const std::string& key, const std::string& oldKey);
bool RunDecrypt(const Options& options, const std::string& key);
bool RunNoKey(const Options& options, const std::string& key);
bool InfoFile(const std::string& file);

}  // namespace cli
