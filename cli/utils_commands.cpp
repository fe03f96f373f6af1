#include "cli/utils_commands.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <mutex>
#include <thread>

#include "cli/console_host.h"
#include "cli/terminal.h"
#include "engine/jobs/job_state.h"
#include "engine/jobs/job_window.h"
#include "platform/paths.h"
#include "utils/md5_list.h"
#include "utils/shred_job.h"

namespace cli {

namespace {

int Usage(const std::string& message) {
  WriteErr("jmz: " + message + "\nTry 'jmz --help'.\n");
  return 2;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The md5sum line of one file, or its error on standard error.
bool HashLine(const std::string& file, int mode, bool list, std::string& out) {
  const std::filesystem::path path = platform::Utf8ToPath(file);
  try {
    std::error_code ec;
    if (list && std::filesystem::is_directory(path, ec)) {
      out = utils::FolderLine(file) + "\n";
      return false;
    }
    if (list) {
      const utils::VerifyResult r = utils::VerifyFileMD5(path, mode, nullptr);
      for (const std::string& line : r.lines) out += line + "\n";
      return !r.hex.empty();
    }
    if (std::filesystem::is_directory(path, ec)) {
      out = "jmz: " + file + ": Is a directory\n";
      return false;
    }
    // An empty file has the digest of no bytes, as md5sum prints it.
    const std::string hex = std::filesystem::file_size(path, ec) == 0 && !ec
                                ? "D41D8CD98F00B204E9800998ECF8427E"
                                : utils::MD5HashFileHex(path, mode, nullptr);
    if (hex.empty()) {
      out = "jmz: " + file + ": cannot be hashed in this mode\n";
      return false;
    }
    out = Lower(hex) + "  " + file + "\n";
    return true;
  } catch (const std::exception& e) {
    out = "jmz: " + file + ": cannot be read (" + e.what() + ")\n";
    return false;
  }
}

// Checks an md5sum list: "digest  name" or "digest *name".
int CheckList(const std::string& listFile, int mode, bool quiet) {
  std::ifstream in(platform::Utf8ToPath(listFile), std::ios::binary);
  if (!in) return Usage("cannot read " + listFile);
  bool allOk = true;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 34 || (line[32] != ' ') || (line[33] != ' ' && line[33] != '*')) continue;
    const std::string want = Lower(line.substr(0, 32)), name = line.substr(34);
    std::string got;
    const bool ok = HashLine(name, mode, false, got) && got.substr(0, 32) == want;
    if (!ok || !quiet) WriteOut(name + (ok ? ": OK\n" : ": FAILED\n"));
    allOk &= ok;
  }
  return allOk ? 0 : 1;
}

}  // namespace

int RunShred(const std::vector<std::string>& args) {
  bool yes = false, quiet = false;
  std::vector<std::filesystem::path> files;
  for (const std::string& a : args) {
    if (a == "--yes") yes = true;
    else if (a == "-q" || a == "--quiet") quiet = true;
    else if (!a.empty() && a[0] == '-') return Usage("unknown option " + a + " for shred");
    else files.push_back(platform::Utf8ToPath(a));
  }
  if (files.empty()) return Usage("shred needs at least one file");
  if (!yes && !InputIsInteractive()) return Usage("shred asks before each file: give --yes when there is no terminal");
  // The shared console host: log lines on standard output, each file's
  // question at the terminal unless --yes answered them all.
  ProgressDisplay display(quiet);
  QuestionDesk desk(yes ? Answer::kYes : Answer::kAsk);
  std::vector<std::string> shown;
  for (const std::filesystem::path& file : files) shown.push_back(engine::DisplayPath(file));
  // Each shredded file logs exactly one line, so every failure line ends one.
  ConsoleHost host(display, desk, 0, "shred", {}, shown, true);
  engine::JobState state;
  utils::ShredWindow window{host, state};
  utils::ShredBatch(window, files);
  return static_cast<std::size_t>(host.Completed()) == files.size() ? 0 : 1;
}

int RunMd5(const std::vector<std::string>& args) {
  int mode = utils::kMD5Auto;
  unsigned jobs = 1;
  bool list = false, quiet = false;
  std::string check;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--mode" && hasValue) {
      const std::string m = args[++i];
      if (m == "auto") mode = utils::kMD5Auto;
      else if (m == "map") mode = utils::kMD5Mapped;
      else if (m == "stream") mode = utils::kMD5Stream;
      else return Usage("--mode takes auto, map or stream");
    } else if (a == "-j" && hasValue) {
      jobs = static_cast<unsigned>(std::max(1, std::atoi(args[++i].c_str())));
    } else if (a == "--list") {
      list = true;
    } else if (a == "-q" || a == "--quiet") {
      quiet = true;
    } else if (a == "-c" && hasValue) {
      check = args[++i];
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      return Usage("unknown option " + a + " for md5");
    } else {
      files.push_back(a);
    }
  }
  if (!check.empty()) return CheckList(check, mode, quiet);
  if (files.empty()) return Usage("md5 needs at least one file");
  // Lines are printed in the order of the files, whatever thread hashed them.
  std::vector<std::string> out(files.size());
  std::vector<char> ok(files.size(), 0);
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i; (i = next++) < files.size();) ok[i] = HashLine(files[i], mode, list, out[i]);
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < std::min<std::size_t>(jobs, files.size()); ++t) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
  bool allOk = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (out[i].rfind("jmz: ", 0) == 0) WriteErr(out[i]);
    else WriteOut(out[i]);
    allOk &= ok[i] != 0;
  }
  return allOk ? 0 : 1;
}

}  // namespace cli
