// jmz sfx-create, sfx-separate and sfx-decrypt: self-decrypting packages at
// the terminal, with the window's names and log lines.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

// Each returns true when every file succeeded.
bool RunSfxCreate(const Options& options);
bool RunSfxSeparate(const Options& options);
// `key` in GBK bytes, `keyText` in UTF-8 (the authenticated container's key).
bool RunSfxDecrypt(const Options& options, const std::string& key, const std::string& keyText);

}  // namespace cli
