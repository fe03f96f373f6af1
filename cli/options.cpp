#include "cli/options.h"

#include <charconv>
#include <map>

namespace cli {

const char* const kUsage =
    "Usage: jmz COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Commands:\n"
    "  encrypt   encrypt each FILE into NAME.jmz (a container that stores a check of the key)\n"
    "  decrypt   decrypt each .jmz FILE back into its original name and extension;\n"
    "            a file that is no container is expanded as a compressed-only (.zak) file\n"
    "  info      show what each FILE is: version, layers, compression, extension, payload size\n"
    "\n"
    "Options:\n"
    "  -k, --key TEXT         the key text (converted to GBK, the encoding of every key)\n"
    "      --key-file FILE    read the key from a key file (GBK text; cut at its first zero byte,\n"
    "                         lone CR or LF read as CR LF, at most 2,056 bytes)\n"
    "      --key-env VAR      take the key text from the environment variable VAR\n"
    "                         (without a key option the key is asked for at the terminal)\n"
    "  -o, --output-dir DIR   write the results into DIR (default: next to each FILE)\n"
    "      --format-version V encrypt with an older format version: 66 (current), 56, 38, 18, 11\n"
    "      --yes, --no        answer the tool's questions (default: ask at the terminal, else no)\n"
    "  -h, --help             show this help\n"
    "\n"
    "A name that is taken gets \"(n)\" before its extension; no file is ever overwritten.\n"
    "Exit status: 0 every file succeeded, 1 a file was refused or failed, 2 usage error.\n";

namespace {

std::optional<Command> CommandNamed(const std::string& name) {
  static const std::map<std::string, Command> kCommands = {
      {"encrypt", Command::kEncrypt}, {"decrypt", Command::kDecrypt}, {"info", Command::kInfo},
      {"help", Command::kHelp},       {"-h", Command::kHelp},         {"--help", Command::kHelp}};
  auto it = kCommands.find(name);
  if (it == kCommands.end()) return std::nullopt;
  return it->second;
}

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
  ParseResult r;
  Options& o = r.options;
  if (args.empty()) return r;
  std::optional<Command> command = CommandNamed(args[0]);
  if (!command) {
    r.error = "unknown command '" + args[0] + "'";
    return r;
  }
  o.command = *command;

  bool onlyFiles = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::optional<std::string>& into) {
      if (i + 1 >= args.size()) {
        r.error = "option " + a + " needs a value";
        return;
      }
      into = args[++i];
    };
    if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
      o.files.push_back(a);
    } else if (a == "--") {
      onlyFiles = true;
    } else if (a == "-k" || a == "--key") {
      value(o.keyText);
    } else if (a == "--key-file") {
      value(o.keyFile);
    } else if (a == "--key-env") {
      value(o.keyEnv);
    } else if (a == "-o" || a == "--output-dir") {
      value(o.outputDir);
    } else if (a == "--format-version") {
      std::optional<std::string> v;
      value(v);
      if (v) {
        std::optional<int> n = ParseInt(*v);
        if (!n) r.error = "--format-version needs a number";
        else o.formatVersion = *n;
      }
    } else if (a == "--yes") {
      o.answer = Answer::kYes;
    } else if (a == "--no") {
      o.answer = Answer::kNo;
    } else if (a == "-h" || a == "--help") {
      o.command = Command::kHelp;
    } else {
      r.error = "unknown option '" + a + "'";
    }
    if (!r.error.empty()) return r;
  }

  const int keySources = o.keyText.has_value() + o.keyFile.has_value() + o.keyEnv.has_value();
  if (keySources > 1) r.error = "give the key only once (-k, --key-file or --key-env)";
  else if (o.command != Command::kHelp && o.files.empty()) r.error = "no FILE given";
  return r;
}

}  // namespace cli
