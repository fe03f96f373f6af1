// The command line of a window: switches that set controls as a click
// would, a window colour, and a file to preselect.
#pragma once

#include <string>
#include <vector>

#include "app/settings.h"

namespace app {

struct CommandLineSwitch {
  enum class Kind {
    kCompression,  // "/ysl0".."/ysl3": value = the item index
    kMaskKeys,     // "/pbmy"
    kPasteKeys,    // "/ztmy"
    kNoMd5,        // "/nomd5"
    kAead,         // "/rzjm": authenticated encryption for this start
    kFold,         // "<<<", "<<<<", "<<<<<": value = the state
    kColor,        // "Color" + integer: value = the colour
  };
  Kind kind;
  std::int32_t value = 0;

  friend bool operator==(const CommandLineSwitch&, const CommandLineSwitch&) = default;
};

struct CommandLine {
  // Every switch found, in the order of the arguments.
  std::vector<CommandLineSwitch> switches;
  // The arguments joined by single blanks: a path with blanks that arrived
  // as several arguments becomes one again. The window preselects it when
  // it names an existing file.
  std::string joined;
};

// `arguments` are UTF-8, without the program name. Switches are compared in
// lower case; an argument "Color…" whose rest is no integer gives sky blue.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// ASCII letters to lower case; other bytes stay.
std::string AsciiLower(std::string text);

}  // namespace app
