#include "hexeditor/errors.h"

namespace hexed {

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && next != args.end() &&
        (pattern[i + 1] == 's' || pattern[i + 1] == 'd' || pattern[i + 1] == 'x')) {
      out += *next++;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace hexed
