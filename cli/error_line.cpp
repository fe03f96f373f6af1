#include "cli/error_line.h"

namespace cli {

namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// The log line without a trailing ":PATH"; a path inside the line stays.
std::string WithoutPath(const std::string& line, const std::string& path) {
  if (line.size() >= path.size() && line.compare(line.size() - path.size(), path.size(), path) == 0) {
    std::string message = line.substr(0, line.size() - path.size());
    while (!message.empty() && (message.back() == ':' || message.back() == ' ')) message.pop_back();
    return message;
  }
  return line;
}

}  // namespace

bool IsSuccessLine(const std::string& logLine) { return logLine.find("已完成:") != std::string::npos; }

std::string ErrorLine(const std::string& logLine, const std::vector<std::string>& paths, const std::string& cause) {
  std::string named;
  for (const std::string& path : paths)
    if (!path.empty() && logLine.find(path) != std::string::npos && path.size() > named.size()) named = path;
  std::string line = "jmz: ";
  if (!named.empty()) line += named + ": " + WithoutPath(logLine, named);
  else line += logLine;
  if (!cause.empty()) line += " (" + cause + ")";
  return OneLine(line) + "\n";
}

}  // namespace cli
