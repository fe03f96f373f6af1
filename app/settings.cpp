#include "app/settings.h"

#include "app/fold.h"

namespace app {

void SaveSetting(SettingsStore& store, std::string_view name, std::int32_t value) {
  store.Delete(name);
  if (value > 0) store.Write(name, static_cast<std::uint32_t>(value));
}

namespace {

// The compression choice of a stored value: an index outside the four items
// (also a negative one, which no click stores) gives the default item.
int CompressionFrom(const StoredValue& v) {
  switch (v.kind) {
    case StoredValue::Kind::kAbsent: return 0;
    case StoredValue::Kind::kUnreadable: return kDesignCompression;
    case StoredValue::Kind::kInteger: return v.value >= 0 && v.value <= 3 ? v.value : kDesignCompression;
  }
  return kDesignCompression;
}

std::optional<Color> ColorFrom(const StoredValue& v, Color fallback) {
  switch (v.kind) {
    case StoredValue::Kind::kAbsent: return std::nullopt;
    case StoredValue::Kind::kUnreadable: return fallback;
    case StoredValue::Kind::kInteger: return v.value;
  }
  return std::nullopt;
}

bool Present(const StoredValue& v) { return v.kind != StoredValue::Kind::kAbsent; }

}  // namespace

StoredSettings ReadStoredSettings(SettingsStore& store) {
  StoredSettings s;
  try {
    if (!store.KeyExists()) return s;
    s.keyFound = true;
    s.compression = CompressionFrom(store.Read(setting::kCompression));
    s.windowColor = ColorFrom(store.Read(setting::kWindowColor), kSkyBlue);
    s.logoColor = ColorFrom(store.Read(setting::kLogoColor), kAqua);
    s.maskKeys = Present(store.Read(setting::kMaskKeys));
    s.pasteKeys = Present(store.Read(setting::kPasteKeys));
    s.hintShowsKey = Present(store.Read(setting::kHintShowsKey));
    s.md5OnDrop = !Present(store.Read(setting::kNoMd5));
    const StoredValue mode = store.Read(setting::kMd5ReadMode);
    s.md5ReadMode = mode.kind == StoredValue::Kind::kInteger ? mode.value : 0;
    const StoredValue fold = store.Read(setting::kFold);
    s.foldState = StartFoldState(fold.kind == StoredValue::Kind::kInteger ? std::optional<std::int32_t>(fold.value)
                                                                           : std::nullopt);
    s.aead = Present(store.Read(setting::kAead));
  } catch (const SettingsError&) {
    s.failed = true;
  }
  return s;
}

int Md5ReadModeItem(std::int32_t mode) {
  if (mode < 1) return 0;
  return mode == 1 ? 1 : 2;
}

}  // namespace app
