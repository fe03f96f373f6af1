// Where the jmz tool gets a key: the command line, a key file, the
// environment or a hidden prompt. The historical formats take a key's GBK
// bytes, the authenticated container its UTF-8 text.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"

namespace cli {

struct KeyResult {
  std::optional<std::string> gbk;   // the key's GBK bytes; empty when there is none or GBK cannot write it
  std::optional<std::string> utf8;  // the key text (the authenticated container's key); empty when there is none
  std::string error;  // set when `gbk` is empty
};

// The key of `option`; without one, the key typed at a hidden prompt
// (twice when `confirm`), or `fallback` when nobody can be asked.
KeyResult ResolveKey(const KeyOption& option, const std::string& prompt, bool confirm,
                     std::optional<std::string> fallback = std::nullopt);

}  // namespace cli
