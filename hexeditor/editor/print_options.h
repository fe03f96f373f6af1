// The editor's print settings. They are stored with the window and copied
// with the editor's other settings; the program itself never prints.
#pragma once

#include <cstdint>
#include <string>

namespace hexed {

enum TQDHPrintFlag : std::uint32_t {
  pfSelectionOnly = 1u << 0,
  pfSelectionBold = 1u << 1,
  pfMonochrome = 1u << 2,
  pfUseBackgroundColor = 1u << 3,
  pfCurrentViewOnly = 1u << 4,
  pfIncludeRuler = 1u << 5,
};

struct TQDHPrintOptions {
  int MarginLeft = 0;
  int MarginTop = 0;
  int MarginRight = 0;
  int MarginBottom = 0;
  std::string PageHeader;
  std::string PageFooter;
  std::uint32_t Flags = 0;  // TQDHPrintFlag bits

  bool operator==(const TQDHPrintOptions&) const = default;
};

// A font by face and height in pixels (negative: character height, as the
// window's fonts are given).
struct TQDHFontSpec {
  std::string Name;
  int Height = 0;

  bool operator==(const TQDHFontSpec&) const = default;
};

}  // namespace hexed
