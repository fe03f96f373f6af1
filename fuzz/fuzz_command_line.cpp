// The window's command-line rules on any arguments (the input split at zero
// bytes): the switches found, their values, and the joined preselected file.
// The colour argument's integer is checked against a plain reference.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/colors.h"
#include "app/command_line.h"
#include "app/settings.h"
#include "fuzz/fuzz_support.h"

namespace {

// An optional sign, then decimal digits or "$"/"0x" and hexadecimal digits;
// decimal within 32-bit signed, hexadecimal within 32 bits (two's complement).
std::optional<std::int32_t> ReferenceInteger(std::string_view t) {
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) negative = t[0] == '-', t.remove_prefix(1);
  int base = 10;
  if (!t.empty() && t[0] == '$') base = 16, t.remove_prefix(1);
  else if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) base = 16, t.remove_prefix(2);
  if (t.empty()) return std::nullopt;
  for (char c : t)
    if (!(c >= '0' && c <= '9') && !(base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))) return std::nullopt;
  unsigned long long v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v, base);
  if (r.ec != std::errc() || v > 0xFFFFFFFFull) return std::nullopt;
  if (base == 16) return static_cast<std::int32_t>(negative ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v));
  if (negative ? v > 2147483648ull : v > 2147483647ull) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<long long>(v) : static_cast<long long>(v));
}

bool StartsLower(const std::string& s, std::string_view prefix) {
  return app::AsciiLower(s.substr(0, prefix.size())) == prefix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments;
  std::string joined;
  std::string current;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      if (!arguments.empty()) joined += ' ';
      joined += current;
      arguments.push_back(std::move(current));
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  const app::CommandLine line = app::ParseCommandLine(arguments);
  fuzz::Check(line.joined == joined, "the arguments are joined by single blanks");

  std::size_t expected = 0;
  for (const std::string& a : arguments) {
    const std::string lower = app::AsciiLower(a);
    expected += (lower.size() == 5 && StartsLower(a, "/ysl") && lower[4] >= '0' && lower[4] <= '3') || lower == "/pbmy" ||
                lower == "/ztmy" || lower == "/nomd5" || lower == "/rzjm" || lower == "<<<" || lower == "<<<<" || lower == "<<<<<";
    expected += StartsLower(a, "color");
  }
  fuzz::Check(line.switches.size() == expected, "one switch per switch argument");

  using Kind = app::CommandLineSwitch::Kind;
  std::size_t colour = 0;
  for (const std::string& a : arguments) {
    if (!StartsLower(a, "color")) continue;
    while (colour < line.switches.size() && line.switches[colour].kind != Kind::kColor) ++colour;
    fuzz::Check(colour < line.switches.size(), "every colour argument gives a colour");
    const std::int32_t want = ReferenceInteger(std::string_view(a).substr(5)).value_or(app::kSkyBlue);
    fuzz::Check(line.switches[colour].value == want, "the colour is the argument's integer, or sky blue");
    ++colour;
  }
  for (const app::CommandLineSwitch& s : line.switches) {
    if (s.kind == Kind::kCompression) fuzz::Check(s.value >= 0 && s.value <= 3, "a compression index is 0..3");
    if (s.kind == Kind::kFold) fuzz::Check(s.value >= 5 && s.value <= 7, "a fold state is 5..7");
  }
  return 0;
}
