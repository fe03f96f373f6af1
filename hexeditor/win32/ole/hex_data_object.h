// TQDHDataObject: the selected bytes as an OLE data object, made at copy or
// drag time with its own copy of the bytes. It offers, in this order, the
// private format, plain text, "FileGroupDescriptor", "FileContents" and
// "RegEdit_HexData", all as global memory; it accepts only the two
// drop-effect formats to be set.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace hexwin {

class TQDHDataObject final : public IDataObject {
 public:
  // ansiFileName: the name file drops get, in the 8-bit code page.
  TQDHDataObject(std::vector<std::uint8_t> bytes, bool swapNibbles, bool asHexText, std::string ansiFileName);

  // The effect a drop target reported through a drop-effect format (0 when none).
  DWORD PerformedEffect() const { return performedEffect_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

 private:
  ~TQDHDataObject() = default;
  // The block of an offered format, or the error code that refuses it.
  HRESULT Check(const FORMATETC* format) const;
  std::vector<std::uint8_t> BlockOf(CLIPFORMAT format) const;

  std::atomic<ULONG> refs_{1};
  std::vector<std::uint8_t> bytes_;
  bool swapNibbles_;
  bool asHexText_;
  std::string fileName_;
  DWORD performedEffect_ = 0;
};

}  // namespace hexwin
