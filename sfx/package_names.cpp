#include "sfx/package_names.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "engine/jobs/output_names.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sfx/package_header.h"

namespace sfx {

namespace {

bool IsReservedDevice(std::string base) {
  const std::size_t dot = base.find('.');
  if (dot != std::string::npos) base.resize(dot);
  std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
  static const std::array<const char*, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (const char* name : kPlain)
    if (base == name) return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
         base[3] <= '9';
}

}  // namespace

std::optional<PackNames> MakePackNames(const std::filesystem::path& jmzFile) {
  const engine::NameParts parts = engine::SplitFileName(jmzFile);
  std::optional<std::string> base = platform::Utf8ToGbk(parts.name);
  std::optional<std::string> extension = platform::Utf8ToGbk(parts.extension);
  if (!base || !extension) return std::nullopt;
  if (base->size() > kMaxStoredBase) {
    base->resize(platform::GbkCutLength(*base, kMaxStoredBase));
    *base += "..";
  }
  if (base->size() + extension->size() > kNameField)
    extension->resize(platform::GbkCutLength(*extension, kNameField - base->size()));
  std::optional<std::string> utf8Base = platform::GbkToUtf8(*base);
  if (!utf8Base) return std::nullopt;
  return PackNames{*base + *extension, *utf8Base};
}

std::filesystem::path PackageCandidate(const std::filesystem::path& folder, const std::string& base, unsigned n) {
  return engine::NumberedCandidate(folder, base, ".exe", n);
}

bool IsDamagedName(const std::string& gbkName) {
  const std::optional<std::string> utf8 = gbkName.empty() ? std::nullopt : platform::GbkToUtf8(gbkName);
  if (!utf8) return true;
  // Characters, not GBK bytes: the second byte of a double-byte character
  // may be 0x5C (a backslash) or 0x7C (a bar) in a good Chinese name. In
  // UTF-8 every byte below 0x80 is a character of its own.
  for (unsigned char c : *utf8)
    if (c < 0x20 || c == 0x7F || std::string_view("?*/\\:<>|\"").find(static_cast<char>(c)) != std::string_view::npos)
      return true;
  const char last = utf8->back();
  if (last == '.' || last == ' ') return true;
  return IsReservedDevice(gbkName);
}

std::string CarriedNameText(const std::string& gbkName) {
  if (std::optional<std::string> utf8 = platform::GbkToUtf8(gbkName)) return *utf8;
  std::string shown = gbkName;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  return shown;
}

std::string UsableCarriedName(const std::string& gbkName) {
  return IsDamagedName(gbkName) ? std::string(kDamagedName) : CarriedNameText(gbkName);
}

}  // namespace sfx
