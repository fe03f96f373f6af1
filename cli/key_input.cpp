#include "cli/key_input.h"

#include <fstream>
#include <iterator>

#include "app/key_file.h"
#include "cli/terminal.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace cli {

namespace {

KeyResult FromText(const std::string& utf8, const std::string& origin) {
  std::optional<std::string> gbk = platform::Utf8ToGbk(utf8);
  if (!gbk)
    return {std::nullopt, utf8, origin + " holds a character that GBK cannot represent; such a key is refused"};
  return {gbk, utf8, {}};
}

KeyResult FromKeyFile(const std::string& file) {
  std::ifstream in(platform::Utf8ToPath(file), std::ios::binary);
  if (!in) return {std::nullopt, std::nullopt, "cannot read the key file " + file};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::optional<std::string> key = app::KeyTextFromFile(bytes);
  if (!key) return {std::nullopt, std::nullopt, "the key file " + file + " is not GBK text"};
  return {key, platform::GbkToUtf8(*key), {}};
}

KeyResult FromPrompt(const std::string& prompt, bool confirm, std::optional<std::string> fallback) {
  if (!InputIsInteractive()) {
    if (fallback) return {fallback, fallback, {}};
    return {std::nullopt, std::nullopt, "no key given (use -k, --key-file or --key-env)"};
  }
  std::optional<std::string> key = ReadTerminalLine(prompt + ": ", true);
  if (!key) return {std::nullopt, std::nullopt, "no key given"};
  if (confirm) {
    std::optional<std::string> again = ReadTerminalLine(prompt + " (again): ", true);
    if (!again || *again != *key) return {std::nullopt, std::nullopt, "the two keys differ"};
  }
  return FromText(*key, "the key");
}

}  // namespace

KeyResult ResolveKey(const KeyOption& o, const std::string& prompt, bool confirm, std::optional<std::string> fallback) {
  if (o.text) return FromText(*o.text, "the key");
  if (o.file) return FromKeyFile(*o.file);
  if (o.env) {
    std::optional<std::string> value = EnvironmentText(*o.env);
    if (!value) return {std::nullopt, std::nullopt, "the environment variable " + *o.env + " is not set"};
    return FromText(*value, "the environment variable " + *o.env);
  }
  return FromPrompt(prompt, confirm, std::move(fallback));
}

}  // namespace cli
