// What the model asks of the control that shows it. Every call has a default
// that does nothing, so the model also runs without a window (tests, tools).
#pragma once

#include <string>

#include "hexeditor/view/colors.h"

namespace hexed {

class HexEditorHost {
 public:
  virtual ~HexEditorHost() = default;

  // Repaint all cells.
  virtual void Invalidate() {}
  // Column widths, row heights or the row or column count changed.
  virtual void LayoutChanged() {}
  // The caret's shape changed (kind, insert mode, read-only view, font).
  virtual void CaretShapeChanged() {}
  // The caret cell changed or the view scrolled: put the system caret at
  // CaretPoint().
  virtual void CaretMoved() {}
  // Post the private message whose handler calls
  // TCustomQDHexEditor::DeliverSelectionChanged once.
  virtual void PostSelectionChanged() {}
  // Show a message box with this text (UTF-8).
  virtual void ShowMessage(const std::string& text) { (void)text; }
  // Show (true) or restore (false) the busy cursor.
  virtual void SetBusyCursor(bool busy) { (void)busy; }
  // The font size changed: measure the font and call SetCharMetrics.
  virtual void FontChanged() {}
  // RGB value of a system colour index.
  virtual Color ResolveSystemColor(int index) {
    switch (index) {
      case kSysWindow: return Rgb(255, 255, 255);
      case kSysWindowText: return Rgb(0, 0, 0);
      case kSysBtnFace: return Rgb(240, 240, 240);
      case kSysBtnShadow: return Rgb(160, 160, 160);
      case kSysBtnHighlight: return Rgb(255, 255, 255);
      default: return Rgb(0, 0, 0);
    }
  }
};

}  // namespace hexed
