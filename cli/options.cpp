#include "cli/options.h"

#include <charconv>
#include <map>

namespace cli {

const char* const kUsage =
    "Usage: jmz COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Commands:\n"
    "  encrypt        encrypt each FILE into NAME.jmz, a container that stores a check of the key;\n"
    "                 with -l the file is compressed first; with an empty key (-k \"\") and a level\n"
    "                 it is only compressed, into NAME.EXT.zak; a FILE that already is a container\n"
    "                 gets another layer (up to 12) and needs its key as --old-key\n"
    "                 with --aead it writes the authenticated container instead (below)\n"
    "  decrypt        decrypt each .jmz FILE back into its original name and extension, whichever\n"
    "                 format it has; a file that is no container is expanded as a compressed-only\n"
    "                 (.zak) file\n"
    "  upgrade        re-encrypt each historical .jmz FILE into the authenticated container in one\n"
    "                 pass (-k is the container's key and the new key); the original is kept and\n"
    "                 no plaintext touches the disk\n"
    "  nokey-encrypt  encrypt each FILE into NAME.EXT.jmz without any check of the key\n"
    "                 (a wrong key then decrypts to garbage without a warning)\n"
    "  nokey-decrypt  decrypt such containers\n"
    "  info           show what each FILE is: version, layers, compression, extension, payload size\n"
    "                 and what the format protects; an authenticated container's parameters and\n"
    "                 chunk size; for a Windows program its image length and the package it carries\n"
    "  md5            print each FILE's MD5 digest as md5sum does; --mode auto|map|stream picks the\n"
    "                 reading, -j N hashes N files at once, --list prints the window's log lines,\n"
    "                 -c LIST checks a list in md5sum format (exit 1 when one failed)\n"
    "  shred          overwrite each FILE with zeros, flush it to the disk and delete it; asks for\n"
    "                 each file unless --yes is given (without a terminal --yes is required)\n"
    "  sfx-create     pack each .jmz FILE into a self-decrypting NAME.exe behind --stub PROGRAM.exe\n"
    "                 (only the program's image is copied, never a package it carries itself)\n"
    "  sfx-separate   write the .jmz file that each package FILE carries, and the plain program\n"
    "                 \"星尘 文件加密.exe\" beside it; an existing .jmz is replaced only with --yes\n"
    "  sfx-decrypt    decrypt the file that each package FILE carries, in place, under its name\n"
    "                 (sfx-* take containers of either format)\n"
    "\n"
    "Options:\n"
    "  -k, --key TEXT          the key text (the historical formats take its GBK bytes; the\n"
    "                          authenticated container its UTF-8 text, any characters)\n"
    "      --key-file FILE     read the key from a key file (GBK text; cut at its first zero byte,\n"
    "                          lone CR or LF read as CR LF, at most 2,056 bytes)\n"
    "      --key-env VAR       take the key text from the environment variable VAR\n"
    "                          (without a key option the key is asked for at the terminal)\n"
    "      --old-key TEXT      the key of a container that gets another layer\n"
    "      --old-key-file FILE (also --old-key-env VAR)\n"
    "  -l, --level N           compress before encrypting: 0 none (default), 1 fastest,\n"
    "                          2 normal, 3 maximum\n"
    "  -o, --output-dir DIR    write the results into DIR (default: next to each FILE)\n"
    "      --format-version V  encrypt with an older format version: 66 (current), 56, 38, 18, 11;\n"
    "                          for nokey-encrypt 38 (current), 30, 20\n"
    "  -j, --jobs N            work on up to N files at once, each its own job (default 1)\n"
    "      --aead              encrypt: write the authenticated container (Argon2id key derivation,\n"
    "                          ChaCha20-Poly1305 in 64 KiB chunks): a wrong key, a damaged byte, a\n"
    "                          cut file or appended bytes are refused before any output appears;\n"
    "                          no 4 GiB limit; the files of one run share one key derivation\n"
    "      --kdf-memory MIB    Argon2 memory in MiB, 1..1024 (default 256), and\n"
    "      --kdf-passes N      its passes, 1..10 (default 3): more costs more time and memory for\n"
    "                          you and for anyone guessing the key; every reader accepts these ranges\n"
    "      --yes, --no         answer the tool's questions (default: ask at the terminal, else no)\n"
    "      --stub PROGRAM.exe  sfx-create: the Windows program each package starts with\n"
    "  -q, --quiet             print no log lines and no progress bar (errors still go to\n"
    "                          standard error; md5 -c prints only the files that FAILED)\n"
    "  -h, --help              show this help\n"
    "  -V, --version           show the version\n"
    "\n"
    "A name that is taken gets \"(n)\" before its extension; no file is ever overwritten, and a\n"
    "result appears under its name only when it is complete.\n"
    "Log lines go to standard output; a file that fails gets one line on standard error naming\n"
    "the file and the cause; the progress bar is drawn only when standard error is a terminal.\n"
    "Exit status: 0 every file succeeded, 1 a file was refused or failed, 2 usage error.\n";

std::string VersionLine() { return std::string("jmz ") + XCJM_VERSION + "\n"; }

namespace {

std::optional<Command> CommandNamed(const std::string& name) {
  static const std::map<std::string, Command> kCommands = {
      {"encrypt", Command::kEncrypt},  {"decrypt", Command::kDecrypt},
      {"nokey-encrypt", Command::kNoKeyEncrypt}, {"nokey-decrypt", Command::kNoKeyDecrypt},
      {"info", Command::kInfo},        {"help", Command::kHelp},
      {"sfx-create", Command::kSfxCreate}, {"sfx-separate", Command::kSfxSeparate},
      {"sfx-decrypt", Command::kSfxDecrypt}, {"upgrade", Command::kUpgrade},
      {"-h", Command::kHelp},          {"--help", Command::kHelp},
      {"-V", Command::kVersion},       {"--version", Command::kVersion}};
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

int KeySources(const KeyOption& k) { return k.text.has_value() + k.file.has_value() + k.env.has_value(); }

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
  for (std::size_t i = 1; i < args.size() && r.error.empty(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::optional<std::string>& into) {
      if (i + 1 >= args.size())
        r.error = "option " + a + " needs a value";
      else
        into = args[++i];
    };
    auto number = [&](int& into, const char* what) {
      std::optional<std::string> v;
      value(v);
      if (!v) return;
      if (std::optional<int> n = ParseInt(*v)) into = *n;
      else r.error = std::string(what) + " needs a number";
    };
    if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
      o.files.push_back(a);
    } else if (a == "--") {
      onlyFiles = true;
    } else if (a == "-k" || a == "--key") {
      value(o.key.text);
    } else if (a == "--key-file") {
      value(o.key.file);
    } else if (a == "--key-env") {
      value(o.key.env);
    } else if (a == "--old-key") {
      value(o.oldKey.text);
    } else if (a == "--old-key-file") {
      value(o.oldKey.file);
    } else if (a == "--old-key-env") {
      value(o.oldKey.env);
    } else if (a == "-o" || a == "--output-dir") {
      value(o.outputDir);
    } else if (a == "-l" || a == "--level") {
      number(o.level, "--level");
      if (r.error.empty() && (o.level < 0 || o.level > 3)) r.error = "--level takes 0, 1, 2 or 3";
    } else if (a == "--format-version") {
      number(o.formatVersion, "--format-version");
    } else if (a == "-j" || a == "--jobs") {
      int n = 1;
      number(n, "--jobs");
      if (r.error.empty() && (n < 1 || n > 64)) r.error = "--jobs takes 1..64";
      o.jobs = static_cast<unsigned>(n);
    } else if (a == "--yes") {
      o.answer = Answer::kYes;
    } else if (a == "--no") {
      o.answer = Answer::kNo;
    } else if (a == "--stub") {
      value(o.stub);
    } else if (a == "--aead") {
      o.aead = true;
    } else if (a == "--kdf-memory") {
      number(o.kdfMemoryMiB, "--kdf-memory");
      o.kdfGiven = true;
      if (r.error.empty() && (o.kdfMemoryMiB < 1 || o.kdfMemoryMiB > 1024)) r.error = "--kdf-memory takes 1..1024 (MiB)";
    } else if (a == "--kdf-passes") {
      number(o.kdfPasses, "--kdf-passes");
      o.kdfGiven = true;
      if (r.error.empty() && (o.kdfPasses < 1 || o.kdfPasses > 10)) r.error = "--kdf-passes takes 1..10";
    } else if (a == "-q" || a == "--quiet") {
      o.quiet = true;
    } else if (a == "-h" || a == "--help") {
      o.command = Command::kHelp;
    } else {
      r.error = "unknown option '" + a + "'";
    }
  }
  if (!r.error.empty()) return r;

  if (KeySources(o.key) > 1 || KeySources(o.oldKey) > 1)
    r.error = "give each key only once (-k, --key-file or --key-env)";
  else if (o.command != Command::kHelp && o.command != Command::kVersion && o.files.empty())
    r.error = "no FILE given";
  else if (o.level != 0 && o.command != Command::kEncrypt)
    r.error = "--level is for encrypt only";
  else if (o.oldKey.Given() && o.command != Command::kEncrypt)
    r.error = "--old-key is for encrypt only";
  else if (o.aead && o.command != Command::kEncrypt && o.command != Command::kUpgrade)
    r.error = "--aead is for encrypt only";
  else if (o.kdfGiven && !o.aead && o.command != Command::kUpgrade)
    r.error = "--kdf-memory and --kdf-passes go with --aead";
  else if (o.aead && (o.oldKey.Given() || o.formatVersion != 0))
    r.error = "--aead writes a container of its own: no --old-key or --format-version";
  else if (o.command == Command::kSfxCreate && !o.stub)
    r.error = "sfx-create needs --stub PROGRAM.exe";
  else if (o.stub && o.command != Command::kSfxCreate)
    r.error = "--stub is for sfx-create only";
  return r;
}

}  // namespace cli
