// Stored settings: 32-bit values under one registry key, written the moment
// the user changes a control, and read into every new window.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace app {

// Names of the stored values, in the order a window reads them.
namespace setting {
inline constexpr std::string_view kCompression = "zzll";     // compression choice
inline constexpr std::string_view kWindowColor = "ctbjc";    // window background colour
inline constexpr std::string_view kLogoColor = "xcys";       // font colour of the logo
inline constexpr std::string_view kMaskKeys = "pbmy";        // key masking
inline constexpr std::string_view kPasteKeys = "ztmy";       // paste permission
inline constexpr std::string_view kHintShowsKey = "bjkxnr";  // key boxes' hint shows their text
inline constexpr std::string_view kNoMd5 = "md5";            // MD5 on drop switched off
inline constexpr std::string_view kMd5ReadMode = "md5dqms";  // MD5 read mode
inline constexpr std::string_view kFold = "ctsf";            // fold state
inline constexpr std::string_view kAead = "rzjm";            // encryption writes the authenticated container
}  // namespace setting

// A failure of the store itself (not an absent value).
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One stored value as read.
struct StoredValue {
  enum class Kind { kAbsent, kInteger, kUnreadable };
  Kind kind = Kind::kAbsent;
  std::int32_t value = 0;  // for kInteger

  static StoredValue Absent() { return {}; }
  static StoredValue Integer(std::int32_t v) { return {Kind::kInteger, v}; }
  static StoredValue Unreadable() { return {Kind::kUnreadable, 0}; }
};

// The settings key. Every member throws SettingsError when the store fails.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // True when the key exists (it is not created).
  virtual bool KeyExists() = 0;
  // A value of the key; only called while the key exists.
  virtual StoredValue Read(std::string_view name) = 0;
  // Creates the key when missing and deletes the value if it exists.
  virtual void Delete(std::string_view name) = 0;
  // Creates the key when missing and writes the value as a 32-bit integer.
  virtual void Write(std::string_view name, std::uint32_t value) = 0;
};

// SaveSetting: the value is deleted, then written again only when it is
// greater than 0, so 0 and negative values (black, a system colour, an
// unticked box) are stored as an absent value. Throws SettingsError.
void SaveSetting(SettingsStore& store, std::string_view name, std::int32_t value);

// Colours as the window keeps them: 0x00BBGGRR, or negative for a colour of
// the system's palette (the low byte is its index).
using Color = std::int32_t;
inline constexpr Color kSkyBlue = 0xF0CAA6;
inline constexpr Color kAqua = 0xFFFF00;

// Design state of a new window, kept when the key does not exist.
inline constexpr int kDesignCompression = 2;
inline constexpr int kDesignFoldState = 0;

// What a window takes from the stored settings. A field that is empty leaves
// its control in the state it has.
struct StoredSettings {
  bool keyFound = false;
  std::optional<int> compression;          // rgysl's item index
  std::optional<Color> windowColor;
  std::optional<Color> logoColor;
  std::optional<bool> maskKeys;            // pbmy ticked
  std::optional<bool> pasteKeys;           // CheckBox1 ticked
  std::optional<bool> hintShowsKey;        // N20 checked
  std::optional<bool> md5OnDrop;           // CheckBox2 ticked
  std::optional<std::int32_t> md5ReadMode; // N24's tag
  std::optional<int> foldState;            // the state the window opens in
  std::optional<bool> aead;                // the authenticated-encryption item checked
  // The store failed part-way: the values before the failure were read, the
  // rest keep their controls' state.
  bool failed = false;
};

// Reads the settings in their fixed order. Nothing is read (every field
// empty) when the key does not exist.
StoredSettings ReadStoredSettings(SettingsStore& store);

// Which of the three read-mode items carries the check mark for a read mode:
// 0 "自动模式" (below 1), 1 "内存流", 2 "文件流" (2 and above).
int Md5ReadModeItem(std::int32_t mode);

}  // namespace app
