// Drag-and-drop on the editor as rules over the model: which effect a drag
// gets, where it would drop, when the view scrolls under it, and how the
// dropped bytes go in. The Windows layer feeds it the OLE callbacks.
#pragma once

#include <cstdint>
#include <vector>

#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed::drop {

enum class Effect { kNone, kCopy, kMove, kLink };

struct DragKeys {
  bool ctrl = false;
  bool shift = false;
};

// The effect of a drag over an editor. fromSelf: the drag started in this
// editor; acceptable: an accepted format is offered; files: the chosen
// format is dropped files (whose move becomes a link).
Effect DragEffect(const TCustomQDHexEditor& e, bool fromSelf, bool acceptable, bool files, DragKeys keys);

// The byte position a drop at the cell would go to: the column at least 2,
// the row between 2 and the last row, clamped to DataSize, the selection's
// start when inside it, rounded down to a unit.
std::int64_t DropPosition(const TCustomQDHexEditor& e, Cell cell);

// The cell that shows a drop position (in the field of the pointed cell).
Cell DropCell(const TCustomQDHexEditor& e, std::int64_t pos, Cell pointed);

// Scrolls by one row or column when the cell is on the first or last
// visible row or column (lastVisibleCol: the column at the client's right
// edge); true when the view moved.
bool ScrollAtEdge(TCustomQDHexEditor& e, Cell cell, int lastVisibleCol);

// A move inside one editor: the selection goes out, the bytes go in at pos
// (which moves back by the selection's length when it lies after it), two
// undo records "Data dropped" that the drag's end groups.
void DropMoveWithinEditor(TCustomQDHexEditor& e, const std::vector<std::uint8_t>& bytes, std::int64_t pos);

// Any other drop at pos: appended at the end, replacing the selection when
// inside it, else inserted (overwritten with NoSizeChange). Returns false
// when nothing could go in.
bool DropBytes(TCustomQDHexEditor& e, const std::vector<std::uint8_t>& bytes, std::int64_t pos);

// The end of a drag that started in this editor, with the effect that took
// place: a move within the editor becomes one step "Data moved"; a move
// into another program deletes the selection.
void FinishDrag(TCustomQDHexEditor& e, Effect effect, bool droppedOnSelf);

inline constexpr char kDataDropped[] = "Data dropped";
inline constexpr char kDataMoved[] = "Data moved";

}  // namespace hexed::drop
