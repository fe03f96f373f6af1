#include "hexeditor/win32/ole/hex_drag_drop.h"

#include "hexeditor/win32/ole/hex_data_object.h"

namespace hexwin {

namespace {

namespace drop = hexed::drop;

DWORD ToDropEffect(drop::Effect e) {
  switch (e) {
    case drop::Effect::kCopy: return DROPEFFECT_COPY;
    case drop::Effect::kMove: return DROPEFFECT_MOVE;
    case drop::Effect::kLink: return DROPEFFECT_LINK;
    case drop::Effect::kNone: break;
  }
  return DROPEFFECT_NONE;
}

drop::Effect FromDropEffect(DWORD e) {
  if (e & DROPEFFECT_MOVE) return drop::Effect::kMove;
  if (e & DROPEFFECT_COPY) return drop::Effect::kCopy;
  if (e & DROPEFFECT_LINK) return drop::Effect::kLink;
  return drop::Effect::kNone;
}

class EditorDropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~EditorDropSource() = default;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT EditorDropTarget::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EditorDropTarget::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

hexed::Cell EditorDropTarget::CellAt(POINTL point) const {
  POINT p{point.x, point.y};
  ScreenToClient(site_.window, &p);
  const hexed::CellHit hit = site_.editor->HitTest(p.x, p.y);
  if (hit.col >= 0) return hexed::Cell{hit.col, hit.row};
  // Outside the cells: the nearest edge of the grid.
  RECT r{};
  GetClientRect(site_.window, &r);
  const hexed::GridRow row = p.y < 0 ? 0 : site_.editor->RowCount();
  return hexed::Cell{site_.editor->ColCount() - 1, p.y >= 0 && p.y < r.bottom ? site_.editor->LastVisibleRow() : row};
}

DWORD EditorDropTarget::Track(DWORD keys, POINTL point, DWORD allowed) {
  ClipboardEditor& e = *site_.editor;
  const drop::DragKeys held{(keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0};
  DWORD effect = ToDropEffect(drop::DragEffect(e, site_.draggingFromHere, acceptable_, files_, held));
  if ((effect & allowed) == 0) effect = (allowed & DROPEFFECT_COPY) != 0 && effect != DROPEFFECT_NONE ? DROPEFFECT_COPY
                                                                                                       : DROPEFFECT_NONE;
  if (effect == DROPEFFECT_NONE) {
    ClearMark();
    return effect;
  }
  const hexed::Cell cell = CellAt(point);
  RECT r{};
  GetClientRect(site_.window, &r);
  const hexed::CellHit right = e.HitTest(r.right - 1, e.CellRect(2, e.TopRow())[1]);
  if (drop::ScrollAtEdge(e, cell, right.col >= 0 ? right.col : e.ColCount() - 1) && site_.viewChanged)
    site_.viewChanged();
  const hexed::Cell mark = drop::DropCell(e, drop::DropPosition(e, cell), cell);
  e.SetDropTarget(mark.col, mark.row);
  return effect;
}

void EditorDropTarget::ClearMark() { site_.editor->SetDropTarget(-1, -1); }

HRESULT EditorDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  try {
    acceptable_ = !site_.editor->ReadOnlyView() && site_.editor->Accepts(data);
    files_ = acceptable_ && site_.editor->OffersFiles(data);
    *effect = Track(keys, point, *effect);
  } catch (...) {
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

HRESULT EditorDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  try {
    *effect = Track(keys, point, *effect);
  } catch (...) {
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

HRESULT EditorDropTarget::DragLeave() {
  ClearMark();
  return S_OK;
}

HRESULT EditorDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  try {
    const DWORD chosen = Track(keys, point, *effect);
    ClearMark();
    *effect = DROPEFFECT_NONE;
    if (chosen == DROPEFFECT_NONE) return S_OK;
    ClipboardEditor& e = *site_.editor;
    const std::int64_t pos = drop::DropPosition(e, CellAt(point));
    if (site_.draggingFromHere && chosen == DROPEFFECT_MOVE) {
      drop::DropMoveWithinEditor(e, e.SelectedBytes(), pos);
      site_.droppedOnHere = true;
    } else {
      const auto bytes = e.ImportBytes(data, false);
      if (!bytes || !drop::DropBytes(e, *bytes, pos)) return S_OK;
      site_.droppedOnHere = site_.draggingFromHere;
    }
    *effect = chosen;
    if (site_.viewChanged) site_.viewChanged();
  } catch (...) {
    MessageBeep(MB_OK);
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

DWORD DragSelection(DropSite& site) {
  ClipboardEditor& e = *site.editor;
  if (!e.CanCopy()) return DROPEFFECT_NONE;
  const DWORD allowed = e.ReadOnlyView() ? DROPEFFECT_COPY : DROPEFFECT_COPY | DROPEFFECT_MOVE;
  TQDHDataObject* data = e.MakeDataObject();
  auto* source = new EditorDropSource;
  site.draggingFromHere = true;
  site.droppedOnHere = false;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, source, allowed, &effect);
  site.draggingFromHere = false;
  // The effect a target reported through the drop-effect formats wins.
  if (data->PerformedEffect() != 0) effect = data->PerformedEffect();
  data->Release();
  source->Release();
  if (hr != DRAGDROP_S_DROP) return DROPEFFECT_NONE;
  drop::FinishDrag(e, FromDropEffect(effect), site.droppedOnHere);
  if (site.viewChanged) site.viewChanged();
  return effect;
}

}  // namespace hexwin
