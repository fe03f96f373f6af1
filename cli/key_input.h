// Where the jmz tool gets a key: the command line, a key file, the
// environment or a hidden prompt. Keys are GBK bytes.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"

namespace cli {

struct KeyResult {
  std::optional<std::string> gbk;
  std::string error;  // set when there is no key
};

// The key of `option`; without one, the key typed at a hidden prompt
// (twice when `confirm`), or `fallback` when nobody can be asked.
KeyResult ResolveKey(const KeyOption& option, const std::string& prompt, bool confirm,
                     std::optional<std::string> fallback = std::nullopt);

}  // namespace cli
