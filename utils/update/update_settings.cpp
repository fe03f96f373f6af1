#include "utils/update/update_settings.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/text.h"

namespace utils {
namespace {

constexpr std::string_view kMain = "xcwjjm";
constexpr std::string_view kOrb = "ORB";
// Files larger than this are not settings (a download stops near 12 KB).
constexpr std::uintmax_t kLargestFile = 1 << 20;

std::string NormalisedAddress(std::string_view value) {
  std::string address = platform::Utf8Prefix(value, kAddressLength);
  if (address.empty()) return address;
  std::string head = address.substr(0, 5);
  for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!head.starts_with("http")) address.insert(0, "http://");
  return address;
}

void TakeAddress(const ProfileIni& ini, std::string_view key, std::string& slot) {
  if (!slot.empty()) return;
  if (const auto value = ini.Read(kMain, key)) slot = NormalisedAddress(*value);
}

// Adding to the log: the text is cut; a text left empty is neither logged
// nor shown.
bool AddToLog(std::string& slot, UpdateOutcome& outcome) {
  slot = platform::Utf8Prefix(slot, kNoticeLength);
  if (slot.empty()) return false;
  outcome.logLines.push_back(" " + slot);
  return true;
}

bool TakeNotice(const ProfileIni& ini, std::string_view key, std::string& slot, UpdateOutcome& outcome) {
  if (!slot.empty()) return false;
  const auto value = ini.Read(kOrb, key);
  if (!value) return false;
  slot = *value;
  return AddToLog(slot, outcome);
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kLargestFile) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

std::string BuiltInUpdateText(std::string_view firstSite, std::string_view secondSite) {
  return "星尘 文件加密软件有更新版本，请到主页(" + std::string(firstSite) + "或者" + std::string(secondSite) +
         ")下载更新版本。 ";
}

UpdateOutcome ApplyUpdateSettings(UpdateState& state, const ProfileIni& ini, std::string_view firstSite,
                                  std::string_view secondSite) {
  UpdateOutcome outcome;
  // The show flags, in the show order: update notice, then the four notices.
  std::string* const slots[] = {&state.updateNotice, &state.orbNotice12, &state.orbNotice3, &state.orbNotice5,
                                &state.orbNotice6};
  bool show[5] = {};

  if (ini.HasKey(kMain, "Version") && state.announcedVersion == 0)
    state.announcedVersion = ini.ReadInteger(kMain, "Version", 0);

  if (state.updateNotice.empty() && state.announcedVersion > kOwnVersion) {
    if (const auto text = ini.Read(kMain, "xcjmUP")) {
      state.updateNotice = text->empty() ? BuiltInUpdateText(firstSite, secondSite) : *text;
      show[0] = AddToLog(state.updateNotice, outcome);
    }
  }

  if (ini.HasKey(kMain, "xcjwy")) {
    TakeAddress(ini, "xcjmzy", state.homeUrl);
    TakeAddress(ini, "xcjmbzy", state.helpUrl);
    TakeAddress(ini, "xcjmgxy", state.updateUrl);
  }

  show[1] = TakeNotice(ini, "ORB2", state.orbNotice12, outcome);
  if (!show[1]) show[1] = TakeNotice(ini, "ORB1", state.orbNotice12, outcome);
  show[2] = TakeNotice(ini, "ORB3", state.orbNotice3, outcome);
  show[3] = TakeNotice(ini, "ORB5", state.orbNotice5, outcome);
  show[4] = TakeNotice(ini, "ORB6", state.orbNotice6, outcome);

  for (int i = 0; i < 5; ++i)
    if (show[i]) outcome.notices.push_back(*slots[i]);
  return outcome;
}

UpdateOutcome ProcessUpdateFile(UpdateState& state, const std::filesystem::path& file, std::string_view firstSite,
                                std::string_view secondSite) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  const auto bytes = ReadWholeFile(file);
  std::filesystem::remove(file, ec);
  if (!bytes) {
    // A file that cannot be read: no notice of it is shown.
    for (std::string* slot : {&state.updateNotice, &state.orbNotice12, &state.orbNotice3, &state.orbNotice5,
                              &state.orbNotice6})
      slot->clear();
    return {};
  }
  return ApplyUpdateSettings(state, ProfileIni::Parse(*bytes), firstSite, secondSite);
}

}  // namespace utils
