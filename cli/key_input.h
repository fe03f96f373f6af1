// Where the jmz tool gets its key: the command line, a key file, the
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

// `confirm`: a key typed at the prompt is asked for twice (encryption).
KeyResult ResolveKey(const Options& options, bool confirm);

}  // namespace cli
