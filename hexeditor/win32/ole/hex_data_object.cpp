#include "hexeditor/win32/ole/hex_data_object.h"

#include <shlobj.h>

#include <array>
#include <cstring>

#include "hexeditor/clipboard/clipboard_data.h"
#include "hexeditor/win32/ole/ole_formats.h"

namespace hexwin {

namespace {

namespace clip = hexed::clip;

std::array<FORMATETC, 5> OfferedOrder() {
  const RegisteredFormats& f = Formats();
  auto etc = [](CLIPFORMAT cf) { return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; };
  return {etc(f.privateFormat), etc(CF_TEXT), etc(f.fileGroupDescriptor), etc(f.fileContents), etc(f.regEditHexData)};
}

HGLOBAL GlobalBlock(const std::vector<std::uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (block == nullptr) return nullptr;
  if (!bytes.empty()) std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

std::uint64_t Now() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

TQDHDataObject::TQDHDataObject(std::vector<std::uint8_t> bytes, bool swapNibbles, bool asHexText,
                               std::string ansiFileName)
    : bytes_(std::move(bytes)), swapNibbles_(swapNibbles), asHexText_(asHexText), fileName_(std::move(ansiFileName)) {}

HRESULT TQDHDataObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TQDHDataObject::AddRef() { return ++refs_; }

ULONG TQDHDataObject::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT TQDHDataObject::Check(const FORMATETC* format) const {
  if (format == nullptr) return E_INVALIDARG;
  bool known = false;
  for (const FORMATETC& offered : OfferedOrder()) known = known || offered.cfFormat == format->cfFormat;
  if (!known) return DV_E_FORMATETC;
  if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
  if (format->cfFormat != Formats().fileContents && format->lindex != -1 && format->lindex != 0) return DV_E_LINDEX;
  return S_OK;
}

std::vector<std::uint8_t> TQDHDataObject::BlockOf(CLIPFORMAT format) const {
  const RegisteredFormats& f = Formats();
  if (format == f.privateFormat) return clip::PrivateBlock(bytes_);
  if (format == CF_TEXT) return clip::PlainTextBlock(bytes_, asHexText_, swapNibbles_);
  if (format == f.fileGroupDescriptor)
    return clip::FileGroupDescriptorBlock(static_cast<std::uint32_t>(bytes_.size()), Now(), fileName_);
  if (format == f.fileContents) return bytes_;
  return clip::RegEditBlock(bytes_);
}

HRESULT TQDHDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_INVALIDARG;
  const HRESULT checked = Check(format);
  if (checked != S_OK) return checked;
  try {
    HGLOBAL block = GlobalBlock(BlockOf(format->cfFormat));
    if (block == nullptr) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT TQDHDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TQDHDataObject::QueryGetData(FORMATETC* format) { return Check(format); }

HRESULT TQDHDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out != nullptr) out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT TQDHDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (format == nullptr || medium == nullptr) return E_INVALIDARG;
  const RegisteredFormats& f = Formats();
  if (format->cfFormat != f.performedDropEffect && format->cfFormat != f.logicalPerformedDropEffect) return E_NOTIMPL;
  if (medium->tymed != TYMED_HGLOBAL || medium->hGlobal == nullptr) return DV_E_TYMED;
  if (GlobalSize(medium->hGlobal) >= sizeof(DWORD)) {
    performedEffect_ = *static_cast<const DWORD*>(GlobalLock(medium->hGlobal));
    GlobalUnlock(medium->hGlobal);
  }
  if (release) ReleaseStgMedium(medium);
  return S_OK;
}

HRESULT TQDHDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_INVALIDARG;
  *enumerator = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::array<FORMATETC, 5> formats = OfferedOrder();
  return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), enumerator);
}

HRESULT TQDHDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT TQDHDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT TQDHDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

}  // namespace hexwin
