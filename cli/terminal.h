// The terminal of the jmz tool: output lines, prompts and hidden key entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Prepares standard output and error for UTF-8 text.
void InitTerminal();

// Writes UTF-8 text to standard output or standard error.
void WriteOut(std::string_view utf8);
void WriteErr(std::string_view utf8);

// True when standard input is a terminal, so the user can be asked.
bool InputIsInteractive();

// True when standard error is a terminal (a progress line can be drawn).
bool ErrorIsInteractive();

// Reads one line from the terminal after showing `prompt`; the typed text is
// not echoed when `hidden`. Empty at end of input.
std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool hidden);

}  // namespace cli

namespace cli {

// The text of an environment variable, in UTF-8; empty when it is not set.
std::optional<std::string> EnvironmentText(const std::string& name);

}  // namespace cli
