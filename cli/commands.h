// The jmz tool's commands. Each returns true when every file succeeded;
// refusals and failures are reported as the jobs' log lines.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

// `key` and `oldKey` are GBK bytes, `keyText` the key's UTF-8 text (the
// authenticated container's key).
bool RunEncrypt(const Options& options, const std::string& key, const std::string& oldKey,
                const std::string& keyText);
bool RunDecrypt(const Options& options, const std::string& key, const std::string& keyText);
bool RunUpgrade(const Options& options, const std::string& key, const std::string& keyText);
bool RunNoKey(const Options& options, const std::string& key);
bool InfoFile(const std::string& file);

}  // namespace cli
