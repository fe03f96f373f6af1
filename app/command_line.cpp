#include "app/command_line.h"

#include "app/colors.h"
#include "app/fold.h"

namespace app {

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  using Kind = CommandLineSwitch::Kind;
  CommandLine line;
  for (const std::string& argument : arguments) {
    const std::string lower = AsciiLower(argument);
    if (lower.size() == 5 && lower.compare(0, 4, "/ysl") == 0 && lower[4] >= '0' && lower[4] <= '3')
      line.switches.push_back({Kind::kCompression, lower[4] - '0'});
    if (lower == "/pbmy") line.switches.push_back({Kind::kMaskKeys});
    if (lower == "/ztmy") line.switches.push_back({Kind::kPasteKeys});
    if (lower == "/nomd5") line.switches.push_back({Kind::kNoMd5});
    if (lower == "/rzjm") line.switches.push_back({Kind::kAead});
    if (const std::optional<int> state = FoldSwitchState(lower)) line.switches.push_back({Kind::kFold, *state});
    if (lower.compare(0, 5, "color") == 0)
      line.switches.push_back({Kind::kColor, ParseInteger(std::string_view(argument).substr(5)).value_or(kSkyBlue)});
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line.joined += ' ';
    line.joined += arguments[i];
  }
  return line;
}

}  // namespace app
