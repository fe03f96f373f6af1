#include "hexeditor/view/colors.h"

namespace hexed {

TQDHColors HexWindowColors() {
  TQDHColors c;
  c.ChangedBackground = Rgb(0, 128, 0);
  c.ChangedText = Rgb(0, 255, 0);
  c.CurrentOffset = Rgb(0, 128, 128);
  return c;
}

}  // namespace hexed
